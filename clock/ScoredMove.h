#pragma once

#include "clock/RuleBook.h"

#include <QString>
#include <QtGlobal>

// One entry of the scorebook: a move scored by a wrestler, or a call on one.
struct ScoredMove {
    qint32 bout = 0;        // the bout it was scored in (the match's bout serial)
    qint32 period = 0;      // as the period field read, -1 blank
    qint32 clockTenths = 0; // what the match clock showed
    qint32 side = 1;        // the wrestler it names: 1 home, 2 guest; for a call, the one called
    qint32 move = 0;        // RuleBook::Move
    qint32 points = 0;      // to the wrestler it names, or for a call to the opponent
    qint32 rules = 0;       // RuleBook::Set, that its mark reads as it did
    bool toOpponent = false;
    bool disqualifies = false;
    bool operator==(const ScoredMove &) const = default;

    // The side its points went to.
    qint32 scorer() const { return toOpponent ? 3 - side : side; }
    QString mark() const {
        return RuleBook::MarkOf(RuleBook::Set(rules), RuleBook::Move(move), points, disqualifies);
    }
};
