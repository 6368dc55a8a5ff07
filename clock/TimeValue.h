#pragma once

#include <QtGlobal>

// Seconds as signed fixed point with four decimals: the stored integer is seconds x 10000.
// Clock values are whole tenths, so sums and differences stay exact.
using TimeValue = qint64;

constexpr TimeValue kTimeUnit = 10000;
constexpr TimeValue kTenth = kTimeUnit / 10;

constexpr TimeValue fromSeconds(qint64 seconds) {
    return seconds * kTimeUnit;
}
constexpr TimeValue fromTenths(qint64 tenths) {
    return tenths * kTenth;
}

// An instant of the time source (ms) as whole tenths, rounding down: runs are measured tenth
// to tenth.
constexpr qint64 floorTenth(qint64 ms) {
    return ms >= 0 || ms % 100 == 0 ? ms / 100 : ms / 100 - 1;
}
