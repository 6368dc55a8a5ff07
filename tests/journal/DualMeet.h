#pragma once

#include "clock/MatchSnapshot.h"

#include <QRandomGenerator>
#include <vector>

// A dual meet's worth of operator actions: 14 bouts of three periods, each period's clock set,
// run and stopped, scores and the time advantage changing on the way.
inline std::vector<MatchSnapshot> dualMeet() {
    QRandomGenerator random(2026);
    std::vector<MatchSnapshot> matches{MatchSnapshot{}};
    auto act = [&](auto change) {
        MatchSnapshot s = matches.back();
        change(s);
        matches.push_back(s);
    };
    const qint32 weights[] = {106, 113, 120, 126, 132, 138, 144, 150, 157, 165, 175, 190, 215, 285};
    for (int bout = 0; bout < 14; ++bout) {
        act([&](MatchSnapshot &s) {
            s.fields[4] = bout + 1;
            s.fields[6] = weights[bout];
            s.fields[2] = s.fields[3] = 0;
            s.homeAd = s.guestAd = 0;
            s.timeAd = kNobodyHolds;
        });
        for (int period = 1; period <= 3; ++period) {
            act([&](MatchSnapshot &s) {
                s.fields[5] = period;
                s.clockSet = fromSeconds(120);
                s.clockRun = 0;
                s.lastClockTime = 120;
            });
            for (int step = 0; step < 70; ++step) {
                act([&](MatchSnapshot &s) {
                    switch (random.bounded(4)) {
                    case 0:
                        s.clockRunning = !s.clockRunning;
                        break;
                    case 1: {
                        qint32 &points = s.fields[size_t(random.bounded(2, 4))];
                        points = (points + random.bounded(1, 4)) % 20;
                        break;
                    }
                    case 2:
                        s.timeAd = kHomeHolds + random.bounded(3);
                        break;
                    default:
                        s.clockRun =
                            std::min(s.clockRun + fromTenths(random.bounded(1, 40)), s.clockSet);
                    }
                    s.clockHasRun = true;
                    s.homeAd += s.timeAd == kHomeHolds ? kTenth : 0;
                });
            }
        }
        act([&](MatchSnapshot &s) { s.fields[s.fields[2] > s.fields[3] ? 0 : 1] += 3; });
    }
    return matches;
}
