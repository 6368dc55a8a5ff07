// The crowd's display and the operator's strip, on the offscreen screen (one screen: the
// display is an ordinary window there).
#include "BoardFixture.h"
#include "TestMain.h"
#include "scoreboard/ConsoleStrip.h"

#include <QKeyEvent>
#include <QLabel>

namespace {

// Every field of a picture as a spectator reads it, in the board's order.
QString reading(BoardPicture &picture) {
    QStringList fields;
    for (int f = 0; f < Match::kFieldCount; ++f) {
        LedGroup &group = picture.Field(Match::Field(f));
        if (f == Match::pledClock || f == Match::pledTimeAd) {
            const QString dots =
                f == Match::pledClock ? QStringLiteral("shpTime") : QStringLiteral("shpTimeAd");
            auto lit = [&](const char *end) {
                return picture.findChild<Shape *>(dots + QLatin1String(end))->FillColor() ==
                       modGlobals::TextColor;
            };
            fields << timePicture(group, lit("_0"), lit("_1"));
        } else {
            fields << numberPicture(group);
        }
    }
    return fields.join(QLatin1Char('|'));
}

// What the operator sees on the strip.
QString stripShows(frmScoreboard &board) {
    return board.Console().findChild<QLabel *>(QStringLiteral("lblConsole"))->text();
}

} // namespace

class tst_frmAudience : public QObject {
    Q_OBJECT

private slots:
    void typedTextShowsOnTheStrip_data() {
        QTest::addColumn<QString>("field"); // the picture box clicked first; empty: the clock
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("typed");
        QTest::newRow("clock minutes") << QString() << "12"
                                       << "Match clock"
                                       << "12";
        QTest::newRow("clock with seconds") << QString() << "2.3"
                                            << "Match clock"
                                            << "2.3";
        QTest::newRow("clock space clears") << QString() << "4.5 1"
                                            << "Match clock"
                                            << "1";
        QTest::newRow("clock entered") << QString() << "2.30\r"
                                       << "Match clock"
                                       << "";
        QTest::newRow("score digits") << "picHomeScore"
                                      << "12"
                                      << "Home score"
                                      << "12";
        QTest::newRow("score sign") << "picGuestScore"
                                    << "+"
                                    << "Guest score"
                                    << "+";
        QTest::newRow("weight") << "picWeight"
                                << "14"
                                << "Weight"
                                << "14";
        // A one-digit field takes each digit at once: nothing stays typed.
        QTest::newRow("period") << "picPeriod"
                                << "3"
                                << "Period"
                                << "";
        QTest::newRow("period sign") << "picPeriod"
                                     << "-"
                                     << "Period"
                                     << "-";
    }
    void typedTextShowsOnTheStrip() {
        QFETCH(QString, field);
        QFETCH(QString, keys);
        QFETCH(QString, selected);
        QFETCH(QString, typed);
        BoardFixture f;
        QVERIFY(!f.board->Console().isVisible());
        f.key(Qt::Key_F2);
        QVERIFY(f.board->Console().isVisible());
        if (!field.isEmpty())
            f.clickField(qPrintable(field));
        f.type(keys);
        const QString shown = stripShows(*f.board);
        QVERIFY2(shown.startsWith(selected + QStringLiteral("  |  Typed: ") + typed +
                                  QStringLiteral("  |  ")),
                 qPrintable(shown));
        QVERIFY(shown.endsWith(QStringLiteral("Clock stopped")));
    }

    void refusedMarkUntilTheNextKey_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QString>("accepted");
        QTest::newRow("seconds over 59") << QString() << "2.75\r"
                                         << "2.15\r";
        QTest::newRow("minutes over 59") << QString() << "75\r"
                                         << "3\r";
        QTest::newRow("score below zero") << "picHomeScore"
                                          << "-5"
                                          << "+5";
        QTest::newRow("score over its limit") << "picGuestScore"
                                              << "200\r"
                                              << "199\r";
        QTest::newRow("period sign") << "picPeriod"
                                     << "-3"
                                     << "+3";
    }
    void refusedMarkUntilTheNextKey() {
        QFETCH(QString, field);
        QFETCH(QString, refused);
        QFETCH(QString, accepted);
        BoardFixture f;
        f.key(Qt::Key_F2);
        if (!field.isEmpty())
            f.clickField(qPrintable(field));
        const QString before = reading(f.board->Picture());
        f.type(refused);
        QVERIFY2(stripShows(*f.board).contains(QStringLiteral("|  Refused  |")),
                 qPrintable(stripShows(*f.board)));
        QCOMPARE(reading(f.board->Picture()), before);
        f.type(accepted.left(1));
        QVERIFY(!stripShows(*f.board).contains(QStringLiteral("Refused")));
        f.type(accepted.mid(1));
        QVERIFY(!stripShows(*f.board).contains(QStringLiteral("Refused")));
        QVERIFY(reading(f.board->Picture()) != before);
    }

    // Until the next key, the strip says what an undo or a redo changed; with nothing to
    // undo, Ctrl+Z is refused.
    void undoneAndRedoneOnTheStrip() {
        BoardFixture f;
        f.key(Qt::Key_F2);
        f.clickField("picHomeScore");
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(stripShows(*f.board).contains(QStringLiteral("|  Refused  |")));
        f.type(QStringLiteral("18\r21\r"));
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY2(stripShows(*f.board).contains(QStringLiteral("|  Undone: Home score 21 → 18  |")),
                 qPrintable(stripShows(*f.board)));
        f.key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(stripShows(*f.board).contains(QStringLiteral("Redone: Home score 18 → 21")));
        f.type(QStringLiteral("3"));
        QVERIFY(!stripShows(*f.board).contains(QStringLiteral("Redone")));
    }

    void refusedMarkGoesByItself() {
        BoardFixture f;
        f.key(Qt::Key_F2);
        f.type(QStringLiteral("2.75\r"));
        QVERIFY(stripShows(*f.board).contains(QStringLiteral("Refused")));
        QTRY_VERIFY(!stripShows(*f.board).contains(QStringLiteral("Refused")));
    }

    void capsLockShowsWhileABindingIsLowerCase_data() {
        // start/stop, reset, clear, buzzer, then the meet's commands
        QTest::addColumn<QString>("bindings");
        QTest::addColumn<bool>("lockBit");
        QTest::addColumn<bool>("shown");
        QTest::newRow("lower-case, lock on") << "srcbilvkpnemutxwfgazq" << true << true;
        QTest::newRow("lower-case, lock off") << "srcbilvkpnemutxwfgazq" << false << false;
        QTest::newRow("one lower-case, lock on") << "SRcBILVKPNEMUTXWFGAZQ" << true << true;
        QTest::newRow("one meet key lower-case, lock on")
            << "SRCBILvKPNEMUTXWFGAZQ" << true << true;
        QTest::newRow("one scoring key lower-case, lock on")
            << "SRCBILVKPNEMUTXWFGAZq" << true << true;
        QTest::newRow("upper-case, lock on") << "SRCBILVKPNEMUTXWFGAZQ" << true << false;
    }
    void capsLockShowsWhileABindingIsLowerCase() {
        QFETCH(QString, bindings);
        QFETCH(bool, lockBit);
        QFETCH(bool, shown);
        QCOMPARE(bindings.size(), 4 + modGlobals::kMeetCommandCount);
        BoardFixture f;
        modGlobals::StartStopClockKey = bindings[0].unicode();
        modGlobals::ResetClockKey = bindings[1].unicode();
        modGlobals::ClearKey = bindings[2].unicode();
        modGlobals::BuzzerKey = bindings[3].unicode();
        for (int command = 0; command < modGlobals::kMeetCommandCount; ++command)
            modGlobals::MeetKey(command) = bindings[4 + command].unicode();
        f.key(Qt::Key_F2);
        // X11 reports Caps Lock as bit 1 of the native modifiers.
        const QString text = QStringLiteral("1");
        QKeyEvent press(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, 10, '1', lockBit ? 0x2 : 0,
                        text);
        QApplication::sendEvent(f.focused(), &press);
        QCOMPARE(stripShows(*f.board).contains(QStringLiteral("Caps Lock")), shown);
        // The mark follows the next key.
        QKeyEvent next(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, 11, '2', 0,
                       QStringLiteral("2"));
        QApplication::sendEvent(f.focused(), &next);
        QVERIFY(!stripShows(*f.board).contains(QStringLiteral("Caps Lock")));
    }

    void audienceShowsWhatTheBoardShows() {
        BoardFixture f;
        f.key(Qt::Key_F2);
        QVERIFY(f.board->Audience());
        BoardPicture &crowd = f.board->Audience()->Picture();
        QCOMPARE(reading(crowd), reading(f.board->Picture()));
        f.type(QStringLiteral("1.05\r"));
        f.clickField("picHomeScore");
        f.type(QStringLiteral("12\r"));
        f.clickField("picWeight");
        f.type(QStringLiteral("+3"));
        QCOMPARE(reading(crowd), reading(f.board->Picture()));
        QVERIFY(reading(crowd).contains(QStringLiteral(" 1:05|")));
        f.type(QStringLiteral("s"));
        f.key(Qt::Key_Left);
        for (int tick = 0; tick < 12; ++tick) {
            f.pass(700);
            QCOMPARE(reading(crowd), reading(f.board->Picture()));
        }
        QVERIFY2(reading(crowd).startsWith(QStringLiteral("56.")), qPrintable(reading(crowd)));
        // A second display opened later follows the same match.
        f.key(Qt::Key_F2);
        QTRY_VERIFY(!f.board->Audience());
        f.key(Qt::Key_F2);
        f.pass(700);
        QCOMPARE(reading(f.board->Audience()->Picture()), reading(f.board->Picture()));
    }

    void f2TwiceClosesIt() {
        BoardFixture f;
        const int height = f.board->height();
        f.key(Qt::Key_F2);
        QPointer<frmAudience> crowd = f.board->Audience();
        QVERIFY(crowd);
        QVERIFY(QTest::qWaitForWindowExposed(crowd));
        QCOMPARE(crowd->windowTitle(), QStringLiteral("Darezez Audience"));
        QVERIFY(f.board->height() > height);
        f.key(Qt::Key_F2);
        QTRY_VERIFY(!crowd);
        QVERIFY(!f.board->Audience());
        QVERIFY(!f.board->Console().isVisible());
        QCOMPARE(f.board->height(), height);
    }

    // Its window's close button closes it as F2 does: the strip goes, F2 opens it again.
    void closedByItsWindowTheStripGoes() {
        BoardFixture f;
        const int height = f.board->height();
        f.key(Qt::Key_F2);
        QPointer<frmAudience> crowd = f.board->Audience();
        QVERIFY(QTest::qWaitForWindowExposed(crowd));
        crowd->close();
        QTRY_VERIFY(!crowd);
        QVERIFY(!f.board->Console().isVisible());
        QCOMPARE(f.board->height(), height);
        f.key(Qt::Key_F2);
        QVERIFY(f.board->Audience());
        QVERIFY(f.board->Console().isVisible());
    }

    // F11 goes by the screens the windows are on now, not by how the display was opened.
    void f11FillsTheWindowOnTheBoardsScreen_data() {
        QTest::addColumn<int>("audience"); // 0 closed, 1 an ordinary window, 2 full screen
        QTest::addColumn<bool>("audienceFills");
        QTest::newRow("no audience display") << 0 << false;
        QTest::newRow("opened as a window here") << 1 << true;
        QTest::newRow("put full screen here") << 2 << true;
    }
    void f11FillsTheWindowOnTheBoardsScreen() {
        QFETCH(int, audience);
        QFETCH(bool, audienceFills);
        BoardFixture f;
        if (audience) {
            f.key(Qt::Key_F2);
            QVERIFY(QTest::qWaitForWindowExposed(f.board->Audience()));
            // As when the board was moved onto the screen the display was opened on.
            if (audience == 2)
                f.board->Audience()->ShowOn(f.board->screen());
        }
        QWidget *crowd = f.board->Audience();
        const bool crowdFull = crowd && crowd->isFullScreen();
        f.key(Qt::Key_F11);
        QCOMPARE(f.board->isFullScreen(), !audienceFills);
        if (crowd)
            QCOMPARE(crowd->isFullScreen(), audienceFills != crowdFull);
    }

    void audienceNeverTakesTheFocus() {
        BoardFixture f;
        f.key(Qt::Key_F2);
        frmAudience *crowd = f.board->Audience();
        QVERIFY(QTest::qWaitForWindowExposed(crowd));
        QCOMPARE(QApplication::activeWindow(), f.board.data());
        QCOMPARE(QApplication::focusWidget(), f.field("pledClock").at(0));
        for (QWidget *w : crowd->findChildren<QWidget *>())
            QVERIFY2(w->focusPolicy() == Qt::NoFocus, qPrintable(w->objectName()));
        // A click on its home score neither selects it nor moves the focus there.
        QWidget *home = crowd->findChild<QWidget *>(QStringLiteral("picHomeScore"));
        QVERIFY(home);
        QTest::mouseClick(home, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(QApplication::focusWidget(), f.field("pledClock").at(0));
        f.type(QStringLiteral("4\r"));
        QCOMPARE(f.clockText(), QStringLiteral(" 4:00"));
        QCOMPARE(reading(crowd->Picture()), reading(f.board->Picture()));
    }

    void closingTheBoardClosesIt_data() {
        QTest::addColumn<bool>("deleted"); // rather than closed
        QTest::newRow("closed") << false;
        QTest::newRow("deleted") << true;
    }
    void closingTheBoardClosesIt() {
        QFETCH(bool, deleted);
        BoardFixture f;
        f.key(Qt::Key_F2);
        QPointer<frmAudience> crowd = f.board->Audience();
        QVERIFY(QTest::qWaitForWindowExposed(crowd));
        if (deleted)
            delete f.board.data();
        else
            f.board->close();
        QTRY_VERIFY(!crowd);
    }
};

DAREZEZ_TEST(tst_frmAudience)
#include "tst_frmAudience.moc"
