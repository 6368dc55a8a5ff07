#include "led/LedGroup.h"

#include "led/VaviZAV.h"

LedGroup::LedGroup(QString name, QList<VaviZAV *> digits)
    : m_name(std::move(name)), m_digits(std::move(digits)) {
    for (int i = 0; i < m_digits.size(); ++i) {
        m_digits[i]->setIndex(i);
        m_digits[i]->setObjectName(QStringLiteral("%1_%2").arg(m_name).arg(i));
        m_digits[i]->setProperty("field", m_name);
        m_digits[i]->setAccessibleName(QStringLiteral("%1(%2)").arg(m_name).arg(i));
    }
}

int LedGroup::caption(int index) const {
    if (index < 0 || index >= m_digits.size())
        return -1;
    return m_digits[index]->Caption();
}

void LedGroup::setCaption(int index, int value) {
    if (index < 0 || index >= m_digits.size())
        return;
    m_digits[index]->setCaption(value);
}
