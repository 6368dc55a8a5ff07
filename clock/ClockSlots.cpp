#include "clock/ClockSlots.h"

#include "clock/TimeSource.h"
#include "clock/modCount.h"

#include <algorithm>

void ClockSlots::Set(int slot, TimeValue value, bool up) {
    if (!valid(slot))
        return;
    Stop(slot);
    Slot &s = m_slots[slot];
    s.setTime = value;
    s.pastTime = 0;
    s.runTime = 0;
    s.up = up;
}

void ClockSlots::Start(int slot) {
    if (!valid(slot) || m_slots[slot].running)
        return;
    Slot &s = m_slots[slot];
    s.startMs = TimeSource::nowMs();
    s.started = true;
    s.running = true;
    if (!s.up) {
        // Runs are measured tenth to tenth, so zero falls on a whole tenth of the source.
        const TimeValue left = std::max<TimeValue>(s.setTime - s.pastTime, 0);
        s.zeroMs = (floorTenth(s.startMs) + (left + kTenth - 1) / kTenth) * 100;
    }
}

void ClockSlots::Stop(int slot) {
    if (!valid(slot))
        return;
    Slot &s = m_slots[slot];
    if (s.running) {
        s.pastTime += s.runTime;
        s.running = false;
    }
}

bool ClockSlots::Running(int slot) const {
    return valid(slot) && m_slots[slot].running;
}

TimeValue ClockSlots::Value(int slot) {
    if (!valid(slot))
        return 0;
    qint64 now = TimeSource::nowMs();
    // Time advantage and the activity period count only while the match clock runs: not
    // past its zero, however late the refresh that finds it there (a laptop asleep across
    // it, a key just after).
    const Slot &match = m_slots[0];
    if ((slot == 1 || slot == 2 || slot == 4) && match.started && match.running && !match.up)
        now = std::min(now, match.zeroMs);
    Slot &s = m_slots[slot];
    if (s.started && s.running)
        s.runTime = std::max<TimeValue>(modCount::RunLength(s.startMs, now), 0);
    else
        s.runTime = 0;
    if (!s.up && s.setTime - s.pastTime - s.runTime <= 0) {
        s.pastTime = s.setTime;
        return 0;
    }
    return s.up ? s.setTime + s.pastTime + s.runTime : s.setTime - s.pastTime - s.runTime;
}

TimeValue ClockSlots::SetTime(int slot) const {
    return valid(slot) ? m_slots[slot].setTime : 0;
}

TimeValue ClockSlots::Run(int slot) const {
    if (!valid(slot))
        return 0;
    const Slot &s = m_slots[slot];
    return s.pastTime + (s.running ? s.runTime : 0);
}

void ClockSlots::SetRun(int slot, TimeValue run) {
    if (valid(slot) && !m_slots[slot].running)
        m_slots[slot].pastTime = run;
}

bool ClockSlots::OutBy(int slot, qint64 nowMs) const {
    if (!valid(slot))
        return false;
    const Slot &s = m_slots[slot];
    return s.running && !s.up && nowMs >= s.zeroMs;
}
