#include "journal/JournalPolicy.h"

#include "journal/MatchJournal.h"

JournalPolicy::JournalPolicy(Match &match, MatchJournal *journal, QObject *parent)
    : QObject(parent), m_match(match), m_journal(journal) {
    connect(&m_match, &Match::TickChanged, this, [this](bool on) {
        // When the clock runs out with no key pressed; a command's stop goes with the record
        // of that command, which follows.
        if (!on && !m_match.Applying())
            hand(false);
    });
    connect(&m_match, &Match::FieldChanged, this, &JournalPolicy::clockShown);
    // Each command as the record it makes: what the match did is handed on, not guessed.
    connect(&m_match, &Match::Applied, this,
            [this](const MatchOutcome &outcome) { hand(false, MeetLog::KindOf(outcome.step)); });
    Started();
}

void JournalPolicy::Started() {
    m_unchanged = m_match.Snapshot();
}

void JournalPolicy::hand(bool progress, MeetLog::Kind kind) {
    if (!m_journal)
        return;
    const MatchSnapshot now = m_match.Snapshot();
    if (m_unchanged) {
        if (*m_unchanged == now)
            return;
        m_unchanged.reset();
    }
    if (progress)
        m_journal->writeProgress(now);
    else
        m_journal->write(now, kind);
}

// One progress write for each whole second the running clock shows. The refresh that shows it reads
// the time advantage after the clock: the write waits until the refresh is over, in the
// same turn of the event loop.
void JournalPolicy::clockShown(Match::Field field) {
    // The match clock, or a stoppage clock running in the time advantage's place.
    const bool stoppage = m_match.StoppageRunning();
    if (stoppage ? field != Match::pledTimeAd
                 : field != Match::pledClock || !m_match.ClockRunning(0))
        return;
    const qint64 second =
        (stoppage ? m_match.StoppageShown() : m_match.Shown(Match::pledClock)) / kTimeUnit;
    if (second == m_journaledSecond)
        return;
    m_journaledSecond = second;
    QMetaObject::invokeMethod(
        this, [this] { hand(true); }, Qt::QueuedConnection);
}
