#pragma once

#include "clock/ClockSlots.h"
#include "clock/RuleBook.h"
#include "clock/TimeValue.h"

#include <array>

struct MatchSnapshot;

// A bout's stoppage clocks (injury, blood, recovery, head-neck; RuleBook::Stoppage): what each
// wrestler has used of each allowance, and the one clock shown, on its slot of the match's
// clocks. It decides nothing: the match says when a clock starts, stops or goes out of sight.
class StoppageClocks {
public:
    static constexpr int kSlot = 3;

    explicit StoppageClocks(ClockSlots &clocks) : m_clocks(clocks) {}

    // -1 when none is shown; side 1 home, 2 guest.
    int Kind() const { return m_kind; }
    int Side() const { return m_side; }
    bool Running() const { return m_clocks.Running(kSlot); }
    // What the shown clock reads, as of the last time it was shown.
    TimeValue Shown() const { return m_shown; }
    // What is left of a wrestler's allowance (the full one for a clock given anew each time;
    // the running one's as it reads); -1 when the rule set has no such clock.
    TimeValue Left(RuleBook::Set rules, int side, int kind) const;
    // The clock of that kind for that wrestler, from left, running and shown. Each of these
    // is false when what a spectator sees stayed as it was.
    bool Start(int kind, int side, TimeValue left);
    // Stopped where it reads, its wrestler's allowance charged with what ran.
    bool Stop(RuleBook::Set rules);
    bool Show(TimeValue value);
    bool Hide();
    // Every allowance full, no clock running or shown.
    void Clear();

    // As a snapshot keeps them, and back.
    void Save(MatchSnapshot &s) const;
    void Restore(const std::array<TimeValue, 2 * RuleBook::kStoppageCount> &used, qint64 kind,
                 qint64 side, TimeValue set, TimeValue run, bool running);

private:
    ClockSlots &m_clocks;
    std::array<TimeValue, 2 * RuleBook::kStoppageCount> m_used{}; // home's kinds, then guest's
    int m_kind = -1;
    int m_side = 0;
    TimeValue m_shown = 0;
};
