#pragma once

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

// A raw HTTP client on the test's own event loop, so the server in the same thread runs
// while the test waits.
struct FeedClient {
    QTcpSocket socket;
    QByteArray received;

    explicit FeedClient(quint16 port) {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
        socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    }
    bool connected(int ms = 5000) {
        if (socket.state() == QAbstractSocket::ConnectedState)
            return true;
        QSignalSpy spy(&socket, &QTcpSocket::connected);
        return spy.wait(ms) || socket.state() == QAbstractSocket::ConnectedState;
    }
    void send(const QByteArray &bytes) { socket.write(bytes); }
    // Waits until the server closes the connection.
    bool closed(int ms = 5000) {
        if (socket.state() == QAbstractSocket::UnconnectedState)
            return true;
        QSignalSpy spy(&socket, &QTcpSocket::disconnected);
        return spy.wait(ms) || socket.state() == QAbstractSocket::UnconnectedState;
    }
    // Waits until what was received contains text.
    bool got(const QByteArray &text, int ms = 5000) {
        QElapsedTimer t;
        t.start();
        while (!received.contains(text)) {
            const qint64 left = ms - t.elapsed();
            if (left <= 0 || socket.state() == QAbstractSocket::UnconnectedState)
                return received.contains(text);
            QSignalSpy spy(&socket, &QTcpSocket::readyRead);
            spy.wait(int(left));
        }
        return true;
    }
    QByteArray status() const { return received.left(received.indexOf("\r\n")); }
    QByteArray body() const {
        const qsizetype at = received.indexOf("\r\n\r\n");
        return at < 0 ? QByteArray() : received.mid(at + 4);
    }
    QByteArray header(const QByteArray &name) const {
        const qsizetype end = received.indexOf("\r\n\r\n");
        for (const QByteArray &line : received.left(end).split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
                return line.mid(colon + 1).trimmed();
        }
        return {};
    }
};

// One whole exchange: the request, then everything until the server closes.
inline QByteArray Exchange(quint16 port, const QByteArray &request, FeedClient **keep = nullptr) {
    auto c = new FeedClient(port);
    if (!c->connected())
        return "no connection";
    c->send(request);
    c->closed();
    const QByteArray out = c->received;
    if (keep)
        *keep = c;
    else
        delete c;
    return out;
}
