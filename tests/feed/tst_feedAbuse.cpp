// Junk, cut-short requests and a crowd of connections against a server on 127.0.0.1,
// while a 40 ms tick like the board's runs on the server's thread.
#include "feed/FeedServer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>

namespace {

const QList<QByteArray> kRequests = {
    "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n",
    "GET /overlay HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/html\r\n\r\n",
    "GET /state.json HTTP/1.0\r\n\r\n",
    "GET /layout.json?x=1 HTTP/1.1\r\nUser-Agent: test\r\n\r\n",
    "HEAD /feed.js HTTP/1.1\r\n\r\n",
    "POST /state.json HTTP/1.1\r\nContent-Length: 4\r\n\r\nabcd",
    "GET /nowhere HTTP/1.1\r\n\r\n",
};

struct Tally {
    int answered = 0;
    int cut = 0;
    int unanswered = 0;
    int crowdOk = 0;
    int crowdRefused = 0;
    QByteArray firstUnanswered;
};

// Blocking sockets on a thread of their own, so the server's thread only serves.
Tally Abuse(quint16 port, int count, int crowd) {
    Tally t;
    QRandomGenerator rng(20261208);
    for (int i = 0; i < count; ++i) {
        QByteArray bytes = kRequests.at(rng.bounded(int(kRequests.size())));
        switch (rng.bounded(4)) {
        case 0: // whole
            break;
        case 1: // cut short
            bytes.truncate(rng.bounded(int(bytes.size())));
            break;
        case 2: { // random bytes, now and then closed as a head
            bytes.resize(1 + rng.bounded(3000));
            for (char &c : bytes)
                c = char(rng.bounded(256));
            if (rng.bounded(2))
                bytes += "\r\n\r\n";
            break;
        }
        default: // a few bytes changed
            for (int k = 0; k < 1 + rng.bounded(4); ++k)
                bytes[rng.bounded(int(bytes.size()))] = char(rng.bounded(256));
        }
        QTcpSocket s;
        s.connectToHost(QStringLiteral("127.0.0.1"), port);
        if (!s.waitForConnected(5000)) {
            ++t.unanswered;
            continue;
        }
        s.write(bytes);
        s.waitForBytesWritten(5000);
        if (!bytes.contains("\r\n\r\n")) {
            // Leaves in the middle; the server must forget it.
            ++t.cut;
            s.abort();
            continue;
        }
        QByteArray got;
        while (s.state() == QAbstractSocket::ConnectedState && s.waitForReadyRead(5000))
            got += s.readAll();
        got += s.readAll();
        if (got.startsWith("HTTP/1.1 ")) {
            ++t.answered;
        } else {
            ++t.unanswered;
            if (t.firstUnanswered.isEmpty())
                t.firstUnanswered = bytes.toHex();
        }
    }

    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    for (int i = 0; i < crowd; ++i) {
        sockets.push_back(std::make_unique<QTcpSocket>());
        sockets.back()->connectToHost(QStringLiteral("127.0.0.1"), port);
    }
    for (auto &s : sockets) {
        if (s->waitForConnected(5000))
            s->write("GET /state.json HTTP/1.1\r\n\r\n");
    }
    for (auto &s : sockets) {
        QByteArray got;
        while (s->state() == QAbstractSocket::ConnectedState && s->waitForReadyRead(5000))
            got += s->readAll();
        got += s->readAll();
        if (got.startsWith("HTTP/1.1 200"))
            ++t.crowdOk;
        else
            ++t.crowdRefused;
    }
    return t;
}

} // namespace

class tst_feedAbuse : public QObject {
    Q_OBJECT

private slots:
    void junkAndCrowds() {
        FeedServer server;
        FeedLimits limits;
        limits.requestTimeoutMs = 3000;
        server.setLimits(limits);
        QVERIFY(server.start(0, false));
        const quint16 port = server.port();

        // The board's tick: how late does it come while the feed is pestered?
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(40);
        QElapsedTimer since;
        qint64 worstGap = 0;
        int ticks = 0;
        connect(&tick, &QTimer::timeout, [&] {
            worstGap = std::max(worstGap, since.restart());
            ++ticks;
        });
        FeedState state;
        QTimer publisher; // ten changes a second, as a running clock makes
        int n = 0;
        connect(&publisher, &QTimer::timeout, [&] {
            state.clock = QString::number(n++);
            server.publish(state);
        });

        Tally tally;
        std::atomic<bool> done = false;
        std::unique_ptr<QThread> worker(QThread::create([&] {
            tally = Abuse(port, 10000, 200);
            done = true;
        }));
        QElapsedTimer took;
        took.start();
        since.start();
        tick.start();
        publisher.start(100);
        // A plain event loop: QTest's waits sleep between rounds, which the server would feel.
        QEventLoop loop;
        connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(240000, &loop, &QEventLoop::quit);
        worker->start();
        loop.exec();
        QVERIFY(done);
        worker->wait();
        tick.stop();
        publisher.stop();

        qInfo("%lld ms: %d answered, %d cut short, %d unanswered; crowd of 200: %d served, "
              "%d refused; %d ticks, the latest %lld ms after the one before",
              took.elapsed(), tally.answered, tally.cut, tally.unanswered, tally.crowdOk,
              tally.crowdRefused, ticks, worstGap);
        QVERIFY2(tally.unanswered == 0, tally.firstUnanswered.constData());
        QCOMPARE(tally.answered + tally.cut, 10000);
        QVERIFY(tally.crowdOk >= limits.maxConnections);
        QCOMPARE(tally.crowdOk + tally.crowdRefused, 200);
        // No tick later than one tenth of a second, the clock's shown step.
        QVERIFY2(worstGap <= 40 + 100, qPrintable(QString::number(worstGap)));

        // Everything was let go, and the server still answers.
        QTRY_COMPARE(server.connectionCount(), 0);
        QTcpSocket s;
        s.connectToHost(QStringLiteral("127.0.0.1"), port);
        QVERIFY(s.waitForConnected(5000) || s.state() == QAbstractSocket::ConnectedState);
        s.write("GET /state.json HTTP/1.1\r\n\r\n");
        QTRY_VERIFY(s.bytesAvailable() > 0 || s.state() != QAbstractSocket::ConnectedState);
        QTRY_COMPARE(s.state(), QAbstractSocket::UnconnectedState);
        QVERIFY(s.readAll().startsWith("HTTP/1.1 200 OK"));
    }
};

QTEST_GUILESS_MAIN(tst_feedAbuse)
#include "tst_feedAbuse.moc"
