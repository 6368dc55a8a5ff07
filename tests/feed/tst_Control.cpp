// Control by other devices: pairing, tokens kept as hashes, commands as the keys give them,
// and the server's rules for every request, on 127.0.0.1 with a real match behind it.
#include "FeedClient.h"
#include "TestMain.h"
#include "feed/ControlDesk.h"
#include "feed/ControlDevices.h"
#include "feed/FeedServer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

QByteArray post(const QByteArray &path, const QByteArray &body, const QByteArray &extra = {}) {
    return "POST " + path +
           " HTTP/1.1\r\nHost: 127.0.0.1:%p\r\nContent-Type: application/json\r\n" + extra +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

} // namespace

class tst_Control : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    qint64 now = 1000;
    std::unique_ptr<Match> match;
    std::unique_ptr<ControlDevices> devices;
    std::unique_ptr<ControlDesk> desk;
    std::unique_ptr<FeedServer> server;

    QString path() const { return dir.filePath(QStringLiteral("devices.json")); }
    void open() {
        devices = std::make_unique<ControlDevices>(path(), [this] { return now; });
        desk = std::make_unique<ControlDesk>(*match, *devices, [] { return QByteArray("{}"); });
        QObject::connect(devices.get(), &ControlDevices::Removed, server.get(),
                         &FeedServer::closeStreams);
    }
    QByteArray exchange(QByteArray request) {
        request.replace("%p", QByteArray::number(server->port()));
        return Exchange(server->port(), request);
    }
    // A device let in: its token.
    QByteArray paired(const QString &name, const QString &address) {
        int status = 0;
        QString why;
        const auto asked = devices->Ask(name, address, &status, &why);
        QByteArray token;
        if (asked && devices->Allow(asked->code))
            devices->Collect(asked->id, &token);
        return token;
    }
    QByteArray command(const QByteArray &token, const QByteArray &body) {
        return exchange(post("/api/command", body, "Authorization: Bearer " + token + "\r\n"));
    }

private slots:
    void init() {
        match = std::make_unique<Match>();
        match->Load();
        server = std::make_unique<FeedServer>();
        QVERIFY(server->start(0, false));
        QFile::remove(path());
        open();
        server->setControl([this](const ControlRequest &r) { return desk->Answer(r); });
    }
    void cleanup() {
        server.reset();
        desk.reset();
        devices.reset();
    }

    // A request's life: waiting, then let in (its token given once), refused, or lapsed.
    void pairing_data() {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("status");
        QTest::newRow("waiting") << "" << 202;
        QTest::newRow("allowed") << "allow" << 200;
        QTest::newRow("refused") << "refuse" << 403;
        QTest::newRow("lapsed") << "lapse" << 403;
        QTest::newRow("wrong code") << "wrong" << 202;
    }
    void pairing() {
        QFETCH(QString, step);
        QFETCH(int, status);
        int refusal = 0;
        QString why;
        const auto asked =
            devices->Ask(QStringLiteral("Scorer tablet"), "10.0.0.2", &refusal, &why);
        QVERIFY(asked && asked->code.size() == 4 && asked->id.size() == 32);
        if (step == QLatin1String("allow"))
            QVERIFY(devices->Allow(asked->code));
        else if (step == QLatin1String("refuse"))
            devices->RefuseAll();
        else if (step == QLatin1String("lapse"))
            now += ControlDevices::kLapseMs;
        else if (step == QLatin1String("wrong"))
            QVERIFY(!devices->Allow(QString::number((asked->code.toInt() + 1) % 10000)));
        QByteArray token;
        QCOMPARE(devices->Collect(asked->id, &token), status);
        if (status == 200) {
            QCOMPARE(token.size(), 43); // 256 bits
            QVERIFY(devices->Find(token));
            QCOMPARE(devices->Collect(asked->id, &token), 404);
        }
        QCOMPARE(devices->Collect("unknown", &token), 404);
    }

    // Four wait, one an address; a name is never empty (its other rules are a wrestler's).
    void askRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("others");
        QTest::addColumn<bool>("sameAddress");
        QTest::addColumn<int>("status");
        QTest::newRow("fifth") << "Deck" << 4 << false << 429;
        QTest::newRow("same address") << "Deck" << 1 << true << 429;
        QTest::newRow("empty") << "  " << 0 << false << 400;
    }
    void askRefused() {
        QFETCH(QString, name);
        QFETCH(int, others);
        QFETCH(bool, sameAddress);
        QFETCH(int, status);
        int got = 0;
        QString why;
        for (int i = 0; i < others; ++i)
            QVERIFY(devices->Ask(QStringLiteral("Tablet"), QString::number(i), &got, &why));
        QVERIFY(!devices->Ask(name, sameAddress ? QStringLiteral("0") : QStringLiteral("9"), &got,
                              &why));
        QCOMPARE(got, status);
    }

    // Only the token's hash is kept; a device comes back with the program, and goes at once
    // when removed, its event stream with it.
    void keptAsAHashAndRemoved() {
        const QByteArray token = paired(QStringLiteral("Scorer tablet"), QStringLiteral("a"));
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray kept = file.readAll();
        QVERIFY(!kept.contains(token) && kept.contains(ControlDevices::Hash(token)));
        open();
        QVERIFY(devices->Find(token));
        QVERIFY(!devices->Find(token.left(42) + (token.endsWith('A') ? "B" : "A")));
        FeedClient stream(server->port());
        QVERIFY(stream.connected());
        stream.send(
            "GET /api/events HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(server->port()) +
            "\r\nAuthorization: Bearer " + token + "\r\n\r\n");
        QVERIFY(stream.got("data: {}"));
        devices->Remove(devices->Devices().front().key);
        QVERIFY(stream.closed());
        QVERIFY(command(token, R"({"command":"startStop"})").startsWith("HTTP/1.1 401"));
    }

    // The server's rules: off, a foreign host or origin, bodies, methods, tokens.
    void requests_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("status");
        const QByteArray cmd = R"({"command":"startStop"})";
        const QByteArray auth = "Authorization: Bearer %t\r\n";
        QTest::newRow("page") << QByteArray("GET /control HTTP/1.1\r\nHost: 127.0.0.1:%p\r\n\r\n")
                              << QByteArray("200");
        QTest::newRow("localhost")
            << QByteArray("GET /control HTTP/1.1\r\nHost: localhost:%p\r\n\r\n")
            << QByteArray("200");
        QTest::newRow("foreign host")
            << QByteArray("GET /control HTTP/1.1\r\nHost: evil.example:%p\r\n\r\n")
            << QByteArray("403");
        QTest::newRow("foreign origin")
            << post("/api/pair", R"({"name":"x"})", "Origin: http://evil.example\r\n")
            << QByteArray("403");
        QTest::newRow("own origin")
            << post("/api/pair", R"({"name":"x"})", "Origin: http://127.0.0.1:%p\r\n")
            << QByteArray("200");
        QTest::newRow("unknown api")
            << QByteArray("GET /api/x HTTP/1.1\r\nHost: 127.0.0.1:%p\r\n\r\n") << QByteArray("404");
        QTest::newRow("options")
            << QByteArray("OPTIONS /api/command HTTP/1.1\r\nHost: 127.0.0.1:%p\r\n\r\n")
            << QByteArray("405");
        QTest::newRow("text body")
            << QByteArray(post("/api/pair", "{}").replace("application/json", "text/plain"))
            << QByteArray("415");
        QTest::newRow("chunked") << QByteArray("POST /api/pair HTTP/1.1\r\nHost: 127.0.0.1:%p\r\n"
                                               "Content-Type: application/json\r\n"
                                               "Transfer-Encoding: chunked\r\n\r\n0\r\n\r\n")
                                 << QByteArray("411");
        QTest::newRow("over 4 KB")
            << QByteArray("POST /api/command HTTP/1.1\r\nHost: 127.0.0.1:%p\r\n"
                          "Content-Type: application/json\r\n"
                          "Content-Length: 4097\r\n\r\n")
            << QByteArray("413");
        QTest::newRow("length past a number")
            << QByteArray("POST /api/command HTTP/1.1\r\nHost: 127.0.0.1:%p\r\n"
                          "Content-Type: application/json\r\n"
                          "Content-Length: 99999999999999999999\r\n\r\n")
            << QByteArray("413");
        QTest::newRow("head of a pairing")
            << QByteArray("HEAD /api/pair/x HTTP/1.1\r\nHost: 127.0.0.1:%p\r\n\r\n")
            << QByteArray("405");
        QTest::newRow("no token") << post("/api/command", cmd) << QByteArray("401");
        QTest::newRow("command") << post("/api/command", cmd, auth) << QByteArray("200");
        QTest::newRow("not json") << post("/api/command", "{", auth) << QByteArray("400");
        QTest::newRow("digit missing")
            << post("/api/command", R"({"command":"move","move":"nearFall","side":"home"})", auth)
            << QByteArray("400");
        QTest::newRow("no such time")
            << post("/api/command", R"({"command":"set","field":"clock","value":"99.99"})", auth)
            << QByteArray("400");
        QTest::newRow("stoppage without a side")
            << post("/api/command", R"({"command":"stoppage","kind":"blood"})", auth)
            << QByteArray("400");
        QTest::newRow("nothing to undo")
            << post("/api/command", R"({"command":"undo"})", auth) << QByteArray("409");
        QTest::newRow("feed path untouched")
            << QByteArray("GET /state.json HTTP/1.1\r\nHost: evil.example\r\n\r\n")
            << QByteArray("200");
    }
    void requests() {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, status);
        request.replace("%t", paired(QStringLiteral("Deck"), QStringLiteral("b")));
        const QByteArray answer = exchange(request);
        QVERIFY2(answer.startsWith("HTTP/1.1 " + status), answer.constData());
        QVERIFY(!answer.contains("Access-Control"));
        if (request.startsWith("GET /control") && status == "200")
            QVERIFY(answer.contains("Content-Security-Policy: default-src 'self'; "
                                    "frame-ancestors 'none'"));
        server->setControl({});
        QVERIFY(exchange(request).startsWith(request.contains("/state.json") ? "HTTP/1.1 200"
                                                                             : "HTTP/1.1 404"));
    }

    // Commands as the keys give them; a repeated id acts once, also after a restart.
    void commands_data() {
        QTest::addColumn<QByteArrayList>("bodies");
        QTest::addColumn<QString>("shown"); // home score, home match, guest match, clock
        QTest::newRow("takedown")
            << QByteArrayList{R"({"command":"move","move":"takedown","side":"home"})"}
            << "0 3 0 10:00";
        QTest::newRow("near fall 3")
            << QByteArrayList{R"({"command":"move","move":"nearFall","side":"guest","points":3})"}
            << "0 0 3 10:00";
        QTest::newRow("typed score and time")
            << QByteArrayList{R"({"command":"set","field":"homeScore","value":"12"})",
                              R"({"command":"set","field":"clock","value":"2.00"})"}
            << "12 0 0 2:00";
        QTest::newRow("sign and digit")
            << QByteArrayList{R"({"command":"set","field":"homeScore","value":"5"})",
                              R"({"command":"set","field":"homeScore","value":"+3"})"}
            << "8 0 0 10:00";
        QTest::newRow("same id once")
            << QByteArrayList{R"({"id":"a","command":"move","move":"takedown","side":"home"})",
                              R"({"id":"a","command":"move","move":"takedown","side":"home"})"}
            << "0 3 0 10:00";
        QTest::newRow("same id after a restart")
            << QByteArrayList{R"({"id":"a","command":"move","move":"takedown","side":"home"})",
                              "restart",
                              R"({"id":"a","command":"move","move":"takedown","side":"home"})"}
            << "0 3 0 10:00";
        QTest::newRow("no id, each time")
            << QByteArrayList{R"({"command":"move","move":"takedown","side":"home"})",
                              R"({"command":"move","move":"takedown","side":"home"})"}
            << "0 6 0 10:00";
        QTest::newRow("own undo")
            << QByteArrayList{R"({"command":"move","move":"escape","side":"home"})",
                              R"({"command":"undo"})"}
            << "0 0 0 10:00";
    }
    void commands() {
        QFETCH(QByteArrayList, bodies);
        QFETCH(QString, shown);
        const QByteArray token = paired(QStringLiteral("Scorer tablet"), QStringLiteral("c"));
        QSignalSpy acted(desk.get(), &ControlDesk::Acted);
        for (const QByteArray &body : bodies) {
            if (body == "restart") {
                open();
                continue;
            }
            QVERIFY(command(token, body).startsWith("HTTP/1.1 200"));
        }
        const QStringList got{QString::number(match->Value(Match::pledHomeScore)),
                              QString::number(match->Value(Match::pledHomeMatch)),
                              QString::number(match->Value(Match::pledGuestMatch)),
                              match->ShownText(Match::pledClock).trimmed()};
        QCOMPARE(got.join(QLatin1Char(' ')), shown);
        QVERIFY(acted.size() >= 1);
        QVERIFY(acted.front().front().toString().startsWith(QStringLiteral("Scorer tablet: ")));
        if (QTest::currentDataTag() == QByteArray("takedown"))
            QCOMPARE(acted.front().front().toString(), QStringLiteral("Scorer tablet: T3 Home"));
        // The same id with another body is refused.
        if (bodies.front().contains(R"("id":"a")"))
            QVERIFY(
                command(token, R"({"id":"a","command":"startStop"})").startsWith("HTTP/1.1 409"));
    }

    // While "Bout Result" is open, nothing but the buzzer; a wrong token's answer waits,
    // and no more than eight wait at once.
    void heldAndSlow() {
        const QByteArray token = paired(QStringLiteral("Deck"), QStringLiteral("f"));
        desk->SetHeld(QStringLiteral("Bout Result is open"));
        QVERIFY(command(token, R"({"command":"startStop"})").contains("Bout Result is open"));
        QSignalSpy buzzer(desk.get(), &ControlDesk::BuzzerRequested);
        QVERIFY(command(token, R"({"command":"buzzer"})").startsWith("HTTP/1.1 200"));
        QCOMPARE(buzzer.size(), 1);
        std::vector<std::unique_ptr<FeedClient>> guessers;
        for (int i = 0; i < 9; ++i) {
            guessers.push_back(std::make_unique<FeedClient>(server->port()));
            QVERIFY(guessers.back()->connected());
            guessers.back()->send(
                QByteArray(post("/api/command", "{}", "Authorization: Bearer x\r\n"))
                    .replace("%p", QByteArray::number(server->port())));
        }
        int answered = 0;
        for (auto &g : guessers) {
            QVERIFY(g->closed());
            answered += g->received.startsWith("HTTP/1.1 401");
        }
        QCOMPARE(answered, 8);
    }
};

DAREZEZ_TEST(tst_Control)
#include "tst_Control.moc"
