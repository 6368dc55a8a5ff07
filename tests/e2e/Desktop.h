#pragma once

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The real program on the test's X server, driven only from outside as a user would:
// xdotool for the mouse and keyboard, screenshots of the screen for what it shows.
class Desktop {
public:
    static QString ProgramPath();
    // How long to wait for the program to show what it was asked for: long enough for a
    // busy machine; only a failing step waits that long.
    static constexpr int kWaitMs = 30000;

    Desktop();
    ~Desktop();

    // False (with why()) when there is no X server or xdotool to drive.
    bool available();
    QString why() const { return m_why; }

    // The per-user settings folder the program gets; empty until written.
    QString configHome() const { return m_config.path(); }
    // The per-user data folder (the match journal) the program gets unless told otherwise.
    QString dataHome() const { return m_data.path(); }
    void writeSettings(const QString &iniText);
    QString settingsText() const;

    // Starts the program; extra variables override the inherited environment.
    bool start(const QProcessEnvironment &extra = {}, const QString &program = {});
    bool running() const { return m_process.state() == QProcess::Running; }
    qint64 pid() const { return m_process.processId(); }
    bool waitForExit(int timeoutMs = 10000) { return m_process.waitForFinished(timeoutMs); }
    // Once ended: whether it returned 0 by itself (a signal or an abort is a crash).
    bool exitedCleanly() const {
        return m_process.state() == QProcess::NotRunning &&
               m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    int exitCode() const { return m_process.exitCode(); }
    void stop();
    QString output() const;

    // The program's visible top-level windows, newest last.
    QStringList windows() const;
    // Waits until the program shows a window other than those in `known`.
    QString waitForNewWindow(const QStringList &known, int timeoutMs = kWaitMs) const;
    bool waitForWindowGone(const QString &id, int timeoutMs = kWaitMs) const;
    // Waits until `id` has the keyboard and the window manager has stopped moving it.
    bool waitForActive(const QString &id, int timeoutMs = kWaitMs) const;
    QRect geometry(const QString &window) const;
    // Every window of the program, mapped or not, with its state: for failure reports.
    QString describeWindows() const;
    QString activeWindow() const;
    bool activate(const QString &window) const;
    bool resize(const QString &window, int width, int height) const;

    void click(int x, int y) const;
    // xdotool key names ("b", "Return", "period", "Left").
    void keys(const QStringList &names, int delayMs = 40) const;
    void type(const QString &text) const;

    QImage screenshot() const;
    QImage grab(const QString &window) const;

    static bool run(const QString &program, const QStringList &args, QByteArray *out = nullptr,
                    int timeoutMs = 10000);

private:
    QTemporaryDir m_config;
    QTemporaryDir m_data;
    QProcess m_process;
    QString m_why;
};
