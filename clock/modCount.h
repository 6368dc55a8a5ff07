#pragma once

#include "clock/TimeValue.h"

#include <QString>
#include <array>

// Clock arithmetic and the picture of a time on a four-digit field. The clock slots
// themselves belong to a match (`Match`).
namespace modCount {

// What a four-position time field shows: each position 0-9 or -1 (blank), and whether
// the upper dot lights to make a colon (minutes and seconds) or only the lower one
// (seconds and tenths).
struct TimePicture {
    std::array<int, 4> digits{};
    bool colon = false;
};

// The match clock counts a started second as a whole one while it shows minutes.
TimePicture TimeDigits(TimeValue value, bool matchClock);
// Those digits as a spectator reads them, blanks left out: "10:00", "59.9".
QString TimeText(TimeValue value, bool matchClock);
qint16 IntDivide(TimeValue a, TimeValue b);
// Whole seconds of a typed time ("25.3" is 25:03), or -1 when the text is no time.
qint32 TimeToSeconds(const QString &text);
// Tenths until a time field showing `value` and moving by `step` a tenth shows other digits:
// one below a minute, up to ten above it. Zero counts as a change, since it stops the clock.
qint64 TenthsToChange(TimeValue value, TimeValue step, bool matchClock);
// The run length between two instants in milliseconds, both taken to the tenth.
TimeValue RunLength(qint64 startMs, qint64 nowMs);

} // namespace modCount
