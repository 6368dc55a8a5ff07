#pragma once

#include "clock/TimeValue.h"

#include <array>

// A match's clock slots: 0 the match clock (counts down), 1 and 2 the home and guest time
// advantage (count up), 3 the stoppage clock, 4 the activity period (count down). Each reads the
// time source while it runs; time advantage and the activity period count only while the match
// clock runs, never past its zero. A slot number outside them is ignored.
class ClockSlots {
public:
    static constexpr int kCount = 5;

    // Set to `value`, counting up from it or down to zero, stopped.
    void Set(int slot, TimeValue value, bool up);
    void Start(int slot);
    void Stop(int slot);
    bool Running(int slot) const;
    // What it reads now; a countdown that reaches zero stays there.
    TimeValue Value(int slot);
    TimeValue SetTime(int slot) const;
    // What has run since it was set, as of its last reading.
    TimeValue Run(int slot) const;
    // As if `run` had already run since it was set.
    void SetRun(int slot, TimeValue run);
    // A running countdown reaches zero on the source at `nowMs` or before.
    bool OutBy(int slot, qint64 nowMs) const;

private:
    struct Slot {
        TimeValue setTime = 0;
        TimeValue pastTime = 0;
        TimeValue runTime = 0;
        bool running = false;
        bool up = false;
        bool started = false;
        qint64 startMs = 0;
        // A running countdown's instant of reaching zero, on the time source.
        qint64 zeroMs = 0;
    };
    static bool valid(int slot) { return slot >= 0 && slot < kCount; }

    std::array<Slot, kCount> m_slots{};
};
