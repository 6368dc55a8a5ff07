#pragma once

#include "Desktop.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

// A sound server of the test's own, to stop and start under the running program.
struct PrivateSoundServer {
    QTemporaryDir dir;
    QProcess process;
    QString socket() const { return dir.filePath(QStringLiteral("native")); }
    QString server() const { return QStringLiteral("unix:") + socket(); }
    bool start() {
        QFile::remove(socket());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        env.remove(QStringLiteral("PULSE_SERVER"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("pulseaudio"),
                      {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                       QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--disable-shm=yes"),
                       QStringLiteral("--use-pid-file=no"), QStringLiteral("--system=no"),
                       QStringLiteral("-L"),
                       QStringLiteral("module-null-sink sink_name=private_sink rate=44100"),
                       QStringLiteral("-L"),
                       QStringLiteral("module-native-protocol-unix socket=%1 auth-anonymous=1")
                           .arg(socket())});
        for (int i = 0; i < 100; ++i) {
            if (Desktop::run(QStringLiteral("pactl"),
                             {QStringLiteral("--server=") + server(), QStringLiteral("info")}))
                return Desktop::run(QStringLiteral("pactl"),
                                    {QStringLiteral("--server=") + server(),
                                     QStringLiteral("set-default-sink"),
                                     QStringLiteral("private_sink")});
            QThread::msleep(50);
        }
        return false;
    }
    void stop() {
        process.kill();
        process.waitForFinished();
    }
    ~PrivateSoundServer() { stop(); }
};
