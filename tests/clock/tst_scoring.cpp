// Scoring moves on the match with a fake clock: each move's points by the rule set, the calls'
// progressions, the scorebook, undo, and riding time by the college rules.
#include "MatchFixture.h"
#include "TestMain.h"
#include "clock/Match.h"

#include <QCoreApplication>
#include <QSignalSpy>

class tst_scoring : public QObject, MatchFixture {
    Q_OBJECT

    // The bout's scorebook as "H:T3 G:E1".
    QString marks() const {
        QStringList out;
        for (const ScoredMove &move : m->BoutMoves())
            out << (move.side == 1 ? QStringLiteral("H:") : QStringLiteral("G:")) + move.mark();
        return out.join(QLatin1Char(' '));
    }
    void under(RuleBook::Set set) {
        m->SetNextRules(set);
        play(QStringLiteral("nextBout"));
    }

private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    void moves_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("home");
        QTest::addColumn<int>("guest");
        QTest::addColumn<QString>("marks");
        QTest::addColumn<int>("disqualified"); // the winner proposed by a disqualification
        const int nfhs = int(RuleBook::Set::NFHS), ncaa = int(RuleBook::Set::NCAA),
                  uww = int(RuleBook::Set::UWW);
        QTest::newRow("T3, E1, N3") << nfhs << "takedown:home escape:guest nearFall:home:3" << 6
                                    << 1 << "H:T3 G:E1 H:N3" << 0;
        QTest::newRow("no N5 in college")
            << ncaa << "nearFall:home:5 nearFall:home:4" << 4 << 0 << "H:N4" << 0;
        QTest::newRow("a near fall needs its digit")
            << nfhs << "nearFall:home" << 0 << 0 << "" << 0;
        QTest::newRow("penalties 1, 1, 2, then out")
            << nfhs << "penalty:home penalty:home penalty:home penalty:home" << 0 << 4
            << "H:P1 H:P1 H:P2 H:P-DQ" << 2;
        QTest::newRow("stalling: warning, 1, 1, 2, then out")
            << ncaa << "stalling:guest stalling:guest stalling:guest stalling:guest stalling:guest"
            << 4 << 0 << "G:S G:S1 G:S1 G:S2 G:S-DQ" << 1;
        QTest::newRow("two free cautions, then 1 each")
            << nfhs << "caution:home caution:home caution:home caution:guest caution:home" << 0 << 2
            << "H:C H:C H:C1 G:C H:C1" << 0;
        QTest::newRow("international")
            << uww
            << "takedown:home escape:guest reversal:home nearFall:guest amplitude:home:5 "
               "amplitude:home:3 penalty:home caution:guest"
            << 8 << 3 << "H:2 G:1 H:1 G:2 H:5" << 0;
        QTest::newRow("international cautions: 1 or 2 to the opponent, the third out")
            << uww << "penalty:home:1 penalty:home penalty:home:3 penalty:home:2 penalty:home:1"
            << 0 << 4 << "H:O1 H:O2 H:O1-DQ" << 2;
        QTest::newRow("passivity: a warning, then activity periods")
            << int(RuleBook::Set::UWWGR) << "stalling:guest stalling:guest stalling:guest" << 0 << 0
            << "G:PW G:AP G:AP" << 0;
        QTest::newRow("past 19, up to 99")
            << nfhs << "homeMatch:95 takedown:home takedown:home" << 99 << 0 << "H:T3 H:T3" << 0;
        QTest::newRow("calls counted by bout")
            << nfhs << "penalty:home penalty:home penalty:home nextBout penalty:home" << 0 << 1
            << "H:P1" << 0;
        QTest::newRow("undo takes a move back with its points")
            << nfhs << "takedown:home nearFall:home:2 undo" << 3 << 0 << "H:T3" << 0;
        QTest::newRow("redo brings it again")
            << nfhs << "takedown:home undo redo" << 3 << 0 << "H:T3" << 0;
        QTest::newRow("a warning is an action too")
            << nfhs << "takedown:home stalling:home undo" << 3 << 0 << "H:T3" << 0;
    }
    void moves() {
        QFETCH(int, set);
        QFETCH(QString, steps);
        QFETCH(int, home);
        QFETCH(int, guest);
        QFETCH(QString, marks);
        QFETCH(int, disqualified);
        under(RuleBook::Set(set));
        play(steps);
        QCOMPARE(m->Value(Match::pledHomeMatch), home);
        QCOMPARE(m->Value(Match::pledGuestMatch), guest);
        QCOMPARE(this->marks(), marks);
        const BoutResult proposed = m->ProposedResult();
        QCOMPARE(proposed.result == int(RuleBook::Result::Disqualification) ? proposed.winner : 0,
                 disqualified);
    }

    // College riding time follows control; the end of regulation gives a net minute its point
    // as an action of its own; none runs in sudden victory, each pair of tiebreakers rides
    // from nothing, and a tie after them goes to the longer rider.
    void ridingTime_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("marks");
        QTest::addColumn<QString>("ridden"); // home's and guest's time advantage
        const int nfhs = int(RuleBook::Set::NFHS), ncaa = int(RuleBook::Set::NCAA);
        QTest::newRow("a minute at the clock's zero")
            << ncaa << "period:3 time:1.05 takedown:home startStop wait:65000"
            << "H:T3 H:RT"
            << "1:05 0.0";
        QTest::newRow("an escape stops it short of a minute")
            << ncaa
            << "period:3 time:1.30 takedown:home startStop wait:30000 escape:guest wait:60000"
            << "H:T3 G:E1"
            << "30.0 0.0";
        QTest::newRow("the next period from the third")
            << ncaa << "period:3 time:2 reversal:guest startStop wait:70000 startStop nextPeriod"
            << "G:R2 G:RT"
            << "0.0 1:10";
        QTest::newRow("the second period is not the end")
            << ncaa << "period:2 time:1.05 takedown:home startStop wait:65000"
            << "H:T3"
            << "1:05 0.0";
        QTest::newRow("high school has no point")
            << nfhs << "period:3 time:1.05 advantage:home startStop wait:65000"
            << ""
            << "1:05 0.0";
        QTest::newRow("none in sudden victory")
            << ncaa << "period:4 advantage:home startStop wait:5000 startStop"
            << ""
            << "0.0 0.0";
        QTest::newRow("tiebreakers ride from nothing")
            << ncaa
            << "period:3 time:0.40 advantage:home startStop wait:40000 nextPeriod nextPeriod"
            << ""
            << "0.0 0.0";
    }
    void ridingTime() {
        QFETCH(int, set);
        QFETCH(QString, steps);
        QFETCH(QString, marks);
        QFETCH(QString, ridden);
        under(RuleBook::Set(set));
        play(steps);
        // The point comes once the command that ended regulation is done.
        QCoreApplication::processEvents();
        QCOMPARE(this->marks(), marks);
        QCOMPARE(Match::TimeText(m->ClockValue(1), false).trimmed() + QLatin1Char(' ') +
                     Match::TimeText(m->ClockValue(2), false).trimmed(),
                 ridden);
        // Written where regulation ended; its own action: undo takes back the point alone,
        // and it stays taken back.
        if (marks.endsWith(QLatin1String("RT")))
            QCOMPARE(m->BoutMoves().back().period, 3);
        const auto points = [this] {
            return m->Value(Match::pledHomeMatch) + m->Value(Match::pledGuestMatch);
        };
        const int before = points();
        play(QStringLiteral("undo"));
        if (marks.endsWith(QLatin1String("RT")))
            QCOMPARE(points(), before - 1);
        play(QStringLiteral("nextPeriod"));
        QCoreApplication::processEvents();
        QVERIFY(!this->marks().endsWith(QLatin1String("RT")));
    }

    // An activity period runs with the match clock; only the passive wrestler's own score
    // ends it, and at its zero the opponent gets a point as an action of its own.
    void activityPeriod_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("marks");
        QTest::addColumn<QString>("shown"); // what covers the time advantage, after
        QTest::addColumn<QString>("points");
        const QString ordered = QStringLiteral("stalling:home stalling:home startStop ");
        QTest::newRow("runs out") << ordered + "wait:29900"
                                  << "H:PW H:AP"
                                  << "Activity 1 0.1"
                                  << "0 0";
        QTest::newRow("no score: the opponent's point") << ordered + "wait:30000"
                                                        << "H:PW H:AP H:AP1"
                                                        << ""
                                                        << "0 1";
        QTest::newRow("the wrestler's score ends it")
            << ordered + "wait:10000 takedown:home wait:30000"
            << "H:PW H:AP H:2"
            << ""
            << "2 0";
        QTest::newRow("the opponent's does not") << ordered + "wait:10000 reversal:guest wait:20000"
                                                 << "H:PW H:AP G:1 H:AP1"
                                                 << ""
                                                 << "0 2";
        QTest::newRow("stopped with the match clock") << ordered + "wait:10000 startStop wait:60000"
                                                      << "H:PW H:AP"
                                                      << "Activity 1 20.0"
                                                      << "0 0";
        QTest::newRow("a stoppage clock covers it") << ordered + "wait:10000 startStop blood:guest"
                                                    << "H:PW H:AP"
                                                    << "Blood 2 4:00"
                                                    << "0 0";
        QTest::newRow("undo takes back the point, not the period's end")
            << ordered + "wait:30000 undo"
            << "H:PW H:AP"
            << "Activity 1 0.0"
            << "0 0";
        QTest::newRow("undo takes back the call") << "stalling:home stalling:home undo"
                                                  << "H:PW"
                                                  << ""
                                                  << "0 0";
        QTest::newRow("a new bout ends it") << ordered + "startStop nextBout"
                                            << ""
                                            << ""
                                            << "0 0";
        QTest::newRow("undone, a call again gives back what was left")
            << ordered + "wait:18000 stalling:home undo"
            << "H:PW H:AP"
            << "Activity 1 12.0"
            << "0 0";
        QTest::newRow("no further than the match clock's zero")
            << "stalling:home stalling:home time:0.05 startStop wait:20000"
            << "H:PW H:AP"
            << "Activity 1 25.0"
            << "0 0";
    }
    void activityPeriod() {
        QFETCH(QString, steps);
        QFETCH(QString, marks);
        QFETCH(QString, shown);
        QFETCH(QString, points);
        under(RuleBook::Set::UWW);
        play(steps);
        QCoreApplication::processEvents();
        QCOMPARE(this->marks(), marks);
        const Match::Cover cover = m->Covering();
        QCOMPARE(cover.kind < 0 ? QString()
                                : QStringLiteral("%1 %2 %3")
                                      .arg(RuleBook::StoppageName(cover.kind))
                                      .arg(cover.side)
                                      .arg(m->StoppageText()),
                 shown);
        QCOMPARE(QStringLiteral("%1 %2")
                     .arg(m->Value(Match::pledHomeMatch))
                     .arg(m->Value(Match::pledGuestMatch)),
                 points);
    }

    // A resume brings a running activity period back stopped, with what was left.
    void activityPeriodResumes() {
        under(RuleBook::Set::UWW);
        play(QStringLiteral("stalling:guest stalling:guest startStop wait:8000"));
        Match resumed;
        resumed.Restore(m->Snapshot());
        QCOMPARE(resumed.Covering().kind, RuleBook::kActivity);
        QVERIFY(!resumed.Covering().running);
        QCOMPARE(resumed.StoppageText(), QStringLiteral("22.0"));
        ::play(resumed, *clock, QStringLiteral("startStop wait:2000"));
        QCOMPARE(resumed.StoppageText(), QStringLiteral("20.0"));
    }

    // The break runs on the match clock from the first period's end; its zero sounds the
    // buzzer and brings the second period's clock, stopped, as an action of its own.
    void theBreak() {
        under(RuleBook::Set::UWWW);
        QSignalSpy buzzer(m.get(), &Match::BuzzerRequested);
        play(QStringLiteral("startStop wait:180000 nextPeriod wait:10000"));
        QCOMPARE(m->Round().kind, RuleBook::RoundKind::Break);
        QCOMPARE(m->ShownText(Match::pledClock), QStringLiteral("20.0"));
        QCOMPARE(m->ElapsedSeconds(), 180);
        play(QStringLiteral("wait:20000"));
        QCoreApplication::processEvents();
        QCOMPARE(buzzer.count(), 2);
        QCOMPARE(m->Round().kind, RuleBook::RoundKind::Period);
        QCOMPARE(m->Value(Match::pledPeriod), 2);
        QCOMPARE(m->ShownText(Match::pledClock), QStringLiteral("3:00"));
        QVERIFY(!m->ClockRunning(0));
        play(QStringLiteral("startStop wait:60000"));
        QCOMPARE(m->ElapsedSeconds(), 240);
    }

    // A tie under international rules goes by the criteria, in order; folkstyle's to home.
    void tieCriteria_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("winner");
        QTest::addColumn<QString>("criterion");
        const int uww = int(RuleBook::Set::UWW);
        QTest::newRow("a 4 against two 2s")
            << uww << "amplitude:guest:4 takedown:home takedown:home" << 2 << "more 4-point moves";
        QTest::newRow("a 5 first") << uww << "amplitude:guest:4 escape:guest amplitude:home:5" << 1
                                   << "more 5-point moves";
        QTest::newRow("caution points are no move")
            << uww << "takedown:guest penalty:guest:2" << 2 << "more 2-point moves";
        QTest::newRow("fewer cautions")
            << uww << "takedown:home takedown:guest penalty:home:1 escape:home" << 2
            << "fewer cautions";
        QTest::newRow("a disqualification names none")
            << uww
            << "amplitude:guest:4 penalty:guest:1 penalty:guest:1 penalty:guest:1 escape:home" << 1
            << "";
        QTest::newRow("the last point")
            << uww << "takedown:guest takedown:home" << 1 << "the last point scored";
        QTest::newRow("folkstyle: home")
            << int(RuleBook::Set::NFHS) << "takedown:home takedown:guest" << 1 << "";
    }
    void tieCriteria() {
        QFETCH(int, set);
        QFETCH(QString, steps);
        QFETCH(int, winner);
        QFETCH(QString, criterion);
        under(RuleBook::Set(set));
        play(steps);
        QCOMPARE(m->Value(Match::pledHomeMatch), m->Value(Match::pledGuestMatch));
        QString why;
        QCOMPARE(m->ProposedResult(&why).winner, winner);
        QCOMPARE(why, criterion);
    }

    void tieAfterTiebreakersGoesToTheLongerRider() {
        under(RuleBook::Set::NCAA);
        play(QStringLiteral("period:5 time:0.30 advantage:guest startStop wait:3000 startStop"));
        QCOMPARE(m->ProposedResult().winner, 1); // one tiebreaker of the pair to go
        play(QStringLiteral("period:6"));
        QCOMPARE(m->ProposedResult().winner, 2);
        play(QStringLiteral("homeMatch:1"));
        QCOMPARE(m->ProposedResult().winner, 1);
    }
};

DAREZEZ_TEST_GUILESS(tst_scoring)
#include "tst_scoring.moc"
