#include "clock/BoutScore.h"

#include "clock/Match.h"

#include <QDateTime>
#include <algorithm>

namespace {

// A number field's place in the numbers.
enum Number {
    HomeScore = Match::pledHomeScore - Match::pledHomeScore,
    GuestScore = Match::pledGuestScore - Match::pledHomeScore,
    HomeMatch = Match::pledHomeMatch - Match::pledHomeScore,
    GuestMatch = Match::pledGuestMatch - Match::pledHomeScore,
    MatchNumber = Match::pledMatch - Match::pledHomeScore,
    Period = Match::pledPeriod - Match::pledHomeScore,
    Weight = Match::pledWeight - Match::pledHomeScore,
};

// An international tie: the criteria in order, each read off the bout's scorebook; the winner
// (0: none decides) and the criterion that decided.
std::pair<int, QString> tieWinner(const QList<ScoredMove> &moves) {
    using RuleBook::Move;
    // More moves of a value, scored by the wrestler.
    for (const int value : {5, 4, 2}) {
        int count[3] = {};
        for (const ScoredMove &m : moves)
            count[m.side] += !m.toOpponent && m.points == value;
        if (count[1] != count[2])
            return {count[1] > count[2] ? 1 : 2, QStringLiteral("more %1-point moves").arg(value)};
    }
    int cautions[3] = {};
    for (const ScoredMove &m : moves)
        cautions[m.side] += m.move == int(Move::Penalty);
    if (cautions[1] != cautions[2])
        return {cautions[1] < cautions[2] ? 1 : 2, QStringLiteral("fewer cautions")};
    for (qsizetype i = moves.size() - 1; i >= 0; --i) {
        if (moves[i].points > 0)
            return {moves[i].scorer(), QStringLiteral("the last point scored")};
    }
    return {0, QString()};
}

} // namespace

BoutScore::BoutScore(RuleBook::Set rules, const std::array<qint32, 7> &numbers,
                     const std::array<qint32, 10> &roundSeconds, qint32 setSeconds,
                     qint32 shownSeconds, const QList<ScoredMove> &moves, TimeValue ridingNet)
    : m_rules(rules), m_numbers(numbers), m_roundSeconds(roundSeconds), m_setSeconds(setSeconds),
      m_shownSeconds(shownSeconds), m_moves(moves), m_ridingNet(ridingNet) {}

qint32 BoutScore::ElapsedSeconds() const {
    const qint32 period = m_numbers[Period];
    const auto kept = [this](qint32 p) { return m_roundSeconds[RoundIndex(p)]; };
    qint32 earlier = 0;
    for (qint32 p = 1; p < period; ++p)
        earlier += kept(p) > 0 ? kept(p) : RuleBook::RoundOf(m_rules, p).seconds;
    // Not yet run, the round is as long as the clock is set.
    const qint32 length = kept(period) > 0 ? kept(period) : m_setSeconds;
    return earlier + std::max(length - m_shownSeconds, 0);
}

BoutResult BoutScore::Proposed(QString *criterion) const {
    BoutResult r;
    const qint32 home = number(HomeMatch);
    const qint32 guest = number(GuestMatch);
    r.winner = guest > home ? 2 : 1;
    r.result = qint32(RuleBook::ProposedResult(m_rules, std::abs(home - guest)));
    r.fallSeconds = ElapsedSeconds();
    // After a pair of tiebreakers: the second of them.
    const qint32 period = m_numbers[Period];
    if (home == guest && std::abs(m_ridingNet) >= fromSeconds(1) &&
        RuleBook::Of(m_rules).scoring.ridingTime &&
        RuleBook::RoundOf(m_rules, period).kind == RuleBook::RoundKind::Tiebreaker &&
        !RuleBook::StartsRidingAfresh(m_rules, period))
        r.winner = m_ridingNet > 0 ? 1 : 2;
    if (home == guest && RuleBook::Of(m_rules).international) {
        const auto [winner, why] = tieWinner(m_moves);
        if (winner) {
            r.winner = winner;
            if (criterion)
                *criterion = why;
        }
    }
    for (const ScoredMove &m : m_moves) {
        if (m.disqualifies) {
            if (criterion)
                criterion->clear();
            r.winner = 3 - m.side;
            r.result = qint32(RuleBook::Result::Disqualification);
            r.fallSeconds = -1;
        }
    }
    return r;
}

std::optional<ScoredMove> BoutScore::Scored(RuleBook::Move move, int side, int digit, When when,
                                            QString *why) const {
    int call = 1;
    // Passivity counts the calls that ordered activity periods too.
    for (const ScoredMove &m : m_moves)
        call += m.side == side &&
                (m.move == int(move) || (move == RuleBook::Move::Stalling &&
                                         m.move == int(RuleBook::Move::Activity) && m.points == 0));
    // One riding-time point a bout, for either wrestler.
    if (move == RuleBook::Move::RidingTime && std::ranges::any_of(m_moves, [](const ScoredMove &m) {
            return m.move == int(RuleBook::Move::RidingTime);
        })) {
        *why = QStringLiteral("the riding-time point is given");
        return std::nullopt;
    }
    const std::optional<RuleBook::Scored> scored = RuleBook::Score(m_rules, move, digit, call);
    if (!scored) {
        *why = QStringLiteral("no such move under the rule set");
        return std::nullopt;
    }
    return ScoredMove{when.bout,    when.period,        when.clockTenths,
                      side,         int(scored->move),  scored->points,
                      int(m_rules), scored->toOpponent, scored->disqualifies};
}

std::optional<BoutResult> BoutScore::Recorded(BoutResult r, const QString &homeName,
                                              const QString &guestName, QString *why) const {
    if (r.deductionSide != 1 && r.deductionSide != 2)
        r.deduction = 0;
    if (r.winner != 1 && r.winner != 2) {
        r.winner = 0;
        r.result = qint32(RuleBook::Result::DoubleForfeit);
    }
    if (r.result != qint32(RuleBook::Result::Fall))
        r.fallSeconds = -1;
    r.teamPoints = r.winner ? RuleBook::TeamPoints(m_rules, RuleBook::Result(r.result)) : 0;
    qint32 scores[3] = {0, number(HomeScore), number(GuestScore)};
    if (r.winner)
        scores[r.winner] = std::min(scores[r.winner] + r.teamPoints,
                                    qint32(Match::UpperLimit(Match::pledHomeScore)));
    // The winner's own team may lose a point it has just won.
    if (r.deduction > scores[r.deductionSide]) {
        // One arg() for all: a team name may hold "%2".
        *why = QStringLiteral("A deduction of %1 is larger than %2's score of %3.")
                   .arg(r.deduction == 1 ? QStringLiteral("1 team point")
                                         : QStringLiteral("%1 team points").arg(r.deduction),
                        r.deductionSide == 1 ? homeName : guestName,
                        QString::number(scores[r.deductionSide]));
        return std::nullopt;
    }
    if (r.deduction > 0)
        scores[r.deductionSide] -= r.deduction;
    // A field never typed reads 0: no match or weight of that number exists.
    r.match = m_numbers[MatchNumber] > 0 ? m_numbers[MatchNumber] : -1;
    r.weight = m_numbers[Weight] > 0 ? m_numbers[Weight] : -1;
    r.homePoints = m_numbers[HomeMatch];
    r.guestPoints = m_numbers[GuestMatch];
    r.homeScore = scores[1];
    r.guestScore = scores[2];
    r.atMs = QDateTime::currentMSecsSinceEpoch();
    return r;
}
