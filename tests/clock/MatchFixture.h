#pragma once

#include "TestSupport.h"
#include "clock/Match.h"
#include "clock/modCount.h"

#include <QTest>
#include <memory>

// A time as its four positions show it, blanks as spaces: " 9:59", "59.9 ".
inline QString timeShown(TimeValue value, bool matchClock) {
    const modCount::TimePicture p = modCount::TimeDigits(value, matchClock);
    QString s;
    for (int i = 0; i < 4; ++i) {
        if (i == 2)
            s += p.colon ? QLatin1Char(':') : QLatin1Char('.');
        s += p.digits[i] < 0 ? QStringLiteral(" ") : QString::number(p.digits[i]);
    }
    return s;
}

// A number on a field of `digits` positions, blanks as spaces: "  7".
inline QString numberShown(qint32 value, int digits) {
    return (value < 0 ? QString() : QString::number(value)).rightJustified(digits).right(digits);
}

// An operator's steps, separated by spaces: "clock:2.30" typed time, "homeScore:12" typed
// number (a field name without "pled"), "key:s" a command key, "down:37" a key-down,
// "wait:3400" milliseconds passing with the board refreshed, "result" the proposed result
// recorded, "undo" and "redo" their keys.
inline void play(Match &m, FakeClock &clock, const QString &steps) {
    for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString what = step.section(QLatin1Char(':'), 0, 0);
        const QString arg = step.section(QLatin1Char(':'), 1);
        if (what == QLatin1String("clock")) {
            for (QChar c : arg + QLatin1Char('\r'))
                m.ClockKeyPress(c.unicode(), 3599, 0, 0);
        } else if (what == QLatin1String("key")) {
            m.AllKeyPress(arg.front().unicode());
        } else if (what == QLatin1String("down")) {
            m.AllKeyDown(arg.toInt());
        } else if (what == QLatin1String("result")) {
            QCOMPARE(m.RecordResult(m.ProposedResult()), QString());
        } else if (what == QLatin1String("undo") || what == QLatin1String("redo")) {
            m.AllKeyPress(what == QLatin1String("undo") ? modGlobals::UndoKey
                                                        : modGlobals::RedoKey);
        } else if (what == QLatin1String("wait")) {
            clock.advance(arg.toInt());
            m.UpdateClocks();
        } else {
            const int f =
                Match::FieldFromName(QStringLiteral("pled") + what.front().toUpper() + what.mid(1));
            QVERIFY2(f >= 0, qPrintable(step));
            for (QChar c : arg + QLatin1Char('\r'))
                m.DigitKeyPress(Match::Field(f), c.unicode(), -1,
                                Match::UpperLimit(Match::Field(f)));
        }
    }
}

// A fresh match on the default options and a fake time source; start() in a test class's
// init(), stop() in its cleanup().
struct MatchFixture {
    std::unique_ptr<FakeClock> clock;
    std::unique_ptr<Match> m;

    void start() {
        modGlobals::SetDefaults();
        clock = std::make_unique<FakeClock>();
        m = std::make_unique<Match>();
        m->Load();
    }
    void stop() {
        m.reset();
        clock.reset();
    }
    void play(const QString &steps) { ::play(*m, *clock, steps); }
    // Time passes, and the refresh the board's timer would make comes.
    void pass(qint64 ms) {
        clock->advance(ms);
        m->UpdateClocks();
    }
};
