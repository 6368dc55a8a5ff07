#include "clock/modCount.h"

#include <QStringList>
#include <cmath>

namespace modCount {

namespace {

qint64 floorDiv(qint64 a, qint64 b) {
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// The largest time the four positions can hold.
constexpr TimeValue kDisplayMax = fromSeconds(99 * 60 + 59);

} // namespace

// Whole seconds between the two instants plus the difference of their tenths: both
// instants are taken to the tenth, as the board has always measured runs.
TimeValue RunLength(qint64 startMs, qint64 nowMs) {
    const qint64 s = floorDiv(nowMs, 1000) - floorDiv(startMs, 1000);
    const qint64 a = (startMs - floorDiv(startMs, 1000) * 1000) / 100;
    const qint64 b = (nowMs - floorDiv(nowMs, 1000) * 1000) / 100;
    return fromSeconds(s) + fromTenths(b - a);
}

qint16 IntDivide(TimeValue a, TimeValue b) {
    return qint16(std::floor(double(a) / double(b)));
}

TimePicture TimeDigits(TimeValue value, bool matchClock) {
    TimeValue v = value;
    if (v > fromTenths(599) && matchClock)
        v += fromTenths(9);
    // Beyond 99:59 the display has no room: hold it there rather than wrap.
    if (v > kDisplayMax)
        v = kDisplayMax;
    const TimeValue shown = v;

    int d1 = 0, d2 = 0, d3 = 0, d4 = 0, d5 = 0;
    qint16 q = IntDivide(v, fromSeconds(600));
    if (q >= 1) {
        d1 = q;
        v -= fromSeconds(600) * q;
    }
    q = IntDivide(v, fromSeconds(60));
    if (q >= 1) {
        d2 = q;
        v -= fromSeconds(60) * q;
    }
    q = IntDivide(v, fromSeconds(10));
    if (q >= 1) {
        d3 = q;
        v -= fromSeconds(10) * q;
    }
    q = qint16(v / kTimeUnit);
    if (q >= 1) {
        d4 = q;
        v -= fromSeconds(q);
    }
    d5 = int(v / kTenth);

    TimePicture picture;
    std::array<int, 4> receive{};
    int receiving = 4;
    int secondsPosition = 3;
    if (shown > fromTenths(599)) {
        picture.colon = true;
        receive = {d1, d2, d3, d4};
    } else {
        picture.digits[3] = -1;
        receive = {d3, d4, d5, 0};
        receiving = 3;
        secondsPosition = 1;
    }

    bool leftShows = false;
    for (int i = 0; i < receiving; ++i) {
        const int d = receive[i];
        bool show;
        if (d > 0 || i == secondsPosition)
            show = true;
        else if (i == 0)
            show = false;
        else
            show = leftShows;
        picture.digits[i] = show ? d : -1;
        leftShows = show;
    }
    return picture;
}

QString TimeText(TimeValue value, bool matchClock) {
    const TimePicture p = TimeDigits(value, matchClock);
    QString text;
    for (int i = 0; i < 4; ++i) {
        if (i == 2 && !text.isEmpty())
            text += p.colon ? QLatin1Char(':') : QLatin1Char('.');
        if (p.digits[i] >= 0)
            text += QString::number(p.digits[i]);
    }
    return text;
}

qint32 TimeToSeconds(const QString &text) {
    if (text.size() > 8)
        return -1;
    for (const QChar c : text) {
        if (c != QLatin1Char('.') && (c < QLatin1Char('0') || c > QLatin1Char('9')))
            return -1;
    }
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() > 2)
        return -1;
    const qint32 minutes = parts.value(0).isEmpty() ? 0 : parts.value(0).toInt();
    const qint32 seconds = parts.value(1).isEmpty() ? 0 : parts.value(1).toInt();
    return seconds <= 59 && minutes <= 59 ? minutes * 60 + seconds : -1;
}

qint64 TenthsToChange(TimeValue value, TimeValue step, bool matchClock) {
    const TimePicture now = TimeDigits(value, matchClock);
    for (qint64 k = 1; k < 10; ++k) {
        const TimeValue next = value + step * k;
        if (next <= 0 || TimeDigits(next, matchClock).digits != now.digits)
            return k;
    }
    return 10;
}

} // namespace modCount
