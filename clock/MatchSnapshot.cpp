#include "clock/MatchSnapshot.h"

#include "clock/RuleBook.h"

#include <algorithm>

namespace {

TimeValue tenthsDown(TimeValue value) {
    return value <= 0 ? 0 : value - value % kTenth;
}

TimeValue tenthsUp(TimeValue value) {
    return value <= 0 ? 0 : tenthsDown(value + kTenth - 1);
}

} // namespace

bool MatchSnapshot::ShownStoppage(qint64 kind, qint64 side) {
    return kind >= 0 && kind < RuleBook::kStoppageCount && (side == 1 || side == 2);
}

MatchSnapshot MatchSnapshot::Resumed() const {
    MatchSnapshot s = *this;
    s.clockSet = tenthsUp(clockSet);
    s.clockRun =
        s.clockSet - std::min(tenthsUp(clockSet - std::max<TimeValue>(clockRun, 0)), s.clockSet);
    s.clockRunning = false;
    s.homeAd = tenthsDown(homeAd);
    s.guestAd = tenthsDown(guestAd);
    s.shownAdSide = shownAdSide == 2 ? 2 : 1;
    s.ruleSet = std::clamp(ruleSet, 0, RuleBook::kSetCount - 1);
    s.stoppageSet = tenthsUp(stoppageSet);
    s.stoppageRun = std::min(tenthsDown(stoppageRun), s.stoppageSet);
    if (stoppageRunning && ShownStoppage(stoppageKind, stoppageSide)) {
        const RuleBook::Allowance allowance =
            RuleBook::Of(RuleBook::Set(s.ruleSet)).stoppage[stoppageKind];
        if (!allowance.eachOccurrence)
            s.stoppageUsed[size_t((stoppageSide - 1) * RuleBook::kStoppageCount + stoppageKind)] =
                std::max<TimeValue>(fromSeconds(allowance.seconds) - s.stoppageSet + s.stoppageRun,
                                    0);
    }
    s.stoppageRunning = false;
    s.activitySet = tenthsUp(activitySet);
    s.activityRun = std::min(tenthsDown(activityRun), s.activitySet);
    return s;
}
