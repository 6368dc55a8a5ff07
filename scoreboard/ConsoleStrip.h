#pragma once

#include "clock/Match.h"

class KeyConsole;
#include <QTimer>
#include <QWidget>

class QLabel;

// The operator's line under the board while the crowd watches another screen: the selected
// field, what has been typed into it, a mark when an entry was refused, what an undo or a
// redo changed, Caps Lock, whether
// the clock runs, and the state of saving and of the feed. It takes no focus and changes
// nothing.
class ConsoleStrip : public QWidget {
    Q_OBJECT

public:
    ConsoleStrip(const Match &match, const KeyConsole &console, QWidget *parent = nullptr);

    void setSelected(int field); // -1: none
    void setCapsLock(bool on);
    void setSaveProblem(bool failing);
    void setFeedState(const QString &text);
    // Shown briefly, until the next key or a moment later.
    void showRefused();
    // What an undo or a redo changed, until the next key or a while later.
    void showHistory(const QString &text);
    void keyTyped();
    void refresh();

    // The strip as text, for tests: the parts joined by "  |  ".
    QString Text() const;

private:
    void showNote(const QString &text, int ms);

    const Match &m_match;
    const KeyConsole &m_console;
    int m_selected = -1;
    bool m_capsLock = false;
    bool m_saveProblem = false;
    // "Refused", or what an undo or a redo changed: one at a time, until the next key.
    QString m_note;
    QString m_feed;
    QLabel *m_label;
    QTimer m_noteTimer;
};
