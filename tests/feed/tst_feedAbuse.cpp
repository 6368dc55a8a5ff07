// Junk, cut-short requests, event streams and a crowd of connections against a server on
// 127.0.0.1, while a 40 ms timer on the server's thread stands for the board's refresh.
#include "feed/FeedServer.h"
#include "feed/RequestAbuse.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>

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

        RequestAbuse::Tally tally;
        std::atomic<bool> done = false;
        std::unique_ptr<QThread> worker(QThread::create([&] {
            tally = RequestAbuse::Run(port, 10000, 200);
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
