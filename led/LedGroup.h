#pragma once

#include "led/DigitGroup.h"

#include <QList>

class VaviZAV;

// The digits of one field on a window, element 0 first.
class LedGroup : public DigitGroup {
public:
    LedGroup(QString name, QList<VaviZAV *> digits);

    QString name() const override { return m_name; }
    int count() const override { return int(m_digits.size()); }
    int caption(int index) const override;
    void setCaption(int index, int value) override;

    VaviZAV *at(int index) const { return m_digits.at(index); }
    const QList<VaviZAV *> &digits() const { return m_digits; }

private:
    QString m_name;
    QList<VaviZAV *> m_digits;
};
