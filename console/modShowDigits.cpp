#include "console/modShowDigits.h"

#include "settings/modGlobals.h"

namespace modShowDigits {

namespace {

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

} // namespace

bool ReadsAsNumber(const QString &text) {
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

std::optional<qint32> EntryResult(qint32 current, const QString &entry, qint16 low, qint16 high) {
    if (entry.isEmpty())
        return std::nullopt;
    // A blank field counts 0.
    const qint64 now = current < 0 ? 0 : current;
    const QChar first = entry[0];
    std::optional<qint64> result;
    if (first.unicode() == modGlobals::ClearKey)
        result = -1;
    else if (isDigit(first))
        result = leadingDigits(entry, 0);
    else if (first == QLatin1Char('+'))
        result = now + valueOf(entry.mid(1));
    else if (first == QLatin1Char('-'))
        result = now - valueOf(entry.mid(1));
    if (!result || *result < low || *result > high)
        return std::nullopt;
    return qint32(*result);
}

} // namespace modShowDigits
