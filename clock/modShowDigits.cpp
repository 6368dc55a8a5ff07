#include "clock/modShowDigits.h"

#include "settings/modGlobals.h"

#include <array>
#include <optional>

namespace modShowDigits {

namespace {

std::array<QString, 2> digitTyped;

// Far above any field's limit, and far below overflow.
constexpr qint64 kCap = 1000000000;

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

qint64 leadingDigits(const QString &text, qsizetype from) {
    qint64 value = 0;
    for (qsizetype i = from; i < text.size() && isDigit(text[i]); ++i)
        value = qMin(kCap, value * 10 + (text[i].unicode() - '0'));
    return value;
}

// The number spelled by the leading characters: an optional sign, then digits; 0 for none.
qint64 valueOf(const QString &text) {
    if (text.isEmpty())
        return 0;
    if (text[0] == QLatin1Char('-'))
        return -leadingDigits(text, 1);
    if (text[0] == QLatin1Char('+'))
        return leadingDigits(text, 1);
    return leadingDigits(text, 0);
}

// A sign-free or signed run of digits and nothing else.
bool readsAsNumber(const QString &text) {
    qsizetype i = 0;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    if (i == text.size())
        return false;
    for (; i < text.size(); ++i) {
        if (!isDigit(text[i]))
            return false;
    }
    return true;
}

bool startsWithSign(const QString &text) {
    return !text.isEmpty() && (text[0] == QLatin1Char('+') || text[0] == QLatin1Char('-'));
}

} // namespace

QString FieldText(const DigitGroup &digits) {
    QString text;
    for (int i = digits.count() - 1; i >= 0; --i) {
        const int d = digits.caption(i);
        if (d >= 0)
            text.append(QString::number(d));
    }
    return text;
}

void ShowDigits(DigitGroup &digits, const QString &entry, qint16 low, qint16 high) {
    if (entry.isEmpty())
        return;
    const QString current = FieldText(digits);
    const QChar first = entry[0];
    std::optional<qint64> result;
    if (first.unicode() == modGlobals::ClearKey)
        result = -1;
    else if (isDigit(first))
        result = leadingDigits(entry, 0);
    else if (first == QLatin1Char('+'))
        result = valueOf(current) + valueOf(entry.mid(1));
    else if (first == QLatin1Char('-'))
        result = valueOf(current) - valueOf(entry.mid(1));
    if (!result || *result < low || *result > high)
        return;

    const QString text = QString::number(*result);
    for (int i = 0; i < digits.count(); ++i) {
        if (*result != -1 && i < text.size())
            digits.setCaption(i, text[text.size() - 1 - i].unicode() - '0');
        else
            digits.setCaption(i, -1);
    }
}

void DigitKeyPress(KeyCommands &commands, DigitGroup &digits, int key, qint16 low, qint16 high) {
    commands.AllKeyPress(key);

    QString &typed = digitTyped[0];
    if (digits.name() != digitTyped[1]) {
        typed.clear();
        digitTyped[1] = digits.name();
    }
    if (key >= '0' && key <= '9')
        typed.append(QChar(key));
    if (key == '+' || key == '-')
        typed.append(QChar(key));
    if (key == ' ')
        typed.clear();
    if (key == modGlobals::ClearKey)
        ShowDigits(digits, QString(QChar(char16_t(key))), low, high);
    if (digits.count() == 1 && !startsWithSign(typed)) {
        ShowDigits(digits, typed, low, high);
        typed.clear();
    }
    if (typed.size() >= 2 && startsWithSign(typed) && readsAsNumber(typed.mid(1))) {
        ShowDigits(digits, typed, low, high);
        typed.clear();
    }
    if (key == 13) {
        ShowDigits(digits, typed, low, high);
        typed.clear();
    }
}

QString TypedText() {
    return digitTyped[0];
}

void Reset() {
    digitTyped = {};
}

} // namespace modShowDigits
