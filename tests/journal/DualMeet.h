#pragma once

#include "clock/MatchFixture.h"
#include "journal/MeetLog.h"

#include <QRandomGenerator>
#include <vector>

// A dual meet's worth of operator actions on a real match: 14 bouts of three periods, each
// period's clock run and stopped, scores and the time advantage changing on the way, some
// actions undone and redone, and each bout's result. The match after each step, the first
// a fresh one.
// `kinds` gets the record each step makes in the meet's log.
inline std::vector<MatchSnapshot> dualMeet(std::vector<MeetLog::Kind> *kinds = nullptr) {
    QRandomGenerator random(2026);
    FakeClock clock;
    Match m;
    m.Load();
    std::vector<MatchSnapshot> matches{m.Snapshot()};
    const auto step = [&](const QString &steps) {
        const MatchOutcome outcome = play(m, clock, steps);
        matches.push_back(m.Snapshot());
        if (kinds)
            kinds->push_back(MeetLog::KindOf(outcome.step));
    };
    const auto stopped = [&] {
        if (m.ClockRunning(0))
            step(QStringLiteral("startStop"));
    };
    const char *const kSteps[] = {"startStop",      "homeScore:+2",    "guestScore:+1",
                                  "homeMatch:+1",   "guestMatch:+2",   "advantage:home",
                                  "advantage:none", "advantage:guest", "undo",
                                  "redo",           "wait:1300",       "wait:700"};
    for (int bout = 0; bout < 14; ++bout) {
        step(QStringLiteral("nextBout"));
        for (int period = 1; period <= 3; ++period) {
            if (period > 1)
                step(QStringLiteral("nextPeriod"));
            for (int i = 0; i < 70; ++i)
                step(QLatin1String(kSteps[random.bounded(int(std::size(kSteps)))]));
            stopped();
        }
        step(QStringLiteral("result"));
    }
    return matches;
}
