#include "clock/RuleBook.h"

#include <algorithm>

namespace RuleBook {

namespace {

constexpr int kMinutes = 60;

using enum RoundKind;
constexpr Round kNfhsRounds[] = {{Period, 2 * kMinutes},  {Period, 2 * kMinutes},
                                 {Period, 2 * kMinutes},  {SuddenVictory, kMinutes},
                                 {Tiebreaker, 30},        {Tiebreaker, 30},
                                 {UltimateTiebreaker, 30}};
constexpr Round kNcaaRounds[] = {
    {Period, 3 * kMinutes},        {Period, 2 * kMinutes}, {Period, 2 * kMinutes},
    {SuddenVictory, 2 * kMinutes}, {Tiebreaker, 30},       {Tiebreaker, 30},
    {SuddenVictory, kMinutes},     {Tiebreaker, 30},       {Tiebreaker, 30}};
// The break between them stands before the second (Rules::breakSeconds).
constexpr Round kUwwRounds[] = {{Period, 3 * kMinutes}, {Period, 3 * kMinutes}};

constexpr int kNfhsWeights[] = {106, 113, 120, 126, 132, 138, 144,
                                150, 157, 165, 175, 190, 215, 285};
constexpr int kNcaaWeights[] = {125, 133, 141, 149, 157, 165, 174, 184, 197, 285};
constexpr int kUwwWeights[] = {57, 61, 65, 70, 74, 79, 86, 92, 97, 125};
constexpr int kGrecoWeights[] = {55, 60, 63, 67, 72, 77, 82, 87, 97, 130};
constexpr int kWomenWeights[] = {50, 53, 55, 57, 59, 62, 65, 68, 72, 76};

using enum Result;
constexpr Result kFolkstyleResults[] = {Decision, MajorDecision, TechnicalFall,   Fall,
                                        Forfeit,  Default,       Disqualification};
constexpr Result kUwwResults[] = {Fall,    TechnicalSuperiority, Decision, Default,
                                  Forfeit, Disqualification};

constexpr int kFolkstyleNearFall[] = {2, 3, 4, 5};
constexpr int kNcaaNearFall[] = {2, 3, 4};
constexpr int kFolkstylePenalties[] = {1, 1, 2};
constexpr int kFolkstyleStalling[] = {0, 1, 1, 2};
constexpr int kUwwExposure[] = {2};
constexpr int kUwwAmplitude[] = {4, 5};
constexpr int kUwwCautions[] = {1, 2};
constexpr int kUwwActivitySeconds = 30;
constexpr int kUwwBreakSeconds = 30;

// Freestyle, Greco-Roman and women's wrestling score, stop and break alike.
constexpr Rules international(Set set, const char *key, const char *name,
                              std::span<const int> weights, int technicalMargin) {
    return {set,
            key,
            name,
            {{{0, false}, {4 * kMinutes, false}, {0, false}, {0, false}}},
            kUwwRounds,
            weights,
            kUwwResults,
            0,
            technicalMargin,
            TechnicalSuperiority,
            {2,
             1,
             1,
             kUwwExposure,
             kUwwAmplitude,
             {},
             {},
             -1,
             false,
             true,
             kUwwCautions,
             kUwwActivitySeconds},
            kUwwBreakSeconds,
            true};
}

const Rules kRules[kSetCount] = {
    {Set::NFHS,
     "NFHS",
     "High school (NFHS)",
     {{{90, false}, {5 * kMinutes, false}, {2 * kMinutes, false}, {5 * kMinutes, true}}},
     kNfhsRounds,
     kNfhsWeights,
     kFolkstyleResults,
     8,
     15,
     TechnicalFall,
     {3,
      1,
      2,
      kFolkstyleNearFall,
      {},
      kFolkstylePenalties,
      kFolkstyleStalling,
      2,
      false,
      false,
      {},
      0},
     0,
     false},
    {Set::NCAA,
     "NCAA",
     "College (NCAA)",
     {{{90, false}, {5 * kMinutes, false}, {2 * kMinutes, false}, {0, false}}},
     kNcaaRounds,
     kNcaaWeights,
     kFolkstyleResults,
     8,
     15,
     TechnicalFall,
     {3, 1, 2, kNcaaNearFall, {}, kFolkstylePenalties, kFolkstyleStalling, 2, true, false, {}, 0},
     0,
     false},
    international(Set::UWW, "UWW", "International (UWW)", kUwwWeights, 10),
    international(Set::UWWGR, "UWWGR", "Greco-Roman (UWW)", kGrecoWeights, 8),
    international(Set::UWWW, "UWWW", "Women's (UWW)", kWomenWeights, 10),
};

const char *const kStoppageNames[kActivity + 1] = {"Injury", "Blood", "Recovery", "Head-neck",
                                                   "Activity"};
const char *const kStoppageKeys[kActivity + 1] = {"injury", "blood", "recovery", "headNeck",
                                                  "activity"};

} // namespace

const Rules &Of(Set set) {
    return kRules[int(set)];
}

Set FromKey(const QString &key) {
    for (const Rules &r : kRules) {
        if (key == QLatin1String(r.key))
            return r.set;
    }
    return Set::NFHS;
}

QString Key(Set set) {
    return QLatin1String(Of(set).key);
}

Round RoundOf(Set set, int period) {
    const std::span<const Round> rounds = Of(set).rounds;
    if (period < 1 || period > int(rounds.size()))
        return {RoundKind::Period, 0};
    return rounds[size_t(period - 1)];
}

QString RoundCaption(RoundKind kind) {
    static const char *const kCaptions[] = {"", "SV", "TB", "UTB", "Break"};
    return QLatin1String(kCaptions[int(kind)]);
}

QString RoundName(RoundKind kind) {
    static const char *const kNames[] = {"Period", "Sudden victory", "Tiebreaker",
                                         "Ultimate tiebreaker", "Break"};
    return QLatin1String(kNames[int(kind)]);
}

QString RoundKey(RoundKind kind) {
    static const char *const kKeys[] = {"period", "suddenVictory", "tiebreaker",
                                        "ultimateTiebreaker", "break"};
    return QLatin1String(kKeys[int(kind)]);
}

int NextWeight(Set set, int weight) {
    const std::span<const int> weights = Of(set).weights;
    for (const int w : weights) {
        if (w > weight && weight > 0)
            return w;
    }
    return weights.front();
}

int TeamPoints(Set set, Result result) {
    static constexpr int kPoints[kResultCount] = {3, 4, 5, 6, 6, 6, 6, 0, 5};
    return Of(set).international ? 0 : kPoints[int(result)];
}

Result ProposedResult(Set set, int margin) {
    const Rules &rules = Of(set);
    if (margin >= rules.technicalMargin)
        return rules.technical;
    return rules.majorMargin > 0 && margin >= rules.majorMargin ? MajorDecision : Decision;
}

QString ResultName(Result result) {
    static const char *const kNames[kResultCount] = {
        "Decision",         "Major decision", "Technical fall",       "Fall", "Forfeit", "Default",
        "Disqualification", "Double forfeit", "Technical superiority"};
    return QLatin1String(kNames[int(result)]);
}

QString ResultKey(Result result) {
    static const char *const kKeys[kResultCount] = {
        "decision",         "major",         "techFall",       "fall", "forfeit", "default",
        "disqualification", "doubleForfeit", "techSuperiority"};
    return QLatin1String(kKeys[int(result)]);
}

bool EndsRegulation(Set set, int period) {
    return Of(set).scoring.ridingTime && RoundOf(set, period).kind == RoundKind::Period &&
           period >= 1 && RoundOf(set, period + 1).kind != RoundKind::Period;
}

bool StartsRidingAfresh(Set set, int period) {
    return Of(set).scoring.ridingTime && RoundOf(set, period).kind == RoundKind::Tiebreaker &&
           RoundOf(set, period - 1).kind != RoundKind::Tiebreaker;
}

bool RidingRuns(Set set, int period) {
    return !Of(set).scoring.ridingTime || RoundOf(set, period).kind != RoundKind::SuddenVictory;
}

bool TakesDigit(Set set, Move move) {
    const Scoring &s = Of(set).scoring;
    return (move == Move::NearFall && s.nearFall.size() > 1) ||
           (move == Move::Amplitude && s.amplitude.size() > 1) ||
           (move == Move::Penalty && s.cautions.size() > 1);
}

std::optional<Scored> Score(Set set, Move move, int digit, int call) {
    const Scoring &s = Of(set).scoring;
    Scored scored;
    scored.move = move;
    // One of the values a keyed move takes: the digit, or its only one.
    const auto valued = [&](std::span<const int> values) {
        if (values.empty() ||
            (values.size() > 1 && std::ranges::find(values, digit) == values.end()))
            return false;
        scored.points = values.size() > 1 ? digit : values.front();
        return true;
    };
    // A call: the opponent's points by the call's number, then a disqualification.
    const auto called = [&](std::span<const int> byCall) {
        if (byCall.empty() || call < 1)
            return false;
        scored.toOpponent = true;
        scored.disqualifies = call > int(byCall.size());
        scored.points = scored.disqualifies ? 0 : byCall[size_t(call - 1)];
        return true;
    };
    bool known = false;
    switch (move) {
    case Move::Takedown:
    case Move::Escape:
    case Move::Reversal:
        scored.points = move == Move::Takedown ? s.takedown
                        : move == Move::Escape ? s.escape
                                               : s.reversal;
        known = scored.points > 0;
        break;
    case Move::NearFall:
        known = valued(s.nearFall);
        break;
    case Move::Amplitude:
        known = valued(s.amplitude);
        break;
    case Move::Penalty:
        if (s.cautions.empty()) {
            known = called(s.penalties);
            break;
        }
        // A caution: its points by the digit, the third one's too; the third disqualifies.
        known = valued(s.cautions) && call >= 1;
        scored.toOpponent = true;
        scored.disqualifies = call >= 3;
        break;
    case Move::Stalling:
        if (s.activitySeconds == 0) {
            known = called(s.stalling);
            break;
        }
        // Passivity: a warning, then an activity period at each call.
        known = call >= 1;
        scored.toOpponent = true;
        if (call > 1)
            scored.move = Move::Activity;
        break;
    case Move::Caution:
        known = s.freeCautions >= 0 && call >= 1;
        scored.toOpponent = true;
        scored.points = call > s.freeCautions ? 1 : 0;
        break;
    case Move::RidingTime:
        known = s.ridingTime;
        scored.points = 1;
        break;
    case Move::Activity:
        // An activity period that ran out: the opponent's point.
        known = s.activitySeconds > 0;
        scored.toOpponent = true;
        scored.points = 1;
        break;
    }
    if (!known)
        return std::nullopt;
    scored.mark = MarkOf(set, scored.move, scored.points, scored.disqualifies);
    return scored;
}

QString MarkOf(Set set, Move move, int points, bool disqualifies) {
    static const char kLetters[kMoveCount + 1] = "TERNGPSCRA";
    const Scoring &s = Of(set).scoring;
    // International calls: a caution "O", passivity's warning "PW", an activity period "AP".
    const bool caution = move == Move::Penalty && !s.cautions.empty();
    const QChar letter = QLatin1Char(caution ? 'O' : kLetters[int(move)]);
    if (disqualifies)
        return letter + (caution ? QString::number(points) : QString()) + QStringLiteral("-DQ");
    if (move == Move::RidingTime)
        return QStringLiteral("RT");
    if (move == Move::Stalling && s.activitySeconds > 0)
        return QStringLiteral("PW");
    if (move == Move::Activity)
        return points == 0 ? QStringLiteral("AP") : QStringLiteral("AP%1").arg(points);
    if (caution)
        return letter + QString::number(points);
    if (s.pointMarks)
        return QString::number(points);
    return points == 0 ? QString(letter) : letter + QString::number(points);
}

QString MoveName(Set set, Move move) {
    const bool uww = Of(set).international;
    switch (move) {
    case Move::Takedown:
        return QStringLiteral("Takedown");
    case Move::Escape:
        return uww ? QStringLiteral("Step out") : QStringLiteral("Escape");
    case Move::Reversal:
        return QStringLiteral("Reversal");
    case Move::NearFall:
        return uww ? QStringLiteral("Exposure") : QStringLiteral("Near fall");
    case Move::Amplitude:
        return QStringLiteral("Grand amplitude");
    case Move::Penalty:
        return uww ? QStringLiteral("Caution") : QStringLiteral("Penalty");
    case Move::Stalling:
        return uww ? QStringLiteral("Passivity") : QStringLiteral("Stalling");
    case Move::Caution:
        return QStringLiteral("Caution");
    case Move::RidingTime:
        return QStringLiteral("Riding time");
    case Move::Activity:
        return QStringLiteral("Activity period");
    }
    return {};
}

QString StoppageName(int kind) {
    return QLatin1String(kStoppageNames[kind]);
}

QString StoppageKey(int kind) {
    return QLatin1String(kStoppageKeys[kind]);
}

} // namespace RuleBook
