#pragma once

#include "TestSupport.h"
#include "clock/Match.h"
#include "clock/modCount.h"

#include <QCoreApplication>
#include <QMap>
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

inline MatchCommand command(MatchCommand::Kind kind) {
    return MatchCommand::Of(kind);
}

// An operator's commands, separated by spaces: "time:2.30" a typed time; "homeScore:12" a
// number field's value, "homeScore:+3" a step, "homeScore:" a blank (a field by its name
// without "pled"); "startStop", "reset", "nextPeriod", "nextBout", "undo", "redo"; "result"
// the proposed result; "advantage:home" (guest, none); "blood:home" a stoppage clock's start
// (injury, blood, recovery, headNeck), "stop:blood" its stop; "takedown:home" a scoring move
// (escape, reversal, nearFall, amplitude, penalty, stalling, caution, ridingTime), with its
// digit as in "nearFall:guest:3"; "names:home:120:Peña,guest:120:" wrestlers' names by side
// and weight as one action (an underscore a space, nothing after the weight no wrestler);
// "wait:3400" milliseconds passing with the board refreshed and what it queued done;
// "tablet>takedown:home" any of them given by the device "tablet".
// The match may refuse any of them; what the last one did comes back.
inline MatchOutcome play(Match &m, FakeClock &clock, const QString &steps) {
    MatchOutcome last;
    using enum MatchCommand::Kind;
    static const QMap<QString, MatchCommand::Kind> kPlain{
        {QStringLiteral("startStop"), StartStop},
        {QStringLiteral("reset"), Reset},
        {QStringLiteral("nextPeriod"), NextPeriod},
        {QStringLiteral("nextBout"), NextBout},
        {QStringLiteral("undo"), Undo},
        {QStringLiteral("redo"), Redo}};
    static const QStringList kMoves{"takedown", "escape",   "reversal", "nearFall",  "amplitude",
                                    "penalty",  "stalling", "caution",  "ridingTime"};
    const auto stoppage = [](const QString &name) {
        for (int kind = 0; kind < RuleBook::kStoppageCount; ++kind)
            if (RuleBook::StoppageKey(kind) == name)
                return kind;
        return -1;
    };
    for (QString step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        MatchCommand c;
        if (const qsizetype at = step.indexOf(QLatin1Char('>')); at > 0) {
            c.author = step.left(at);
            c.device = QStringLiteral("key-") + c.author;
            step = step.mid(at + 1);
        }
        const QString what = step.section(QLatin1Char(':'), 0, 0);
        const QString arg = step.section(QLatin1Char(':'), 1);
        if (kPlain.contains(what)) {
            c.kind = kPlain[what];
        } else if (what == QLatin1String("wait")) {
            clock.advance(arg.toInt());
            m.UpdateClocks();
            // What the refresh queued (a point when a clock ran out) comes before the next key.
            QCoreApplication::processEvents();
            last = {};
            continue;
        } else if (what == QLatin1String("result")) {
            c.kind = Result;
            c.result = m.ProposedResult();
            last = m.apply(c);
            [&] { QVERIFY2(last.ok(), qPrintable(step)); }();
            continue;
        } else if (what == QLatin1String("time")) {
            c.kind = SetTime;
            c.value = modCount::TimeToSeconds(arg);
        } else if (what == QLatin1String("names")) {
            c.kind = Names;
            for (const QString &name : arg.split(QLatin1Char(','))) {
                const QStringList parts = name.split(QLatin1Char(':'));
                c.names.insert(
                    Lineup::TextId(parts[0] == QLatin1String("home") ? 1 : 2, parts[1].toInt()),
                    QString(parts.value(2)).replace(QLatin1Char('_'), QLatin1Char(' ')));
            }
        } else if (what == QLatin1String("advantage")) {
            c.kind = Advantage;
            if (arg != QLatin1String("none"))
                c.side = arg == QLatin1String("home") ? Side::Home : Side::Guest;
        } else if (what == QLatin1String("stop")) {
            c.kind = StopStoppage;
            c.stoppage = stoppage(arg);
        } else if (kMoves.contains(what)) {
            c.kind = Score;
            c.move = int(kMoves.indexOf(what));
            c.side = arg.startsWith(QLatin1String("home")) ? Side::Home : Side::Guest;
            c.value = arg.section(QLatin1Char(':'), 1).toInt();
        } else if (stoppage(what) >= 0) {
            c.kind = StartStoppage;
            c.stoppage = stoppage(what);
            c.side = arg == QLatin1String("home") ? Side::Home : Side::Guest;
        } else {
            c.field =
                Match::FieldFromName(QStringLiteral("pled") + what.front().toUpper() + what.mid(1));
            [&] { QVERIFY2(c.field >= 0, qPrintable(step)); }();
            c.kind = arg.isEmpty() ? Clear : arg.front().isDigit() ? SetNumber : Step;
            c.value = arg.toInt();
        }
        last = m.apply(c);
    }
    return last;
}

// A fresh match on the default options and a fake time source; start() in a test class's
// init(), stop() in its cleanup().
struct MatchFixture {
    std::unique_ptr<FakeClock> clock;
    std::unique_ptr<Match> m;

    void start() {
        clock = std::make_unique<FakeClock>();
        m = std::make_unique<Match>();
        m->Load();
    }
    void stop() {
        m.reset();
        clock.reset();
    }
    void play(const QString &steps) { ::play(*m, *clock, steps); }
    // A command with nothing but its kind; true when the match took it.
    bool run(MatchCommand::Kind kind) { return m->apply(command(kind)).ok(); }
    // Time passes, and the refresh the board's timer would make comes.
    void pass(qint64 ms) {
        clock->advance(ms);
        m->UpdateClocks();
    }
};
