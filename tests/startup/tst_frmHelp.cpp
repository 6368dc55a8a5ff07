// The help window: its fixed text, one window for the run, and the program's lifetime.
#include "Dialogs.h"
#include "TestMain.h"
#include "appearance/Twips.h"
#include "scoreboard/BoardFixture.h"
#include "startup/frmHelp.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTimer>

class tst_frmHelp : public QObject {
    Q_OBJECT

    static QList<QLabel *> labels() {
        QList<QLabel *> all = frmHelp::Instance()->findChildren<QLabel *>();
        std::sort(all.begin(), all.end(), [](QLabel *a, QLabel *b) { return a->y() < b->y(); });
        return all;
    }

private slots:
    void cleanup() { frmHelp::DestroyInstance(); }

    void texts_data() {
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("level"); // 0 heading
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("text");
        int row = 0;
        auto add = [&row](int top, int height, int level, int width, const char *text) {
            QTest::addRow("%d", row++)
                << top << height << level << width << QString::fromUtf8(text);
        };
        add(120, 255, 0, 4215, "Viewing Help");
        add(360, 255, 1, 6735,
            "To view help from the scoreboard press ' h ' or click ' Help ' on the welcome "
            "screen.");
        add(600, 255, 0, 3255, "Setting the Match Time");
        add(840, 495, 1, 6735,
            "To set the clock, click on the clock and type the number of minutes, a period ( . ), "
            "the seconds, and press 'Enter'.");
        add(1320, 255, 2, 6495,
            "Examples: '25.3' = 25 minutes and 3 seconds, '6.50' = 6 minutes and 50 seconds.");
        add(1560, 255, 2, 6495,
            "Examples: '6' = 6 minutes.  '23' = 23 minutes.   ' .5 ' = 5 seconds.");
        add(1800, 255, 1, 6735, "If you mistype and need to start over, press the 'space bar'.");
        add(2040, 255, 0, 3975, "Controlling the Match Time");
        add(2280, 255, 1, 6735,
            "To start/stop the Match Time press the Start/Stop Clock Key (default is ' s ' )");
        add(2520, 255, 1, 6495,
            "To reset the clock back to the last entered time press the Reset Clock Key (default "
            "is ' r ' ).");
        add(2760, 255, 2, 5415,
            "Note: reseting the Match Time also resets both team's Time Advantages.");
        add(3000, 255, 0, 4095, "Controlling the Time Advantage");
        add(3240, 255, 1, 6495,
            "To allow the Time Advantage to count up while the Match Time is running press the:");
        add(3480, 615, 2, 6495,
            "Left arrow for Home team; Right arrow for Guest team.  To stop the Time Advantage for "
            "both teams, press the Up arrow.  To review the Time Advantages, pause the Match Time, "
            "then press the Left or Right arrow key.");
        add(4080, 255, 0, 7215, "Setting the Games Won, Match Points, and other fields");
        add(4320, 255, 1, 6495,
            "To set the Games Won, Match Points, or other fields, click the desired field:");
        add(4560, 495, 2, 6735,
            "To change any of the numbers, click on the object you want to set, type in the "
            "number, and press 'Enter'.  For single digit boxes simply press the new number.");
        add(5040, 495, 2, 6735,
            "To increase or decrease one of the numbers, click on the number, press ' + ' or ' - "
            "', and type a single digit number to add or subtract.");
        add(5520, 255, 2, 6615,
            "To clear a field press the # Clear Key (default is ' c ' ) or subtract from the "
            "number to equal -1.");
        add(5760, 255, 2, 6495, "If you mistype and need to start over, press the 'space bar'.");
        add(6000, 255, 0, 3135, "Other");
        add(6240, 315, 1, 6735, "To sound the buzzer press the Buzzer key (default is 'b' ).");
        add(6480, 255, 0, 1095, "Options");
        add(6720, 255, 1, 6975,
            "To go to the options press ' o ' from the program, or click on ' Options ' from the "
            "welcome screen.");
        add(6960, 495, 1, 6735,
            "In the options you can change control keys and colors, and LED type of the "
            "scoreboard.  You can also change the team names and buzzer sound.");
    }
    void texts() {
        QFETCH(int, top);
        QFETCH(int, height);
        QFETCH(int, level);
        QFETCH(int, width);
        QFETCH(QString, text);
        frmHelp::ShowHelp();
        const QList<QLabel *> all = labels();
        QCOMPARE(all.size(), 29);
        const int row = QString::fromLatin1(QTest::currentDataTag()).toInt();
        QLabel *label = all.at(row);
        QCOMPARE(label->text(), text);
        const int left = level == 0 ? 120 : level == 1 ? 480 : 840;
        QCOMPARE(Twips::Geometry(label), QRectF(left, top, width, height));
        QCOMPARE(label->font().bold(), level == 0);
        QVERIFY(label->wordWrap() || level == 0);
        QCOMPARE(label->palette().color(label->backgroundRole()), QColor(Qt::white));
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
    }

    void theWindow() {
        frmHelp::ShowHelp();
        frmHelp *help = frmHelp::Instance();
        QCOMPARE(help->windowTitle(), QStringLiteral("Darezez Help"));
        QCOMPARE(help->size(), QSize(518, 633));
        // Every text within it.
        for (const QLabel *label : labels())
            QVERIFY2(help->rect().contains(label->geometry()), qPrintable(label->text()));
        QCOMPARE(help->minimumSize(), help->maximumSize());
        QVERIFY(!(help->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(help->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!help->parentWidget());
        QVERIFY(!help->isModal());
    }

    void helpTwiceIsOneWindow() {
        BoardFixture f;
        f.type(QStringLiteral("h"));
        QPointer<frmHelp> first = frmHelp::Instance();
        QVERIFY(first && first->isVisible());
        f.board->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.board));
        f.type(QStringLiteral("H"));
        QCOMPARE(frmHelp::Instance(), first.data());
        int helps = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            helps += qobject_cast<frmHelp *>(w) ? 1 : 0;
        QCOMPARE(helps, 1);
        // Closed and asked for again: shown again.
        first->close();
        QVERIFY(!first->isVisible());
        frmHelp::ShowHelp();
        QVERIFY(frmHelp::Instance()->isVisible());
    }

    void clocksKeepRunningWhileHelpIsInFront() {
        BoardFixture f;
        f.key(Qt::Key_Left);
        f.type(QStringLiteral("sh"));
        QVERIFY(QTest::qWaitForWindowActive(frmHelp::Instance()));
        f.pass(3000);
        QTRY_COMPARE(f.clockText(), QStringLiteral(" 9:57"));
        QTRY_COMPARE(f.timeAdText(), QStringLiteral(" 3.0 "));
        // Back on the board the keys act again, on the match clock.
        f.board->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.board));
        QCOMPARE(QApplication::focusWidget(), f.field("pledClock").at(0));
        f.type(QStringLiteral("s"));
        QVERIFY(!f.board->match().ClockRunning(0));
    }

    // Quitting on the last window happens only inside the application's own loop, so
    // this runs one.
    void helpKeepsTheProgramAliveAfterTheBoardCloses() {
        QStringList events;
        connect(qApp, &QCoreApplication::aboutToQuit, this,
                [&] { events << QStringLiteral("quit"); });
        auto f = std::make_unique<BoardFixture>();
        f->type(QStringLiteral("h"));
        QVERIFY(frmHelp::Instance()->isVisible());
        // Help closes only once the board is gone and all that its closing set going
        // (a quit included) has had its turn.
        connect(f->board.data(), &QObject::destroyed, this, [&] {
            QMetaObject::invokeMethod(
                qApp,
                [&] {
                    events << QStringLiteral("help closed");
                    frmHelp::Instance()->close();
                },
                Qt::QueuedConnection);
        });
        QTimer::singleShot(0, [&] {
            f->board->close();
            events << QStringLiteral("board closed");
        });
        QTimer failsafe;
        failsafe.setSingleShot(true);
        connect(&failsafe, &QTimer::timeout, [&] {
            events << QStringLiteral("timeout");
            qApp->exit(1);
        });
        failsafe.start(60000);
        QCoreApplication::exec();
        disconnect(qApp, &QCoreApplication::aboutToQuit, this, nullptr);
        QCOMPARE(events, (QStringList{"board closed", "help closed", "quit"}));
        QTRY_VERIFY(!f->board);
    }
};

DAREZEZ_TEST(tst_frmHelp)
#include "tst_frmHelp.moc"
