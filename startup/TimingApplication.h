#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

// The application, able to time what an operator waits for when DAREZEZ_TIMING names a
// file: start-up to the welcome window painted, the click to the scoreboard painted, each
// key to the changed digits painted, and the instant each key reached the scoreboard.
// Costs one test per event otherwise.
class TimingApplication : public QApplication {
public:
    TimingApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

private:
    void log(const char *what, double ms);
    double sinceStart() const;

    bool m_enabled = false;
    QFile m_log;
    qint64 m_startNs = 0; // the process's start, from the launcher, in wall-clock ns
    bool m_splashPainted = false;
    qint64 m_clickAt = -1;
    qint64 m_keyAt = -1;
    QElapsedTimer m_clock;
};
