// Clock accuracy over a real run: the match clock counts down on the real monotonic
// clock and the real 40 ms precise timer, and at every tick its reading is compared
// with the exact remaining time taken from the monotonic clock around the reading.
// Prints the largest difference beyond the tenth-of-a-second truncation, and the drift
// at the end.
#include "clock/Match.h"
#include "clock/TimeValue.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const double minutes = argc > 1 ? atof(argv[1]) : 10.0;
    const qint64 runMs = qint64(minutes * 60'000);
    using Clock = std::chrono::steady_clock;
    Match match;
    const TimeValue startValue = fromSeconds(3599);
    match.SetClock(startValue, 0, 0);
    match.StartClock(0);
    const auto t0 = Clock::now();
    qint64 ticks = 0;
    double worstMs = 0, lastErrorMs = 0, rawLow = 0, rawHigh = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(40);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const auto before = Clock::now();
        const TimeValue shown = match.ClockValue(0);
        const auto after = Clock::now();
        const double startMs = double(startValue) / kTimeUnit * 1000;
        const double shownMs = double(shown) / kTimeUnit * 1000;
        const auto exact = [&](Clock::time_point t) {
            return startMs - std::chrono::duration<double, std::milli>(t - t0).count();
        };
        // Both the start and the reading are cut to tenths, so a reading may stand up to
        // a tenth either side of the exact time; anything beyond that is an error.
        const double low = exact(after) - 100.0, high = exact(before) + 100.0;
        rawLow = std::min(rawLow, shownMs - exact(after));
        rawHigh = std::max(rawHigh, shownMs - exact(before));
        const double errorMs = shownMs < low    ? shownMs - low
                               : shownMs > high ? shownMs - high
                                                : 0.0;
        if (std::abs(errorMs) > std::abs(worstMs))
            worstMs = errorMs;
        lastErrorMs = shownMs - exact(after);
        const double elapsedMs = std::chrono::duration<double, std::milli>(after - t0).count();
        ++ticks;
        if (elapsedMs >= runMs)
            QCoreApplication::quit();
    });
    tick.start();
    app.exec();
    std::printf("clock accuracy over %.1f min, %lld ticks: largest difference beyond the "
                "tenth truncation %+.1f ms (readings %+.1f to %+.1f ms from the exact time); "
                "at the end %+.1f ms\n",
                minutes, ticks, worstMs, rawLow, rawHigh, lastErrorMs);
    return 0;
}
