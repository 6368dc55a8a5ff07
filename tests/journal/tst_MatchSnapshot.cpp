// A match taken as a snapshot and restored into another: the same board, stopped, that
// runs on exactly as the first would from where it stood.
#include "TestMain.h"
#include "TestSupport.h"
#include "clock/Match.h"
#include "clock/MatchFixture.h"
#include "clock/MatchMembers.h"
#include "journal/JournalTexts.h"
#include "led/KeyCodes.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QStringList board(const Match &m) {
    QStringList shown;
    for (int f = 0; f < Match::kFieldCount; ++f)
        shown << m.ShownText(Match::Field(f));
    return shown << QString::number(MatchMembers::holderNumber(m.TimeAd));
}

} // namespace

class tst_MatchSnapshot : public QObject {
    Q_OBJECT

private slots:

    void freshBoardIsTheFreshSnapshot() {
        FakeClock clock;
        Match m;
        m.Load();
        QCOMPARE(m.Snapshot(), MatchSnapshot{});
        QVERIFY(!JournalTexts::meetInProgress(m.Snapshot()));
        // Started and stopped at once: nothing shows it, but the meet has begun.
        play(m, clock, QStringLiteral("startStop startStop"));
        QVERIFY(m.ClockHasRun());
        QVERIFY(JournalTexts::meetInProgress(m.Snapshot()));
    }

    void roundTrip_data() {
        QTest::addColumn<QString>("steps");
        QTest::newRow("fresh") << "";
        QTest::newRow("scores and blanks")
            << "homeScore:12 guestScore:7 homeMatch:3 guestMatch:19 match:105 period:2 "
               "weight:157 guestScore:+3 homeMatch:";
        QTest::newRow("typed time, never run") << "time:2.30";
        QTest::newRow("running with home advantage")
            << "homeScore:4 time:3 advantage:home startStop wait:3400";
        QTest::newRow("stopped after guest advantage")
            << "time:2 startStop advantage:guest wait:1250 advantage:home wait:2010 startStop "
               "wait:5000";
        QTest::newRow("guest advantage shown, nobody holds")
            << "startStop advantage:guest wait:700 advantage:none wait:900";
        QTest::newRow("under a minute, tenths") << "time:.45 startStop wait:3370";
        QTest::newRow("run out") << "time:.02 startStop wait:2500 wait:100";
        QTest::newRow("reset after a run") << "time:1.10 startStop advantage:home wait:4000 reset";
        QTest::newRow("a typed time over a running clock") << "startStop wait:1500 time:4";
    }
    void roundTrip() {
        QFETCH(QString, steps);
        FakeClock clock;
        Match first;
        first.Load();
        play(first, clock, steps);
        const MatchSnapshot journaled = first.Snapshot();

        Match second;
        second.Load();
        QSignalSpy fields(&second, &Match::FieldChanged);
        QSignalSpy lamps(&second, &Match::AdChanged);
        second.Restore(journaled);
        QVERIFY(lamps.count() >= 1);
        for (int f = Match::pledHomeScore; f < Match::kFieldCount; ++f) {
            if (journaled.fields[f - Match::pledHomeScore] != 0)
                QVERIFY(fields.contains({QVariant::fromValue(Match::Field(f))}));
        }
        MatchSnapshot stopped = journaled;
        stopped.clockRunning = false;
        QCOMPARE(second.Snapshot(), stopped);
        QVERIFY(!second.ClockRunning(0));
        QVERIFY(!second.TickEnabled());

        // The operator restarts both where they stood: from here they run as one.
        if (first.ClockRunning(0))
            play(first, clock, QStringLiteral("startStop"));
        QCOMPARE(board(second), board(first));
        for (Match *m : {&first, &second})
            play(*m, clock, QStringLiteral("startStop"));
        clock.advance(2530);
        first.UpdateClocks();
        second.UpdateClocks();
        QCOMPARE(board(second), board(first));
        // Their histories differ: only the first had a clock to stop.
        const auto state = [](const Match &m) {
            MatchSnapshot s = m.Snapshot();
            s.undoable.clear();
            s.redoable.clear();
            return s;
        };
        QCOMPARE(state(second), state(first));
        // Reset returns both to the same time.
        for (Match *m : {&first, &second})
            play(*m, clock, QStringLiteral("reset"));
        QCOMPARE(board(second), board(first));
    }

    // A journal's times need not be whole tenths; the restored clock gives back less than a
    // tenth and never takes any.
    void oddTimesGiveBackUnderATenth_data() {
        QTest::addColumn<qint64>("set");
        QTest::addColumn<qint64>("run");
        QTest::addColumn<qint64>("homeAd");
        QTest::addColumn<QString>("clock");
        QTest::addColumn<QString>("timeAd");
        QTest::newRow("whole tenths")
            << fromSeconds(600) << fromTenths(34) << fromTenths(25) << "9:57"
            << "2.5";
        QTest::newRow("a hair past a second")
            << fromSeconds(600) << fromSeconds(3) + 1 << qint64(1) << "9:57"
            << "0.0";
        QTest::newRow("a hair short of a tenth")
            << fromSeconds(60) << fromTenths(5) - 1 << fromTenths(11) - 1 << "59.6"
            << "1.0";
        QTest::newRow("more than set") << fromSeconds(30) << fromSeconds(45) << qint64(0) << "0.0"
                                       << "0.0";
        QTest::newRow("nothing run, odd set")
            << fromSeconds(90) + 37 << qint64(0) << qint64(0) << "1:31"
            << "0.0";
    }
    void oddTimesGiveBackUnderATenth() {
        QFETCH(qint64, set);
        QFETCH(qint64, run);
        QFETCH(qint64, homeAd);
        QFETCH(QString, clock);
        QFETCH(QString, timeAd);
        FakeClock fake;
        MatchSnapshot journaled;
        journaled.clockSet = set;
        journaled.clockRun = run;
        journaled.clockRunning = true;
        journaled.homeAd = homeAd;
        journaled.timeAd = Side::Home;
        Match m;
        m.Load();
        m.Restore(journaled);
        QCOMPARE(m.ShownText(Match::pledClock), clock);
        QCOMPARE(m.ShownText(Match::pledTimeAd), timeAd);
        const TimeValue value = m.ClockValue(0);
        const TimeValue atKill = std::max<TimeValue>(set - run, 0);
        QVERIFY2(value >= atKill && value < atKill + kTenth,
                 qPrintable(QStringLiteral("%1 from %2").arg(value).arg(atKill)));
        QCOMPARE(value % kTenth, 0);
        QVERIFY(m.ClockValue(1) <= homeAd && m.ClockValue(1) > homeAd - kTenth);
    }
};

DAREZEZ_TEST_GUILESS(tst_MatchSnapshot)
#include "tst_MatchSnapshot.moc"
