// CPU of the live feed on the board's thread: a refresh and a state change every tenth of
// a second (a clock below a minute with time advantage running), with the feed off, on with
// no browser, and on with 20 event streams read by another thread. Prints the share of
// one core that the board's thread used in each case.
#include "feed/FeedServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <memory>

namespace {

double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

FeedState Tenth(int tenths) {
    FeedState s;
    const int clock = 599 - tenths % 600;
    s.clock = QStringLiteral("%1.%2").arg(clock / 10).arg(clock % 10);
    s.clockRunning = true;
    const int ad = 12 + tenths;
    s.timeAdvantage = {
        QStringLiteral("%1:%2").arg(ad / 600).arg(ad / 10 % 60, 2, 10, QLatin1Char('0')),
        QStringLiteral("home"), QStringLiteral("home")};
    s.home = {QStringLiteral("Tigers"), QStringLiteral("12"), QStringLiteral("3"), {}};
    s.guest = {QStringLiteral("Bears"), QStringLiteral("7"), QStringLiteral("0"), {}};
    s.matchNumber = QStringLiteral("5");
    s.period = QStringLiteral("2");
    s.weight = QStringLiteral("145");
    s.colors = {QStringLiteral("#404040"), QStringLiteral("#ffffff"), QStringLiteral("#000000"),
                QStringLiteral("#ff8000"), QStringLiteral("#ff0000")};
    return s;
}

// Runs the tick for the given time; returns the thread's CPU share in percent.
double Run(FeedServer *feed, int streams, double seconds, qint64 *received) {
    std::atomic<bool> stop = false;
    std::atomic<qint64> bytes = 0;
    std::atomic<int> open = 0;
    std::unique_ptr<QThread> readers;
    if (feed && streams > 0) {
        const quint16 port = feed->port();
        readers.reset(QThread::create([&, port] {
            std::vector<std::unique_ptr<QTcpSocket>> sockets;
            for (int i = 0; i < streams; ++i) {
                auto s = std::make_unique<QTcpSocket>();
                QTcpSocket *raw = s.get();
                QObject::connect(raw, &QTcpSocket::readyRead,
                                 [raw, &bytes] { bytes += raw->readAll().size(); });
                s->connectToHost(QStringLiteral("127.0.0.1"), port);
                s->waitForConnected(5000);
                s->write("GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
                sockets.push_back(std::move(s));
            }
            open = streams;
            while (!stop)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }));
        readers->start();
        while (open < streams || feed->streamCount() < streams)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    int tenths = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(100);
    QElapsedTimer clock;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        ++tenths;
        if (feed)
            feed->publish(Tenth(tenths));
    });
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    clock.start();
    const double cpu0 = ThreadCpuMs();
    tick.start();
    loop.exec();
    const double cpu = ThreadCpuMs() - cpu0;
    const double wall = clock.elapsed();
    stop = true;
    if (readers)
        readers->wait();
    if (received)
        *received = bytes;
    return 100.0 * cpu / wall;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? atof(argv[1]) : 20.0;
    const double off = Run(nullptr, 0, seconds, nullptr);
    FeedServer feed;
    if (!feed.start(0, false)) {
        std::fprintf(stderr, "%s\n", qPrintable(feed.stateText()));
        return 1;
    }
    const double none = Run(&feed, 0, seconds, nullptr);
    qint64 received = 0;
    const double twenty = Run(&feed, 20, seconds, &received);
    std::printf("feed CPU of the board's thread over %.0f s, ten changes a second:\n", seconds);
    std::printf("  feed off:                 %.3f %%\n", off);
    std::printf("  feed on, no browser:      %.3f %%\n", none);
    std::printf("  feed on, 20 event streams: %.3f %% (%lld bytes read by the streams)\n", twenty,
                qlonglong(received));
    return 0;
}
