#include "clock/ActivityPeriod.h"

#include "clock/MatchSnapshot.h"

#include <algorithm>

bool ActivityPeriod::Start(int side, TimeValue length) {
    const bool sideChanged = m_side != side;
    m_side = side;
    m_clocks.Set(kSlot, length, false);
    return Show(length) || sideChanged;
}

void ActivityPeriod::Run(bool on) {
    if (m_side == 0 || on == m_clocks.Running(kSlot))
        return;
    if (on)
        m_clocks.Start(kSlot);
    else
        m_clocks.Stop(kSlot);
}

bool ActivityPeriod::Show(TimeValue value) {
    if (m_shown == value)
        return false;
    m_shown = value;
    return true;
}

bool ActivityPeriod::End() {
    m_clocks.Stop(kSlot);
    if (m_side == 0)
        return false;
    m_side = 0;
    return true;
}

void ActivityPeriod::Save(MatchSnapshot &s) const {
    s.activitySide = m_side;
    // The stored run, not a fresh reading: as of the last refresh.
    s.activitySet = m_side == 0 ? 0 : m_clocks.SetTime(kSlot);
    s.activityRun = m_side == 0 ? 0 : std::min(m_clocks.Run(kSlot), s.activitySet);
}

void ActivityPeriod::Restore(qint64 side, TimeValue set, TimeValue run) {
    m_clocks.Stop(kSlot);
    m_side = side == 1 || side == 2 ? int(side) : 0;
    m_clocks.Set(kSlot, set, false);
    m_clocks.SetRun(kSlot, run);
    m_shown = m_clocks.Value(kSlot);
}
