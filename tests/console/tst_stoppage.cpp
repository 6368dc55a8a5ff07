// The stoppage clocks by their keys, on the match with a fake time source: what they count,
// when they may run, and what they leave alone.
#include "ConsoleFixture.h"
#include "TestMain.h"
#include "TestSupport.h"
#include "clock/Match.h"
#include "led/KeyCodes.h"

#include <QSignalSpy>

class tst_stoppage : public QObject, ConsoleFixture {
    Q_OBJECT

    void stoppage(char key, int side) {
        press(QChar(QLatin1Char(key)).toUpper().unicode(), key);
        press(side);
    }
    void newBout(RuleBook::Set set) {
        m->SetNextRules(set);
        m->NewBout();
    }

private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    void countsDownToZeroAndBuzzesOnce() {
        QSignalSpy buzz(m.get(), &Match::BuzzerRequested);
        stoppage('i', KeyCodes::Left);
        QCOMPARE(m->StoppageKind(), int(RuleBook::Injury));
        QCOMPARE(m->StoppageSide(), 1);
        QCOMPARE(m->StoppageText(), QStringLiteral("1:30"));
        QVERIFY(m->TickEnabled());
        QVERIFY(m->NextRefreshMs() <= clock->ms + 1000);
        pass(30'000);
        QCOMPARE(m->StoppageText(), QStringLiteral("1:00"));
        pass(59'900);
        QCOMPARE(m->StoppageText(), QStringLiteral("0.1"));
        pass(100);
        QCOMPARE(m->StoppageText(), QStringLiteral("0.0"));
        QVERIFY(!m->StoppageRunning());
        QVERIFY(!m->TickEnabled());
        pass(5000);
        QCOMPARE(buzz.count(), 1);
        // Used up: that wrestler's clock cannot start again; the other's is full.
        QSignalSpy refused(console.get(), &KeyConsole::Refused);
        stoppage('i', KeyCodes::Left);
        QCOMPARE(refused.count(), 1);
        QVERIFY(!m->StoppageRunning());
        stoppage('i', KeyCodes::Right);
        QCOMPARE(m->StoppageText(), QStringLiteral("1:30"));
    }

    // Stopped by its key alone, a clock keeps what is left for the next start; head-neck is
    // given anew each time.
    void allowanceKeptAcrossStops_data() {
        QTest::addColumn<char>("key");
        QTest::addColumn<QString>("again");
        QTest::newRow("injury") << 'i' << "1:10";
        QTest::newRow("blood") << 'l' << "4:40";
        QTest::newRow("recovery") << 'v' << "1:40";
        QTest::newRow("head-neck") << 'k' << "5:00";
    }
    void allowanceKeptAcrossStops() {
        QFETCH(char, key);
        QFETCH(QString, again);
        stoppage(key, KeyCodes::Right);
        pass(20'000);
        press(QChar(QLatin1Char(key)).toUpper().unicode(), key);
        QVERIFY(!m->StoppageRunning());
        pass(20'000);
        QCOMPARE(m->StoppageSide(), 2);
        stoppage(key, KeyCodes::Right);
        QVERIFY(m->StoppageRunning());
        QCOMPARE(m->StoppageText(), again);
    }

    void refusedWhereTheRulesOrTheClockSayNo_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<char>("key");
        QTest::addColumn<bool>("matchRunning");
        QTest::addColumn<QString>("runs"); // empty: refused
        QTest::newRow("match clock running") << int(RuleBook::Set::NFHS) << 'l' << true << "";
        QTest::newRow("UWW injury") << int(RuleBook::Set::UWW) << 'i' << false << "";
        QTest::newRow("UWW recovery") << int(RuleBook::Set::UWW) << 'v' << false << "";
        QTest::newRow("UWW blood") << int(RuleBook::Set::UWW) << 'l' << false << "4:00";
        QTest::newRow("NCAA head-neck") << int(RuleBook::Set::NCAA) << 'k' << false << "";
        QTest::newRow("NCAA recovery") << int(RuleBook::Set::NCAA) << 'v' << false << "2:00";
    }
    void refusedWhereTheRulesOrTheClockSayNo() {
        QFETCH(int, set);
        QFETCH(char, key);
        QFETCH(bool, matchRunning);
        QFETCH(QString, runs);
        newBout(RuleBook::Set(set));
        if (matchRunning)
            press(0, 's');
        QSignalSpy refused(console.get(), &KeyConsole::Refused);
        stoppage(key, KeyCodes::Left);
        QCOMPARE(refused.count(), runs.isEmpty() ? 1 : 0);
        QCOMPARE(m->StoppageRunning(), !runs.isEmpty());
        QCOMPARE(m->StoppageText(), runs);
        // Refused, the Left that followed was an ordinary one.
        QVERIFY(m->TimeAd == (runs.isEmpty() ? std::optional(Side::Home) : std::nullopt));
    }

    // The wrestler's Left or Right is not a hand-over; any other key drops the choice.
    void timeAdvantageLeftAlone() {
        press(KeyCodes::Right);
        pass(1000);
        const TimeValue shown = m->Shown(Match::pledTimeAd);
        stoppage('l', KeyCodes::Left);
        QCOMPARE(m->StoppageSide(), 1);
        QVERIFY(m->TimeAd == Side::Guest);
        QCOMPARE(m->ShownAdSide, qint16(2));
        pass(3000);
        QCOMPARE(m->Shown(Match::pledTimeAd), shown);
        press('L', 'l');
        press(KeyCodes::Up);
        press(KeyCodes::Left);
        QVERIFY(m->TimeAd == Side::Home);
        QVERIFY(!m->StoppageRunning());
    }

    // One at a time; the match clock's start stops it and takes the digits back.
    void anotherClockOrTheMatchClockStopsIt() {
        stoppage('i', KeyCodes::Left);
        pass(10'000);
        stoppage('l', KeyCodes::Right);
        QCOMPARE(m->StoppageKind(), int(RuleBook::Blood));
        QCOMPARE(m->StoppageLeft(1, RuleBook::Injury), fromSeconds(80));
        pass(5000);
        press(0, 's');
        QVERIFY(m->ClockRunning(0));
        QCOMPARE(m->StoppageKind(), -1);
        QCOMPARE(m->StoppageLeft(2, RuleBook::Blood), fromSeconds(295));
        pass(1000);
        QCOMPARE(m->ShownText(Match::pledClock), QStringLiteral("9:59"));
    }

    // Another match number starts the next bout with full allowances; the same one does not.
    void newMatchNumberRefills() {
        stoppage('i', KeyCodes::Left);
        pass(10'000);
        press('I', 'i');
        for (const char *entry : {"0\r", "4\r"}) {
            type(Match::pledMatch, QLatin1String(entry));
            QCOMPARE(m->StoppageLeft(1, RuleBook::Injury), fromSeconds(*entry == '0' ? 80 : 90));
        }
        QCOMPARE(m->StoppageKind(), -1);
    }

    // The match clock out before a refresh saw it: the key finds it stopped, as it is.
    void keyAfterAnUnseenZero() {
        play(QStringLiteral("time:0.05 startStop"));
        clock->advance(8000);
        QSignalSpy refused(console.get(), &KeyConsole::Refused);
        stoppage('l', KeyCodes::Right);
        QCOMPARE(refused.count(), 0);
        QVERIFY(m->StoppageRunning());
        QVERIFY(!m->TimeAd);
    }

    // Resumed, a running stoppage clock stands stopped where it was, its time used.
    void restoredStopped() {
        stoppage('l', KeyCodes::Right);
        pass(12'300);
        const MatchSnapshot running = m->Snapshot();
        Match resumed;
        resumed.Restore(running);
        QVERIFY(!resumed.StoppageRunning());
        QCOMPARE(resumed.StoppageKind(), int(RuleBook::Blood));
        QCOMPARE(resumed.StoppageText(), QStringLiteral("4:48"));
        QCOMPARE(resumed.StoppageLeft(2, RuleBook::Blood), fromTenths(2877));
        QVERIFY(!resumed.TickEnabled());
    }
};

DAREZEZ_TEST_GUILESS(tst_stoppage)
#include "tst_stoppage.moc"
