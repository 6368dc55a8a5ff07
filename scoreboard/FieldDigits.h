#pragma once

#include "clock/TimeValue.h"
#include "led/DigitGroup.h"

// A field's value painted onto its digits: the match knows times and numbers, the board
// how they light.
namespace FieldDigits {

// A time onto a four-digit field and its dots; the match clock (the group "pledClock") and
// any other countdown show a started second as a whole one.
void ShowTime(TimeValue value, DigitGroup &digits, SeparatorDots &dots, bool countdown = false);
// A number onto a field's digits, element 0 the units; -1 blanks them all.
void ShowValue(DigitGroup &digits, qint32 value);

} // namespace FieldDigits
