#pragma once

#include "clock/MatchSnapshot.h"
#include "clock/TimeSource.h"
#include "led/DigitGroup.h"
#include "settings/SystemBeep.h"
#include "settings/modGlobals.h"

#include <QFile>
#include <QLocale>
#include <QMetaType>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

// Test tables carry whole snapshots.
Q_DECLARE_METATYPE(MatchSnapshot)

// A clock the test moves by hand: monotonic milliseconds.
struct FakeClock {
    qint64 ms = 5'000'000;
    FakeClock() {
        TimeSource::install([this] { return ms; });
    }
    ~FakeClock() { TimeSource::reset(); }
    void advance(qint64 by) { ms += by; }
};

struct BeepCounter {
    int count = 0;
    BeepCounter() {
        SystemBeep::setHandler([this] { ++count; });
    }
    ~BeepCounter() { SystemBeep::setHandler(nullptr); }
};

// The per-user store in a fresh folder of its own.
struct SettingsSandbox {
    QTemporaryDir dir;
    SettingsSandbox() {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        QLocale::setDefault(QLocale::c());
    }
    QString fileName() const { return modGlobals::SettingsFileName(); }
};

struct FakeDigits : DigitGroup {
    QString groupName;
    std::vector<int> values;
    FakeDigits(QString n, int count, int initial = -1)
        : groupName(std::move(n)), values(count, initial) {}
    QString name() const override { return groupName; }
    int count() const override { return int(values.size()); }
    int caption(int i) const override { return values.at(i); }
    void setCaption(int i, int v) override { values.at(i) = v; }
};

struct FakeDots : SeparatorDots {
    qint32 colors[2] = {-1, -1};
    void setDotColor(int i, qint32 c) override { colors[i] = c; }
};

// A four-position time display as a spectator reads it: " 9:59", "59.9 ".
inline QString timePicture(const DigitGroup &digits, bool upperDotShows, bool lowerDotShows) {
    QString s;
    for (int i = 0; i < 4; ++i) {
        if (i == 2)
            s += upperDotShows && lowerDotShows ? QStringLiteral(":")
                 : lowerDotShows                ? QStringLiteral(".")
                                                : QStringLiteral(" ");
        const int d = digits.caption(i);
        s += d < 0 ? QStringLiteral(" ") : QString::number(d);
    }
    return s;
}

inline QString timePicture(const FakeDigits &digits, const FakeDots &dots) {
    return timePicture(digits, dots.colors[0] == modGlobals::TextColor,
                       dots.colors[1] == modGlobals::TextColor);
}

// A number field as it reads from left to right, blanks as spaces: "  7".
inline QString numberPicture(const DigitGroup &digits) {
    QString s;
    for (int i = digits.count() - 1; i >= 0; --i)
        s += digits.caption(i) < 0 ? QStringLiteral(" ") : QString::number(digits.caption(i));
    return s;
}

// The process's resident memory in kB, -1 when unknown.
inline qint64 residentKb() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return f.readAll().split(' ').value(1).toLongLong() * 4;
}
