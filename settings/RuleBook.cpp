#include "settings/RuleBook.h"

namespace RuleBook {

namespace {

constexpr int kMinutes = 60;

const Rules kRules[kSetCount] = {
    {Set::NFHS,
     "NFHS",
     "High school (NFHS)",
     {{{90, false}, {5 * kMinutes, false}, {2 * kMinutes, false}, {5 * kMinutes, true}}}},
    {Set::NCAA,
     "NCAA",
     "College (NCAA)",
     {{{90, false}, {5 * kMinutes, false}, {2 * kMinutes, false}, {0, false}}}},
    {Set::UWW,
     "UWW",
     "International (UWW)",
     {{{0, false}, {4 * kMinutes, false}, {0, false}, {0, false}}}},
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

QString StoppageName(int kind) {
    return QLatin1String(kStoppageNames[kind]);
}

QString StoppageKey(int kind) {
    return QLatin1String(kStoppageKeys[kind]);
}

} // namespace RuleBook
