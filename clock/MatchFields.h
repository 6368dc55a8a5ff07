#pragma once

#include "clock/TimeValue.h"

#include <QString>
#include <array>

// The board's nine fields as a spectator reads them, by Match::Field's numbers: the match
// clock and the time advantage as last shown, then seven numbers (-1 blank); with each
// field's name, its digits and the largest number typed entry takes.
class MatchFields {
public:
    static constexpr int kCount = 9;
    static constexpr int kFirstNumber = 2;
    static constexpr int kNumberCount = kCount - kFirstNumber;
    using Numbers = std::array<qint32, kNumberCount>;

    static QString Name(int field);
    // -1 when no field has that name.
    static int FromName(const QString &name);
    static int DigitCount(int field);
    static qint16 UpperLimit(int field);
    static bool IsNumber(int field) { return field >= kFirstNumber; }

    // -1 for a time field.
    qint32 Value(int field) const {
        return IsNumber(field) ? m_numbers[size_t(field - kFirstNumber)] : -1;
    }
    // 0 for a number field.
    TimeValue Shown(int field) const { return field == 0 ? m_clock : field == 1 ? m_timeAd : 0; }
    // "10:00", "59.9", "12", "": blanks left out.
    QString ShownText(int field) const;
    const Numbers &AllNumbers() const { return m_numbers; }
    // Each is false where the field read so already: a refresh that reads the same tells
    // nobody.
    bool Set(int field, qint32 value);
    bool Show(int field, TimeValue value);

private:
    Numbers m_numbers{};
    TimeValue m_clock = 0;
    TimeValue m_timeAd = 0;
};
