#pragma once

#include "clock/BoutResult.h"
#include "clock/RuleBook.h"
#include "clock/ScoredMove.h"
#include "clock/TimeValue.h"

#include <QList>

#include <QString>
#include <algorithm>
#include <array>
#include <optional>

// A bout's result read off the match as it stands: what the result window proposes, and the
// result as recorded, with the team scores it leaves.
class BoutScore {
public:
    // The number fields as the match keeps them (pledHomeScore to pledWeight, -1 blank), each
    // period's length as its clock first ran, and the match clock's set and shown seconds.
    // Then the bout's scorebook and the net riding time (home's time advantage less guest's).
    BoutScore(RuleBook::Set rules, const std::array<qint32, 7> &numbers,
              const std::array<qint32, 10> &roundSeconds, qint32 setSeconds, qint32 shownSeconds,
              const QList<ScoredMove> &moves, TimeValue ridingNet);

    // The bout's time so far, in whole seconds as the clock shows them: the earlier rounds'
    // lengths and what has run of this one, each round counted from the length its clock
    // was set to when it first ran (a round that never ran: the rule book's).
    qint32 ElapsedSeconds() const;
    // The winner from the match points (home on a tie; after a pair of tiebreakers the one
    // who rode longer in them; internationally by the tie criteria, the one that decided in
    // `criterion`), the result from their margin, the bout's time for a fall; a
    // disqualification called on a wrestler is the opponent's.
    BoutResult Proposed(QString *criterion = nullptr) const;
    // The scorebook entry of a move for side (1 home, 2 guest) with the digit typed after
    // it, as the wrestler's next call of its kind; empty, with why, where the rule set lacks
    // it or the bout has its riding-time point.
    struct When {
        qint32 bout;
        qint32 period;
        qint32 clockTenths;
    };
    std::optional<ScoredMove> Scored(RuleBook::Move move, int side, int digit, When when,
                                     QString *why) const;
    // The result as recorded: the rule set's team points to the winner's team score, a
    // deduction from its team's, the bout's numbers. Empty, with why, when the deduction is
    // larger than that team's score after it.
    std::optional<BoutResult> Recorded(BoutResult result, const QString &homeName,
                                       const QString &guestName, QString *why) const;

    // A period's place among the rounds' lengths; a blank period is 0.
    static size_t RoundIndex(qint32 period) { return size_t(std::clamp(period, 0, 9)); }

private:
    // A number field by its place after pledHomeScore, blank as 0.
    qint32 number(int at) const { return std::max(m_numbers[size_t(at)], 0); }

    RuleBook::Set m_rules;
    std::array<qint32, 7> m_numbers;
    std::array<qint32, 10> m_roundSeconds;
    qint32 m_setSeconds;
    qint32 m_shownSeconds;
    QList<ScoredMove> m_moves;
    TimeValue m_ridingNet;
};
