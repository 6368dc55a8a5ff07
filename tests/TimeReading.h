#pragma once

#include <QRegularExpression>
#include <QString>

// Seconds a time display shows, read as a spectator reads " 2:30" or "59.9 "; -1 when
// it shows no time at all.
inline double shownSeconds(const QString &shown) {
    static const QRegularExpression minutes(QStringLiteral("^(\\d{1,2}):(\\d\\d)$"));
    static const QRegularExpression tenths(QStringLiteral("^(\\d{1,2})\\.(\\d)$"));
    const QString text = shown.trimmed();
    if (const auto m = minutes.match(text); m.hasMatch())
        return m.captured(1).toInt() * 60 + m.captured(2).toInt();
    if (const auto m = tenths.match(text); m.hasMatch())
        return m.captured(1).toInt() + m.captured(2).toInt() / 10.0;
    return -1;
}
