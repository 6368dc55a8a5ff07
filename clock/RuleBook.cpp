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
// The break between them is timed by typing it.
constexpr Round kUwwRounds[] = {{Period, 3 * kMinutes}, {Period, 3 * kMinutes}};

constexpr int kNfhsWeights[] = {106, 113, 120, 126, 132, 138, 144,
                                150, 157, 165, 175, 190, 215, 285};
constexpr int kNcaaWeights[] = {125, 133, 141, 149, 157, 165, 174, 184, 197, 285};
constexpr int kUwwWeights[] = {57, 61, 65, 70, 74, 79, 86, 92, 97, 125};

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
     {3, 1, 2, kFolkstyleNearFall, {}, kFolkstylePenalties, kFolkstyleStalling, 2, false, false}},
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
     {3, 1, 2, kNcaaNearFall, {}, kFolkstylePenalties, kFolkstyleStalling, 2, true, false}},
    {Set::UWW,
     "UWW",
     "International (UWW)",
     {{{0, false}, {4 * kMinutes, false}, {0, false}, {0, false}}},
     kUwwRounds,
     kUwwWeights,
     kUwwResults,
     0,
     10,
     TechnicalSuperiority,
     {2, 1, 1, kUwwExposure, kUwwAmplitude, {}, {}, -1, false, true}},
};

const char *const kStoppageNames[kStoppageCount] = {"Injury", "Blood", "Recovery", "Head-neck"};
const char *const kStoppageKeys[kStoppageCount] = {"injury", "blood", "recovery", "headNeck"};

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
    static const char *const kCaptions[] = {"", "SV", "TB", "UTB"};
    return QLatin1String(kCaptions[int(kind)]);
}

QString RoundName(RoundKind kind) {
    static const char *const kNames[] = {"Period", "Sudden victory", "Tiebreaker",
                                         "Ultimate tiebreaker"};
    return QLatin1String(kNames[int(kind)]);
}

QString RoundKey(RoundKind kind) {
    static const char *const kKeys[] = {"period", "suddenVictory", "tiebreaker",
                                        "ultimateTiebreaker"};
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
    return set == Set::UWW ? 0 : kPoints[int(result)];
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
           (move == Move::Amplitude && s.amplitude.size() > 1);
}

std::optional<Scored> Score(Set set, Move move, int digit, int call) {
    const Scoring &s = Of(set).scoring;
    Scored scored;
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
        known = called(s.penalties);
        break;
    case Move::Stalling:
        known = called(s.stalling);
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
    }
    if (!known)
        return std::nullopt;
    scored.mark = MarkOf(set, move, scored.points, scored.disqualifies);
    return scored;
}

QString MarkOf(Set set, Move move, int points, bool disqualifies) {
    static const char kLetters[kMoveCount + 1] = "TERNGPSCR";
    const QChar letter = QLatin1Char(kLetters[int(move)]);
    if (disqualifies)
        return letter + QStringLiteral("-DQ");
    if (move == Move::RidingTime)
        return QStringLiteral("RT");
    if (Of(set).scoring.pointMarks)
        return QString::number(points);
    return points == 0 ? QString(letter) : letter + QString::number(points);
}

QString MoveName(Set set, Move move) {
    const bool uww = set == Set::UWW;
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
        return QStringLiteral("Penalty");
    case Move::Stalling:
        return QStringLiteral("Stalling");
    case Move::Caution:
        return QStringLiteral("Caution");
    case Move::RidingTime:
        return QStringLiteral("Riding time");
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
