#include "startup/TimingApplication.h"

#include <QDateTime>
#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <ctime>

namespace {
// The top-level window an event is for: Qt sends input and exposure to the QWindow,
// and posts the repaint request to the top-level widget itself.
QWidget *widgetOf(QObject *receiver) {
    if (receiver->isWidgetType()) {
        auto w = static_cast<QWidget *>(receiver);
        return w->isWindow() ? w : nullptr;
    }
    auto window = qobject_cast<QWindow *>(receiver);
    if (!window)
        return nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->windowHandle() == window)
            return w;
    return nullptr;
}
bool isA(QWidget *w, const char *name) {
    return w && w->objectName() == QLatin1String(name);
}
} // namespace

TimingApplication::TimingApplication(int &argc, char **argv) : QApplication(argc, argv) {
    const QString file = qEnvironmentVariable("DAREZEZ_TIMING");
    if (file.isEmpty())
        return;
    m_log.setFileName(file);
    m_enabled = m_log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
    m_startNs = qEnvironmentVariable("DAREZEZ_T0_NS").toLongLong();
    m_clock.start();
}

double TimingApplication::sinceStart() const {
    const qint64 now = QDateTime::currentMSecsSinceEpoch() * 1000000;
    return m_startNs > 0 ? (now - m_startNs) / 1e6 : -1;
}

void TimingApplication::log(const char *what, double ms) {
    m_log.write(QStringLiteral("%1 %2\n").arg(QLatin1String(what)).arg(ms, 0, 'f', 2).toUtf8());
    m_log.flush();
}

bool TimingApplication::notify(QObject *receiver, QEvent *event) {
    if (!m_enabled)
        return QApplication::notify(receiver, event);
    const QEvent::Type type = event->type();
    const bool painting = type == QEvent::Expose || type == QEvent::UpdateRequest;
    QWidget *top = painting || type == QEvent::MouseButtonRelease || type == QEvent::KeyPress
                       ? widgetOf(receiver)
                       : nullptr;
    if (type == QEvent::MouseButtonRelease && isA(top, "frmSplash"))
        m_clickAt = m_clock.nsecsElapsed();
    if (type == QEvent::KeyPress && isA(top, "frmScoreboard")) {
        m_keyAt = m_clock.nsecsElapsed();
        // On the system's monotonic clock, for matching with outside recordings.
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        m_log.write(QByteArray("key-at-ns ") +
                    QByteArray::number(qint64(now.tv_sec) * 1000000000 + now.tv_nsec) + '\n');
        m_log.flush();
    }
    const bool result = QApplication::notify(receiver, event);
    // After the event is handled, its painting is on the screen's buffer.
    // A window is on the screen once exposed; repaints before that reach nobody.
    if (type == QEvent::Expose && isA(top, "frmSplash") && !m_splashPainted) {
        m_splashPainted = true;
        log("startup-to-welcome-painted-ms", sinceStart());
    } else if (painting && isA(top, "frmScoreboard")) {
        const qint64 now = m_clock.nsecsElapsed();
        if (m_clickAt >= 0 && type == QEvent::Expose) {
            log("click-to-scoreboard-painted-ms", (now - m_clickAt) / 1e6);
            m_clickAt = -1;
        }
        if (m_keyAt >= 0 && type == QEvent::UpdateRequest) {
            log("key-to-pixels-ms", (now - m_keyAt) / 1e6);
            m_keyAt = -1;
        }
    }
    return result;
}
