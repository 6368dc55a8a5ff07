#pragma once

#include "clock/ClockSlots.h"
#include "clock/TimeValue.h"

struct MatchSnapshot;

// An international bout's activity period: a passive wrestler's countdown, on its slot of the
// match's clocks, running only while the match clock does. It decides nothing: the match says
// when one starts, runs, stops or ends.
class ActivityPeriod {
public:
    static constexpr int kSlot = 4;

    explicit ActivityPeriod(ClockSlots &clocks) : m_clocks(clocks) {}

    // 0 when none is on; 1 home, 2 guest.
    int Side() const { return m_side; }
    bool Running() const { return m_side != 0 && m_clocks.Running(kSlot); }
    // What it read when last shown.
    TimeValue Shown() const { return m_shown; }
    // A new period for side, of `length`, stopped until Run(true). Each of these is false when
    // what a spectator sees stayed as it was.
    bool Start(int side, TimeValue length);
    // Runs or stops with the match clock; nothing while none is on.
    void Run(bool on);
    bool Show(TimeValue value);
    // None on any more.
    bool End();

    // As a snapshot keeps it, and back (stopped).
    void Save(MatchSnapshot &s) const;
    void Restore(qint64 side, TimeValue set, TimeValue run);

private:
    ClockSlots &m_clocks;
    int m_side = 0;
    TimeValue m_shown = 0;
};
