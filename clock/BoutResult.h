#pragma once

#include <QtGlobal>

// One bout's result as the bout sheet lists it.
struct BoutResult {
    qint32 match = -1; // the match number and weight shown; -1 blank
    qint32 weight = -1;
    qint32 winner = 0;      // 1 home, 2 guest, 0 nobody (a double forfeit)
    qint32 result = 0;      // RuleBook::Result
    qint32 homePoints = -1; // match points, -1 blank
    qint32 guestPoints = -1;
    qint32 fallSeconds = -1; // the bout's time at a fall; -1 for any other result
    qint32 teamPoints = 0;
    qint32 deductionSide = 0; // 1 home, 2 guest: a team-point deduction entered with it
    qint32 deduction = 0;
    qint32 homeScore = 0; // team scores after it
    qint32 guestScore = 0;
    qint64 atMs = 0;    // the time of day, ms since the epoch
    qint32 serial = -1; // the bout's serial, that its scorebook's moves carry; -1 none
    bool operator==(const BoutResult &) const = default;
};
