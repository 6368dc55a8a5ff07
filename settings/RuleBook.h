#pragma once

#include <QString>
#include <array>

// The rules a meet is run under: every figure the board times or counts by, in one table.
namespace RuleBook {

enum class Set { NFHS, NCAA, UWW };
inline constexpr int kSetCount = 3;

// The stoppage clocks each wrestler is given.
enum Stoppage { Injury, Blood, Recovery, HeadNeck };
inline constexpr int kStoppageCount = 4;

struct Allowance {
    int seconds = 0;             // 0: the rule set has no such clock
    bool eachOccurrence = false; // full again each time, not used up over the bout
};

struct Rules {
    Set set;
    const char *key;  // as stored: "NFHS"
    const char *name; // as the options show it
    std::array<Allowance, kStoppageCount> stoppage;
};

const Rules &Of(Set set);
// A missing or unknown key reads as NFHS.
Set FromKey(const QString &key);
QString Key(Set set);

// "Injury", "Blood", "Recovery", "Head-neck".
QString StoppageName(int kind);
// As the feed names it: "injury", "blood", "recovery", "headNeck".
QString StoppageKey(int kind);

} // namespace RuleBook
