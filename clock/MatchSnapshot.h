#pragma once
#include "clock/TimeValue.h"
#include <array>
// Everything of a match that an operator would lose: what the journal keeps.
struct MatchSnapshot {
    // pledHomeScore, pledGuestScore, pledHomeMatch, pledGuestMatch, pledMatch, pledPeriod,
    // pledWeight, in this order; -1 is a blank field.
    std::array<qint32, 7> fields{0, 0, 0, 0, 0, 0, 0};
    TimeValue clockSet = 600 * kTimeUnit; // the match clock's set time
    TimeValue clockRun = 0;               // match time run since it was set
    bool clockRunning = false;
    bool clockHasRun = false;
    TimeValue homeAd = 0; // time advantage totals
    TimeValue guestAd = 0;
    qint32 timeAd = 38;         // 37 home holds, 39 guest, 38 nobody
    qint32 lastClockTime = 600; // whole seconds reset returns to
    qint16 shownAdSide = 1;     // 1 home, 2 guest
    bool operator==(const MatchSnapshot &) const = default;
};
