#include "clock/MatchMembers.h"

#include "clock/MatchSnapshot.h"

namespace MatchMembers {

qint64 get(const MatchSnapshot &s, int id) {
    if (id < kFieldMembers)
        return s.fields[size_t(id)];
    if (isStoppageUsed(id))
        return s.stoppageUsed[size_t(id - kStoppageUsed)];
    if (isRoundSeconds(id))
        return s.roundSeconds[size_t(id - kRoundSeconds)];
    switch (id) {
    case kClockSet:
        return s.clockSet;
    case kClockRun:
        return s.clockRun;
    case kClockRunning:
        return s.clockRunning;
    case kClockHasRun:
        return s.clockHasRun;
    case kHomeAd:
        return s.homeAd;
    case kGuestAd:
        return s.guestAd;
    case kTimeAd:
        return holderNumber(s.timeAd);
    case kBoutSerial:
        return s.boutSerial;
    case kLastClockTime:
        return s.lastClockTime;
    case kShownAdSide:
        return s.shownAdSide;
    case kRuleSet:
        return s.ruleSet;
    case kStoppageKind:
        return s.stoppageKind;
    case kStoppageSide:
        return s.stoppageSide;
    case kStoppageRunning:
        return s.stoppageRunning;
    case kStoppageSet:
        return s.stoppageSet;
    case kActivitySide:
        return s.activitySide;
    case kActivitySet:
        return s.activitySet;
    case kActivityRun:
        return s.activityRun;
    case kBreak:
        return s.onBreak;
    default:
        return s.stoppageRun;
    }
}

void set(MatchSnapshot &s, int id, qint64 v) {
    if (id < kFieldMembers) {
        s.fields[size_t(id)] = qint32(v);
        return;
    }
    if (isStoppageUsed(id)) {
        s.stoppageUsed[size_t(id - kStoppageUsed)] = v;
        return;
    }
    if (isRoundSeconds(id)) {
        s.roundSeconds[size_t(id - kRoundSeconds)] = qint32(v);
        return;
    }
    switch (id) {
    case kClockSet:
        s.clockSet = v;
        break;
    case kClockRun:
        s.clockRun = v;
        break;
    case kClockRunning:
        s.clockRunning = v;
        break;
    case kClockHasRun:
        s.clockHasRun = v;
        break;
    case kHomeAd:
        s.homeAd = v;
        break;
    case kGuestAd:
        s.guestAd = v;
        break;
    case kTimeAd:
        s.timeAd = holderOf(v);
        break;
    case kBoutSerial:
        s.boutSerial = qint32(v);
        break;
    case kLastClockTime:
        s.lastClockTime = qint32(v);
        break;
    case kShownAdSide:
        s.shownAdSide = qint16(v);
        break;
    case kRuleSet:
        s.ruleSet = qint32(v);
        break;
    case kStoppageKind:
        s.stoppageKind = qint32(v);
        break;
    case kStoppageSide:
        s.stoppageSide = qint32(v);
        break;
    case kStoppageRunning:
        s.stoppageRunning = v;
        break;
    case kStoppageSet:
        s.stoppageSet = v;
        break;
    case kActivitySide:
        s.activitySide = qint32(v);
        break;
    case kActivitySet:
        s.activitySet = v;
        break;
    case kActivityRun:
        s.activityRun = v;
        break;
    case kBreak:
        s.onBreak = v;
        break;
    default:
        s.stoppageRun = v;
        break;
    }
}

} // namespace MatchMembers
