#pragma once
#include "clock/BoutResult.h"
#include "clock/MatchEdit.h"
#include "clock/ScoredMove.h"
#include "clock/Side.h"
#include "clock/TimeValue.h"
#include <QList>
#include <QMap>
#include <QString>
#include <array>
#include <optional>

// A fresh board's match clock, in whole seconds: 10:00.
inline constexpr qint32 kFreshClockSeconds = 600;
// The longest text a match keeps, in characters: room for any name.
inline constexpr int kLongestText = 255;
// Everything of a match that an operator would lose: what the journal keeps.
struct MatchSnapshot {
    // pledHomeScore, pledGuestScore, pledHomeMatch, pledGuestMatch, pledMatch, pledPeriod,
    // pledWeight, in this order; -1 is a blank field.
    std::array<qint32, 7> fields{0, 0, 0, 0, 0, 0, 0};
    TimeValue clockSet = fromSeconds(kFreshClockSeconds); // the match clock's set time
    TimeValue clockRun = 0;                               // match time run since it was set
    bool clockRunning = false;
    bool clockHasRun = false;
    TimeValue homeAd = 0; // time advantage totals
    TimeValue guestAd = 0;
    std::optional<Side> timeAd;                // who holds time advantage
    qint32 lastClockTime = kFreshClockSeconds; // whole seconds reset returns to
    qint16 shownAdSide = 1;                    // 1 home, 2 guest
    // The rule set of the bout (RuleBook::Set) and its stoppage clocks: what each wrestler
    // has used, home's four kinds then guest's; the clock shown (kind -1: none; side 1 home,
    // 2 guest), what was left at its start and what has run since.
    qint32 ruleSet = 0;
    std::array<TimeValue, 8> stoppageUsed{};
    qint32 stoppageKind = -1;
    qint32 stoppageSide = 0;
    bool stoppageRunning = false;
    TimeValue stoppageSet = 0;
    TimeValue stoppageRun = 0;
    // An international bout's activity period: its wrestler (0: none), length and what has
    // run; and whether the match clock times the break between periods.
    qint32 activitySide = 0;
    TimeValue activitySet = 0;
    TimeValue activityRun = 0;
    bool onBreak = false;
    // Each period's length as it was set when its clock first ran in this bout, by period
    // (0: a blank period); 0 where it has not run. A fall's time counts from them.
    std::array<qint32, 10> roundSeconds{};
    // The dual's bouts so far.
    QList<BoutResult> bouts;
    // Counts the bouts on the board, one more each next bout; a scorebook entry carries it.
    qint32 boutSerial = 0;
    // The scorebook of the dual's bouts, oldest first.
    QList<ScoredMove> moves;
    // The operator's actions undo can take back, oldest first, and those redo brings again,
    // the next one last.
    QList<MatchEdit> undoable;
    QList<MatchEdit> redoable;
    // Words the match keeps (names), by number; an empty text is not kept.
    QMap<quint16, QString> texts;
    bool operator==(const MatchSnapshot &) const = default;

    // The match as it resumes: every member as kept, every clock stopped, runs cut to whole
    // tenths (a clock's value up to the next whole tenth, never down), a running stoppage
    // clock charged where it stood, an activity period stopped with what was left.
    MatchSnapshot Resumed() const;
    // A stoppage clock of that kind and wrestler can be shown: a journal edited by hand may
    // pair a kind with no wrestler.
    static bool ShownStoppage(qint64 kind, qint64 side);
};
