#include "TimedApplication.h"

#include <QDateTime>
#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <cstdio>
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

TimedApplication::TimedApplication(int &argc, char **argv, qint64 launchNs)
    : QApplication(argc, argv), m_launchNs(launchNs) {
    m_clock.start();
}

double TimedApplication::sinceLaunch() const {
    const qint64 now = QDateTime::currentMSecsSinceEpoch() * 1000000;
    return m_launchNs > 0 ? (now - m_launchNs) / 1e6 : -1;
}

void TimedApplication::print(const char *what, double ms) {
    std::printf("%s %.2f\n", what, ms);
    std::fflush(stdout);
}

bool TimedApplication::notify(QObject *receiver, QEvent *event) {
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
        std::printf("key-at-ns %lld\n", qint64(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fflush(stdout);
    }
    const bool result = QApplication::notify(receiver, event);
    // After the event is handled, its painting is on the screen's buffer.
    // A window is on the screen once exposed; repaints before that reach nobody.
    if (type == QEvent::Expose && isA(top, "frmSplash") && !m_splashPainted) {
        m_splashPainted = true;
        print("startup-to-welcome-painted-ms", sinceLaunch());
    } else if (painting && isA(top, "frmScoreboard")) {
        const qint64 now = m_clock.nsecsElapsed();
        if (m_clickAt >= 0 && type == QEvent::Expose) {
            print("click-to-scoreboard-painted-ms", (now - m_clickAt) / 1e6);
            m_clickAt = -1;
        }
        if (m_keyAt >= 0 && type == QEvent::UpdateRequest) {
            print("key-to-pixels-ms", (now - m_keyAt) / 1e6);
            m_keyAt = -1;
        }
    }
    return result;
}
