#pragma once

#include <QString>
#include <optional>

// Number field arithmetic: what an entry makes of a field's value.
namespace modShowDigits {

// The value an entry gives a field that holds `current` (-1 blank), or nothing when the
// entry is refused or out of range. The clear key's character gives -1.
std::optional<qint32> EntryResult(qint32 current, const QString &entry, qint16 low, qint16 high);

// A sign-free or signed run of digits and nothing else.
bool ReadsAsNumber(const QString &text);

} // namespace modShowDigits
