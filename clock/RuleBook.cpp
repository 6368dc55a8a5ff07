#include "clock/RuleBook.h"

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
     TechnicalFall},
    {Set::NCAA,
     "NCAA",
     "College (NCAA)",
     {{{90, false}, {5 * kMinutes, false}, {2 * kMinutes, false}, {0, false}}},
     kNcaaRounds,
     kNcaaWeights,
     kFolkstyleResults,
     8,
     15,
     TechnicalFall},
    {Set::UWW,
     "UWW",
     "International (UWW)",
     {{{0, false}, {4 * kMinutes, false}, {0, false}, {0, false}}},
     kUwwRounds,
     kUwwWeights,
     kUwwResults,
     0,
     10,
     TechnicalSuperiority},
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

QString StoppageName(int kind) {
    return QLatin1String(kStoppageNames[kind]);
}

QString StoppageKey(int kind) {
    return QLatin1String(kStoppageKeys[kind]);
}

} // namespace RuleBook
