// How a view best follows the match on each refresh: the match's per-field signal, sent
// only for a field whose value changed, with the view reading that field; or one "changed"
// notice per refresh after which the view reads all nine fields and compares them with
// what it shows. Runs the match on a stepped source (every tenth below a minute, time
// advantage running, as the busiest refreshes are) and prints nanoseconds per refresh.
#include "clock/Match.h"
#include "clock/TimeSource.h"
#include "settings/modGlobals.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <array>
#include <cstdio>

namespace {

constexpr int kRefreshes = 200'000;

// A view's copy of what it shows.
struct View {
    std::array<QString, Match::kFieldCount> shown;
    qint64 repaints = 0;
    void take(const Match &m, Match::Field f) {
        QString text = m.ShownText(f);
        if (text != shown[f]) {
            shown[f] = std::move(text);
            ++repaints;
        }
    }
};

double run(bool perField, qint64 *repaints) {
    qint64 now = 1'000'000;
    TimeSource::install([&now] { return now; });
    Match match;
    View view;
    match.SetClock(fromSeconds(59), 0, 0);
    match.SetClock(0, 1, 1);
    match.SetClock(0, 1, 2);
    match.TimeAd = Side::Home;
    if (perField) {
        QObject::connect(&match, &Match::FieldChanged,
                         [&](Match::Field f) { view.take(match, f); });
    }
    match.apply(MatchCommand{});
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kRefreshes; ++i) {
        // Round and round below a minute: the clock is set back without a signal.
        if (i % 500 == 0) {
            match.StopClock(0);
            match.SetClock(fromSeconds(59), 0, 0);
            match.StartClock(0);
        }
        now += 100;
        match.UpdateClocks();
        if (!perField) {
            for (int f = 0; f < Match::kFieldCount; ++f)
                view.take(match, Match::Field(f));
        }
    }
    const double ns = double(timer.nsecsElapsed()) / kRefreshes;
    TimeSource::reset();
    *repaints = view.repaints;
    return ns;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    for (int round = 0; round < 3; ++round) {
        qint64 a = 0, b = 0;
        const double perField = run(true, &a);
        const double changed = run(false, &b);
        std::printf("refresh with the view following: per-field signals %.0f ns, one notice "
                    "and nine getters %.0f ns (%lld and %lld changes seen)\n",
                    perField, changed, static_cast<long long>(a), static_cast<long long>(b));
    }
    return 0;
}
