#pragma once

#include "TestSupport.h"
#include "appearance/Shape.h"
#include "led/LedGroup.h"
#include "led/VaviZAV.h"
#include "scoreboard/BoardPicture.h"
#include "scoreboard/BuzzerDevice.h"
#include "scoreboard/frmScoreboard.h"
#include "startup/frmHelp.h"

#include <QApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// A playback device that only records what it was told, by operation name.
class FakeBuzzer : public BuzzerDevice {
public:
    QStringList commands;
    QStringList *mirror = nullptr; // outlives the device, for what it hears as it goes
    void open() override { heard(QStringLiteral("Open")); }
    void play() override { heard(QStringLiteral("Play")); }
    void stop() override { heard(QStringLiteral("Stop")); }
    void rewind() override { heard(QStringLiteral("Rewind")); }
    void close() override { heard(QStringLiteral("Close")); }
    int count(const QString &command) const { return int(commands.count(command)); }
    void finishPlaying() { emit Done(); }

private:
    void heard(const QString &command) {
        commands << command;
        if (mirror)
            *mirror << command;
    }
};

// A real scoreboard on the offscreen screen, with a fake clock, beep and buzzer.
struct BoardFixture {
    SettingsSandbox sandbox;
    FakeClock clock;
    BeepCounter beeps;
    FakeBuzzer *buzzer = nullptr;
    QPointer<frmScoreboard> board;

    explicit BoardFixture(const QString &buzzerFile = QCoreApplication::applicationFilePath()) {
        modGlobals::SetDefaults();
        modGlobals::BuzzerFile = buzzerFile;
        buzzer = new FakeBuzzer();
        board = new frmScoreboard(buzzer);
        QObject::connect(board, &frmScoreboard::HelpRequested, &frmHelp::ShowHelp);
        board->show();
        board->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(board));
    }
    ~BoardFixture() { delete board.data(); }

    QWidget *focused() const {
        return QApplication::focusWidget() ? QApplication::focusWidget() : board.data();
    }

    // Types into whatever has the focus; "\r" is Enter.
    void type(const QString &keys) {
        for (QChar c : keys) {
            if (c == QLatin1Char('\r'))
                QTest::keyClick(focused(), Qt::Key_Return);
            else
                QTest::keyClick(focused(), c.toLatin1());
        }
    }
    void key(Qt::Key k, Qt::KeyboardModifiers with = Qt::NoModifier) {
        QTest::keyClick(focused(), k, with);
    }

    LedGroup &field(const char *name) { return board->Field(QLatin1String(name)); }
    Shape *shape(const char *name) { return board->findChild<Shape *>(QLatin1String(name)); }

    QString clockText() { return timeText("pledClock", "shpTime"); }
    QString timeAdText() { return timeText("pledTimeAd", "shpTimeAd"); }
    QString timeText(const char *field, const char *dots) {
        const QString d = QLatin1String(dots);
        return timePicture(
            board->Field(QLatin1String(field)),
            board->findChild<Shape *>(d + "_0")->FillColor() == modGlobals::TextColor,
            board->findChild<Shape *>(d + "_1")->FillColor() == modGlobals::TextColor);
    }
    QString number(const char *name) { return numberPicture(field(name)); }

    void click(QWidget *w, QPoint at = QPoint(2, 2)) {
        QTest::mouseClick(w, Qt::LeftButton, {}, at);
    }
    void clickField(const char *container) {
        click(board->findChild<QWidget *>(QLatin1String(container)));
    }

    // Time passes, and the tick (when it runs) reads the clock once more: it is armed for
    // the next change of the shown digits, at most a second of real time away. Once it has
    // read, the next refresh it asks for lies ahead of the clock.
    void pass(qint64 ms) {
        clock.advance(ms);
        if (!board->match().TickEnabled())
            return;
        QTRY_VERIFY_WITH_TIMEOUT(
            !board->match().TickEnabled() || board->match().NextRefreshMs() > clock.ms, 30000);
    }
};
