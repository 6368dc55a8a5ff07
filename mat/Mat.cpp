#include "mat/Mat.h"

#include "feed/MatchFeed.h"
#include "journal/JournalPolicy.h"

Mat::Mat(QObject *parent) : QObject(parent) {
    // A command may start or stop a clock, or move its next change.
    connect(&m_match, &Match::Applied, &m_tick, [this] { m_tick.arm(); });
}

Mat::~Mat() {
    // They hold the match, which goes with this.
    delete m_feed.data();
    delete m_policy;
}

void Mat::SetJournal(MatchJournal *journal) {
    delete m_policy;
    m_policy = journal ? new JournalPolicy(m_match, journal, this) : nullptr;
}

void Mat::Resume(const MatchSnapshot &snapshot) {
    m_match.Restore(snapshot);
    if (m_policy)
        m_policy->Started();
}

MatchFeed &Mat::Feed(QWidget *picture) {
    if (!m_feed)
        m_feed = new MatchFeed(m_match, picture, this);
    return *m_feed;
}
