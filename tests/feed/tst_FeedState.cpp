#include "TestMain.h"
#include "feed/FeedState.h"
#include "settings/modGlobals.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

class tst_FeedState : public QObject {
    Q_OBJECT

private slots:
    void theIssuedExampleExactly() {
        FeedState s;
        s.clock = QStringLiteral("9:58");
        s.clockRunning = true;
        s.timeAdvantage = {QStringLiteral("1.2"), QStringLiteral("home"), QStringLiteral("home")};
        s.home = {QStringLiteral("Tigers"), QStringLiteral("12"), QStringLiteral("3"),
                  QStringLiteral("Peña")};
        s.guest = {QStringLiteral("Bears"), QString(), QStringLiteral("0"), {}};
        s.matchNumber = QStringLiteral("5");
        s.period = QStringLiteral("2");
        s.weight = QStringLiteral("145");
        s.ledType = 0;
        s.colors = {FeedText::Color(4210752), FeedText::Color(16777215), FeedText::Color(0),
                    FeedText::Color(33023), FeedText::Color(255)};
        s.stoppage = {
            QStringLiteral("blood"), QStringLiteral("guest"), true, QStringLiteral("4:12"), {}};
        const QString full[] = {QStringLiteral("1:30"), QStringLiteral("5:00"),
                                QStringLiteral("2:00"), QStringLiteral("5:00")};
        std::copy(std::begin(full), std::end(full), s.stoppage.left[0].begin());
        std::copy(std::begin(full), std::end(full), s.stoppage.left[1].begin());
        s.stoppage.left[1][1] = QStringLiteral("4:12");
        s.round = {QStringLiteral("period"), 2};
        s.moves = {{1, "1:42", "home", "T3", 3}};
        s.bouts = {{"3",
                    "120",
                    "home",
                    "fall",
                    6,
                    "1:23",
                    "9",
                    "2",
                    "12",
                    "3",
                    {{1, "0:31", "guest", "E1", 1}},
                    "Ruiz",
                    "Obi"},
                   {"4", "126", "", "doubleForfeit", 0, "", "", "", "12", "3", {}, "", ""}};
        QCOMPARE(
            FeedStateJson(s),
            QByteArray(
                R"({"clock":"9:58","clockRunning":true,"timeAdvantage":{"shown":"1.2","side":"home","holder":"home"},"home":{"name":"Tigers","wrestler":"Peña","score":"12","match":"3"},"guest":{"name":"Bears","wrestler":"","score":"","match":"0"},"matchNumber":"5","period":"2","weight":"145","ledType":0,"colors":{"form":"#404040","text":"#ffffff","ledBack":"#000000","ledScore":"#ff8000","ledTime":"#ff0000"},"rules":"NFHS","stoppage":{"kind":"blood","side":"guest","running":true,"shown":"4:12","left":{"home":{"injury":"1:30","blood":"5:00","recovery":"2:00","headNeck":"5:00"},"guest":{"injury":"1:30","blood":"4:12","recovery":"2:00","headNeck":"5:00"}}},"round":{"kind":"period","number":2},"moves":[{"period":1,"clock":"1:42","side":"home","mark":"T3","points":3}],"bouts":[{"match":"3","weight":"120","winner":"home","kind":"fall","teamPoints":6,"fallTime":"1:23","homePoints":"9","guestPoints":"2","homeScore":"12","guestScore":"3","homeWrestler":"Ruiz","guestWrestler":"Obi","moves":[{"period":1,"clock":"0:31","side":"guest","mark":"E1","points":1}]},{"match":"4","weight":"126","winner":null,"kind":"doubleForfeit","teamPoints":0,"fallTime":null,"homePoints":"","guestPoints":"","homeScore":"12","guestScore":"3","homeWrestler":"","guestWrestler":"","moves":[]}]})"));
        // An event's frame: the bout on the board's moves, no finished bout's.
        const QByteArray frame = FeedStateJson(s, false);
        QVERIFY(frame.contains("\"T3\"") && !frame.contains("\"E1\"") &&
                QJsonDocument::fromJson(frame).isObject());
        // No clock shown, and a rule set without most kinds.
        FeedState uww;
        uww.rules = QStringLiteral("UWW");
        uww.stoppage.left[0][1] = uww.stoppage.left[1][1] = QStringLiteral("4:00");
        QVERIFY(FeedStateJson(uww).endsWith(
            R"("rules":"UWW","stoppage":{"kind":null,"side":null,"running":false,"shown":"","left":{"home":{"blood":"4:00"},"guest":{"blood":"4:00"}}},"round":{"kind":"period","number":0},"moves":[],"bouts":[]})"));
    }

    void namesAreEscaped_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("quote") << QStringLiteral("A \"B\"");
        QTest::newRow("backslash") << QStringLiteral("C:\\x");
        QTest::newRow("control") << QStringLiteral("a\nb\tc\x01");
        QTest::newRow("non-ASCII") << QStringLiteral("Zürich Łódź 東京");
        QTest::newRow("script") << QStringLiteral("</script><b>");
    }
    void namesAreEscaped() {
        QFETCH(QString, name);
        FeedState s;
        s.home.name = name;
        s.guest.name = name;
        s.clockRunning = true;
        s.ledType = 1;
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(FeedStateJson(s), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(doc[QLatin1String("home")][QLatin1String("name")].toString(), name);
        QCOMPARE(doc[QLatin1String("guest")][QLatin1String("name")].toString(), name);
        QCOMPARE(doc[QLatin1String("clockRunning")].toBool(), true);
        QCOMPARE(doc[QLatin1String("ledType")].toInt(), 1);
    }

    void colors_data() {
        QTest::addColumn<qint32>("packed");
        QTest::addColumn<QString>("text");
        QTest::newRow("black") << 0 << QStringLiteral("#000000");
        QTest::newRow("red") << 255 << QStringLiteral("#ff0000");
        QTest::newRow("orange") << 33023 << QStringLiteral("#ff8000");
        QTest::newRow("blue") << 0xFF0000 << QStringLiteral("#0000ff");
        QTest::newRow("mixed") << 0x123456 << QStringLiteral("#563412");
        QTest::newRow("high byte ignored") << qint32(0x7F0000FF) << QStringLiteral("#ff0000");
    }
    void colors() {
        QFETCH(qint32, packed);
        QFETCH(QString, text);
        QCOMPARE(FeedText::Color(packed), text);
    }

    void optionsFillColoursStyleAndNames() {
        modGlobals::SetDefaults();
        modGlobals::HomeText = QStringLiteral("Tigers");
        modGlobals::LEDScoreColor = 0x00FF00;
        modGlobals::LEDType = 1;
        FeedState s;
        s.home.score = QStringLiteral("3");
        FeedText::FillOptions(s);
        QCOMPARE(s.home.name, QStringLiteral("Tigers"));
        QCOMPARE(s.guest.name, QStringLiteral("Guest"));
        QCOMPARE(s.home.score, QStringLiteral("3"));
        QCOMPARE(s.ledType, 1);
        QCOMPARE(s.colors.form, QStringLiteral("#404040"));
        QCOMPARE(s.colors.text, QStringLiteral("#ffffff"));
        QCOMPARE(s.colors.ledBack, QStringLiteral("#000000"));
        QCOMPARE(s.colors.ledScore, QStringLiteral("#00ff00"));
        QCOMPARE(s.colors.ledTime, QStringLiteral("#ff0000"));
    }
};

DAREZEZ_TEST_GUILESS(tst_FeedState)
#include "tst_FeedState.moc"
