// Undo and redo on the match object with a fake time source: each kind of action taken back
// to the match just before it and brought again, the clocks as the operator expects them.
#include "MatchFixture.h"
#include "TestMain.h"
#include "clock/Match.h"
#include "clock/MatchMembers.h"

#include <QSignalSpy>

class tst_undo : public QObject, MatchFixture {
    Q_OBJECT

    // Everything the board shows, and what it keeps for later.
    QString view() {
        QStringList v;
        for (int f = 0; f < Match::kFieldCount; ++f)
            v << m->ShownText(Match::Field(f));
        v << QString::number(MatchMembers::holderNumber(m->TimeAd))
          << QString::number(m->ClockRunning(0)) << Match::TimeText(m->ClockValue(1), false)
          << Match::TimeText(m->ClockValue(2), false) << QString::number(m->LastClockTime)
          << m->StoppageText() << QString::number(m->StoppageRunning())
          << QString::number(m->Bouts().size());
        for (int side : {1, 2}) {
            for (int kind = 0; kind < RuleBook::kStoppageCount; ++kind)
                v << QString::number(m->StoppageLeft(side, kind));
        }
        return v.join(QLatin1Char('|'));
    }

private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    // Set up, the action, time passing, then undo: the match as just before the action, and
    // the operator told what changed back; then redo: the match as just after it.
    void undoAndRedo_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("later");
        QTest::addColumn<QString>("undone");
        QTest::newRow("typed score") << "homeScore:18"
                                     << "homeScore:21"
                                     << ""
                                     << "Home score 21 → 18";
        QTest::newRow("sign and digit") << "guestScore:5"
                                        << "guestScore:+3"
                                        << ""
                                        << "Guest score 8 → 5";
        QTest::newRow("typed time") << "time:2"
                                    << "time:1.30"
                                    << ""
                                    << "Clock 1:30 → 2:00";
        QTest::newRow("reset") << "time:2 advantage:home startStop wait:5000 startStop"
                               << "reset"
                               << ""
                               << "Clock 2:00 → 1:55, Home time advantage 0.0 → 5.0";
        QTest::newRow("start")
            << "time:2 advantage:home"
            << "startStop"
            << "wait:3000"
            << "Clock 1:57 running → 2:00 stopped, Home time advantage 3.0 → 0.0";
        QTest::newRow("stop") << "time:2 advantage:home startStop wait:3000"
                              << "startStop"
                              << "wait:5000"
                              << "Clock 1:57 stopped → 1:57 running";
        QTest::newRow("hand-over, stopped") << ""
                                            << "advantage:guest"
                                            << ""
                                            << "Time advantage Guest → nobody";
        QTest::newRow("next period") << "period:1 startStop wait:2000 startStop"
                                     << "nextPeriod"
                                     << ""
                                     << "Period 2 → 1, Clock 2:00 → 9:58";
        QTest::newRow("next bout")
            << "match:3 weight:120 homeMatch:5 advantage:home startStop wait:2000 startStop"
            << "nextBout"
            << ""
            << "Home match points 0 → 5, Match 4 → 3, Period 1 → 0, Weight 126 → 120, "
               "Clock 2:00 → 9:58, Time advantage nobody → Home, Home time advantage 0.0 → 2.0";
        QTest::newRow("stoppage start") << ""
                                        << "blood:guest"
                                        << "wait:2000"
                                        << "Stoppage clock Blood Guest 4:58 running → none";
        QTest::newRow("stoppage stop")
            << "blood:guest wait:2000"
            << "stop:blood"
            << "wait:4000"
            << "Stoppage clock Blood Guest 4:58 → Blood Guest 4:58 running";
        QTest::newRow("start over a stoppage clock")
            << "blood:home wait:3000"
            << "startStop"
            << "wait:2000"
            << "Clock 9:58 running → 10:00 stopped, Stoppage clock none → Blood Home 4:57 running";
        QTest::newRow("bout result") << "homeMatch:9 guestMatch:1 homeScore:10"
                                     << "result"
                                     << ""
                                     << "Bout result (Home) taken back, Home score 14 → 10";
    }
    void undoAndRedo() {
        QFETCH(QString, setup);
        QFETCH(QString, action);
        QFETCH(QString, later);
        QFETCH(QString, undone);
        play(setup);
        const QString before = view();
        play(action);
        const QString after = view();
        QVERIFY(before != after);
        play(later);
        QSignalSpy told(m.get(), &Match::HistoryStepped);
        play(QStringLiteral("undo"));
        QCOMPARE(view(), before);
        QCOMPARE(told.value(0).value(0).toString(), QStringLiteral("Undone: ") + undone);
        play(QStringLiteral("redo"));
        QCOMPARE(view(), after);
        // The clocks run (or not) as shown: time moves them as it would have.
        QVERIFY(m->TickEnabled() == (m->ClockRunning(0) || m->StoppageRunning()));
    }

    // A device takes back only its own newest action; the board's keys take back the newest,
    // whoever gave it.
    void devicesUndoTheirOwn_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("homeMatch");
        QTest::newRow("its own") << "tablet>takedown:home tablet>undo" << false << 0;
        QTest::newRow("another's newest") << "tablet>takedown:home phone>undo" << true << 3;
        QTest::newRow("the board's newest")
            << "tablet>takedown:home homeMatch:7 tablet>undo" << true << 7;
        QTest::newRow("board undoes a device's") << "tablet>takedown:home undo" << false << 0;
        QTest::newRow("redo its own") << "tablet>takedown:home undo tablet>redo" << false << 3;
        QTest::newRow("redo another's") << "tablet>takedown:home undo phone>redo" << true << 0;
    }
    void devicesUndoTheirOwn() {
        QFETCH(QString, steps);
        QFETCH(bool, refused);
        QFETCH(int, homeMatch);
        QCOMPARE(::play(*m, *clock, steps).ok(), !refused);
        QCOMPARE(m->Value(Match::pledHomeMatch), homeMatch);
    }

    // While the clock runs: a typed score goes back and the clock runs on untouched; a
    // hand-over goes back with the time the new holder gained; a typed time goes back to the
    // old reading, stopped.
    void undoneWhileRunning() {
        play(
            QStringLiteral("time:2 advantage:home startStop wait:2000 homeScore:7 wait:3000 undo"));
        QCOMPARE(m->ShownText(Match::pledHomeScore), QStringLiteral("0"));
        pass(1000);
        QCOMPARE(m->ShownText(Match::pledClock), QStringLiteral("1:54"));
        QCOMPARE(Match::TimeText(m->ClockValue(1), false), QStringLiteral("6.0"));

        play(QStringLiteral("advantage:guest wait:2000 undo wait:1000"));
        QVERIFY(m->TimeAd == Side::Home);
        QCOMPARE(m->ShownText(Match::pledClock), QStringLiteral("1:51"));
        QCOMPARE(Match::TimeText(m->ClockValue(1), false), QStringLiteral("7.0"));
        QCOMPARE(Match::TimeText(m->ClockValue(2), false), QStringLiteral("0.0"));

        play(QStringLiteral("time:5 wait:3000 undo"));
        QCOMPARE(m->ShownText(Match::pledClock), QStringLiteral("1:51"));
        QVERIFY(!m->ClockRunning(0));
        QCOMPARE(m->LastClockTime, 120);
        // A reset before the clock has moved is no stop.
        play(QStringLiteral("startStop reset undo"));
        QVERIFY(!m->ClockRunning(0));

        // Run out before a refresh saw it: the next key's action is not that stop.
        play(QStringLiteral("time:0.05 homeScore:3 startStop"));
        clock->advance(8000);
        play(QStringLiteral("advantage:home undo undo"));
        QCOMPARE(m->ShownText(Match::pledHomeScore), QStringLiteral("0"));
    }

    // The last hundred actions, no more; nothing left is refused; a new action ends redo, and
    // the rule set stays as the options chose.
    void depthRefusalsAndRedoCleared() {
        using enum MatchCommand::Kind;
        QVERIFY(!run(Undo));
        for (int i = 0; i < MatchEdit::kDepth + 5; ++i)
            play(QStringLiteral("homeScore:+1"));
        for (int i = 0; i < MatchEdit::kDepth; ++i)
            QVERIFY(run(Undo));
        QCOMPARE(m->Value(Match::pledHomeScore), 5);
        QVERIFY(!run(Undo));
        play(QStringLiteral("redo redo guestScore:1"));
        QCOMPARE(m->Value(Match::pledHomeScore), 7);
        QVERIFY(!run(Redo));

        // A blood clock brought back under a shorter allowance never charges less than
        // nothing: the log would refuse it.
        play(QStringLiteral("blood:home wait:3000"));
        m->SetNextRules(RuleBook::Set::UWW);
        play(QStringLiteral("match:5 undo wait:1000 stop:blood"));
        QCOMPARE(m->Value(Match::pledMatch), 0);
        QCOMPARE(m->Rules(), RuleBook::Set::UWW);
        QVERIFY(m->Snapshot().stoppageUsed[RuleBook::Blood] >= 0);
    }

    // A command given by a slot while another is applied is refused: it would tear the other's
    // edit in two, and undo would take back half of it.
    void commandInsideACommandRefused() {
        std::optional<MatchOutcome> inner;
        connect(m.get(), &Match::FieldChanged, m.get(), [&] {
            MatchCommand c = command(MatchCommand::Kind::SetNumber);
            c.field = Match::pledGuestScore;
            c.value = 7;
            if (!inner)
                inner = m->apply(c);
        });
        play(QStringLiteral("homeScore:4"));
        QVERIFY(inner && !inner->refused.isEmpty());
        QCOMPARE(m->Value(Match::pledGuestScore), 0);
        QVERIFY(run(MatchCommand::Kind::Undo));
        QCOMPARE(m->Value(Match::pledHomeScore), 0);
        QVERIFY(!run(MatchCommand::Kind::Undo));
    }
};

DAREZEZ_TEST_GUILESS(tst_undo)
#include "tst_undo.moc"
