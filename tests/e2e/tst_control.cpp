// The real program controlled from other devices: a page in headless Chromium let in at
// the board by its code, then abuse on 127.0.0.1 while the clock runs; at the end the meet's
// log replays to what the board shows.
#include "FeedBoard.h"
#include "PageDriver.h"
#include "TestMain.h"
#include "TimeReading.h"
#include "journal/MeetLog.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QThread>

namespace {

// One request on a connection of its own; everything until the server closes.
QByteArray Send(quint16 port, const QByteArray &request) {
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!s.waitForConnected(5000))
        return {};
    s.write(request);
    QByteArray got;
    while (s.state() == QAbstractSocket::ConnectedState && s.waitForReadyRead(5000))
        got += s.readAll();
    return got + s.readAll();
}

QByteArray Post(quint16 port, const QByteArray &path, const QByteArray &body,
                const QByteArray &token = {}, const QByteArray &host = "127.0.0.1") {
    return "POST " + path + " HTTP/1.1\r\nHost: " + host + ':' + QByteArray::number(port) +
           "\r\nContent-Type: application/json\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n" +
           (token.isEmpty() ? QByteArray() : "Authorization: Bearer " + token + "\r\n") + "\r\n" +
           body;
}

int Status(const QByteArray &answer) {
    return answer.mid(9, 3).toInt();
}

} // namespace

class tst_control : public QObject {
    Q_OBJECT

    std::unique_ptr<BoardSession> s;
    std::unique_ptr<PageDriver> browser;
    quint16 port = 0;
    QByteArray tablet; // the page's token

    QString read(const char *field) {
        return LedReader(s->desktop.grab(s->board)).read(QLatin1String(field));
    }
    QByteArray command(const QByteArray &token, const QByteArray &body) {
        return Send(port, Post(port, "/api/command", body, token));
    }
    // A device asks by the API and the operator types its code at the board: its token.
    QByteArray pairedByKeys(const QByteArray &name) {
        const QJsonObject asked =
            QJsonDocument::fromJson(
                Send(port, Post(port, "/api/pair", "{\"name\":\"" + name + "\"}"))
                    .split('\n')
                    .last())
                .object();
        QStringList keys{QStringLiteral("F3")};
        for (const QChar c : asked.value(QLatin1String("code")).toString())
            keys << QString(c);
        s->desktop.keys(keys << QStringLiteral("Return"));
        const QByteArray poll =
            "GET /api/pair/" + asked.value(QLatin1String("request")).toString().toLatin1() +
            " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) + "\r\n\r\n";
        QByteArray answer;
        for (QDeadlineTimer wait(Desktop::kWaitMs); !wait.hasExpired();) {
            if (Status(answer = Send(port, poll)) != 202)
                break;
            QTest::qWait(50); // polled, as the device would
        }
        return QJsonDocument::fromJson(answer.mid(answer.indexOf("\r\n\r\n") + 4))
            .object()
            .value(QLatin1String("token"))
            .toString()
            .toLatin1();
    }

private slots:
    void initTestCase() {
        s = std::make_unique<BoardSession>();
        if (!s->desktop.available())
            QSKIP(qPrintable(s->desktop.why()));
        browser = std::make_unique<PageDriver>(QStringLiteral(DAREZEZ_PAGE_DRIVER));
        if (!browser->start()) {
            if (browser->skipped())
                QSKIP(qPrintable(browser->why()));
            QFAIL(qPrintable(browser->why()));
        }
        port = FeedBoard::FreePort();
        s->desktop.writeSettings(FeedBoard::Settings(port) + QStringLiteral("Control=1\n"));
        QVERIFY(s->open());
        QTRY_VERIFY_WITH_TIMEOUT(FeedBoard::Get(port, "/state.json").status.endsWith("200 OK"),
                                 Desktop::kWaitMs);
    }

    // A phone's page asks with a name; the operator types its code; its buttons start the
    // clock and score a takedown on the board.
    void pagePairedAtTheBoard() {
        const QString url = QStringLiteral("http://127.0.0.1:%1/control").arg(port);
        QVERIFY2(browser->open(QStringLiteral("ctl"), url), qPrintable(browser->why()));
        QVERIFY(browser->until(QStringLiteral("ctl"),
                               QStringLiteral("!document.getElementById('pairView').hidden"),
                               Desktop::kWaitMs));
        browser->eval(QStringLiteral("ctl"),
                      QStringLiteral("document.getElementById('name').value = 'Scorer tablet';"
                                     "document.getElementById('pair').click()"));
        QVERIFY2(browser->until(QStringLiteral("ctl"),
                                QStringLiteral("/^\\d{4}$/.test(document.getElementById('code')"
                                               ".textContent)"),
                                Desktop::kWaitMs),
                 qPrintable(browser
                                ->eval(QStringLiteral("ctl"),
                                       QStringLiteral("document.getElementById('status')"
                                                      ".textContent"))
                                .toString()));
        QStringList keys{QStringLiteral("F3")};
        for (const QChar c :
             browser
                 ->eval(QStringLiteral("ctl"), QStringLiteral("document.getElementById('code')"
                                                              ".textContent"))
                 .toString())
            keys << QString(c);
        s->desktop.keys(keys << QStringLiteral("Return"));
        QVERIFY(browser->until(QStringLiteral("ctl"),
                               QStringLiteral("!document.getElementById('boardView').hidden"),
                               Desktop::kWaitMs));
        const auto press = [this](const char *selector) {
            browser->eval(QStringLiteral("ctl"),
                          QStringLiteral("document.querySelector('%1').click()")
                              .arg(QLatin1String(selector)));
        };
        press("button[data-command=startStop]");
        QTRY_VERIFY_WITH_TIMEOUT(read("clock") != QStringLiteral("10:00"), Desktop::kWaitMs);
        press("button[data-move=takedown][data-side=home]");
        QTRY_COMPARE_WITH_TIMEOUT(read("homeMatch"), QStringLiteral("3"), Desktop::kWaitMs);
        tablet = browser
                     ->eval(QStringLiteral("ctl"),
                            QStringLiteral("localStorage.getItem('darezezControlToken')"))
                     .toString()
                     .toLatin1();
        QVERIFY(!tablet.isEmpty());
    }

    // With the clock running: strangers, 10 000 junk bodies, five asking at once, a flood
    // of 1 000 commands a second for 10 s; the clock keeps time and the board still answers.
    void abuseWhileTheClockRuns() {
        QVERIFY(Status(command({}, R"({"command":"reset"})")) == 401);
        QCOMPARE(Status(Send(port, Post(port, "/api/command", "{}", tablet, "evil.example"))), 403);
        QByteArray foreign = Post(port, "/api/pair", R"({"name":"x"})");
        QCOMPARE(Status(Send(port, foreign.replace("\r\n\r\n", "\r\nOrigin: http://evil.example"
                                                               "\r\n\r\n"))),
                 403);
        const QByteArray deck = pairedByKeys("Stream Deck");
        QVERIFY(!deck.isEmpty());
        QElapsedTimer real;
        real.start();
        const double before = shownSeconds(read("clock"));
        QMap<int, int> statuses, pairs;
        qint64 floodMs = 0;
        std::unique_ptr<QThread> worker(QThread::create([&] {
            QRandomGenerator rng(20261209);
            for (int i = 0; i < 10000; ++i) {
                QByteArray junk(1 + rng.bounded(600), Qt::Uninitialized);
                for (char &c : junk)
                    c = "{}[]\":,abc01 \\\x01\xC3"[rng.bounded(16)];
                ++statuses[Status(Send(port, Post(port, "/api/pair", junk)))];
            }
            std::vector<std::unique_ptr<QTcpSocket>> five;
            for (int i = 0; i < 5; ++i) {
                five.push_back(std::make_unique<QTcpSocket>());
                five.back()->connectToHost(QStringLiteral("127.0.0.1"), port);
                five.back()->waitForConnected(5000);
                five.back()->write(Post(port, "/api/pair", R"({"name":"Phone"})"));
            }
            for (auto &p : five) {
                QByteArray got;
                while (p->waitForReadyRead(5000))
                    got += p->readAll();
                ++pairs[Status(got)];
            }
            QElapsedTimer flood;
            flood.start();
            for (int i = 0; i < 10000; ++i) {
                // A thousand a second: no sooner than its place in the ten seconds.
                while (flood.elapsed() < i)
                    QThread::usleep(200);
                ++statuses[Status(
                    command(deck, "{\"command\":\"set\",\"field\":\"match\",\"value\":\"" +
                                      QByteArray::number(i % 900 + 1) + "\"}"))];
            }
            floodMs = flood.elapsed();
        }));
        worker->start();
        QVERIFY(worker->wait(180000));
        const double after = shownSeconds(read("clock"));
        qInfo("%lld ms of abuse; answers %s; five asking: %s", real.elapsed(),
              qPrintable(QDebug::toString(statuses)), qPrintable(QDebug::toString(pairs)));
        // The clock ran as the real time went, within a shown step and a refresh.
        QVERIFY(std::abs((before - after) - real.elapsed() / 1000.0) < 1.5);
        QCOMPARE(pairs.value(200), 1);
        QCOMPARE(pairs.value(429), 4);
        QCOMPARE(statuses.value(0), 0);
        // Twenty a second from the deck, however long the flood took on this machine.
        const double floodSeconds = floodMs / 1000.0;
        QVERIFY2(statuses.value(200) >= 15 * floodSeconds &&
                     statuses.value(200) <= 20 * (floodSeconds + 1),
                 qPrintable(QString::number(floodSeconds)));
        s->desktop.keys({QStringLiteral("Escape")}); // the phone's request refused
    }

    // Two devices and the keyboard, 500 actions interleaved; then the meet's log replays to
    // what the board shows, and a removed device is let in no more.
    void interleavedThenReplayed() {
        s->desktop.keys({QStringLiteral("s")}); // the clock stops
        const QByteArray deck = pairedByKeys("Deck two");
        // The devices on a thread of their own, the keyboard meanwhile: at the same time.
        int refused = 0;
        std::unique_ptr<QThread> devices(QThread::create([&] {
            for (int i = 0; i < 500; ++i) {
                if (i % 6 == 5)
                    continue;
                const QByteArray body =
                    "{\"id\":\"" + QByteArray::number(i) +
                    "\",\"command\":\"set\",\"field\":\"homeScore\",\"value\":\"" +
                    QByteArray::number(i % 150) + "\"}";
                // Twenty a second each: a refused one goes again with its id.
                int status = 0;
                while ((status = Status(command(i % 2 ? deck : tablet, body))) == 429)
                    QThread::msleep(50);
                refused += status != 200;
            }
        }));
        devices->start();
        int keyboard = 0;
        for (int i = 5; i < 500; i += 6, ++keyboard)
            s->desktop.keys({QStringLiteral("x"), QStringLiteral("Right")});
        QVERIFY(devices->wait(120000));
        QCOMPARE(refused, 0);
        QTRY_COMPARE_WITH_TIMEOUT(read("guestMatch"), QString::number(keyboard), Desktop::kWaitMs);
        QCOMPARE(read("homeScore"), QString::number(499 % 150));
        QFile log(s->desktop.dataHome() + QStringLiteral("/Darezez/meet.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const std::optional<MatchSnapshot> replayed = MeetLog::replay(log.readAll()).snapshot;
        QVERIFY(replayed);
        const QJsonObject state =
            QJsonDocument::fromJson(FeedBoard::Get(port, "/state.json").body).object();
        QCOMPARE(QString::number(replayed->fields[0]), state[u"home"][u"score"].toString());
        QCOMPARE(QString::number(replayed->fields[3]), state[u"guest"][u"match"].toString());
        QCOMPARE(QString::number(replayed->fields[4]), state[u"matchNumber"].toString());
        QCOMPARE(replayed->moves.size(), 1 + keyboard);
        // Removed in the options: its commands are refused at once.
        s->desktop.keys({QStringLiteral("o")});
        const QString options = s->desktop.waitForNewWindow({s->board});
        QVERIFY(s->desktop.waitForActive(options));
        const QRect d = s->desktop.geometry(options);
        s->desktop.click(d.x() + 280, d.y() + 20); // "Broadcast"
        s->desktop.keys({QStringLiteral("alt+l")});
        QTRY_COMPARE_WITH_TIMEOUT(Status(command(deck, R"({"command":"reset"})")), 401,
                                  Desktop::kWaitMs);
        QVERIFY(browser->until(QStringLiteral("ctl"),
                               QStringLiteral("/removed/.test(document.getElementById('status')"
                                              ".textContent)"),
                               Desktop::kWaitMs));
        s->desktop.keys({QStringLiteral("alt+c")});
        QVERIFY(s->desktop.waitForWindowGone(options));
        QVERIFY(s->desktop.running());
    }

    void cleanupTestCase() {
        browser.reset();
        s.reset();
    }
};

DAREZEZ_TEST_GUILESS(tst_control)
#include "tst_control.moc"
