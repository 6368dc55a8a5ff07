// Periods, overtime and the next bout on the match object with a fake time source.
#include "TestMain.h"
#include "TestSupport.h"
#include "clock/Match.h"
#include "led/KeyCodes.h"

#include <QSignalSpy>

class tst_meet : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeClock> clock;
    std::unique_ptr<Match> m;

    void type(Match::Field field, const QString &keys) {
        for (const QChar c : keys)
            m->DigitKeyPress(field, c.unicode(), -1, Match::UpperLimit(field));
    }
    void pass(qint64 ms) {
        clock->advance(ms);
        m->UpdateClocks();
    }

private slots:
    void init() {
        modGlobals::SetDefaults();
        clock = std::make_unique<FakeClock>();
        m = std::make_unique<Match>();
        m->Load();
    }
    void cleanup() {
        m.reset();
        clock.reset();
    }

    // From a fresh bout, each next period as the board shows it (overtime by its caption),
    // up to the last round; one more is refused.
    void roundsOfEachRuleSet_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("rounds");
        QTest::newRow("NFHS") << int(RuleBook::Set::NFHS)
                              << "2:00 2:00 2:00 SV 1:00 TB 30.0 TB 30.0 UTB 30.0";
        QTest::newRow("NCAA") << int(RuleBook::Set::NCAA)
                              << "3:00 2:00 2:00 SV 2:00 TB 30.0 TB 30.0 SV 1:00 TB 30.0 TB 30.0";
        QTest::newRow("UWW") << int(RuleBook::Set::UWW) << "3:00 3:00";
    }
    void roundsOfEachRuleSet() {
        QFETCH(int, set);
        QFETCH(QString, rounds);
        modGlobals::RuleSet = RuleBook::Set(set);
        QVERIFY(m->NextBout());
        QStringList seen{m->ShownText(Match::pledClock)};
        QSignalSpy refused(m.get(), &Match::EntryRefused);
        while (m->AllKeyPress('p'), refused.isEmpty()) {
            const QString caption = RuleBook::RoundCaption(m->Round().kind);
            const QString length = m->ShownText(Match::pledClock);
            seen << (caption.isEmpty() ? QString() : caption + QLatin1Char(' ')) + length;
            // Reset goes back to the round's length, as after a typed time.
            m->AllKeyPress('s');
            pass(5000);
            m->AllKeyPress('s');
            m->AllKeyPress('r');
            QCOMPARE(m->ShownText(Match::pledClock), length);
        }
        QCOMPARE(seen.join(QLatin1Char(' ')), rounds);
        QCOMPARE(m->Value(Match::pledPeriod),
                 qint32(rounds.count(QLatin1Char(':')) + rounds.count(QLatin1Char('.'))));
    }

    void refusedWhileAClockRuns_data() {
        QTest::addColumn<char>("key");
        QTest::newRow("next period") << 'p';
        QTest::newRow("next bout") << 'n';
    }
    void refusedWhileAClockRuns() {
        QFETCH(char, key);
        for (const bool stoppage : {false, true}) {
            const MatchSnapshot before = m->Snapshot();
            if (stoppage) {
                m->AllKeyPress('l');
                m->AllKeyDown(KeyCodes::Left);
            } else {
                m->AllKeyPress('s');
            }
            QSignalSpy refused(m.get(), &Match::EntryRefused);
            m->AllKeyPress(key);
            QCOMPARE(refused.count(), 1);
            QCOMPARE(m->Snapshot().fields, before.fields);
            m->AllKeyPress(stoppage ? 'l' : 's');
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
        modGlobals::RuleSet = RuleBook::Set(set);
        type(Match::pledWeight, shown.isEmpty() ? QStringLiteral("c") : shown + QLatin1Char('\r'));
        QVERIFY(m->NextBout());
        QCOMPARE(m->Value(Match::pledWeight), next);
    }

    // Everything of the bout starts anew; the team scores stay.
    void nextBoutStartsTheBoutAnew() {
        type(Match::pledHomeScore, QStringLiteral("12\r"));
        type(Match::pledHomeMatch, QStringLiteral("7\r"));
        type(Match::pledGuestMatch, QStringLiteral("3\r"));
        type(Match::pledMatch, QStringLiteral("c"));
        type(Match::pledPeriod, QStringLiteral("3"));
        m->AllKeyDown(KeyCodes::Left);
        m->AllKeyPress('s');
        pass(4000);
        m->AllKeyPress('s');
        m->AllKeyPress('i');
        m->AllKeyDown(KeyCodes::Right);
        pass(4000);
        m->AllKeyPress('i');
        type(Match::pledGuestScore, QStringLiteral("+"));
        QVERIFY(m->NextBout());
        const MatchSnapshot s = m->Snapshot();
        QCOMPARE(s.fields, (std::array<qint32, 7>{12, 0, 0, 0, 1, 1, 106}));
        QCOMPARE(s.clockSet, fromSeconds(120));
        QCOMPARE(s.lastClockTime, 120);
        QCOMPARE(s.homeAd, 0);
        QCOMPARE(s.timeAd, qint32(kNobodyHolds));
        QCOMPARE(m->StoppageLeft(2, RuleBook::Injury), fromSeconds(90));
        QCOMPARE(m->StoppageKind(), -1);
        QCOMPARE(m->DigitTyped(), QString());
        // The last match number the field takes ends the dual.
        type(Match::pledMatch, QStringLiteral("999\r"));
        QSignalSpy refused(m.get(), &Match::EntryRefused);
        QVERIFY(!m->NextBout());
        QCOMPARE(refused.count(), 1);
    }
};

DAREZEZ_TEST_GUILESS(tst_meet)
#include "tst_meet.moc"
