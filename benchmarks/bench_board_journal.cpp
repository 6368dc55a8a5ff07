// The journal as the board runs it: a real board with its clock running and the home
// wrestler holding time advantage for a while (a minute unless told), on the real time.
// Prints the writes a running minute costs, the file's size, the time one write takes
// (median and longest), and how long the board's thread spent journaling at most.
// Usage: bench_board_journal [SECONDS [none]]; the journal goes into a fresh folder in the
// current one, so run it from a folder on the disk the board will use. With "none" the
// board runs without a journal: the tick's figures then show what the machine adds.
#include "journal/MatchJournal.h"
#include "scoreboard/BuzzerDevice.h"
#include "scoreboard/frmScoreboard.h"
#include "settings/modGlobals.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class SilentBuzzer : public BuzzerDevice {
public:
    void open() override {}
    void play() override {}
    void stop() override {}
    void rewind() override {}
    void close() override {}
};

double ms(qint64 ns) {
    return double(ns) / 1e6;
}

double quantile(std::vector<qint64> v, double q) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return ms(v[size_t(double(v.size() - 1) * q)]);
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(5, atoi(argv[1])) : 60;
    QTemporaryDir scratch(QDir::current().filePath(QStringLiteral("bench_board_journal-XXXXXX")));
    modGlobals::SetDefaults();
    modGlobals::BuzzerFile.clear();

    MatchJournal journal(scratch.path());
    if (!journal.acquire())
        return 1;
    auto board = new frmScoreboard(new SilentBuzzer());
    const bool journaled = !(argc > 2 && qstrcmp(argv[2], "none") == 0);
    if (journaled)
        board->SetJournal(&journal);
    board->show();

    std::vector<qint64> commits, snapshots, ticks;
    QObject::connect(&journal, &MatchJournal::written,
                     [&] { commits.push_back(journal.figures().lastCommitNs); });
    // What the board does on each write besides write() itself, timed beside it.
    QObject::connect(&board->match(), &Match::FieldChanged, [&](Match::Field f) {
        if (f != Match::pledClock)
            return;
        QElapsedTimer t;
        t.start();
        const MatchSnapshot s = board->match().Snapshot();
        snapshots.push_back(t.nsecsElapsed() + (s.clockRun & 0));
    });
    QElapsedTimer sinceTick;
    QObject::connect(&board->tmrClock1(), &QTimer::timeout, [&] {
        if (sinceTick.isValid())
            ticks.push_back(sinceTick.nsecsElapsed());
        sinceTick.start();
    });

    Match &m = board->match();
    MatchCommand c;
    c.kind = MatchCommand::Kind::SetTime;
    c.value = 59 * 60;
    m.apply(c);
    c.kind = MatchCommand::Kind::Advantage;
    c.side = Side::Home;
    m.apply(c);
    c.kind = MatchCommand::Kind::StartStop;
    m.apply(c);
    const MatchJournal::Figures atStart = journal.figures();
    // exit(), not quit(): quitting closes the board, which would ask about the meet.
    QTimer::singleShot(seconds * 1000, [] { QCoreApplication::exit(0); });
    QApplication::exec();
    m.apply(c);

    const MatchJournal::Figures f = journal.figures();
    const double minutes = seconds / 60.0;
    const qint64 handed =
        (f.writesAsked - f.writesSkipped) - (atStart.writesAsked - atStart.writesSkipped);
    std::printf("clock running %d s: %lld writes handed to the journal (%.1f a minute), %lld "
                "on disk, %lld merged\n",
                seconds, static_cast<long long>(handed), double(handed) / minutes,
                static_cast<long long>(f.writesDone - atStart.writesDone),
                static_cast<long long>(f.writesMerged));
    std::printf("journal file: %lld bytes\n", static_cast<long long>(f.fileBytes));
    std::printf("one write (encode, write in place or append, sync), %zu: median %.2f ms, "
                "longest %.2f ms\n",
                commits.size(), quantile(commits, 0.5), quantile(commits, 1.0));
    std::printf("board's thread: inside write() longest %.4f ms; taking a snapshot median "
                "%.4f ms, longest %.4f ms\n",
                ms(f.longestHoldNs), quantile(snapshots, 0.5), quantile(snapshots, 1.0));
    std::printf("refresh (due every 100 ms below a minute): median interval %.2f ms, longest "
                "%.2f ms\n",
                quantile(ticks, 0.5), quantile(ticks, 1.0));
    delete board;
    return 0;
}
