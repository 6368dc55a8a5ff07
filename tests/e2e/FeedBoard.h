#pragma once

#include "BoardSession.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

// The real program with its feed on, on a free port of 127.0.0.1, as the options store it.
namespace FeedBoard {

inline quint16 FreePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

inline QString Settings(quint16 port) {
    return QStringLiteral("[FeedSettings]\nEnabled=1\nPort=%1\nNetwork=0\n").arg(port);
}

struct Answer {
    QByteArray status; // "HTTP/1.1 200 OK", or empty when nothing came
    QByteArray body;
};

// One request, read until the server closes.
inline Answer Get(quint16 port, const QByteArray &path, int timeoutMs = 10000) {
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!s.waitForConnected(timeoutMs))
        return {};
    s.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray got;
    while (s.state() == QAbstractSocket::ConnectedState && s.waitForReadyRead(timeoutMs))
        got += s.readAll();
    got += s.readAll();
    const qsizetype head = got.indexOf("\r\n\r\n");
    if (head < 0)
        return {};
    return {got.left(got.indexOf("\r\n")), got.mid(head + 4)};
}

// Opens the board with its feed on a free port and waits until the feed answers; the port,
// or 0 when it did not come up.
inline quint16 Open(BoardSession &s) {
    const quint16 port = FreePort();
    if (!port)
        return 0;
    s.desktop.writeSettings(Settings(port));
    if (!s.open())
        return 0;
    QDeadlineTimer deadline(Desktop::kWaitMs);
    while (!deadline.hasExpired()) {
        if (Get(port, "/state.json").status == "HTTP/1.1 200 OK")
            return port;
        QTest::qWait(50);
    }
    return 0;
}

// A step of a time display: tenths below a minute, seconds above.
inline double StepOf(double shownSeconds) {
    return shownSeconds >= 60 ? 1.0 : 0.1;
}

inline bool SanitizerReport(const QString &output) {
    return output.contains(QLatin1String("Sanitizer")) ||
           output.contains(QLatin1String("runtime error:"));
}

// Closes the board as an operator does, ending the meet when it asks, and says what was
// wrong with the program's end: empty when it returned 0 and no sanitizer reported.
inline QString Close(BoardSession &s) {
    s.desktop.activate(s.board);
    const QStringList known = s.desktop.windows();
    s.desktop.keys({QStringLiteral("alt+F4")});
    const QString question = s.desktop.waitForNewWindow(known, 5000);
    if (!question.isEmpty()) {
        s.desktop.activate(question);
        // From Cancel to "End the meet".
        s.desktop.keys({QStringLiteral("Tab"), QStringLiteral("space")});
    }
    // A sanitizer's leak check at the end takes a while.
    if (!s.desktop.waitForExit(60000))
        return QStringLiteral("still running");
    const QString output = s.desktop.output();
    if (!s.desktop.exitedCleanly() || SanitizerReport(output))
        return QStringLiteral("exit code %1; output: %2").arg(s.desktop.exitCode()).arg(output);
    return {};
}

} // namespace FeedBoard
