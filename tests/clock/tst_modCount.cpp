#include "MatchFixture.h"
#include "TestMain.h"
#include "TestSupport.h"
#include "clock/Match.h"
#include "clock/modCount.h"

#include <QRandomGenerator>
#include <QTest>

class tst_modCount : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeClock> clock;
    std::unique_ptr<Match> m;

    QString show(TimeValue v, const QString &group) {
        return timeShown(v, group == QLatin1String("pledClock"));
    }
    QString matchClock() { return show(m->ClockValue(0), QStringLiteral("pledClock")); }
    QString shownClock() { return show(m->Shown(Match::pledClock), QStringLiteral("pledClock")); }
    void play(const QString &steps) { ::play(*m, *clock, steps); }

private slots:
    void init() {
        clock = std::make_unique<FakeClock>();
        m = std::make_unique<Match>();
    }
    void cleanup() {
        m.reset();
        clock.reset();
    }

    void showTime_data() {
        QTest::addColumn<int>("tenths");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("picture");
        QTest::newRow("600.0 clock") << 6000 << "pledClock"
                                     << "10:00";
        QTest::newRow("599.0 clock") << 5990 << "pledClock"
                                     << " 9:59";
        QTest::newRow("60.0 clock") << 600 << "pledClock"
                                    << " 1:00";
        QTest::newRow("59.9 clock") << 599 << "pledClock"
                                    << "59.9 ";
        QTest::newRow("59.9 time advantage") << 599 << "pledTimeAd"
                                             << "59.9 ";
        QTest::newRow("5.0 clock") << 50 << "pledClock"
                                   << " 5.0 ";
        QTest::newRow("5.0 time advantage") << 50 << "pledTimeAd"
                                            << " 5.0 ";
        QTest::newRow("0 clock") << 0 << "pledClock"
                                 << " 0.0 ";
        QTest::newRow("0 time advantage") << 0 << "pledTimeAd"
                                          << " 0.0 ";
        QTest::newRow("75.4 time advantage") << 754 << "pledTimeAd"
                                             << " 1:15";
        QTest::newRow("75.4 clock") << 754 << "pledClock"
                                    << " 1:16";
        QTest::newRow("10.0 keeps its zero") << 100 << "pledTimeAd"
                                             << "10.0 ";
        QTest::newRow("59:59 clock") << 35990 << "pledClock"
                                     << "59:59";
        QTest::newRow("6000 s holds at 99:59") << 60000 << "pledTimeAd"
                                               << "99:59";
        QTest::newRow("a day holds at 99:59") << 864000 << "pledTimeAd"
                                              << "99:59";
        QTest::newRow("10:05 keeps the inner zero") << 6050 << "pledTimeAd"
                                                    << "10:05";
    }
    void showTime() {
        QFETCH(int, tenths);
        QFETCH(QString, group);
        QFETCH(QString, picture);
        QCOMPARE(show(fromTenths(tenths), group), picture);
    }

    void tenMinutesHeldForTheFirstSecond() {
        m->SetClock(fromSeconds(600), 0, 0);
        m->StartClock(0);
        QCOMPARE(m->ClockValue(0), fromSeconds(600));
        for (int i = 1; i <= 9; ++i) {
            clock->advance(100);
            QCOMPARE(m->ClockValue(0), fromTenths(6000 - i));
            QCOMPARE(matchClock(), QStringLiteral("10:00"));
        }
        clock->advance(100);
        QCOMPARE(m->ClockValue(0), fromSeconds(599));
        QCOMPARE(matchClock(), QStringLiteral(" 9:59"));
    }

    void lastMinuteSwitchesToTenths() {
        m->SetClock(fromTenths(610), 0, 0);
        m->StartClock(0);
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(matchClock(), QStringLiteral(" 1:01"));
            clock->advance(100);
        }
        QCOMPARE(m->ClockValue(0), fromSeconds(60));
        QCOMPARE(matchClock(), QStringLiteral(" 1:00"));
        clock->advance(100);
        QCOMPARE(matchClock(), QStringLiteral("59.9 "));
    }

    void runsAddUpAndStopBanksTheLastReading() {
        m->SetClock(fromSeconds(600), 0, 0);
        m->StartClock(0);
        clock->advance(5300);
        m->ClockValue(0);
        clock->advance(40); // the stop comes after the reading
        m->StopClock(0);
        QCOMPARE(m->ClockValue(0), fromTenths(5947));
        clock->advance(10000); // stopped: nothing runs
        m->StartClock(0);
        clock->advance(2000);
        QCOMPARE(m->ClockValue(0), fromTenths(5927));
        QVERIFY(m->ClockRunning(0));
    }

    void tenthsAreTruncatedAtBothEnds() {
        clock->ms = 1'000'950; // start at .95
        m->SetClock(0, 1, 1);
        m->StartClock(1);
        clock->ms = 1'001'020; // now at .02 of the next second
        QCOMPARE(m->ClockValue(1), fromTenths(1));
        clock->ms = 1'001'949;
        QCOMPARE(m->ClockValue(1), fromTenths(10));
    }

    // The millisecond source counts from boot: a run may start at any reading, also where
    // a 32-bit count of milliseconds would wrap after 24.8 or 49.7 days up.
    void runFromAnySourceReading_data() {
        QTest::addColumn<qint64>("startMs");
        QTest::newRow("at boot") << qint64(0);
        QTest::newRow("across 2^31 ms") << (qint64(1) << 31) - 500;
        QTest::newRow("across 2^32 ms") << (qint64(1) << 32) - 500;
        QTest::newRow("ten years up") << qint64(315'360'000'000);
    }
    void runFromAnySourceReading() {
        QFETCH(qint64, startMs);
        clock->ms = startMs;
        m->SetClock(0, 1, 2);
        m->StartClock(2);
        m->SetClock(fromSeconds(90), 0, 0);
        m->StartClock(0);
        clock->ms = startMs + 1'200;
        QCOMPARE(m->ClockValue(2), fromTenths(12));
        QCOMPARE(m->ClockValue(0), fromTenths(888));
        clock->ms = startMs + 90'000;
        QCOMPARE(m->ClockValue(0), TimeValue(0));
        QCOMPARE(m->ClockValue(2), fromSeconds(90));
    }

    void countingDownStopsAtZero() {
        m->SetClock(0, 0, 0);
        QCOMPARE(m->ClockValue(0), TimeValue(0));
        m->StartClock(0);
        clock->advance(3000);
        QCOMPARE(m->ClockValue(0), TimeValue(0));

        m->SetClock(fromSeconds(2), 0, 0);
        m->StartClock(0);
        clock->advance(2500);
        QCOMPARE(m->ClockValue(0), TimeValue(0));
        m->StopClock(0);
        QCOMPARE(m->ClockValue(0), TimeValue(0));
        m->StartClock(0);
        clock->advance(1000);
        QCOMPARE(m->ClockValue(0), TimeValue(0));
    }

    // The holder's run ends at the match clock's zero, not at the refresh that finds it.
    void timeAdvantageEndsAtZero_data() {
        QTest::addColumn<QString>("beforeRefresh");
        QTest::newRow("refresh 5 minutes late") << "";
        QTest::newRow("guest takes over before it") << "advantage:guest";
        QTest::newRow("nobody holds before it") << "advantage:none";
    }
    void timeAdvantageEndsAtZero() {
        QFETCH(QString, beforeRefresh);
        m->Load();
        play(QStringLiteral("time:0.05 advantage:home"));
        clock->advance(30); // off the tenth
        play(QStringLiteral("startStop"));
        clock->advance(5'000 + 5 * 60'000);
        play(beforeRefresh);
        m->UpdateClocks();
        QVERIFY(!m->ClockRunning(0));
        QCOMPARE(m->Snapshot().homeAd, fromSeconds(5));
        QCOMPARE(m->Snapshot().guestAd, TimeValue(0));
        QCOMPARE(m->ShownText(Match::pledClock), QStringLiteral("0.0"));
    }

    void startStopAndSetOnARunningSlot() {
        m->SetClock(0, 1, 1);
        m->StartClock(1);
        clock->advance(3000);
        m->StartClock(1); // keeps the first start
        clock->advance(1000);
        QCOMPARE(m->ClockValue(1), fromSeconds(4));
        m->StopClock(1);
        m->StopClock(1); // a stopped slot is left alone
        QCOMPARE(m->ClockValue(1), fromSeconds(4));
        m->StartClock(1);
        clock->advance(1000);
        m->ClockValue(1);
        m->SetClock(fromSeconds(30), 1, 1);
        QVERIFY(!m->ClockRunning(1));
        clock->advance(5000);
        QCOMPARE(m->ClockValue(1), fromSeconds(30));
    }

    void countingUpShowsTenthsThenMinutes() {
        m->SetClock(fromTenths(599), 1, 1);
        QCOMPARE(show(m->ClockValue(1), QStringLiteral("pledTimeAd")), QStringLiteral("59.9 "));
        m->StartClock(1);
        clock->advance(100);
        QCOMPARE(show(m->ClockValue(1), QStringLiteral("pledTimeAd")), QStringLiteral(" 1:00"));
    }

    void slotsOutOfRange() {
        QVERIFY(!m->ClockRunning(5));
        QCOMPARE(m->ClockValue(7), TimeValue(0));
        m->SetClock(fromSeconds(9), 0, 5);
        m->StartClock(5);
        m->StopClock(-1);
        QVERIFY(!m->ClockRunning(4));
    }

    void timeToSeconds_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("seconds");
        QTest::newRow("25.3") << "25.3" << 1503;
        QTest::newRow("6.50") << "6.50" << 410;
        QTest::newRow("6") << "6" << 360;
        QTest::newRow("23") << "23" << 1380;
        QTest::newRow(".5") << ".5" << 5;
        QTest::newRow("5.") << "5." << 300;
        QTest::newRow("0.059") << "0.059" << 59;
        QTest::newRow("nothing") << "" << 0;
        QTest::newRow("60") << "60" << -1;
        QTest::newRow("5.60") << "5.60" << -1;
        QTest::newRow("1.2.3") << "1.2.3" << -1;
        QTest::newRow("00000005") << "00000005" << 300;
        QTest::newRow("000000005") << "000000005" << -1;
        QTest::newRow("59.59") << "59.59" << 3599;
        QTest::newRow("a letter") << "5a" << -1;
        QTest::newRow("a sign") << "-5" << -1;
        QTest::newRow("Arabic-Indic digit") << QString::fromUtf8("\u0665") << -1;
        QTest::newRow("full-width digit") << QString::fromUtf8("\uFF15") << -1;
        QTest::newRow("a lone point") << "." << 0;
    }
    void timeToSeconds() {
        QFETCH(QString, typed);
        QFETCH(int, seconds);
        QCOMPARE(modCount::TimeToSeconds(typed), seconds);
    }

    void typingStopsARunningClock() {
        m->SetClock(fromSeconds(600), 0, 0);
        m->StartClock(0);
        clock->advance(4000);
        play(QStringLiteral("time:3"));
        QVERIFY(!m->ClockRunning(0));
        clock->advance(4000);
        QCOMPARE(m->ClockValue(0), fromSeconds(180));
    }

    void nextRefresh_data() {
        QTest::addColumn<int>("clockTenths");
        QTest::addColumn<int>("adTenths"); // -1: nobody holds time advantage
        QTest::addColumn<int>("wait");     // ms to the next refresh
        QTest::newRow("10:00 holds for a second") << 6000 << -1 << 1000;
        QTest::newRow("a started second") << 5995 << -1 << 500;
        QTest::newRow("1:01 until 1:00") << 610 << -1 << 1000;
        QTest::newRow("1:00 to 59.9") << 600 << -1 << 100;
        QTest::newRow("tenths below a minute") << 305 << -1 << 100;
        QTest::newRow("zero") << 1 << -1 << 100;
        QTest::newRow("time advantage in tenths") << 6000 << 123 << 100;
        QTest::newRow("time advantage in seconds") << 6000 << 754 << 600;
        QTest::newRow("time advantage reaching a minute") << 6000 << 599 << 100;
    }
    void nextRefresh() {
        QFETCH(int, clockTenths);
        QFETCH(int, adTenths);
        QFETCH(int, wait);
        m->SetClock(fromTenths(clockTenths), 0, 0);
        m->SetClock(adTenths < 0 ? 0 : fromTenths(adTenths), 1, 1);
        m->SetClock(0, 1, 2);
        m->TimeAd = adTenths < 0 ? std::nullopt : std::optional(Side::Home);
        play(QStringLiteral("startStop"));
        QCOMPARE(m->NextRefreshMs() - clock->ms, qint64(wait));
    }

    // From any start, the refresh asked for is the first instant at which a shown digit
    // changes: a millisecond before it everything reads as shown.
    void refreshesComeWhenTheDigitsChange() {
        QRandomGenerator rng(19);
        for (int run = 0; run < 300; ++run) {
            Match match;
            clock->ms = 5'000'000 + rng.bounded(1000);
            match.SetClock(fromTenths(1 + rng.bounded(36000)), 0, 0);
            match.SetClock(fromTenths(rng.bounded(1200)), 1, 1);
            match.SetClock(0, 1, 2);
            match.TimeAd = rng.bounded(2) ? std::optional(Side::Home) : std::nullopt;
            match.apply(command(MatchCommand::Kind::StartStop));
            for (int step = 0; step < 40 && match.TickEnabled(); ++step) {
                const QString clockShown = match.ShownText(Match::pledClock);
                const QString adShown = match.ShownText(Match::pledTimeAd);
                const qint64 next = match.NextRefreshMs();
                QVERIFY(next > clock->ms);
                clock->ms = next - 1;
                match.UpdateClocks();
                QCOMPARE(match.ShownText(Match::pledClock), clockShown);
                QCOMPARE(match.ShownText(Match::pledTimeAd), adShown);
                clock->ms = next;
                match.UpdateClocks();
                QVERIFY2(match.ShownText(Match::pledClock) != clockShown ||
                             match.ShownText(Match::pledTimeAd) != adShown,
                         qPrintable(clockShown + QLatin1Char(' ') + adShown));
            }
        }
    }
};

DAREZEZ_TEST_GUILESS(tst_modCount)
#include "tst_modCount.moc"
