#pragma once

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <memory>
#include <vector>

// Junk, cut-short and altered requests, then a crowd of connections at once, sent with
// blocking sockets: run it on a thread of its own, so that a server on the caller's thread
// only serves.
namespace RequestAbuse {

const QList<QByteArray> kRequests = {
    "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n",
    "GET /overlay HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/html\r\n\r\n",
    "GET /state.json HTTP/1.0\r\n\r\n",
    "GET /layout.json?x=1 HTTP/1.1\r\nUser-Agent: test\r\n\r\n",
    "HEAD /feed.js HTTP/1.1\r\n\r\n",
    "POST /state.json HTTP/1.1\r\nContent-Length: 4\r\n\r\nabcd",
    "GET /nowhere HTTP/1.1\r\n\r\n",
    "GET /events HTTP/1.1\r\nAccept: text/event-stream\r\n\r\n",
};

struct Tally {
    int answered = 0;
    int cut = 0;
    int unanswered = 0;
    int crowdOk = 0;
    int crowdRefused = 0;
    QByteArray firstUnanswered;
};

// What a request brought back: until the server closes, or the first event of a stream.
inline QByteArray Answer(QTcpSocket &s) {
    QByteArray got;
    while (s.state() == QAbstractSocket::ConnectedState && s.waitForReadyRead(5000)) {
        got += s.readAll();
        // A stream goes on while the board changes: one event is its answer.
        if (got.startsWith("HTTP/1.1 200") && got.contains("\r\n\r\ndata: ") &&
            got.endsWith("\n\n"))
            return got;
    }
    return got + s.readAll();
}

inline Tally Run(quint16 port, int count, int crowd, quint32 seed = 20261208) {
    Tally t;
    QRandomGenerator rng(seed);
    for (int i = 0; i < count; ++i) {
        QByteArray bytes = kRequests.at(rng.bounded(int(kRequests.size())));
        switch (rng.bounded(4)) {
        case 0: // whole
            break;
        case 1: // cut short
            bytes.truncate(rng.bounded(int(bytes.size())));
            break;
        case 2: { // random bytes, now and then closed as a head
            bytes.resize(1 + rng.bounded(3000));
            for (char &c : bytes)
                c = char(rng.bounded(256));
            if (rng.bounded(2))
                bytes += "\r\n\r\n";
            break;
        }
        default: // a few bytes changed
            for (int k = 0; k < 1 + rng.bounded(4); ++k)
                bytes[rng.bounded(int(bytes.size()))] = char(rng.bounded(256));
        }
        QTcpSocket s;
        s.connectToHost(QStringLiteral("127.0.0.1"), port);
        if (!s.waitForConnected(5000)) {
            ++t.unanswered;
            continue;
        }
        s.write(bytes);
        s.waitForBytesWritten(5000);
        if (!bytes.contains("\r\n\r\n")) {
            // Leaves in the middle; the server must forget it.
            ++t.cut;
            s.abort();
            continue;
        }
        if (Answer(s).startsWith("HTTP/1.1 ")) {
            ++t.answered;
        } else {
            ++t.unanswered;
            if (t.firstUnanswered.isEmpty())
                t.firstUnanswered = bytes.toHex();
        }
        s.abort();
    }

    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    for (int i = 0; i < crowd; ++i) {
        sockets.push_back(std::make_unique<QTcpSocket>());
        sockets.back()->connectToHost(QStringLiteral("127.0.0.1"), port);
    }
    for (auto &s : sockets) {
        if (s->waitForConnected(5000))
            s->write("GET /state.json HTTP/1.1\r\n\r\n");
    }
    for (auto &s : sockets) {
        if (Answer(*s).startsWith("HTTP/1.1 200"))
            ++t.crowdOk;
        else
            ++t.crowdRefused;
    }
    return t;
}

} // namespace RequestAbuse
