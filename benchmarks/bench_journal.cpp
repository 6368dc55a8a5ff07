// The match journal's costs on this machine's disk: the time one write takes (median and
// longest of many, one after another), the longest the caller's thread is held inside
// write() while the writing thread commits beside it, and the file's size.
// Usage: bench_journal [FOLDER] [WRITES]; FOLDER defaults to a fresh one in the current
// folder, so run it from a folder on the disk the board will use.
#include "journal/MatchJournal.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

MatchSnapshot numbered(qint64 n) {
    MatchSnapshot s;
    s.fields = {int(n % 200), 17, 4, 11, 12, 3, 157};
    s.clockRun = fromTenths(n);
    s.clockRunning = true;
    s.clockHasRun = true;
    s.homeAd = fromTenths(n / 3);
    s.timeAd = Side::Home;
    return s;
}

double ms(qint64 ns) {
    return double(ns) / 1e6;
}

double quantile(std::vector<qint64> v, double q) {
    std::sort(v.begin(), v.end());
    return ms(v[size_t(double(v.size() - 1) * q)]);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir scratch(QDir::current().filePath(QStringLiteral("bench_journal-XXXXXX")));
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : scratch.path();
    const int writes = argc > 2 ? std::max(10, atoi(argv[2])) : 300;

    MatchJournal journal(folder);
    if (!journal.acquire()) {
        std::fprintf(stderr, "another copy holds the journal in %s\n", qPrintable(folder));
        return 1;
    }
    QString failure;
    QObject::connect(&journal, &MatchJournal::writeFailed, [&](const QString &why) {
        failure = why;
        QCoreApplication::quit();
    });

    // One write at a time: each waits for the one before to reach the disk.
    std::vector<qint64> commits, firstHolds;
    qint64 n = 0;
    QObject::connect(&journal, &MatchJournal::written, [&] {
        commits.push_back(journal.figures().lastCommitNs);
        if (int(commits.size()) == writes)
            QCoreApplication::quit();
        else {
            const MatchSnapshot next = numbered(++n);
            QElapsedTimer t;
            t.start();
            journal.write(next);
            firstHolds.push_back(t.nsecsElapsed());
        }
    });
    journal.write(numbered(++n));
    app.exec();
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "writes fail: %s\n", qPrintable(failure));
        return 1;
    }
    std::printf("journal in %s: %lld bytes\n", qPrintable(folder),
                static_cast<long long>(journal.figures().fileBytes));
    std::printf("caller's thread inside write() in that run: longest %.4f ms, after the first "
                "%.4f ms (at call %d)\n",
                ms(journal.figures().longestHoldNs), quantile(firstHolds, 1.0),
                int(std::max_element(firstHolds.begin(), firstHolds.end()) - firstHolds.begin()) +
                    2);
    std::printf("one write (encode, append, sync), %d in a row: median "
                "%.2f ms, 90%% %.2f ms, longest %.2f ms\n",
                writes, quantile(commits, 0.5), quantile(commits, 0.9), quantile(commits, 1.0));

    // The board's side: a write on every 40 ms tick is far above once a second; here
    // one every millisecond, so most calls land while a commit is in progress.
    QObject::disconnect(&journal, &MatchJournal::written, nullptr, nullptr);
    const MatchJournal::Figures before = journal.figures();
    std::vector<qint64> holds, control, stamps;
    const int calls = writes * 20;
    QTimer pace;
    pace.setTimerType(Qt::PreciseTimer);
    pace.setInterval(1);
    QObject::connect(&pace, &QTimer::timeout, [&] {
        const MatchSnapshot next = numbered(++n);
        QElapsedTimer t;
        t.start();
        journal.write(next);
        holds.push_back(t.nsecsElapsed());
        // The same kind of work without the journal: what the machine itself adds.
        t.restart();
        const MatchSnapshot copy = numbered(n);
        stamps.push_back(QDateTime::currentDateTimeUtc().toMSecsSinceEpoch() + copy.clockRun);
        control.push_back(t.nsecsElapsed());
        if (int(holds.size()) == calls)
            QCoreApplication::quit();
    });
    pace.start();
    app.exec();
    pace.stop();
    // Let the last commit finish so the counts are whole.
    QEventLoop settle;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const MatchJournal::Figures f = journal.figures();
        if (f.writesDone + f.writesMerged + f.writesFailed == f.writesAsked - f.writesSkipped)
            settle.quit();
    });
    poll.start(5);
    settle.exec();
    const MatchJournal::Figures after = journal.figures();
    std::printf("caller's thread inside write(), %d calls 1 ms apart: median %.4f ms, 99.9%% "
                "%.4f ms, longest %.4f ms (the journal's own count, both runs: %.4f ms)\n",
                calls, quantile(holds, 0.5), quantile(holds, 0.999), quantile(holds, 1.0),
                ms(after.longestHoldNs));
    std::printf("the same tick without the journal (a snapshot and a clock reading): median "
                "%.4f ms, longest %.4f ms; calls held over 1 ms: %lld\n",
                quantile(control, 0.5), quantile(control, 1.0),
                static_cast<long long>(std::count_if(holds.begin(), holds.end(),
                                                     [](qint64 h) { return h > 1'000'000; })));
    std::printf("of those %d calls: %lld written, %lld merged into a newer one\n", calls,
                static_cast<long long>(after.writesDone - before.writesDone),
                static_cast<long long>(after.writesMerged - before.writesMerged));
    return 0;
}
