#pragma once

#include "clock/KeyCommands.h"
#include "led/DigitGroup.h"

#include <QString>

// Typed entry for the number fields. A field's value lives only in the digits it shows.
namespace modShowDigits {

void DigitKeyPress(KeyCommands &commands, DigitGroup &digits, int key, qint16 low, qint16 high);
void ShowDigits(DigitGroup &digits, const QString &entry, qint16 low, qint16 high);

// The field's number as its showing digits spell it; empty when all are blank.
QString FieldText(const DigitGroup &digits);

QString TypedText();
void Reset();

} // namespace modShowDigits
