#include "clock/MatchFields.h"

#include "clock/modCount.h"

namespace {

struct FieldInfo {
    const char *name;
    int digits;
    qint16 high;
};

// Upper limits of typed entry; every number field's lower limit is the blank value -1.
constexpr FieldInfo kFields[MatchFields::kCount] = {
    {"pledClock", 4, 0},        {"pledTimeAd", 4, 0},     {"pledHomeScore", 3, 199},
    {"pledGuestScore", 3, 199}, {"pledHomeMatch", 2, 99}, {"pledGuestMatch", 2, 99},
    {"pledMatch", 3, 999},      {"pledPeriod", 1, 9},     {"pledWeight", 3, 999},
};

} // namespace

QString MatchFields::Name(int field) {
    return QLatin1String(kFields[field].name);
}

int MatchFields::FromName(const QString &name) {
    for (int i = 0; i < kCount; ++i) {
        if (name == QLatin1String(kFields[i].name))
            return i;
    }
    return -1;
}

int MatchFields::DigitCount(int field) {
    return kFields[field].digits;
}

qint16 MatchFields::UpperLimit(int field) {
    return kFields[field].high;
}

QString MatchFields::ShownText(int field) const {
    if (IsNumber(field)) {
        const qint32 v = Value(field);
        return v < 0 ? QString() : QString::number(v);
    }
    return modCount::TimeText(Shown(field), field == 0);
}

bool MatchFields::Set(int field, qint32 value) {
    qint32 &number = m_numbers[size_t(field - kFirstNumber)];
    if (number == value)
        return false;
    number = value;
    return true;
}

bool MatchFields::Show(int field, TimeValue value) {
    TimeValue &shown = field == 0 ? m_clock : m_timeAd;
    if (shown == value)
        return false;
    shown = value;
    return true;
}
