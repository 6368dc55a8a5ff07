#pragma once

#include "clock/Match.h"
#include "scoreboard/frmAudience.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>

class BoardPicture;
class BuzzerDevice;
class ConsoleStrip;
class LedGroup;
class QScreen;

// The window the operator types into: it owns the match, shows it through the board's
// picture, routes every key to the match once, and runs the tick, the buzzer and the
// dialogs.
class frmScoreboard : public QWidget {
    Q_OBJECT

public:
    // Takes the playback device; without one it makes the real buzzer.
    explicit frmScoreboard(BuzzerDevice *device = nullptr);
    ~frmScoreboard() override;

    Match &match() { return m_match; }
    BoardPicture &Picture() { return *m_picture; }

    void UpdateFormColors();
    void UpdateLabels();
    void Buzzer();

    LedGroup &Field(const QString &name);

    // The crowd's screen: F2 opens and closes it. Null while closed.
    frmAudience *Audience() const { return m_audience; }
    void ToggleAudience();
    ConsoleStrip &Console() { return *m_strip; }
    QTimer &tmrClock1() { return m_tmrClock1; }
    BuzzerDevice &mmcBuzzer() { return *m_mmcBuzzer; }

    // What the live feed is doing, for the options and the operator's strip.
    void setFeedState(const QString &text);

signals:
    // The help key; the help window belongs to start-up, which answers this.
    void HelpRequested();
    // The options dialog closed with OK.
    void OptionsApplied();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void Form_Terminate();
    void tmrClock1_Timer();
    void armTick();
    void mmcBuzzer_Done();
    void onKeyDown(int keyCode);
    void onFieldKeyPress(Match::Field field, int keyAscii);
    void showOptions();
    void openAudience(QScreen *screen);
    void closeAudience();
    QScreen *audienceScreen() const;
    void onScreenAdded(QScreen *screen);
    void onScreenRemoved(QScreen *screen);
    void onFocusChanged(QWidget *now);

    Match m_match;
    QTimer m_tmrClock1;
    std::unique_ptr<BuzzerDevice> m_mmcBuzzer;
    BoardPicture *m_picture = nullptr;
    ConsoleStrip *m_strip = nullptr;
    QPointer<frmAudience> m_audience;
    // An unplugged audience screen closed the display; it comes back with a screen.
    bool m_reopenWithScreen = false;
    QString m_feedState;
};
