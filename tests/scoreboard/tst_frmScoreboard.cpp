#include "BoardFixture.h"
#include "Dialogs.h"
#include "TestMain.h"
#include "console/KeyConsole.h"
#include "scoreboard/frmLineup.h"
#include "startup/frmHelp.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

class tst_frmScoreboard : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { frmHelp::DestroyInstance(); }

    void startsReady() {
        BoardFixture f;
        QCOMPARE(f.clockText(), QStringLiteral("10:00"));
        QCOMPARE(f.timeAdText(), QStringLiteral(" 0.0 "));
        QCOMPARE(f.shape("shpTimeAdHome")->FillColor(), modGlobals::FormColor);
        QCOMPARE(f.shape("shpTimeAdGuest")->FillColor(), modGlobals::FormColor);
        QCOMPARE(f.shape("shpTimeAdHome")->BorderColor(), modGlobals::LEDBackColor);
        QVERIFY(!f.board->match().TimeAd);
        QCOMPARE(f.board->match().ShownAdSide, qint16(1));
        QVERIFY(!f.board->tmrClock1().isActive());
        QCOMPARE(QApplication::focusWidget(), f.field("pledClock").at(0));
        for (const char *name : {"pledHomeScore", "pledGuestScore", "pledMatch", "pledWeight"})
            QCOMPARE(f.number(name), QStringLiteral("  0"));
        QCOMPARE(f.number("pledHomeMatch"), QStringLiteral(" 0"));
        QCOMPARE(f.number("pledPeriod"), QStringLiteral("0"));
        QCOMPARE(f.board->windowTitle(), QStringLiteral("Darezez"));
        QCOMPARE(f.buzzer->commands, QStringList{QStringLiteral("Open")});
        f.type(QStringLiteral("3\r"));
        QCOMPARE(f.clockText(), QStringLiteral(" 3:00"));
    }

    void typedTimeThenReset() {
        BoardFixture f;
        f.type(QStringLiteral("25.3\r"));
        QCOMPARE(f.clockText(), QStringLiteral("25:03"));
        QCOMPARE(f.beeps.count, 1);
        f.type(QStringLiteral("s"));
        f.pass(3000);
        QTRY_COMPARE(f.clockText(), QStringLiteral("25:00"));
        f.type(QStringLiteral("r"));
        QCOMPARE(f.clockText(), QStringLiteral("25:03"));
        QVERIFY(!f.board->match().ClockRunning(0));
        f.type(QStringLiteral("12 3.3\r"));
        QCOMPARE(f.clockText(), QStringLiteral(" 3:03"));
        f.type(QStringLiteral("000000005\r"));
        QCOMPARE(f.clockText(), QStringLiteral(" 3:03"));
        f.type(QStringLiteral("00000005\r"));
        QCOMPARE(f.clockText(), QStringLiteral(" 5:00"));
    }

    void halfTypedTimeSurvivesAVisit() {
        BoardFixture f;
        f.type(QStringLiteral("1"));
        f.clickField("picHomeScore");
        QCOMPARE(QApplication::focusWidget(), f.field("pledHomeScore").at(0));
        f.type(QStringLiteral("5\r"));
        QCOMPARE(f.number("pledHomeScore"), QStringLiteral("  5"));
        f.click(f.field("pledClock").at(1), QPoint(5, 5));
        QCOMPARE(QApplication::focusWidget(), f.field("pledClock").at(1));
        f.type(QStringLiteral("2\r"));
        QCOMPARE(f.clockText(), QStringLiteral("12:00"));
    }

    void numberFieldsThroughTheKeyboard() {
        BoardFixture f;
        f.clickField("picPeriod");
        f.type(QStringLiteral("3+2"));
        QCOMPARE(f.number("pledPeriod"), QStringLiteral("5"));
        f.clickField("picHomeScore");
        f.type(QStringLiteral("150\r"));
        QCOMPARE(f.number("pledHomeScore"), QStringLiteral("150"));
        f.type(QStringLiteral("+9+9+9+9+9+9"));
        QCOMPARE(f.number("pledHomeScore"), QStringLiteral("195"));
        f.type(QStringLiteral("+5"));
        QCOMPARE(f.number("pledHomeScore"), QStringLiteral("195"));
        f.type(QStringLiteral("c"));
        QCOMPARE(f.number("pledHomeScore"), QStringLiteral("   "));
        f.clickField("picWeight");
        f.type(QStringLiteral("007\r"));
        QCOMPARE(f.number("pledWeight"), QStringLiteral("  7"));
        // The clear key means nothing to the match clock.
        f.clickField("picClock");
        f.type(QStringLiteral("c"));
        QCOMPARE(f.clockText(), QStringLiteral("10:00"));
    }

    void timeAdvantageFieldTakesOnlyCommands() {
        BoardFixture f;
        f.clickField("picTimeAd");
        QCOMPARE(QApplication::focusWidget(), f.field("pledTimeAd").at(0));
        f.type(QStringLiteral("5.5\r+3c"));
        QCOMPARE(f.clockText(), QStringLiteral("10:00"));
        QCOMPARE(f.timeAdText(), QStringLiteral(" 0.0 "));
        f.type(QStringLiteral("s"));
        QVERIFY(f.board->match().ClockRunning(0));
    }

    void commandsFromAnyFieldAndCaseSensitiveBindings() {
        BoardFixture f;
        f.clickField("picHomeScore");
        f.type(QStringLiteral("S"));
        QVERIFY(!f.board->match().ClockRunning(0));
        f.type(QStringLiteral("s"));
        QVERIFY(f.board->match().ClockRunning(0));
        QVERIFY(f.board->tmrClock1().isActive());
        QCOMPARE(f.number("pledHomeScore"), QStringLiteral("  0"));
        f.type(QStringLiteral("s"));
        QVERIFY(!f.board->match().ClockRunning(0));

        f.type(QStringLiteral("H"));
        QVERIFY(frmHelp::Instance() && frmHelp::Instance()->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(frmHelp::Instance()));
        f.board->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.board));
        QCOMPARE(QApplication::focusWidget(), f.field("pledClock").at(0));

        bool opened = false;
        whileModal([&](QDialog *d) { opened = d->objectName() == QLatin1String("frmOptions"); });
        f.type(QStringLiteral("O"));
        QVERIFY(opened);
        QTRY_COMPARE(QApplication::focusWidget(), f.field("pledClock").at(0));
    }

    // Every key reaches the commands before the field's entry: a start key bound to a
    // digit starts the clock and is typed as well.
    void commandKeysFirstAndHotDigitsStillTyped() {
        BoardFixture f;
        modGlobals::StartStopClockKey = '5';
        f.type(QStringLiteral("5"));
        QVERIFY(f.board->match().ClockRunning(0));
        QCOMPARE(f.board->Keys().ClockTyped(), QStringLiteral("5"));
        f.clickField("picHomeScore");
        f.type(QStringLiteral("5"));
        QVERIFY(!f.board->match().ClockRunning(0));
        QCOMPARE(f.board->Keys().DigitTyped(), QStringLiteral("5"));
    }

    void bindingTakesAwayHelp() {
        BoardFixture f;
        modGlobals::BuzzerKey = 'h';
        f.type(QStringLiteral("h"));
        QCOMPARE(f.buzzer->count(QStringLiteral("Play")), 1);
        QVERIFY(!frmHelp::Instance());
        f.type(QStringLiteral("H"));
        QVERIFY(frmHelp::Instance());
    }

    void resetWhileRunningAndStopped() {
        BoardFixture f;
        f.key(Qt::Key_Left);
        f.type(QStringLiteral("s"));
        f.pass(5000);
        QTRY_COMPARE(f.timeAdText(), QStringLiteral(" 5.0 "));
        f.type(QStringLiteral("r"));
        QCOMPARE(f.clockText(), QStringLiteral("10:00"));
        QCOMPARE(f.timeAdText(), QStringLiteral(" 0.0 "));
        QVERIFY(!f.board->match().ClockRunning(0));
        QCOMPARE(f.shape("shpTimeAdHome")->FillColor(), modGlobals::LEDScoreColor);
        QTRY_VERIFY(!f.board->tmrClock1().isActive());
        f.type(QStringLiteral("r"));
        QVERIFY(!f.board->tmrClock1().isActive());
        QCOMPARE(f.clockText(), QStringLiteral("10:00"));
        // The holder holds it again when the clock starts, from zero.
        f.type(QStringLiteral("s"));
        f.pass(2000);
        QTRY_COMPARE(f.timeAdText(), QStringLiteral(" 2.0 "));
    }

    void timeAdvantageChangesHands() {
        BoardFixture f;
        f.key(Qt::Key_Left);
        QCOMPARE(f.shape("shpTimeAdHome")->FillColor(), modGlobals::LEDScoreColor);
        f.type(QStringLiteral("s"));
        f.pass(3000);
        QTRY_COMPARE(f.timeAdText(), QStringLiteral(" 3.0 "));
        f.key(Qt::Key_Right);
        QCOMPARE(f.shape("shpTimeAdGuest")->FillColor(), modGlobals::LEDScoreColor);
        QCOMPARE(f.shape("shpTimeAdHome")->FillColor(), modGlobals::FormColor);
        QCOMPARE(f.timeAdText(), QStringLiteral(" 0.0 "));
        f.pass(2000);
        QTRY_COMPARE(f.timeAdText(), QStringLiteral(" 2.0 "));
        f.key(Qt::Key_Left);
        QCOMPARE(f.timeAdText(), QStringLiteral(" 3.0 "));
        f.pass(1000);
        QTRY_COMPARE(f.timeAdText(), QStringLiteral(" 4.0 "));
        f.key(Qt::Key_Up);
        QCOMPARE(f.shape("shpTimeAdHome")->FillColor(), modGlobals::FormColor);
        f.pass(1000);
        QCOMPARE(f.timeAdText(), QStringLiteral(" 4.0 "));
        QTRY_COMPARE(f.clockText(), QStringLiteral(" 9:53"));

        // Stopped: the arrows review the totals, nothing accrues.
        f.type(QStringLiteral("s"));
        f.key(Qt::Key_Right);
        QCOMPARE(f.timeAdText(), QStringLiteral(" 2.0 "));
        QCOMPARE(f.shape("shpTimeAdGuest")->FillColor(), modGlobals::LEDScoreColor);
        f.pass(3000);
        f.key(Qt::Key_Down);
        QCOMPARE(f.timeAdText(), QStringLiteral(" 2.0 "));
        f.key(Qt::Key_Left);
        QCOMPARE(f.timeAdText(), QStringLiteral(" 4.0 "));
        f.key(Qt::Key_Right);
        f.type(QStringLiteral("s"));
        f.pass(1500);
        QTRY_COMPARE(f.timeAdText(), QStringLiteral(" 3.5 "));
        QCOMPARE(f.clockText(), QStringLiteral(" 9:52"));
    }

    void punctuationIsNoArrow() {
        BoardFixture f;
        f.key(Qt::Key_Left);
        for (Qt::Key k : {Qt::Key_Percent, Qt::Key_Ampersand, Qt::Key_Apostrophe, Qt::Key_ParenLeft,
                          Qt::Key_Down})
            f.key(k);
        QVERIFY(f.board->match().TimeAd == Side::Home);
    }

    void zeroSoundsTheBuzzerOnce() {
        BoardFixture f;
        f.key(Qt::Key_Left);
        f.type(QStringLiteral(".3\rs"));
        f.pass(3000);
        QTRY_COMPARE(f.clockText(), QStringLiteral(" 0.0 "));
        QCOMPARE(f.buzzer->count(QStringLiteral("Play")), 1);
        QVERIFY(f.board->BuzzerPlaying());
        QVERIFY(!f.board->match().ClockRunning(0));
        QTRY_VERIFY(!f.board->tmrClock1().isActive());
        QTest::qWait(150);
        QCOMPARE(f.buzzer->count(QStringLiteral("Play")), 1);
        QCOMPARE(f.timeAdText(), QStringLiteral(" 3.0 "));

        // A minute later the holder's time is what it was at zero.
        f.clock.advance(60000);
        f.key(Qt::Key_Down);
        QCOMPARE(f.timeAdText(), QStringLiteral(" 3.0 "));
        f.key(Qt::Key_Right);
        f.key(Qt::Key_Left);
        QCOMPARE(f.timeAdText(), QStringLiteral(" 3.0 "));

        // Starting at zero sounds it again once it has finished, and stays at zero.
        f.buzzer->finishPlaying();
        QTRY_VERIFY(!f.board->BuzzerPlaying());
        f.type(QStringLiteral("s"));
        QCOMPARE(f.buzzer->count(QStringLiteral("Play")), 2);
        QVERIFY(!f.board->match().ClockRunning(0));
        QCOMPARE(f.clockText(), QStringLiteral(" 0.0 "));
    }

    void holderStopsWithTheClock_data() {
        QTest::addColumn<QString>("behind");
        QTest::newRow("zero behind the options dialog") << QStringLiteral("options");
        QTest::newRow("zero behind the help window") << QStringLiteral("help");
        QTest::newRow("a time typed on the running clock") << QStringLiteral("enter");
    }

    // However long the operator then waits, the holder keeps the time of the moment the
    // match clock stopped.
    void holderStopsWithTheClock() {
        QFETCH(QString, behind);
        BoardFixture f;
        if (behind == QLatin1String("enter")) {
            f.key(Qt::Key_Right);
            f.type(QStringLiteral("s"));
            f.pass(2000);
            QTRY_COMPARE(f.timeAdText(), QStringLiteral(" 2.0 "));
            f.clock.advance(500);
            f.type(QStringLiteral("5\r"));
            f.clock.advance(60000);
            QCOMPARE(f.clockText(), QStringLiteral(" 5:00"));
            QTRY_VERIFY(!f.board->tmrClock1().isActive());
            f.key(Qt::Key_Down);
            QCOMPARE(f.timeAdText(), QStringLiteral(" 2.5 "));
            return;
        }
        f.key(Qt::Key_Left);
        f.type(QStringLiteral(".3\rs"));
        const auto reachZero = [&] {
            f.clock.advance(3000);
            QTRY_COMPARE(f.clockText(), QStringLiteral(" 0.0 "));
            QTRY_VERIFY(!f.board->tmrClock1().isActive());
            f.clock.advance(60000);
        };
        if (behind == QLatin1String("options")) {
            whileModal([&](QDialog *) { reachZero(); });
            f.type(QStringLiteral("o"));
        } else {
            f.type(QStringLiteral("h"));
            QVERIFY(QTest::qWaitForWindowActive(frmHelp::Instance()));
            reachZero();
            f.board->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(f.board));
        }
        QCOMPARE(f.timeAdText(), QStringLiteral(" 3.0 "));
        f.key(Qt::Key_Down);
        QCOMPARE(f.timeAdText(), QStringLiteral(" 3.0 "));
        QCOMPARE(f.shape("shpTimeAdHome")->FillColor(), modGlobals::LEDScoreColor);
    }

    void buzzerKey() {
        BoardFixture f;
        f.type(QStringLiteral("bb"));
        QCOMPARE(f.buzzer->count(QStringLiteral("Play")), 1);
        f.buzzer->finishPlaying();
        QTRY_VERIFY(!f.board->BuzzerPlaying());
        QCOMPARE(f.buzzer->commands.mid(2), (QStringList{"Stop", "Rewind"}));
        f.type(QStringLiteral("b"));
        QCOMPARE(f.buzzer->count(QStringLiteral("Play")), 2);
    }

    void noBuzzerFileIsSilent() {
        BoardFixture f(QStringLiteral("/nonexistent/buzzer.wav"));
        QVERIFY(f.buzzer->commands.isEmpty());
        f.type(QStringLiteral("b.1\rs"));
        f.pass(1500);
        QTRY_COMPARE(f.clockText(), QStringLiteral(" 0.0 "));
        QCOMPARE(f.buzzer->count(QStringLiteral("Play")), 0);
        QVERIFY(!f.board->BuzzerPlaying());
        f.type(QStringLiteral("5\r"));
        QCOMPARE(f.clockText(), QStringLiteral(" 5:00"));
    }

    void clockRunsBehindTheOptionsDialog() {
        BoardFixture f;
        f.type(QStringLiteral(".2\rs"));
        QString inside;
        whileModal([&](QDialog *) {
            f.clock.advance(2500);
            QTRY_COMPARE(f.clockText(), QStringLiteral(" 0.0 "));
            inside = f.clockText();
        });
        f.type(QStringLiteral("o"));
        QCOMPARE(inside, QStringLiteral(" 0.0 "));
        QCOMPARE(f.buzzer->count(QStringLiteral("Play")), 1);
        // The buzzer is opened anew on the options' file after the dialog.
        QCOMPARE(f.buzzer->commands.mid(f.buzzer->commands.size() - 2),
                 (QStringList{"Close", "Open"}));
        QCOMPARE(f.buzzer->FileName(), modGlobals::BuzzerFile);
        QVERIFY(f.board->BuzzerPlaying());
    }

    // The lineup by keys alone: a name typed in place (kept trimmed), Delete takes it away, a
    // roster file replaces the side it names or is refused with its line; refused while the
    // clock runs. Bout Result then names the wrestlers and proposes a forfeit for a side
    // with no wrestler.
    void lineupByKeys() {
        BoardFixture f;
        QTemporaryDir dir;
        const QString roster = dir.filePath(QStringLiteral("roster.csv"));
        QFile file(roster);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xEF\xBB\xBFWeight;Guest\r\n106;Okafor\r\n113;Ode\r\n");
        file.close();
        QStringList refusals;
        whileModal([&](QDialog *d) {
            auto lineup = qobject_cast<frmLineup *>(d);
            QVERIFY(lineup);
            auto table = d->findChild<QTableWidget *>(QStringLiteral("tblLineup"));
            // A key starts the name in place; the rest goes to its editor.
            const auto typed = [table](char first, const QString &rest) {
                QTest::keyClick(table, first);
                auto editor = table->findChild<QLineEdit *>();
                QVERIFY(editor);
                for (const QChar c : rest)
                    QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString(c),
                                        Qt::NoModifier);
                QTest::keyClick(editor, Qt::Key_Return);
            };
            typed('P', QStringLiteral("eña  "));
            QTest::keyClick(table, Qt::Key_Down);
            typed('X', QString());
            QTest::keyClick(table, Qt::Key_Delete);
            QString why;
            QVERIFY(lineup->Import(roster, &why));
            QVERIFY(!lineup->Import(dir.path(), &why));
            refusals << why;
            QTest::keyClick(table, Qt::Key_Escape);
        });
        f.type(QStringLiteral("u"));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(QStringList(f.board->match().Texts().values()),
                 (QStringList{"Peña", "Okafor", "Ode"}));
        QVERIFY2(refusals.value(0).contains(QStringLiteral("no regular file")),
                 qPrintable(refusals.value(0)));
        // The next bout's "Bout Result": the winner it proposes and the result.
        const auto proposedNext = [&f] {
            f.type(QStringLiteral("n"));
            QString proposed;
            whileModal([&](QDialog *d) {
                for (auto *b : d->findChildren<QRadioButton *>())
                    if (b->isChecked())
                        proposed = b->text();
                proposed += QLatin1Char(' ') + d->findChild<QComboBox *>()->currentText();
            });
            f.type(QStringLiteral("e"));
            return proposed;
        };
        QCOMPARE(proposedNext(), QStringLiteral("&Home: Home, Peña Decision"));
        QCOMPARE(proposedNext(), QStringLiteral("&Guest: Guest, Ode Forfeit"));
        f.type(QStringLiteral("s"));
        f.type(QStringLiteral("u"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void fullScreenKey() {
        BoardFixture f;
        f.key(Qt::Key_F11);
        QTRY_VERIFY(f.board->isFullScreen());
        f.key(Qt::Key_F11);
        QTRY_VERIFY(!f.board->isFullScreen());
    }

    void closingClosesTheDevice() {
        QStringList heard;
        {
            BoardFixture f;
            f.buzzer->mirror = &heard;
            f.board->close();
            QTRY_VERIFY(!f.board); // released on close
        }
        // Once on close (it has a file), once more on release.
        QCOMPARE(heard, (QStringList{"Close", "Close"}));
    }

    void closingWithoutAFileClosesOnlyOnRelease() {
        QStringList heard;
        BoardFixture f{QString()};
        f.buzzer->mirror = &heard;
        f.board->close();
        QTRY_VERIFY(!f.board);
        QCOMPARE(heard, QStringList{"Close"});
    }
};

DAREZEZ_TEST(tst_frmScoreboard)
#include "tst_frmScoreboard.moc"
