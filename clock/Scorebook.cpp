#include "clock/Scorebook.h"

QList<ScoredMove> Scorebook::OfBout(qint32 bout) const {
    QList<ScoredMove> moves;
    for (const ScoredMove &m : m_moves) {
        if (m.bout == bout)
            moves.append(m);
    }
    return moves;
}

std::optional<ScoredMove> Scorebook::Enter(const BoutScore &score, RuleBook::Move move, int side,
                                           int digit, BoutScore::When when, QString *why,
                                           bool *activityChanged) {
    *activityChanged = false;
    if (move == RuleBook::Move::Activity && (m_activity.Side() != side || m_activity.Shown() > 0)) {
        *why = QStringLiteral("no activity period has run out");
        return std::nullopt;
    }
    const std::optional<ScoredMove> entry = score.Scored(move, side, digit, when, why);
    if (!entry)
        return entry;
    m_moves.append(*entry);
    if (entry->move == int(RuleBook::Move::Activity) && entry->points == 0) {
        const int seconds = RuleBook::Of(RuleBook::Set(entry->rules)).scoring.activitySeconds;
        m_activity.Start(side, fromSeconds(seconds));
        *activityChanged = true;
    } else if (m_activity.Side() == side &&
               (move == RuleBook::Move::Activity || (!entry->toOpponent && entry->points > 0))) {
        *activityChanged = m_activity.End();
    }
    return entry;
}

void Scorebook::Step(const ScoredMove &entry, bool undone) {
    if (!undone)
        m_moves.append(entry);
    else if (!m_moves.isEmpty())
        m_moves.removeLast();
}
