#pragma once

#include "clock/KeyCommands.h"
#include "clock/TimeValue.h"
#include "led/DigitGroup.h"

#include <QString>

// The clock slots and the match clock's typed entry. Slot 0 is the match clock (counts
// down), slots 1 and 2 the home and guest time advantage (count up); 3 and 4 are spare.
namespace modCount {

inline constexpr int kSlotCount = 5;

// The last match time accepted from typed entry, in whole seconds; reset returns to it.
extern qint32 LastClockTime;

void SetClock(TimeValue value, qint32 up, qint16 slot);
void StartClock(qint16 slot);
void StopClock(qint16 slot);
qint16 ClockRunning(qint16 slot);
TimeValue ClockValue(qint16 slot);
void ShowTime(TimeValue value, DigitGroup &digits, SeparatorDots &dots);
qint16 IntDivide(TimeValue a, TimeValue b);

void ClockKeyPress(KeyCommands &commands, DigitGroup &digits, int key, qint32 limit, qint32 up,
                   qint16 slot, SeparatorDots &dots);
qint32 TimeToSeconds(const QString &text);

// The typed text so far, for tests and for the keystroke checks.
QString TypedText();

// Every slot and typed text back to the state at program start.
void Reset();

} // namespace modCount
