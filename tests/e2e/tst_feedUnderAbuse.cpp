// The real program with its feed on, pestered while its clock runs: 10 000 random, cut-short
// and altered requests, 200 connections at once, and a client that never reads its event
// stream. The board's clock, read from screenshots, keeps time all along; the program still
// answers afterwards and ends cleanly.
#include "FeedBoard.h"
#include "TestMain.h"
#include "TimeReading.h"
#include "feed/RequestAbuse.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QThread>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A digit changes every tenth while time advantage counts, and the board refreshes then.
constexpr double kRefresh = 0.1;

// The board's two running times, and when (ms on the test's clock) the picture was asked
// for and when it had come: it shows the board at some instant between.
struct Reading {
    qint64 asked = 0;
    qint64 taken = 0;
    double clock = -1;
    double timeAd = -1;
};

// An event stream whose client takes nothing: a receive buffer as small as the system
// allows, and no read ever.
int NeverReadingStream(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int small = 1024;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    static const char request[] = "GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0 ||
        ::send(fd, request, sizeof request - 1, MSG_NOSIGNAL) != sizeof request - 1) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Seconds by which a time reads behind (late > 0) or ahead of (early > 0) the time gone by
// since the first reading, beyond what the two pictures' spans and the shown steps allow.
struct Drift {
    double late = -1e9;
    double early = -1e9;
    // `shownGone`: how far the time moved between the two pictures; `stepsLate` and
    // `stepsEarly`: how far the two readings may stand from the true times between them.
    void add(const Reading &first, const Reading &r, double shownGone, double stepsLate,
             double stepsEarly) {
        const double leastGone = (r.asked - first.taken) / 1000.0;
        const double mostGone = (r.taken - first.asked) / 1000.0;
        late = std::max(late, leastGone - stepsLate - shownGone);
        early = std::max(early, shownGone - mostGone - stepsEarly);
    }
};

} // namespace

class tst_feedUnderAbuse : public QObject {
    Q_OBJECT

    std::unique_ptr<BoardSession> s;
    quint16 port = 0;
    int neverReading = -1;
    QElapsedTimer real;

    Reading read() {
        Reading r;
        r.asked = real.elapsed();
        const LedReader board(s->desktop.grab(s->board));
        r.taken = real.elapsed();
        r.clock = shownSeconds(board.read(QStringLiteral("clock")));
        r.timeAd = shownSeconds(board.read(QStringLiteral("timeAd")));
        return r;
    }

private slots:
    void initTestCase() {
        s = std::make_unique<BoardSession>();
        if (!s->desktop.available())
            QSKIP(qPrintable(s->desktop.why()));
        port = FeedBoard::Open(*s);
        QVERIFY2(port, "the board's feed did not come up");
        real.start();
    }

    void clockKeepsTimeUnderAbuse() {
        // The match clock from 10:00, and time advantage counting in tenths beside it.
        s->desktop.keys({QStringLiteral("s"), QStringLiteral("Left")});
        QTRY_VERIFY_WITH_TIMEOUT(read().timeAd > 0, Desktop::kWaitMs);
        neverReading = NeverReadingStream(port);
        QVERIFY(neverReading >= 0);

        const Reading first = read();
        QVERIFY(first.clock > 0 && first.timeAd > 0);
        RequestAbuse::Tally tally;
        std::atomic<bool> done = false;
        qint64 abuseTook = 0;
        std::unique_ptr<QThread> worker(QThread::create([&] {
            QElapsedTimer took;
            took.start();
            tally = RequestAbuse::Run(port, 10000, 200);
            abuseTook = took.elapsed();
            done = true;
        }));
        worker->start();
        // Pictures of the board all the while, and a few more after.
        QList<Reading> readings;
        for (int after = 0; after < 5 && real.elapsed() - first.taken < 100000;) {
            readings << read();
            if (done)
                ++after;
        }
        QVERIFY2(worker->wait(60000), "the requests never ended");

        Drift clock, timeAd;
        for (const Reading &r : readings) {
            QVERIFY2(r.clock > 0 && r.timeAd > 0, "the board could not be read");
            // The clock counts down, rounded as the display rounds: each reading within one
            // step of the truth, either way.
            const double steps = FeedBoard::StepOf(first.clock) + FeedBoard::StepOf(r.clock);
            clock.add(first, r, first.clock - r.clock, steps, steps);
            // Time advantage counts up and drops what it has not reached: a reading is never
            // ahead of the truth, and behind it by less than a step.
            timeAd.add(first, r, r.timeAd - first.timeAd, FeedBoard::StepOf(r.timeAd),
                       FeedBoard::StepOf(first.timeAd));
        }
        qInfo("requests took %lld ms: %d answered, %d cut short, %d unanswered; crowd of 200: "
              "%d served, %d refused",
              abuseTook, tally.answered, tally.cut, tally.unanswered, tally.crowdOk,
              tally.crowdRefused);
        qInfo("%lld readings over %.1f s; beyond what they allow, the clock was at most %.2f s "
              "late and %.2f s early, time advantage %.2f s late and %.2f s early",
              qint64(readings.size()), (readings.last().taken - first.asked) / 1000.0, clock.late,
              clock.early, timeAd.late, timeAd.early);
        QVERIFY2(tally.unanswered == 0, tally.firstUnanswered.constData());
        QCOMPARE(tally.answered + tally.cut, 10000);
        // The stream that never reads holds one of the 64 connections.
        QVERIFY(tally.crowdOk >= 63);
        QCOMPARE(tally.crowdOk + tally.crowdRefused, 200);
        // No reading late by more than one refresh; none early at all.
        QVERIFY(clock.late <= kRefresh);
        QVERIFY(timeAd.late <= kRefresh);
        QVERIFY(clock.early <= 0);
        QVERIFY(timeAd.early <= 0);
    }

    void stillAnswersAsTheBoardShows() {
        QVERIFY(s->desktop.running());
        // Every connection of the abuse was let go: a crowd that fills the 64 places beside
        // the stream that never reads is served whole.
        QCOMPARE(RequestAbuse::Run(port, 0, 63).crowdOk, 63);
        const FeedBoard::Answer before = FeedBoard::Get(port, "/state.json");
        const Reading board = read();
        const FeedBoard::Answer after = FeedBoard::Get(port, "/state.json");
        QCOMPARE(before.status, QByteArray("HTTP/1.1 200 OK"));
        QCOMPARE(after.status, QByteArray("HTTP/1.1 200 OK"));
        const QJsonObject first = QJsonDocument::fromJson(before.body).object();
        const QJsonObject last = QJsonDocument::fromJson(after.body).object();
        QVERIFY(first.value(QLatin1String("clockRunning")).toBool());
        // The board's clock counts down between what the feed said before and after it.
        const double from = shownSeconds(first.value(QLatin1String("clock")).toString());
        const double to = shownSeconds(last.value(QLatin1String("clock")).toString());
        QVERIFY2(board.clock <= from + FeedBoard::StepOf(from) &&
                     board.clock >= to - FeedBoard::StepOf(to),
                 qPrintable(QStringLiteral("the board %1 s, the feed %2 s then %3 s")
                                .arg(board.clock)
                                .arg(from)
                                .arg(to)));
    }

    // The stream that never read is either dropped, or still served and, once read, as
    // current as the board.
    void neverReadingStreamIsDroppedOrCurrent() {
        QByteArray got;
        bool dropped = false, current = false;
        QDeadlineTimer deadline(Desktop::kWaitMs);
        while (!dropped && !current && !deadline.hasExpired()) {
            pollfd p{neverReading, POLLIN, 0};
            if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
                continue;
            char buffer[65536];
            const ssize_t n = ::recv(neverReading, buffer, sizeof buffer, MSG_DONTWAIT);
            dropped = n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR);
            if (n <= 0)
                continue;
            got.append(buffer, n);
            const qsizetype last = got.lastIndexOf("data: ");
            current = got.endsWith("\n\n") && last >= 0 &&
                      got.mid(last + 6).trimmed() == FeedBoard::Get(port, "/state.json").body;
        }
        qInfo("the stream that never read: %s after %lld bytes",
              dropped ? "dropped by the board" : "still served", qint64(got.size()));
        QVERIFY2(dropped || current, "the stream neither ended nor caught up");
    }

    void endsCleanly() {
        ::close(neverReading);
        neverReading = -1;
        const QString wrong = FeedBoard::Close(*s);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    }

    void cleanupTestCase() {
        if (neverReading >= 0)
            ::close(neverReading);
        s.reset();
    }
};

DAREZEZ_TEST_GUILESS(tst_feedUnderAbuse)
#include "tst_feedUnderAbuse.moc"
