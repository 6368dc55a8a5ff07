#pragma once

#include <QApplication>
#include <QElapsedTimer>

// An application that times what an operator waits for, printing one line per figure on
// standard output: start-up to the welcome window painted, the click to the scoreboard
// painted, and each key to the changed digits painted.
class TimedApplication : public QApplication {
public:
    // launchNs: when the launcher started the process, in wall-clock ns since the epoch.
    TimedApplication(int &argc, char **argv, qint64 launchNs);

    bool notify(QObject *receiver, QEvent *event) override;

private:
    static void print(const char *what, double ms);
    double sinceLaunch() const;

    qint64 m_launchNs = 0;
    bool m_splashPainted = false;
    qint64 m_clickAt = -1;
    qint64 m_keyAt = -1;
    QElapsedTimer m_clock;
};
