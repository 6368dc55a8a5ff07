// Periods, overtime and the next bout on the match object with a fake time source.
#include "MatchFixture.h"
#include "TestMain.h"
#include "TestSupport.h"
#include "clock/BoutSheet.h"
#include "clock/Match.h"

#include <QDateTime>
#include <QSignalSpy>

class tst_meet : public QObject, MatchFixture {
    Q_OBJECT

    QString recorded(const BoutResult &result) {
        MatchCommand c = command(MatchCommand::Kind::Result);
        c.result = result;
        return m->apply(c).refused;
    }

private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    // From a fresh bout, each next period as the board shows it (overtime and the break by
    // their captions), up to the last round; one more is refused.
    void roundsOfEachRuleSet_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("rounds");
        QTest::newRow("NFHS") << int(RuleBook::Set::NFHS)
                              << "2:00 2:00 2:00 SV 1:00 TB 30.0 TB 30.0 UTB 30.0";
        QTest::newRow("NCAA") << int(RuleBook::Set::NCAA)
                              << "3:00 2:00 2:00 SV 2:00 TB 30.0 TB 30.0 SV 1:00 TB 30.0 TB 30.0";
        QTest::newRow("UWW") << int(RuleBook::Set::UWW) << "3:00 Break 30.0 3:00";
    }
    void roundsOfEachRuleSet() {
        QFETCH(int, set);
        QFETCH(QString, rounds);
        m->SetNextRules(RuleBook::Set(set));
        QVERIFY(run(MatchCommand::Kind::NextBout));
        QStringList seen{m->ShownText(Match::pledClock)};
        while (run(MatchCommand::Kind::NextPeriod)) {
            const QString caption = RuleBook::RoundCaption(m->Round().kind);
            const QString length = m->ShownText(Match::pledClock);
            seen << (caption.isEmpty() ? QString() : caption + QLatin1Char(' ')) + length;
            // Reset goes back to the round's length, as after a typed time.
            play(QStringLiteral("startStop wait:5000 startStop reset"));
            QCOMPARE(m->ShownText(Match::pledClock), length);
        }
        QCOMPARE(seen.join(QLatin1Char(' ')), rounds);
        QCOMPARE(m->Value(Match::pledPeriod),
                 qint32(rounds.count(QLatin1Char(':')) + rounds.count(QLatin1Char('.')) -
                        rounds.count(QStringLiteral("Break"))));
    }

    void refusedWhileAClockRuns_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("next period") << int(MatchCommand::Kind::NextPeriod);
        QTest::newRow("next bout") << int(MatchCommand::Kind::NextBout);
    }
    void refusedWhileAClockRuns() {
        QFETCH(int, kind);
        for (const bool stoppage : {false, true}) {
            const MatchSnapshot before = m->Snapshot();
            play(stoppage ? QStringLiteral("blood:home") : QStringLiteral("startStop"));
            QVERIFY(!run(MatchCommand::Kind(kind)));
            QCOMPARE(m->Snapshot().fields, before.fields);
            play(stoppage ? QStringLiteral("stop:blood") : QStringLiteral("startStop"));
        }
    }

    // The next class above the one shown, round from the heaviest; a blank or 0 weight, or
    // one between classes, goes to the lightest or the next above it.
    void weightOrder_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("shown"); // typed into the weight; empty: blank
        QTest::addColumn<qint32>("next");
        const int nfhs = int(RuleBook::Set::NFHS);
        QTest::newRow("150") << nfhs << "150" << 157;
        QTest::newRow("heaviest") << nfhs << "285" << 106;
        QTest::newRow("between") << nfhs << "151" << 157;
        QTest::newRow("0") << nfhs << "0" << 106;
        QTest::newRow("blank") << nfhs << "" << 106;
        QTest::newRow("NCAA 197") << int(RuleBook::Set::NCAA) << "197" << 285;
        QTest::newRow("UWW 125") << int(RuleBook::Set::UWW) << "125" << 57;
    }
    void weightOrder() {
        QFETCH(int, set);
        QFETCH(QString, shown);
        QFETCH(qint32, next);
        m->SetNextRules(RuleBook::Set(set));
        play(QStringLiteral("weight:") + shown);
        QVERIFY(run(MatchCommand::Kind::NextBout));
        QCOMPARE(m->Value(Match::pledWeight), next);
    }

    // Everything of the bout starts anew; the team scores stay.
    void nextBoutStartsTheBoutAnew() {
        play(QStringLiteral("homeScore:12 homeMatch:7 guestMatch:3 match: period:3 advantage:home "
                            "startStop wait:4000 startStop injury:guest wait:4000 stop:injury"));
        QVERIFY(run(MatchCommand::Kind::NextBout));
        const MatchSnapshot s = m->Snapshot();
        QCOMPARE(s.fields, (std::array<qint32, 7>{12, 0, 0, 0, 1, 1, 106}));
        QCOMPARE(s.clockSet, fromSeconds(120));
        QCOMPARE(s.lastClockTime, 120);
        QCOMPARE(s.homeAd, 0);
        QVERIFY(!s.timeAd);
        QCOMPARE(m->StoppageLeft(2, RuleBook::Injury), fromSeconds(90));
        QCOMPARE(m->StoppageKind(), -1);
        // The last match number the field takes ends the dual.
        play(QStringLiteral("match:999"));
        QVERIFY(!run(MatchCommand::Kind::NextBout));
    }

    // The winner the match points propose, and the result their margin does.
    void proposedResult_data() {
        QTest::addColumn<QString>("points"); // home, guest
        QTest::addColumn<int>("winner");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("set");
        using enum RuleBook::Result;
        const int nfhs = int(RuleBook::Set::NFHS), uww = int(RuleBook::Set::UWW);
        QTest::newRow("7") << "9 2" << 1 << int(Decision) << nfhs;
        QTest::newRow("8") << "2 10" << 2 << int(MajorDecision) << nfhs;
        QTest::newRow("14") << "14 0" << 1 << int(MajorDecision) << nfhs;
        QTest::newRow("15") << "0 15" << 2 << int(TechnicalFall) << nfhs;
        QTest::newRow("tie") << "3 3" << 1 << int(Decision) << nfhs;
        // UWW has no major decision, and a technical superiority at 10.
        QTest::newRow("UWW 9") << "0 9" << 2 << int(Decision) << uww;
        QTest::newRow("UWW 10") << "12 2" << 1 << int(TechnicalSuperiority) << uww;
    }
    void proposedResult() {
        QFETCH(QString, points);
        QFETCH(int, winner);
        QFETCH(int, result);
        QFETCH(int, set);
        m->SetNextRules(RuleBook::Set(set));
        QVERIFY(run(MatchCommand::Kind::NextBout));
        play(QStringLiteral("homeMatch:%1 guestMatch:%2")
                 .arg(points.section(QLatin1Char(' '), 0, 0),
                      points.section(QLatin1Char(' '), 1, 1)));
        const BoutResult r = m->ProposedResult();
        QCOMPARE(r.winner, winner);
        QCOMPARE(r.result, result);
    }

    // A bout's time at a fall: the earlier rounds' lengths and what has run of this one,
    // each round as long as its clock was set when it first ran.
    void elapsedAtAFall_data() {
        QTest::addColumn<QString>("steps"); // after the next bout
        QTest::addColumn<int>("seconds");
        QTest::newRow("rule book's rounds")
            << "nextPeriod startStop wait:44500 startStop" << 120 + 44;
        QTest::newRow("typed length") << "time:1.30 startStop wait:9000 startStop" << 9;
        QTest::newRow("corrected reading")
            << "time:1.30 startStop wait:10000 startStop time:1.25" << 5;
        QTest::newRow("typed earlier round")
            << "time:1 startStop wait:60000 nextPeriod startStop wait:44500 startStop" << 60 + 44;
        QTest::newRow("set, not yet run") << "nextPeriod time:1.30" << 120;
    }
    void elapsedAtAFall() {
        QFETCH(QString, steps);
        QFETCH(int, seconds);
        QVERIFY(run(MatchCommand::Kind::NextBout));
        play(steps);
        QCOMPARE(m->ProposedResult().fallSeconds, seconds);
    }

    // Team points to the winner under the bout's rule set, and a deduction larger than the
    // team's score refused with nothing changed.
    void teamPoints_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("winner");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("deductionSide");
        QTest::addColumn<int>("deduction");
        QTest::addColumn<QString>("scores"); // after; empty: refused
        const int nfhs = int(RuleBook::Set::NFHS);
        QTest::newRow("fall") << nfhs << 1 << int(RuleBook::Result::Fall) << 0 << 0 << "16 1";
        QTest::newRow("NCAA major") << int(RuleBook::Set::NCAA) << 2
                                    << int(RuleBook::Result::MajorDecision) << 0 << 0 << "10 5";
        QTest::newRow("UWW") << int(RuleBook::Set::UWW) << 1 << int(RuleBook::Result::TechnicalFall)
                             << 0 << 0 << "10 1";
        QTest::newRow("double forfeit")
            << nfhs << 0 << int(RuleBook::Result::Fall) << 0 << 0 << "10 1";
        QTest::newRow("deduction")
            << nfhs << 2 << int(RuleBook::Result::Decision) << 1 << 2 << "8 4";
        QTest::newRow("deduction of all")
            << nfhs << 1 << int(RuleBook::Result::Decision) << 2 << 1 << "13 0";
        QTest::newRow("deduction from the winner")
            << nfhs << 2 << int(RuleBook::Result::Decision) << 2 << 2 << "10 2";
        QTest::newRow("deduction too large")
            << nfhs << 1 << int(RuleBook::Result::Decision) << 2 << 2 << "";
    }
    void teamPoints() {
        QFETCH(int, set);
        QFETCH(int, winner);
        QFETCH(int, result);
        QFETCH(int, deductionSide);
        QFETCH(int, deduction);
        QFETCH(QString, scores);
        m->SetNextRules(RuleBook::Set(set));
        QVERIFY(run(MatchCommand::Kind::NextBout));
        play(QStringLiteral("homeScore:10 guestScore:1"));
        BoutResult r;
        r.winner = winner;
        r.result = result;
        r.fallSeconds = 83;
        r.deductionSide = deductionSide;
        r.deduction = deduction;
        const QString why = recorded(r);
        QCOMPARE(why.isEmpty(), !scores.isEmpty());
        const QString after = m->ShownText(Match::pledHomeScore) + QLatin1Char(' ') +
                              m->ShownText(Match::pledGuestScore);
        QCOMPARE(after, scores.isEmpty() ? QStringLiteral("10 1") : scores);
        QCOMPARE(m->Bouts().size(), scores.isEmpty() ? 0 : 1);
        if (!scores.isEmpty()) {
            const BoutResult &b = m->Bouts().front();
            QCOMPARE(QString::number(b.homeScore) + QLatin1Char(' ') +
                         QString::number(b.guestScore),
                     scores);
            QCOMPARE(b.fallSeconds, result == int(RuleBook::Result::Fall) && winner ? 83 : -1);
            QCOMPARE(b.match, 1);
        }
    }

    // A board whose match number and weight were never typed records them blank.
    void untypedMatchAndWeightBlank() {
        QVERIFY(recorded(BoutResult{}).isEmpty());
        QCOMPARE(m->Bouts().front().match, -1);
        QCOMPARE(m->Bouts().front().weight, -1);
    }

    void csvEscapesTeamNames() {
        BoutResult b;
        b.winner = 2;
        b.result = int(RuleBook::Result::Fall);
        b.fallSeconds = 83;
        b.teamPoints = 6;
        b.homeScore = 0;
        b.guestScore = 6;
        b.weight = 106;
        b.homePoints = 2;
        b.guestPoints = 0;
        b.atMs = QDateTime(QDate(2026, 12, 9), QTime(19, 4, 11)).toMSecsSinceEpoch();
        BoutResult home = b;
        home.winner = 1;
        BoutResult formula = b;
        // Its scorebook, by period, each mark on its wrestler's line; another bout's apart.
        b.serial = 4;
        const auto move = [](qint32 bout, qint32 period, qint32 side, RuleBook::Move m,
                             int points) {
            return ScoredMove{bout, period, 0, side, int(m), points, 0, false, false};
        };
        using enum RuleBook::Move;
        const QList<ScoredMove> moves{move(4, 1, 1, Takedown, 3), move(4, 2, 2, Escape, 1),
                                      move(3, 1, 2, Takedown, 3), move(4, 1, 1, NearFall, 2),
                                      move(4, 3, 1, Reversal, 2)};
        // Each bout with the wrestlers it had, a name guarded like any text.
        const QByteArray csv = BoutSheet::Csv(
            {b, home}, moves, QStringLiteral("Smith, Jones"), QStringLiteral("The \"Rams\""),
            [](qsizetype bout, int side) {
                return bout == 0 && side == 1 ? QStringLiteral("Peña") : QStringLiteral("=X");
            });
        const QList<QByteArray> lines = csv.split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY2(lines[2].startsWith(",106,\"Smith, Jones\",Fall,"), lines[2].constData());
        QCOMPARE(lines[0],
                 QByteArray("\xEF\xBB\xBFMatch,Weight,Winner,Result,Home points,Guest points,"
                            "Fall time,Team points,Home score,Guest score,Time,Home moves,"
                            "Guest moves,Home wrestler,Guest wrestler\r"));
        QCOMPARE(lines[1], QByteArray(",106,\"The \"\"Rams\"\"\",Fall,2,0,1:23,6,0,6,"
                                      "2026-12-09 19:04:11,T3 N2 |  | R2, | E1 | ,Peña,'=X\r"));
        QVERIFY(BoutSheet::Csv({}, {}, QStringLiteral("Tigers"), QString()).count('\n') == 1);
        // A spreadsheet must show these as text, not run them.
        for (const QString &name :
             {QStringLiteral("=1+2"), QStringLiteral("+1"), QStringLiteral("-1"),
              QStringLiteral("@SUM(A1)"), QStringLiteral("\tx"), QStringLiteral("\rx")}) {
            const QByteArray row = BoutSheet::Csv({formula}, {}, {}, name).split('\n')[1];
            QVERIFY2(row.startsWith(",106,'" + name.toUtf8()) ||
                         row.startsWith(",106,\"'" + name.toUtf8()),
                     row.constData());
        }
    }
};

DAREZEZ_TEST_GUILESS(tst_meet)
#include "tst_meet.moc"
