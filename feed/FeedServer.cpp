#include "feed/FeedServer.h"

#include <QAbstractHttpServer>
#include <QFile>
#include <QHash>
#include <QHttpServerRequest>
#include <QNetworkInterface>
#include <QPointer>
#include <QSignalBlocker>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

QByteArray resource(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray response(const QByteArray &status, const QByteArray &type, const QByteArray &body,
                    bool withBody, const QByteArray &extra = {}) {
    QByteArray out = "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
                     "\r\nContent-Length: " + QByteArray::number(body.size()) +
                     "\r\nCache-Control: no-store\r\nConnection: close\r\n" + extra + "\r\n";
    if (withBody)
        out += body;
    return out;
}

QByteArray plain(const QByteArray &status, const QByteArray &extra = {}) {
    return response(status, "text/plain; charset=utf-8", status + "\n", true, extra);
}

bool isTokenChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(QByteArrayView text) {
    if (text.isEmpty())
        return false;
    for (const char c : text) {
        if (!isTokenChar(c))
            return false;
    }
    return true;
}

bool isTargetChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           QByteArrayView("-._~:/?[]@!$&'()*+,;=%").contains(c);
}

enum class Verdict { Good, Bad, Method };

// Only a plain GET or HEAD with no body passes on to Qt's parser, so that the parser never
// meets input it would reject without an answer.
Verdict judgeHead(QByteArrayView head) {
    const QList<QByteArrayView> lines = [&] {
        QList<QByteArrayView> out;
        qsizetype from = 0;
        while (from < head.size()) {
            const qsizetype end = head.indexOf(QByteArrayView("\r\n"), from);
            if (end < 0)
                break;
            out.append(head.sliced(from, end - from));
            from = end + 2;
        }
        return out;
    }();
    if (lines.isEmpty())
        return Verdict::Bad;
    const QByteArrayView request = lines.front();
    const qsizetype sp1 = request.indexOf(' ');
    const qsizetype sp2 = sp1 < 0 ? -1 : request.indexOf(' ', sp1 + 1);
    if (sp1 <= 0 || sp2 < 0 || request.indexOf(' ', sp2 + 1) >= 0)
        return Verdict::Bad;
    const QByteArrayView method = request.first(sp1);
    const QByteArrayView target = request.sliced(sp1 + 1, sp2 - sp1 - 1);
    const QByteArrayView version = request.sliced(sp2 + 1);
    if (!isToken(method) || target.isEmpty() || target.front() != '/' ||
        (version != "HTTP/1.1" && version != "HTTP/1.0"))
        return Verdict::Bad;
    for (const char c : target) {
        if (!isTargetChar(c))
            return Verdict::Bad;
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArrayView line = lines.at(i);
        if (line.isEmpty())
            continue; // the blank line that ends the head
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(line.first(colon)))
            return Verdict::Bad;
        const QByteArrayView value = line.sliced(colon + 1).trimmed();
        for (const char c : value) {
            if ((c < 0x20 && c != '\t') || c == 0x7F || (c & 0x80))
                return Verdict::Bad;
        }
        const QByteArray name = line.first(colon).toByteArray().toLower();
        if (name == "transfer-encoding" || name == "upgrade" ||
            (name == "content-length" && value != "0"))
            return Verdict::Bad;
    }
    if (method != "GET" && method != "HEAD")
        return Verdict::Method;
    return Verdict::Good;
}

} // namespace

// Accepts connections for Qt's HTTP server and keeps every client within the limits.
class FeedServer::Gate : public QTcpServer {
public:
    enum class Phase { Head, Handed, Closing, Stream };

    explicit Gate(const FeedLimits &limits) : m_limits(limits) {}
    ~Gate() override { closeAll(); }

    void closeAll() {
        const QList<QTcpSocket *> sockets = m_conns.keys();
        m_conns.clear();
        for (QTcpSocket *socket : sockets) {
            socket->disconnect(this);
            socket->abort();
            delete socket;
        }
    }

    int count() const { return int(m_conns.size()); }
    // Qt's server, which reads the requests this gate lets through.
    void setParser(QObject *parser) { m_parser = parser; }

    QList<QTcpSocket *> streams() const {
        QList<QTcpSocket *> out;
        for (auto it = m_conns.cbegin(); it != m_conns.cend(); ++it) {
            if (it.value().phase == Phase::Stream)
                out.append(it.key());
        }
        return out;
    }

    void drop(QTcpSocket *socket) {
        if (!m_conns.remove(socket))
            return;
        socket->abort();
        socket->deleteLater();
    }

    // After the answer: Qt's parser reads no more from this client.
    void toClosing(QTcpSocket *socket) {
        leaveParser(socket);
        const auto it = m_conns.find(socket);
        if (it == m_conns.end())
            return;
        it->phase = Phase::Closing;
        it->timer->start(m_limits.requestTimeoutMs);
        socket->disconnectFromHost();
    }

    void toStream(QTcpSocket *socket) {
        leaveParser(socket);
        const auto it = m_conns.find(socket);
        if (it == m_conns.end())
            return;
        it->phase = Phase::Stream;
        it->timer->stop();
        socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    }

protected:
    void incomingConnection(qintptr descriptor) override {
        auto socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        if (count() >= m_limits.maxConnections) {
            socket->write(plain("503 Service Unavailable"));
            socket->flush();
            socket->abort();
            socket->deleteLater();
            return;
        }
        socket->setReadBufferSize(m_limits.maxRequestBytes + 1);
        auto timer = new QTimer(socket);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this, socket] { drop(socket); });
        timer->start(m_limits.requestTimeoutMs);
        m_conns.insert(socket, Conn{Phase::Head, timer, 0});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
        connect(socket, &QObject::destroyed, this, [this, socket] { m_conns.remove(socket); });
    }

private:
    struct Conn {
        Phase phase;
        QTimer *timer;
        qint64 unasked;
    };

    void leaveParser(QTcpSocket *socket) {
        if (m_parser)
            QObject::disconnect(socket, &QTcpSocket::readyRead, m_parser, nullptr);
    }

    void refuse(QTcpSocket *socket, const QByteArray &answer) {
        const auto it = m_conns.find(socket);
        if (it == m_conns.end())
            return;
        // What the client sent is read away, so that the close does not reset the answer.
        it->unasked = socket->readAll().size();
        socket->write(answer);
        it->phase = Phase::Closing;
        it->timer->start(m_limits.requestTimeoutMs);
        socket->disconnectFromHost();
    }

    void onReadyRead(QTcpSocket *socket) {
        const auto it = m_conns.find(socket);
        if (it == m_conns.end())
            return;
        switch (it->phase) {
        case Phase::Handed:
            return;
        case Phase::Closing:
        case Phase::Stream:
            it->unasked += socket->readAll().size();
            if (it->unasked > m_limits.maxRequestBytes)
                drop(socket);
            return;
        case Phase::Head:
            break;
        }
        const qint64 available = socket->bytesAvailable();
        const QByteArray data = socket->peek(available);
        const qsizetype end = data.indexOf("\r\n\r\n");
        if (end < 0) {
            if (available >= m_limits.maxRequestBytes)
                refuse(socket, plain("431 Request Header Fields Too Large"));
            return;
        }
        const qsizetype headSize = end + 4;
        if (headSize > m_limits.maxRequestBytes) {
            refuse(socket, plain("431 Request Header Fields Too Large"));
            return;
        }
        const Verdict verdict = judgeHead(QByteArrayView(data).first(headSize));
        if (verdict == Verdict::Method) {
            refuse(socket, plain("405 Method Not Allowed", "Allow: GET, HEAD\r\n"));
            return;
        }
        if (verdict == Verdict::Bad || available > headSize) {
            refuse(socket, plain("400 Bad Request"));
            return;
        }
        it->phase = Phase::Handed;
        addPendingConnection(socket);
        emit newConnection();
        // The head is already here: the parser waits for no further signal.
        emit socket->readyRead();
    }

    FeedLimits m_limits;
    QPointer<QObject> m_parser;
    QHash<QTcpSocket *, Conn> m_conns;
};

class FeedServer::Http : public QAbstractHttpServer {
public:
    explicit Http(FeedServer *owner) : m_owner(owner) {}

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override {
        const QByteArray method =
            request.method() == QHttpServerRequest::Method::Head ? "HEAD" : "GET";
        return m_owner->answer(method, request.url().path(), socket);
    }

    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override {
        const bool head = request.method() == QHttpServerRequest::Method::Head;
        socket->write(
            response("404 Not Found", "text/plain; charset=utf-8", "404 Not Found\n", !head));
        if (m_owner->m_gate)
            m_owner->m_gate->toClosing(socket);
    }

private:
    FeedServer *m_owner;
};

FeedServer::FeedServer(QObject *parent)
    : QObject(parent), m_stateText(QStringLiteral("Not serving")),
      m_stateJson(FeedStateJson(FeedState{})), m_layoutJson("{}") {}

FeedServer::~FeedServer() {
    // Said to nobody: whoever listens may be half destroyed already, as the board that
    // owns the feed is when it closes.
    const QSignalBlocker quiet(this);
    stop();
}

void FeedServer::setLimits(const FeedLimits &limits) {
    m_limits = limits;
}

const FeedLimits &FeedServer::limits() const {
    return m_limits;
}

bool FeedServer::start(quint16 port, bool allInterfaces) {
    stop();
    m_askedPort = port;
    m_allInterfaces = allInterfaces;
    auto gate = std::make_unique<Gate>(m_limits);
    if (!gate->listen(allInterfaces ? QHostAddress::Any : QHostAddress::LocalHost, port)) {
        setStateText(gate->serverError() == QAbstractSocket::AddressInUseError
                         ? QStringLiteral("Port %1 is in use").arg(port)
                         : QStringLiteral("Port %1 could not be opened: %2")
                               .arg(port)
                               .arg(gate->errorString()));
        return false;
    }
    m_http = std::make_unique<Http>(this);
    m_gate = gate.release();
    m_http->bind(m_gate);
    m_gate->setParser(m_http.get());

    const QString portText = QString::number(m_gate->serverPort());
    m_addresses.clear();
    if (allInterfaces) {
        for (const QHostAddress &a : QNetworkInterface::allAddresses()) {
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback() &&
                !a.isLinkLocal())
                m_addresses.append(QStringLiteral("http://%1:%2/").arg(a.toString(), portText));
        }
    }
    m_addresses.append(QStringLiteral("http://127.0.0.1:%1/").arg(portText));
    setStateText(QStringLiteral("Serving at ") + m_addresses.join(QStringLiteral(", ")));
    return true;
}

void FeedServer::stop() {
    const bool was = isServing();
    if (m_gate)
        m_gate->closeAll();
    m_gate = nullptr;
    m_http.reset(); // owns the gate
    m_addresses.clear();
    if (was)
        setStateText(QStringLiteral("Not serving"));
}

void FeedServer::configure(bool enabled, quint16 port, bool allInterfaces) {
    if (!enabled) {
        stop();
        setStateText(QStringLiteral("Not serving"));
        return;
    }
    if (isServing() && port == m_askedPort && allInterfaces == m_allInterfaces)
        return;
    start(port, allInterfaces);
}

bool FeedServer::isServing() const {
    return m_gate != nullptr;
}

quint16 FeedServer::port() const {
    return m_gate ? m_gate->serverPort() : 0;
}

QString FeedServer::stateText() const {
    return m_stateText;
}

QStringList FeedServer::addresses() const {
    return m_addresses;
}

void FeedServer::setStateText(const QString &text) {
    if (text == m_stateText)
        return;
    m_stateText = text;
    emit stateTextChanged(text);
}

void FeedServer::setLayoutJson(const QByteArray &json) {
    m_layoutJson = json;
}

int FeedServer::connectionCount() const {
    return m_gate ? m_gate->count() : 0;
}

int FeedServer::streamCount() const {
    return m_gate ? int(m_gate->streams().size()) : 0;
}

void FeedServer::publish(const FeedState &state) {
    QByteArray json = FeedStateJson(state);
    if (json == m_stateJson)
        return;
    m_stateJson = std::move(json);
    if (!m_gate)
        return;
    const QByteArray frame = "data: " + FeedStateJson(state, false) + "\n\n";
    for (QTcpSocket *socket : m_gate->streams()) {
        socket->write(frame);
        socket->flush();
        if (socket->bytesToWrite() > m_limits.maxUnsentBytes)
            m_gate->drop(socket);
    }
}

bool FeedServer::answer(const QByteArray &method, const QString &path, QTcpSocket *socket) {
    const bool body = method != "HEAD";
    QByteArray out;
    if (path == QLatin1String("/events")) {
        out = "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\n"
              "Cache-Control: no-store\r\n\r\n";
        if (body) {
            out += "data: " + m_stateJson + "\n\n";
            socket->write(out);
            socket->flush();
            m_gate->toStream(socket);
            return true;
        }
    } else if (path == QLatin1String("/state.json")) {
        out = response("200 OK", "application/json", m_stateJson, body);
    } else if (path == QLatin1String("/layout.json")) {
        out = response("200 OK", "application/json", m_layoutJson, body);
    } else if (path == QLatin1String("/")) {
        static const QByteArray page = resource(QStringLiteral(":/feed/board.html"));
        out = response("200 OK", "text/html; charset=utf-8", page, body);
    } else if (path == QLatin1String("/feed.js")) {
        static const QByteArray script = resource(QStringLiteral(":/feed/feed.js"));
        out = response("200 OK", "text/javascript; charset=utf-8", script, body);
    } else if (path == QLatin1String("/overlay")) {
        static const QByteArray page = resource(QStringLiteral(":/feed/overlay.html"));
        out = response("200 OK", "text/html; charset=utf-8", page, body);
    } else {
        return false;
    }
    socket->write(out);
    m_gate->toClosing(socket);
    return true;
}
