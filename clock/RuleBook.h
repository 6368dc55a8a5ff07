#pragma once

#include <QString>
#include <array>
#include <optional>
#include <span>

// The rules a meet is run under: every figure the board times or counts by, in one table.
namespace RuleBook {

// Stored by number: a new set comes last.
enum class Set { NFHS, NCAA, UWW, UWWGR, UWWW };
inline constexpr int kSetCount = 5;

// The stoppage clocks each wrestler is given.
enum Stoppage { Injury, Blood, Recovery, HeadNeck };
inline constexpr int kStoppageCount = 4;
// The activity period is shown where a stoppage clock is, by this number.
inline constexpr int kActivity = kStoppageCount;

struct Allowance {
    int seconds = 0;             // 0: the rule set has no such clock
    bool eachOccurrence = false; // full again each time, not used up over the bout
};

// The rounds of a bout, in the order the period field counts them from 1.
// The break between periods is no round of its own: it stands before the period after it.
enum class RoundKind { Period, SuddenVictory, Tiebreaker, UltimateTiebreaker, Break };
struct Round {
    RoundKind kind;
    int seconds;
};

// How a bout ends. A bout with no winner is a double forfeit. Stored by number: a new
// result comes last.
enum class Result {
    Decision,
    MajorDecision,
    TechnicalFall,
    Fall,
    Forfeit,
    Default,
    Disqualification,
    DoubleForfeit,
    TechnicalSuperiority
};
inline constexpr int kResultCount = 9;

// The moves the scoring keys name, scored for a wrestler or, for a call on one (a penalty,
// stalling, a caution), for the opponent. Stored by number: a new move comes last.
enum class Move {
    Takedown,
    Escape, // UWW: a step out
    Reversal,
    NearFall, // UWW: exposure
    Amplitude,
    Penalty,  // UWW: a caution, with the opponent's 1 or 2 points
    Stalling, // UWW: passivity
    Caution,
    RidingTime,
    // UWW: an activity period ordered on a wrestler (no points), or its point to the
    // opponent when it ran out with no score. No key: passivity and the clock give it.
    Activity
};
inline constexpr int kMoveCount = 10;

// What each move is worth under a rule set. A call's list gives the opponent's points call
// by call (0: a warning); the call after the last disqualifies. An empty list, or a 0 for a
// move, is a move the rule set lacks.
struct Scoring {
    int takedown, escape, reversal;
    std::span<const int> nearFall;  // more than one: the key takes a digit
    std::span<const int> amplitude; // the same
    std::span<const int> penalties;
    std::span<const int> stalling;
    int freeCautions; // then 1 each; -1: no cautions
    bool ridingTime;  // a point for a net minute at the end of regulation
    bool pointMarks;  // the scorebook marks a move by its points alone
    // UWW: a penalty is a caution worth one of these to the opponent (the key's digit); the
    // third disqualifies.
    std::span<const int> cautions;
    // UWW: passivity is a warning, then an activity period of this length each call.
    int activitySeconds;
};

struct Rules {
    Set set;
    const char *key;  // as stored: "NFHS"
    const char *name; // as the options show it
    std::array<Allowance, kStoppageCount> stoppage;
    std::span<const Round> rounds;
    std::span<const int> weights;    // the dual's weight classes, lightest first
    std::span<const Result> results; // a winner's results, as the result window lists them
    // The match points' margins the result window proposes from: a major decision (0:
    // none), and the technical result, a technical fall or superiority.
    int majorMargin;
    int technicalMargin;
    Result technical;
    Scoring scoring;
    // The break between the first period and the second, on the match clock (0: none).
    int breakSeconds;
    // International: a tie goes to the criteria, team points are typed, not given.
    bool international;
};

// One move scored, as the scorebook keeps it: the points, to whom, and its mark ("T3", "N2",
// "S" for a warning, "P-DQ" for a disqualification; UWW "2", "O1" a caution, "PW" a passivity
// warning, "AP" an activity period). A passivity call past the warning is kept as an
// activity period (`move`).
struct Scored {
    int points = 0;
    bool toOpponent = false;
    bool disqualifies = false;
    Move move = Move::Takedown;
    QString mark;
};
// The move under the rule set, with the digit typed after it (0 when its key takes none),
// as the wrestler's call number `call` (from 1) of its kind in the bout; nothing where the
// rule set lacks the move or that digit.
std::optional<Scored> Score(Set set, Move move, int digit, int call);
QString MarkOf(Set set, Move move, int points, bool disqualifies);
// Under a rule set that times riding: the period is regulation's last, the round starts a
// pair of tiebreakers (riding from nothing), riding time runs in it (not in sudden victory).
bool EndsRegulation(Set set, int period);
bool StartsRidingAfresh(Set set, int period);
bool RidingRuns(Set set, int period);
// The net riding time that earns its point at the end of regulation.
inline constexpr int kRidingTimeSeconds = 60;
// Its key takes a digit after the side.
bool TakesDigit(Set set, Move move);
// "Takedown", "Escape", ... as the operator reads them; "Step out", "Exposure", "Caution",
// "Passivity" under UWW.
QString MoveName(Set set, Move move);

const Rules &Of(Set set);
// A missing or unknown key reads as NFHS.
Set FromKey(const QString &key);
QString Key(Set set);

// The round the period field's number stands for; a number past the last (or below 1) is
// an ordinary period, of no set length.
Round RoundOf(Set set, int period);
// "SV", "TB", "UTB", "Break": the period's caption during overtime or the break; empty for
// a period.
QString RoundCaption(RoundKind kind);
// "Sudden victory", "Tiebreaker", "Ultimate tiebreaker", "Break"; "Period" for a period.
QString RoundName(RoundKind kind);
// As the feed names it: "period", "suddenVictory", "tiebreaker", "ultimateTiebreaker",
// "break".
QString RoundKey(RoundKind kind);
// The class after `weight` in the bout order: the lightest above it, from the heaviest (or a
// blank or 0 weight) round to the lightest.
int NextWeight(Set set, int weight);

// The team points a result gives its winner (none under UWW, whose meets count as typed).
int TeamPoints(Set set, Result result);
// The result the match points' margin proposes under the rule set: folkstyle under 8 a
// decision, 8 to 14 a major decision, 15 or more a technical fall; UWW a technical
// superiority from 10 (Greco-Roman 8).
Result ProposedResult(Set set, int margin);
// "Decision", "Major decision", ... "Double forfeit", "Technical superiority".
QString ResultName(Result result);
// As the feed names it: "decision", "major", "techFall", "fall", "forfeit", "default",
// "disqualification", "doubleForfeit", "techSuperiority".
QString ResultKey(Result result);

// "Injury", "Blood", "Recovery", "Head-neck"; "Activity" for the activity period.
QString StoppageName(int kind);
// As the feed names it: "injury", "blood", "recovery", "headNeck", "activity".
QString StoppageKey(int kind);

} // namespace RuleBook
