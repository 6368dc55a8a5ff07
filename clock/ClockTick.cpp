#include "clock/ClockTick.h"

#include "clock/Match.h"
#include "clock/TimeSource.h"

ClockTick::ClockTick(Match &match, QObject *parent) : QObject(parent), m_match(match) {
    m_timer.setObjectName(QStringLiteral("tmrClock1"));
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_match.UpdateClocks();
        emit Refreshed();
        arm();
    });
    connect(&m_match, &Match::TickChanged, this, [this](bool on) {
        if (on)
            arm();
        else
            m_timer.stop();
    });
}

void ClockTick::arm() {
    if (!m_match.TickEnabled())
        return;
    // The source counts whole milliseconds and a timer never fires early, so the firing
    // reads the instant itself or later.
    const qint64 wait = m_match.NextRefreshMs() - TimeSource::nowMs();
    m_timer.start(int(qBound(qint64(0), wait, qint64(1000))));
}
