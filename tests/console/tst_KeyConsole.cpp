// The console's keys: a typed time and the beep that says it was taken, and half-typed
// entries dropped by the next bout.
#include "ConsoleFixture.h"
#include "TestMain.h"
#include "TestSupport.h"
#include "led/KeyCodes.h"

#include <QSignalSpy>

class tst_KeyConsole : public QObject, ConsoleFixture {
    Q_OBJECT

private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    void typedTimeSetsTheClock_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("beeps");
        QTest::newRow("25.3") << "25.3\r"
                              << "25:03" << 1503 << 1;
        QTest::newRow("59.59") << "59.59\r"
                               << "59:59" << 3599 << 1;
        QTest::newRow("60 refused") << "60\r"
                                    << "10:00" << 600 << 0;
        QTest::newRow("nothing typed") << "\r"
                                       << " 0.0 " << 0 << 1;
        QTest::newRow("space starts over") << "12 3.3\r"
                                           << " 3:03" << 183 << 1;
        QTest::newRow("nine characters") << "000000005\r"
                                         << "10:00" << 600 << 0;
        QTest::newRow("eight characters") << "00000005\r"
                                          << " 5:00" << 300 << 1;
        QTest::newRow("other keys ignored") << "1+-x\b2\r"
                                            << "12:00" << 720 << 1;
        QTest::newRow("refused then accepted") << "99\r4\r"
                                               << " 4:00" << 240 << 1;
    }
    void typedTimeSetsTheClock() {
        QFETCH(QString, keys);
        QFETCH(QString, picture);
        QFETCH(int, last);
        QFETCH(int, beeps);
        m->LastClockTime = 600;
        m->SetClock(fromSeconds(600), 0, 0);
        m->ShowTime(m->ClockValue(0), Match::pledClock);
        BeepCounter counter;
        type(Match::pledClock, keys);
        QCOMPARE(timeShown(m->Shown(Match::pledClock), true), picture);
        QCOMPARE(m->LastClockTime, last);
        QCOMPARE(counter.count, beeps);
        QVERIFY(!m->ClockRunning(0));
        QVERIFY(console->ClockTyped().isEmpty());
    }

    // A scoring key, then Left or Right, then the digit of a near fall: typed into the selected
    // home score, the digit is the move's and never the field's; any other key drops the
    // choice and does what it always does.
    void scoringKeys_data() {
        QTest::addColumn<QString>("keys"); // "L", "R", "U" the arrows, anything else typed
        QTest::addColumn<int>("home");
        QTest::addColumn<int>("guest");
        QTest::addColumn<int>("homeScore");
        QTest::addColumn<int>("refused");
        QTest::newRow("takedown home") << "t L" << 3 << 0 << 0 << 0;
        QTest::newRow("escape guest") << "x R" << 0 << 1 << 0 << 0;
        QTest::newRow("near fall's digit is the move's") << "f R 3" << 0 << 3 << 0 << 0;
        QTest::newRow("a near fall of 7 is no near fall") << "f R 7" << 0 << 0 << 0 << 1;
        QTest::newRow("no digit: dropped, the key types") << "f R + 2" << 0 << 0 << 2 << 1;
        QTest::newRow("Up drops it and hands over nobody") << "t U" << 0 << 0 << 0 << 0;
        QTest::newRow("a digit before the side types") << "t 4 L \r" << 0 << 0 << 4 << 0;
        QTest::newRow("a penalty names the one called") << "a L" << 0 << 1 << 0 << 0;
    }
    void scoringKeys() {
        QFETCH(QString, keys);
        QFETCH(int, home);
        QFETCH(int, guest);
        QFETCH(int, homeScore);
        QFETCH(int, refused);
        QSignalSpy refusals(console.get(), &KeyConsole::Refused);
        for (const QString &key : keys.split(QLatin1Char(' '))) {
            if (key == QLatin1String("L") || key == QLatin1String("R") || key == QLatin1String("U"))
                press(key == QLatin1String("L")   ? KeyCodes::Left
                      : key == QLatin1String("R") ? KeyCodes::Right
                                                  : KeyCodes::Up);
            else
                type(Match::pledHomeScore, key);
        }
        QCOMPARE(m->Value(Match::pledHomeMatch), home);
        QCOMPARE(m->Value(Match::pledGuestMatch), guest);
        QCOMPARE(m->Value(Match::pledHomeScore), homeScore);
        QCOMPARE(refusals.count(), refused);
    }

    void nextBoutDropsHalfTypedEntries() {
        type(Match::pledClock, QStringLiteral("1.3"));
        type(Match::pledGuestScore, QStringLiteral("+"));
        press(0, modGlobals::NextBoutKey);
        QCOMPARE(console->ClockTyped(), QString());
        QCOMPARE(console->DigitTyped(), QString());
        QCOMPARE(m->Value(Match::pledMatch), 1);
    }
};

DAREZEZ_TEST_GUILESS(tst_KeyConsole)
#include "tst_KeyConsole.moc"
