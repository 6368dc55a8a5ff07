#pragma once

#include "clock/Side.h"

#include <QtGlobal>
#include <optional>

struct MatchSnapshot;

// A match's members by number, as the meet's log and the undo history name them: numbers
// are never reused, and new ones come last. A clock's members stand together.
namespace MatchMembers {

// The seven number fields first, pledHomeScore to pledWeight.
inline constexpr int kFieldMembers = 7;
enum Id : quint8 {
    kClockSet = kFieldMembers,
    kClockRun,
    kClockRunning,
    kClockHasRun,
    kHomeAd,
    kGuestAd,
    kTimeAd,
    kLastClockTime,
    kShownAdSide,
    kRuleSet,
    kStoppageUsed, // eight: home's four kinds, then guest's
    kStoppageKind = kStoppageUsed + 8,
    kStoppageSide,
    kStoppageRunning,
    kStoppageSet,
    kStoppageRun,
    kRoundSeconds, // ten: the period's length as it first ran, by period (0: a blank period)
    kBoutSerial = kRoundSeconds + 10,
    kActivitySide, // the activity period: its wrestler (0 none), length and run
    kActivitySet,
    kActivityRun,
    kBreak, // the break between periods is on the match clock
    kCount,
};

// Who holds time advantage, as the log and the history number it (the codes of the arrow
// keys that once handed it over; 0, before any, is nobody too).
inline constexpr qint64 kHomeHolds = 37, kNobodyHolds = 38, kGuestHolds = 39;

constexpr bool isStoppageUsed(int id) {
    return id >= kStoppageUsed && id < kStoppageKind;
}
constexpr bool isRoundSeconds(int id) {
    return id >= kRoundSeconds && id < kBoutSerial;
}

constexpr qint64 holderNumber(std::optional<Side> holder) {
    return !holder ? kNobodyHolds : *holder == Side::Home ? kHomeHolds : kGuestHolds;
}
constexpr std::optional<Side> holderOf(qint64 number) {
    if (number == kHomeHolds)
        return Side::Home;
    if (number == kGuestHolds)
        return Side::Guest;
    return std::nullopt;
}

qint64 get(const MatchSnapshot &s, int id);
void set(MatchSnapshot &s, int id, qint64 v);

} // namespace MatchMembers
