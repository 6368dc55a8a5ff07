#pragma once

#include "clock/Match.h"

#include <QObject>
#include <QString>

// Turns one operator's keys into the match's commands: the bindings of the options, the
// typed entry of the selected field, the stoppage key's wrestler, Ctrl and a letter, and the
// requests that belong to windows. The board hands it every key once: first as a key down,
// then, when it types one, as its character.
class KeyConsole : public QObject {
    Q_OBJECT

public:
    explicit KeyConsole(Match &match, QObject *parent = nullptr);

    // A key by its key code (KeyCodes: arrows, function keys; 0 for any other key).
    void keyDown(int keyCode);
    // A key's character, typed into the selected field (-1: none is).
    void keyPress(int field, int keyAscii, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    // The character a key with these modifiers gives: Ctrl and a letter its control code
    // (Ctrl+Z is 26), wherever the platform left the letter; Ctrl+Shift+Z redo's.
    static int Typed(int keyAscii, Qt::KeyboardModifiers modifiers);

    // The typed text of the clock's entry, and of the number entry and its field (empty
    // before the first key).
    QString ClockTyped() const { return m_clockTyped; }
    QString DigitTyped() const { return m_digitTyped; }
    QString DigitTypedField() const { return m_digitTypedField; }
    // Half-typed entries and a waiting choice dropped, as when the selected field changes.
    void DropTyped();

signals:
    void TypedChanged();
    // A key asked for something the match or the entry refused.
    void Refused();
    // What windows and devices answer.
    void HelpRequested();
    void OptionsRequested();
    void BoutResultRequested();
    void BoutSheetRequested();
    void LineupRequested();
    void BuzzerRequested();
    void AudienceRequested();
    void FullScreenRequested();

private:
    bool run(const MatchCommand &command);
    void command(int key);
    void nextBout();
    void score(int move, Side side, int digit);
    void clockEntry(int key);
    void digitEntry(Match::Field field, int key);
    // A typed number as a command; false when the entry makes no number the field takes.
    bool enter(Match::Field field, const QString &entry);
    void setTyped(QString &typed, const QString &text);

    Match &m_match;
    QString m_clockTyped;
    QString m_digitTyped;
    QString m_digitTypedField;
    // A stoppage key waiting for Left or Right.
    int m_stoppageChosen = -1;
    // A scoring key waiting for Left or Right, then (with its side) for its digit.
    int m_moveChosen = -1;
    std::optional<Side> m_moveSide;
    // A period's digit or a sign and digit was just taken: the Enter that often follows is
    // no refused entry.
    bool m_entryTaken = false;
};
