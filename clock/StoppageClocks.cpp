#include "clock/StoppageClocks.h"

#include "clock/MatchSnapshot.h"

#include <algorithm>

namespace {

size_t usedAt(int side, int kind) {
    return size_t((side - 1) * RuleBook::kStoppageCount + kind);
}

} // namespace

TimeValue StoppageClocks::Left(RuleBook::Set rules, int side, int kind) const {
    const RuleBook::Allowance allowance = RuleBook::Of(rules).stoppage[kind];
    if (allowance.seconds == 0)
        return -1;
    if (Running() && kind == m_kind && side == m_side)
        return m_shown;
    const TimeValue full = fromSeconds(allowance.seconds);
    if (allowance.eachOccurrence)
        return full;
    return std::max<TimeValue>(full - m_used[usedAt(side, kind)], 0);
}

bool StoppageClocks::Start(int kind, int side, TimeValue left) {
    m_kind = kind;
    m_side = side;
    m_clocks.Set(kSlot, left, false);
    m_clocks.Start(kSlot);
    return Show(m_clocks.Value(kSlot));
}

bool StoppageClocks::Stop(RuleBook::Set rules) {
    const TimeValue left = m_clocks.Value(kSlot);
    m_clocks.Stop(kSlot);
    const RuleBook::Allowance allowance = RuleBook::Of(rules).stoppage[m_kind];
    // A clock an undo brought back may have started under a longer allowance.
    const TimeValue full = fromSeconds(allowance.seconds);
    if (!allowance.eachOccurrence)
        m_used[usedAt(m_side, m_kind)] = std::clamp(full - left, TimeValue(0), full);
    return Show(left);
}

bool StoppageClocks::Show(TimeValue value) {
    if (m_shown == value)
        return false;
    m_shown = value;
    return true;
}

bool StoppageClocks::Hide() {
    if (m_kind < 0)
        return false;
    m_kind = -1;
    m_side = 0;
    return true;
}

void StoppageClocks::Clear() {
    m_clocks.Stop(kSlot);
    m_used = {};
    m_kind = -1;
    m_side = 0;
}

void StoppageClocks::Save(MatchSnapshot &s) const {
    s.stoppageUsed = m_used;
    s.stoppageKind = m_kind;
    s.stoppageSide = m_side;
    s.stoppageRunning = Running();
    // The stored run, not a fresh reading: as of the last refresh.
    s.stoppageSet = m_kind < 0 ? 0 : m_clocks.SetTime(kSlot);
    s.stoppageRun = m_kind < 0 ? 0 : std::min(m_clocks.Run(kSlot), s.stoppageSet);
}

void StoppageClocks::Restore(const std::array<TimeValue, 2 * RuleBook::kStoppageCount> &used,
                             qint64 kind, qint64 side, TimeValue set, TimeValue run, bool running) {
    m_used = used;
    const bool shown = MatchSnapshot::ShownStoppage(kind, side);
    m_kind = shown ? int(kind) : -1;
    m_side = shown ? int(side) : 0;
    m_clocks.Set(kSlot, set, false);
    m_clocks.SetRun(kSlot, run);
    if (running && shown)
        m_clocks.Start(kSlot);
    m_shown = m_clocks.Value(kSlot);
}
