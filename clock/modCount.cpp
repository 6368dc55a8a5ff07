#include "clock/modCount.h"

#include "clock/SystemBeep.h"
#include "clock/TimeSource.h"
#include "settings/modGlobals.h"

#include <QStringList>
#include <array>
#include <cmath>

namespace modCount {

qint32 LastClockTime = 0;

namespace {

struct Slot {
    TimeValue setTime = 0;
    TimeValue pastTime = 0;
    TimeValue runTime = 0;
    qint16 on = 0;
    qint32 up = 0;
    bool started = false; // a start instant has been stamped
    qint64 startMs = 0;
};

std::array<Slot, kSlotCount> clockSlots;
std::array<QString, 2> clockTyped;

bool validSlot(qint16 slot) {
    return slot >= 0 && slot < kSlotCount;
}

qint64 floorDiv(qint64 a, qint64 b) {
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// Whole seconds between the two instants plus the difference of their tenths: both
// instants are taken to the tenth, as the board has always measured runs.
TimeValue runLength(qint64 startMs, qint64 nowMs) {
    const qint64 s = floorDiv(nowMs, 1000) - floorDiv(startMs, 1000);
    const qint64 a = (startMs - floorDiv(startMs, 1000) * 1000) / 100;
    const qint64 b = (nowMs - floorDiv(nowMs, 1000) * 1000) / 100;
    return fromSeconds(s) + fromTenths(b - a);
}

// The largest time the four positions can hold.
constexpr TimeValue kDisplayMax = fromSeconds(99 * 60 + 59);

} // namespace

void SetClock(TimeValue value, qint32 up, qint16 slot) {
    if (!validSlot(slot))
        return;
    Slot &s = clockSlots[slot];
    s.setTime = value;
    s.pastTime = 0;
    s.runTime = 0;
    StopClock(slot);
    s.up = up;
}

void StartClock(qint16 slot) {
    if (!validSlot(slot) || clockSlots[slot].on != 0)
        return;
    Slot &s = clockSlots[slot];
    s.startMs = TimeSource::nowMs();
    s.started = true;
    s.on = -1;
}

void StopClock(qint16 slot) {
    if (!validSlot(slot))
        return;
    Slot &s = clockSlots[slot];
    if (s.on == -1) {
        s.pastTime += s.runTime;
        s.on = 0;
    }
}

qint16 ClockRunning(qint16 slot) {
    if (!validSlot(slot)) {
        SystemBeep::beep();
        return 0;
    }
    return clockSlots[slot].on;
}

TimeValue ClockValue(qint16 slot) {
    if (!validSlot(slot))
        return 0;
    Slot &s = clockSlots[slot];
    const qint64 now = TimeSource::nowMs();
    if (s.started && s.on == -1)
        s.runTime = runLength(s.startMs, now);
    else
        s.runTime = 0;
    if (s.up == 0 && s.setTime - s.pastTime - s.runTime <= 0) {
        s.pastTime = s.setTime;
        return 0;
    }
    if (s.up != 0)
        return s.setTime + s.pastTime + s.runTime;
    return s.setTime - s.pastTime - s.runTime;
}

qint16 IntDivide(TimeValue a, TimeValue b) {
    return qint16(std::floor(double(a) / double(b)));
}

void ShowTime(TimeValue value, DigitGroup &digits, SeparatorDots &dots) {
    TimeValue v = value;
    if (v > fromTenths(599) && digits.name() == QLatin1String("pledClock"))
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

    dots.setDotColor(1, modGlobals::TextColor);

    std::array<int, 4> receive{};
    int receiving = 4;
    int secondsPosition = 3;
    if (shown > fromTenths(599)) {
        dots.setDotColor(0, modGlobals::TextColor);
        receive = {d1, d2, d3, d4};
    } else {
        dots.setDotColor(0, modGlobals::LEDBackColor);
        digits.setCaption(3, -1);
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
        digits.setCaption(i, show ? d : -1);
        leftShows = show;
    }
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
    if (seconds <= 59 && minutes <= 59) {
        SystemBeep::beep();
        return minutes * 60 + seconds;
    }
    return -1;
}

void ClockKeyPress(KeyCommands &commands, DigitGroup &digits, int key, qint32 limit, qint32 up,
                   qint16 slot, SeparatorDots &dots) {
    commands.AllKeyPress(key);

    if (digits.name() != clockTyped[1]) {
        clockTyped[0].clear();
        clockTyped[1] = digits.name();
    }

    if (key >= '0' && key <= '9') {
        clockTyped[0].append(QChar(key));
    } else if (key == '.') {
        clockTyped[0].append(QLatin1Char('.'));
    } else if (key == ' ') {
        clockTyped[0].clear();
    } else if (key == 13) {
        const qint32 e = TimeToSeconds(clockTyped[0]);
        if (e != -1 && e <= limit) {
            SetClock(fromSeconds(e), up, slot);
            LastClockTime = e;
            ShowTime(ClockValue(slot), digits, dots);
        }
        clockTyped[0].clear();
    }
}

QString TypedText() {
    return clockTyped[0];
}

void Reset() {
    clockSlots = {};
    clockTyped = {};
    LastClockTime = 0;
}

} // namespace modCount
