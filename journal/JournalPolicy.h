#pragma once

#include "clock/Match.h"

#include <QObject>
#include <QPointer>
#include <optional>

#include "journal/MeetLog.h"

class MatchJournal;

// When a match goes to its journal: a record after every command it applies and when the clock
// stops (also by running out), and progress once for each whole second a running clock shows, after
// the refresh has read the time advantage too. Nothing is written while the match is as it started,
// fresh or resumed.
class JournalPolicy : public QObject {
    Q_OBJECT

public:
    JournalPolicy(Match &match, MatchJournal *journal, QObject *parent = nullptr);

    // The match as it stands is the one the journal holds (or a fresh one).
    void Started();

private:
    // The match as it stands, as a record of that kind or (progress) over the last progress.
    void hand(bool progress, MeetLog::Kind kind = MeetLog::Kind::Change);
    void clockShown(Match::Field field);

    Match &m_match;
    QPointer<MatchJournal> m_journal;
    // The match as the journal already holds it, until it first changes.
    std::optional<MatchSnapshot> m_unchanged;
    qint64 m_journaledSecond = -1;
};
