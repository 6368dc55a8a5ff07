#pragma once

#include "clock/ActivityPeriod.h"
#include "clock/BoutScore.h"
#include "clock/ScoredMove.h"

#include <QList>
#include <optional>

// The dual's scorebook, oldest entry first, and the activity period its passivity calls
// start: what an entry does besides its points.
class Scorebook {
public:
    explicit Scorebook(ClockSlots &clocks) : m_activity(clocks) {}

    const QList<ScoredMove> &All() const { return m_moves; }
    QList<ScoredMove> OfBout(qint32 bout) const;
    ActivityPeriod &Activity() { return m_activity; }
    const ActivityPeriod &Activity() const { return m_activity; }

    // The move's entry as `score` makes it, entered. A passivity call past the warning starts
    // the called wrestler's activity period; the wrestler's own score ends it, as does its
    // point once it ran out (Move::Activity, refused before). Nothing, with why, where
    // refused; `activityChanged` when a period started or ended.
    std::optional<ScoredMove> Enter(const BoutScore &score, RuleBook::Move move, int side,
                                    int digit, BoutScore::When when, QString *why,
                                    bool *activityChanged);
    // Undone, the last entry goes; redone, it comes again.
    void Step(const ScoredMove &entry, bool undone);
    void Replace(const QList<ScoredMove> &moves) { m_moves = moves; }

private:
    QList<ScoredMove> m_moves;
    ActivityPeriod m_activity;
};
