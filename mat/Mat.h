#pragma once

#include "clock/ClockTick.h"
#include "clock/Match.h"

#include <QObject>
#include <QPointer>

class JournalPolicy;
class MatchFeed;
class MatchJournal;
class QWidget;

// One mat of the meet: its match with the refresh that runs its clocks, the journal it is kept
// in and the live feed that serves it. Windows and consoles show it and hand it commands;
// the tick and the journal follow every command the match applies by themselves.
class Mat : public QObject {
    Q_OBJECT

public:
    explicit Mat(QObject *parent = nullptr);
    ~Mat() override;

    Match &match() { return m_match; }
    ClockTick &tick() { return m_tick; }

    // The journal the match is kept in after every change; without one it keeps nothing.
    void SetJournal(MatchJournal *journal);
    // Takes up a journaled match, every clock stopped.
    void Resume(const MatchSnapshot &snapshot);
    // The live feed, drawing the layout of `picture`; made once.
    MatchFeed &Feed(QWidget *picture);

private:
    Match m_match;
    ClockTick m_tick{m_match};
    JournalPolicy *m_policy = nullptr;
    QPointer<MatchFeed> m_feed;
};
