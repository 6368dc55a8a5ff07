#include "FeedClient.h"
#include "TestMain.h"
#include "feed/FeedServer.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <QTest>
#include <memory>

namespace {

FeedState Sample() {
    FeedState s;
    s.clock = QStringLiteral("9:58");
    s.clockRunning = true;
    s.timeAdvantage = {QStringLiteral("1.2"), QStringLiteral("home"), QStringLiteral("home")};
    s.home = {QStringLiteral("Tigers"), QStringLiteral("12"), QStringLiteral("3"), {}};
    s.guest = {QStringLiteral("Bears"), QString(), QStringLiteral("0"), {}};
    s.matchNumber = QStringLiteral("5");
    s.period = QStringLiteral("2");
    s.weight = QStringLiteral("145");
    s.colors = {QStringLiteral("#404040"), QStringLiteral("#ffffff"), QStringLiteral("#000000"),
                QStringLiteral("#ff8000"), QStringLiteral("#ff0000")};
    return s;
}

QByteArray Get(const QByteArray &path, const QByteArray &method = "GET") {
    return method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: */*\r\n\r\n";
}

} // namespace

class tst_FeedServer : public QObject {
    Q_OBJECT

    std::unique_ptr<FeedServer> server;
    quint16 port = 0;

    void startWith(const FeedLimits &limits = {}) {
        server = std::make_unique<FeedServer>();
        server->setLimits(limits);
        QVERIFY(server->start(0, false));
        port = server->port();
        QVERIFY(port != 0);
    }

private slots:
    void init() { startWith(); }
    void cleanup() { server.reset(); }

    void answers_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<QByteArray>("type");
        const QByteArray json = "application/json";
        const QByteArray html = "text/html; charset=utf-8";
        QTest::newRow("state") << Get("/state.json") << QByteArray("200") << json;
        QTest::newRow("state with query") << Get("/state.json?t=1") << QByteArray("200") << json;
        QTest::newRow("layout") << Get("/layout.json") << QByteArray("200") << json;
        QTest::newRow("board") << Get("/") << QByteArray("200") << html;
        QTest::newRow("overlay") << Get("/overlay") << QByteArray("200") << html;
        QTest::newRow("script") << Get("/feed.js") << QByteArray("200")
                                << QByteArray("text/javascript; charset=utf-8");
        QTest::newRow("HTTP/1.0") << QByteArray("GET /state.json HTTP/1.0\r\n\r\n")
                                  << QByteArray("200") << json;
        QTest::newRow("unknown path") << Get("/admin") << QByteArray("404") << QByteArray();
        QTest::newRow("dot dot") << Get("/../etc/passwd") << QByteArray("404") << QByteArray();
        QTest::newRow("POST") << QByteArray(
                                     "POST /state.json HTTP/1.1\r\nContent-Length: 0\r\n\r\n")
                              << QByteArray("405") << QByteArray();
        QTest::newRow("PUT") << Get("/state.json", "PUT") << QByteArray("405") << QByteArray();
        QTest::newRow("DELETE") << Get("/", "DELETE") << QByteArray("405") << QByteArray();
        QTest::newRow("OPTIONS") << Get("/", "OPTIONS") << QByteArray("405") << QByteArray();
        QTest::newRow("no version")
            << QByteArray("GET /\r\n\r\n") << QByteArray("400") << QByteArray();
        QTest::newRow("HTTP/2") << QByteArray("GET / HTTP/2.0\r\n\r\n") << QByteArray("400")
                                << QByteArray();
        QTest::newRow("no slash") << QByteArray("GET state.json HTTP/1.1\r\n\r\n")
                                  << QByteArray("400") << QByteArray();
        QTest::newRow("space in path")
            << QByteArray("GET /a b HTTP/1.1\r\n\r\n") << QByteArray("400") << QByteArray();
        QTest::newRow("control in path")
            << QByteArray("GET /\x01 HTTP/1.1\r\n\r\n") << QByteArray("400") << QByteArray();
        QTest::newRow("header without colon")
            << QByteArray("GET / HTTP/1.1\r\nHost 1\r\n\r\n") << QByteArray("400") << QByteArray();
        QTest::newRow("control in header") << QByteArray("GET / HTTP/1.1\r\nX: a\x7f\r\n\r\n")
                                           << QByteArray("400") << QByteArray();
        QTest::newRow("chunked body")
            << QByteArray("GET / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n")
            << QByteArray("400") << QByteArray();
        QTest::newRow("body") << QByteArray("GET / HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc")
                              << QByteArray("400") << QByteArray();
        QTest::newRow("pipelined")
            << Get("/") + Get("/state.json") << QByteArray("400") << QByteArray();
        QTest::newRow("upgrade")
            << QByteArray(
                   "GET /events HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n\r\n")
            << QByteArray("400") << QByteArray();
        QTest::newRow("binary") << QByteArray("\x16\x03\x01\x02\x00\x01\x00\r\n\r\n", 11)
                                << QByteArray("400") << QByteArray();
    }
    void answers() {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, status);
        QFETCH(QByteArray, type);
        FeedClient c(port);
        QVERIFY(c.connected());
        c.send(request);
        QVERIFY2(c.closed(), "the server keeps the connection open");
        QCOMPARE(c.status().mid(9, 3), status);
        if (!type.isEmpty())
            QCOMPARE(c.header("Content-Type"), type);
        QCOMPARE(c.header("Content-Length").toLongLong(), c.body().size());
        if (status == "405")
            QCOMPARE(c.header("Allow"), QByteArray("GET, HEAD"));
        QTRY_COMPARE(server->connectionCount(), 0);
    }

    void headHasNoBody() {
        server->publish(Sample());
        FeedClient c(port);
        QVERIFY(c.connected());
        c.send(Get("/state.json", "HEAD"));
        QVERIFY(c.closed());
        QCOMPARE(c.status(), QByteArray("HTTP/1.1 200 OK"));
        QCOMPARE(c.header("Content-Length").toLongLong(), FeedStateJson(Sample()).size());
        QVERIFY(c.body().isEmpty());
    }

    void stateIsThePublishedJson() {
        FeedClient *c = nullptr;
        QVERIFY(Exchange(port, Get("/state.json"), &c).endsWith(FeedStateJson(FeedState{})));
        delete c;
        server->publish(Sample());
        const QByteArray reply = Exchange(port, Get("/state.json"));
        QVERIFY(reply.endsWith("\r\n\r\n" + FeedStateJson(Sample())));
    }

    void layoutIsWhatWasSet() {
        server->setLayoutJson(R"({"design":{"width":1,"height":2}})");
        QVERIFY(Exchange(port, Get("/layout.json"))
                    .endsWith("\r\n\r\n{\"design\":{\"width\":1,\"height\":2}}"));
    }

    // The pages must work with no network beyond the board.
    void pagesLoadNothingFromElsewhere_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("board") << QByteArray("/");
        QTest::newRow("overlay") << QByteArray("/overlay");
        QTest::newRow("script") << QByteArray("/feed.js");
    }
    void pagesLoadNothingFromElsewhere() {
        QFETCH(QByteArray, path);
        // The SVG namespace is a name, not something fetched.
        const QByteArray page =
            Exchange(port, Get(path)).replace("\"http://www.w3.org/2000/svg\"", "\"\"");
        QVERIFY(page.startsWith("HTTP/1.1 200"));
        for (const char *outside : {"http:", "https:", "//", "@import", "@font-face"}) {
            // Comments in the script start with "//" at a line's start or after code.
            if (QByteArray(outside) == "//")
                QVERIFY(!page.contains("src=\"//") && !page.contains("url(//"));
            else
                QVERIFY2(!page.contains(outside), outside);
        }
    }

    void eventStreamSendsTheStateAtOnce() {
        server->publish(Sample());
        FeedClient c(port);
        QVERIFY(c.connected());
        c.send(Get("/events"));
        QVERIFY(c.got("\n\n"));
        QVERIFY(c.got("data: " + FeedStateJson(Sample()) + "\n\n"));
        QCOMPARE(c.header("Content-Type"), QByteArray("text/event-stream"));
        QTRY_COMPARE(server->streamCount(), 1);
    }

    void eventStreamPushesOnlyChanges() {
        FeedClient c(port);
        QVERIFY(c.connected());
        c.send(Get("/events"));
        QVERIFY(c.got("data: " + FeedStateJson(FeedState{}) + "\n\n"));
        c.received.clear();

        FeedState s = Sample();
        QElapsedTimer t;
        for (int i = 0; i < 20; ++i) {
            s.clock = QStringLiteral("9:%1").arg(40 + i);
            t.start();
            server->publish(s);
            server->publish(s); // the same again sends nothing
            const QByteArray event = "data: " + FeedStateJson(s) + "\n\n";
            QVERIFY(c.got(event, 1000));
            QVERIFY2(t.elapsed() < 50, qPrintable(QString::number(t.elapsed())));
            // Exactly one event: nothing for the repeat.
            QCOMPARE(c.received, event);
            c.received.clear();
        }
    }

    void manyStreamsAllGetTheChange() {
        std::vector<std::unique_ptr<FeedClient>> clients;
        for (int i = 0; i < 20; ++i) {
            clients.push_back(std::make_unique<FeedClient>(port));
            QVERIFY(clients.back()->connected());
            clients.back()->send(Get("/events"));
        }
        QTRY_COMPARE(server->streamCount(), 20);
        server->publish(Sample());
        for (auto &c : clients)
            QVERIFY(c->got("data: " + FeedStateJson(Sample()) + "\n\n"));
    }

    void sixtyFifthConnectionIsRefused() {
        std::vector<std::unique_ptr<FeedClient>> clients;
        for (int i = 0; i < 64; ++i) {
            clients.push_back(std::make_unique<FeedClient>(port));
            QVERIFY(clients.back()->connected());
        }
        QTRY_COMPARE(server->connectionCount(), 64);
        FeedClient extra(port);
        QVERIFY(extra.closed());
        QVERIFY(extra.received.isEmpty() || extra.status().startsWith("HTTP/1.1 503"));
        QCOMPARE(server->connectionCount(), 64);
        for (auto &c : clients)
            QCOMPARE(c->socket.state(), QAbstractSocket::ConnectedState);
        // A freed place is taken again.
        clients.front()->socket.abort();
        QTRY_COMPARE(server->connectionCount(), 63);
        FeedClient next(port);
        QVERIFY(next.connected());
        next.send(Get("/state.json"));
        QVERIFY(next.closed());
        QCOMPARE(next.status(), QByteArray("HTTP/1.1 200 OK"));
    }

    void oversizedHeadIsRefused_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("status");
        const QByteArray start = "GET / HTTP/1.1\r\nX-Fill: ";
        QTest::newRow("incomplete at 8 KB") << start + QByteArray(8192, 'a') << QByteArray("431");
        QTest::newRow("complete beyond 8 KB") << start + QByteArray(8192, 'a') + "\r\n\r\n"
                                              << QByteArray("431");
        const QByteArray fits = start + QByteArray(8192 - start.size() - 4, 'a') + "\r\n\r\n";
        QTest::newRow("exactly 8 KB") << fits << QByteArray("200");
        QTest::newRow("one byte over")
            << start + QByteArray(8192 - start.size() - 3, 'a') + "\r\n\r\n"
            << QByteArray("431");
    }
    void oversizedHeadIsRefused() {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, status);
        FeedClient c(port);
        QVERIFY(c.connected());
        c.send(request);
        QVERIFY(c.closed());
        QCOMPARE(c.status().mid(9, 3), status);
    }

    void idleAndSlowClientsAreClosed_data() {
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("nothing") << QByteArray();
        QTest::newRow("half a request line") << QByteArray("GET /sta");
        QTest::newRow("head never ended") << QByteArray("GET / HTTP/1.1\r\nHost: x\r\n");
    }
    void idleAndSlowClientsAreClosed() {
        QFETCH(QByteArray, sent);
        FeedLimits limits;
        limits.requestTimeoutMs = 300;
        startWith(limits);
        FeedClient c(port);
        QVERIFY(c.connected());
        QElapsedTimer t;
        t.start();
        c.send(sent);
        QVERIFY(c.closed(5000));
        QVERIFY2(t.elapsed() >= 250, qPrintable(QString::number(t.elapsed())));
        QTRY_COMPARE(server->connectionCount(), 0);
    }

    // A stream waits for the board however long nothing changes.
    void streamsOutliveTheRequestTimeout() {
        FeedLimits limits;
        limits.requestTimeoutMs = 200;
        startWith(limits);
        FeedClient c(port);
        QVERIFY(c.connected());
        c.send(Get("/events"));
        QVERIFY(c.got("\n\n"));
        QSignalSpy gone(&c.socket, &QTcpSocket::disconnected);
        QVERIFY(!gone.wait(600));
        server->publish(Sample());
        QVERIFY(c.got(FeedStateJson(Sample())));
    }

    // A stream asks for nothing more; a client that keeps sending is let go past 8 KB.
    void streamThatKeepsSendingIsDropped() {
        FeedClient c(port);
        QVERIFY(c.connected());
        c.send(Get("/events"));
        QVERIFY(c.got("\n\n"));
        c.send(QByteArray(4096, 'x'));
        QSignalSpy gone(&c.socket, &QTcpSocket::disconnected);
        QVERIFY(!gone.wait(300));
        c.send(QByteArray(5000, 'x'));
        QVERIFY(c.closed());
        QTRY_COMPARE(server->streamCount(), 0);
    }

    void clientThatNeverReadsIsDropped() {
        FeedClient reader(port);
        QVERIFY(reader.connected());
        reader.send(Get("/events"));
        QTcpSocket stuck;
        stuck.setReadBufferSize(1); // reads a byte, then leaves the rest in the kernel
        stuck.connectToHost(QStringLiteral("127.0.0.1"), port);
        QVERIFY(stuck.waitForConnected(5000));
        stuck.write(Get("/events"));
        QTRY_COMPARE(server->streamCount(), 2);

        FeedState s = Sample();
        s.home.name = QString(2000, QLatin1Char('x'));
        int published = 0;
        while (server->streamCount() == 2 && published < 200000) {
            s.clock = QString::number(published++);
            server->publish(s);
            reader.received.clear();
            QCoreApplication::processEvents();
        }
        QCOMPARE(server->streamCount(), 1);
        QCOMPARE(reader.socket.state(), QAbstractSocket::ConnectedState);
        s.clock = QStringLiteral("last");
        server->publish(s);
        QVERIFY(reader.got(FeedStateJson(s)));
        qInfo("dropped after %d events of %lld bytes", published,
              qlonglong(FeedStateJson(s).size()));
    }

    void portInUseLeavesTheOtherServing() {
        FeedServer second;
        QSignalSpy said(&second, &FeedServer::stateTextChanged);
        QVERIFY(!second.start(port, false));
        QVERIFY(!second.isServing());
        QCOMPARE(second.stateText(), QStringLiteral("Port %1 is in use").arg(port));
        QCOMPARE(said.count(), 1);
        second.publish(Sample()); // harmless while stopped
        QVERIFY(Exchange(port, Get("/state.json")).startsWith("HTTP/1.1 200 OK"));
    }

    void stateText() {
        QCOMPARE(server->stateText(), QStringLiteral("Serving at http://127.0.0.1:%1/").arg(port));
        QCOMPARE(server->addresses(),
                 QStringList{QStringLiteral("http://127.0.0.1:%1/").arg(port)});
        server->stop();
        QCOMPARE(server->stateText(), QStringLiteral("Not serving"));
        QVERIFY(server->addresses().isEmpty());
        QVERIFY(server->start(0, true));
        QVERIFY(server->stateText().startsWith(QStringLiteral("Serving at http://")));
        QVERIFY(server->stateText().endsWith(
            QStringLiteral("http://127.0.0.1:%1/").arg(server->port())));
    }

    void configureKeepsMovesOrStops() {
        FeedClient stream(port);
        QVERIFY(stream.connected());
        stream.send(Get("/events"));
        QTRY_COMPARE(server->streamCount(), 1);
        QSignalSpy said(server.get(), &FeedServer::stateTextChanged);
        server->configure(true, 0, false); // as it is: the stream stays
        QCOMPARE(server->streamCount(), 1);
        QCOMPARE(said.count(), 0);
        server->configure(true, 0, true); // to every interface: a new server
        QVERIFY(stream.closed());
        QVERIFY(server->isServing());
        QVERIFY(Exchange(server->port(), Get("/state.json")).startsWith("HTTP/1.1 200 OK"));
        server->configure(false, 0, true);
        QVERIFY(!server->isServing());
        QCOMPARE(server->stateText(), QStringLiteral("Not serving"));
        // A port in use, then a free one.
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::LocalHost));
        server->configure(true, taken.serverPort(), false);
        QVERIFY(!server->isServing());
        QCOMPARE(server->stateText(), QStringLiteral("Port %1 is in use").arg(taken.serverPort()));
        server->configure(true, 0, false);
        QVERIFY(server->isServing());
    }

    void stopClosesEveryConnection() {
        FeedClient stream(port);
        QVERIFY(stream.connected());
        stream.send(Get("/events"));
        FeedClient waiting(port);
        QVERIFY(waiting.connected());
        QTRY_COMPARE(server->connectionCount(), 2);
        server->stop();
        QVERIFY(stream.closed());
        QVERIFY(waiting.closed());
        QVERIFY(server->start(port, false));
        QVERIFY(Exchange(port, Get("/state.json")).startsWith("HTTP/1.1 200 OK"));
    }

    // The board that owns the feed is half destroyed when the feed goes: it must hear
    // nothing then.
    void destroyedWhileServingSaysNothing() {
        FeedClient stream(port);
        QVERIFY(stream.connected());
        stream.send(Get("/events"));
        QTRY_COMPARE(server->streamCount(), 1);
        int said = 0;
        connect(server.get(), &FeedServer::stateTextChanged, [&] { ++said; });
        server.reset();
        QCOMPARE(said, 0);
        QVERIFY(stream.closed());
    }
};

DAREZEZ_TEST_GUILESS(tst_FeedServer)
#include "tst_FeedServer.moc"
