// The refresh over a real run: a match clock set to MINUTES runs down to zero with the home
// wrestler's time advantage counting up, refreshed by the board's own `ClockTick` on the
// real clock. Each moment a field's digits change (the match announcing a value whose
// picture differs from the last) is compared with the instant that change belongs to: the first
// whole tenth of the time source at which the display arithmetic shows the new picture. A second
// match in the same process is refreshed the way the board used to be, by a 40 ms precise timer,
// for comparison. Prints the distribution of those delays for both, and the zero refresh's delay.
#include "clock/ClockTick.h"
#include "clock/Match.h"
#include "clock/TimeValue.h"
#include "clock/modCount.h"
#include "settings/modGlobals.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

// The time source's own clock, in nanoseconds.
qint64 nowNs() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

bool samePicture(const modCount::TimePicture &a, const modCount::TimePicture &b) {
    return a.digits == b.digits && a.colon == b.colon;
}

struct Run {
    explicit Run(const char *n) : name(n) {}
    const char *name;
    Match match;
    qint64 startTenthMs = 0; // the whole tenth the clocks started in
    TimeValue setTime = 0;
    std::vector<double> clockDelays, adDelays; // ms
    bool running = false;
    QString clockText, adText; // as last shown
    int lateByATenth = 0;      // changes that belong to an earlier tenth than the one they came in
    double zeroDelayMs = -1;

    // Shown values at a whole tenth of the source, by the display arithmetic alone.
    modCount::TimePicture clockAt(qint64 tenthMs) const {
        const TimeValue left = setTime - fromTenths((tenthMs - startTenthMs) / 100);
        return modCount::TimeDigits(std::max<TimeValue>(left, 0), true);
    }
    modCount::TimePicture adAt(qint64 tenthMs) const {
        return modCount::TimeDigits(fromTenths((tenthMs - startTenthMs) / 100), false);
    }

    void changed(Match::Field field) {
        const qint64 ns = nowNs();
        // The start shows the clock at once: that is the key's moment, not a refresh's.
        if (!running || (field != Match::pledClock && field != Match::pledTimeAd))
            return;
        const bool clock = field == Match::pledClock;
        // The value moves every tenth; the digits only when the picture does.
        QString &before = clock ? clockText : adText;
        const QString text = match.ShownText(field);
        if (text == before)
            return;
        before = text;
        const auto at = [&](qint64 ms) { return clock ? clockAt(ms) : adAt(ms); };
        // The latest tenth already begun, then back to the first that shows this picture.
        qint64 tenth = ns / 1'000'000 / 100 * 100;
        const modCount::TimePicture shown = at(tenth);
        int back = 0;
        while (tenth > startTenthMs && samePicture(at(tenth - 100), shown)) {
            tenth -= 100;
            ++back;
        }
        lateByATenth += back > 0;
        (clock ? clockDelays : adDelays).push_back(double(ns - tenth * 1'000'000) / 1e6);
    }

    void start(TimeValue clockTime) {
        setTime = clockTime;
        match.SetClock(clockTime, 0, 0);
        match.SetClock(0, 1, 1);
        match.SetClock(0, 1, 2);
        match.TimeAd = Side::Home;
        // Started well inside a tenth, so that the tenth it started in is known.
        while ((nowNs() / 1'000'000) % 100 > 80)
            ;
        startTenthMs = nowNs() / 1'000'000 / 100 * 100;
        QObject::connect(&match, &Match::FieldChanged, [this](Match::Field f) { changed(f); });
        QObject::connect(&match, &Match::BuzzerRequested, [this] {
            zeroDelayMs = double(nowNs() - (startTenthMs * 1'000'000 +
                                            qint64(setTime) * 1'000'000'000 / kTimeUnit)) /
                          1e6;
        });
        match.apply(MatchCommand{});
        clockText = match.ShownText(Match::pledClock);
        adText = match.ShownText(Match::pledTimeAd);
        running = true;
    }
};

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p / 100.0 * double(v.size())))];
}

void report(const Run &run) {
    std::printf("%s:\n", run.name);
    for (const auto &[what, delays] :
         {std::pair{"match clock", &run.clockDelays}, std::pair{"time advantage", &run.adDelays}}) {
        std::printf("  %-14s %5zu changes, shown after their instant by: min %.2f, median "
                    "%.2f, 90%% %.2f, 99%% %.2f, max %.2f ms\n",
                    what, delays->size(), percentile(*delays, 0), percentile(*delays, 50),
                    percentile(*delays, 90), percentile(*delays, 99), percentile(*delays, 100));
    }
    std::printf("  changes that came a tenth or more late: %d\n", run.lateByATenth);
    std::printf("  zero refresh: %.2f ms after the clock reached zero\n", run.zeroDelayMs);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const double minutes = argc > 1 ? atof(argv[1]) : 10.0;
    const TimeValue clockTime = fromTenths(qint64(minutes * 600));

    Run refreshed("refresh on the display's changes (ClockTick)");
    ClockTick tick(refreshed.match);
    Run fixed("refresh every 40 ms (the earlier tick)");
    QTimer every40;
    every40.setTimerType(Qt::PreciseTimer);
    QObject::connect(&every40, &QTimer::timeout, [&] { fixed.match.UpdateClocks(); });
    QObject::connect(&fixed.match, &Match::TickChanged, [&](bool on) {
        if (on)
            every40.start(40);
        else
            every40.stop();
    });

    int running = 2;
    for (Match *m : {&refreshed.match, &fixed.match}) {
        QObject::connect(m, &Match::TickChanged, [&](bool on) {
            if (!on && --running == 0)
                QCoreApplication::quit();
        });
    }
    refreshed.start(clockTime);
    fixed.start(clockTime);
    app.exec();

    std::printf("refresh timing over a %.1f min real run, clock from %.1f min to zero, time "
                "advantage running:\n",
                minutes, minutes);
    report(refreshed);
    report(fixed);
    return 0;
}
