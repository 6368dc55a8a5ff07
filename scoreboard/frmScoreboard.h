#pragma once

#include "clock/Match.h"
#include "mat/Mat.h"
#include "scoreboard/frmAudience.h"

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>

class AudiencePlacement;
class KeyConsole;
class BoardPicture;
class BuzzerDevice;
class ConsoleStrip;
class LedGroup;
class QScreen;
class MatchJournal;
class frmBoutSheet;
class QKeyEvent;
class QMessageBox;

// The window the operator types into: it shows its mat's match through the board's picture,
// hands every key to its console once, and runs the buzzer, the strip and the dialogs.
class frmScoreboard : public QWidget {
    Q_OBJECT

public:
    // Shows `mat` and hands it the keys, taking it along when it closes. Takes the playback
    // device; without one it makes the real buzzer.
    explicit frmScoreboard(Mat *mat, BuzzerDevice *device = nullptr);
    // A board with a mat of its own.
    explicit frmScoreboard(BuzzerDevice *device = nullptr);
    ~frmScoreboard() override;

    Mat &mat() { return m_mat; }
    Match &match() { return m_mat.match(); }

    // The journal the mat keeps its match in; without one it keeps nothing. A journal held
    // by another copy of the program, or failing, is said once on the board.
    void SetJournal(MatchJournal *journal);
    // While journal writes fail.
    bool JournalFailing() const { return m_journalFailing; }
    BoardPicture &Picture() { return *m_picture; }

    void UpdateFormColors();
    void UpdateLabels();
    void Buzzer();
    bool BuzzerPlaying() const { return m_buzzerPlaying; }

    LedGroup &Field(const QString &name);

    // The crowd's screen: F2 opens and closes it. Null while closed.
    frmAudience *Audience() const { return m_audience; }
    void ToggleAudience();
    ConsoleStrip &Console() { return *m_strip; }
    KeyConsole &Keys() { return *m_console; }
    QTimer &tmrClock1() { return m_mat.tick().timer(); }
    BuzzerDevice &mmcBuzzer() { return *m_mmcBuzzer; }

    // What the live feed is doing, for the options and the operator's strip.
    void setFeedState(const QString &text);

    // The bout sheet, in a window of its own (one at a time). Like a note it leaves the keys
    // with the board until clicked or asked for again; Esc on the board closes it.
    void ShowBoutSheet();
    // A note in a corner of the board's screen that leaves the keys with the board: it takes
    // the focus only when the operator clicks it, and the board then keeps its selection.
    QMessageBox *ShowNote(const QString &name, const QString &text);

signals:
    // The help key; the help window belongs to start-up, which answers this.
    void HelpRequested();
    // The options dialog closed with OK.
    void OptionsApplied();
    void JournalFailingChanged(bool failing);

protected:
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void Form_Terminate();
    void mmcBuzzer_Done();
    void onKeyDown(int keyCode);
    void onFieldKeyPress(Match::Field field, int keyAscii);
    void showOptions();
    // What the match is told of the options: the next bout's rule set, the teams' names.
    void handOptions();
    void openAudience(QScreen *screen);
    void closeAudience();
    int fieldOf(const QWidget *widget) const;
    void onFocusChanged(QWidget *now);
    // Caps Lock and the refused mark follow each key typed on the board.
    void watchKey(QObject *watched, QEvent *event);
    bool endTheMeet();
    // Devices asking to control the board: a note in the corner, and F3, the code shown on
    // the device and Enter to let one in; Esc refuses them all. True when the key was one.
    void showPairing();
    bool pairingKey(const QKeyEvent *event);

    Mat &m_mat;
    KeyConsole *m_console;
    std::unique_ptr<BuzzerDevice> m_mmcBuzzer;
    bool m_buzzerPlaying = false;
    BoardPicture *m_picture = nullptr;
    ConsoleStrip *m_strip = nullptr;
    QPointer<frmAudience> m_audience;
    QPointer<frmBoutSheet> m_boutSheet;
    AudiencePlacement *m_placement;
    QString m_feedState;
    QPointer<MatchJournal> m_journal;
    bool m_journalFailing = false;
    bool m_failureShown = false;
    bool m_asking = false;
    // A note was active: coming back from it keeps the selected field and typed text.
    // Of the key being handled.
    Qt::KeyboardModifiers m_keyModifiers;
    bool m_backFromNote = false;
    QPointer<QMessageBox> m_pairNote;
    std::optional<QString> m_codeTyped; // after F3

    // The application is quitting (a session's end sends it that), not an operator closing.
    bool m_quitting = false;
};
