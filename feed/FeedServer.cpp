#include "feed/FeedServer.h"

#include <QAbstractHttpServer>
#include <QFile>
#include <QHash>
#include <QHttpServerRequest>
#include <QNetworkInterface>
#include <QPointer>
#include <QSet>
#include <QSignalBlocker>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <optional>

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

// A request head, its syntax checked: the request line, and each header by its lowercase
// name.
struct Head {
    QByteArray method, target;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray header(QByteArrayView name) const {
        for (const auto &[n, v] : headers) {
            if (n == name)
                return v;
        }
        return {};
    }
    bool has(QByteArrayView name) const {
        return std::ranges::any_of(headers, [&](const auto &h) { return h.first == name; });
    }
};

std::optional<Head> parseHead(QByteArrayView head) {
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
        return std::nullopt;
    const QByteArrayView request = lines.front();
    const qsizetype sp1 = request.indexOf(' ');
    const qsizetype sp2 = sp1 < 0 ? -1 : request.indexOf(' ', sp1 + 1);
    if (sp1 <= 0 || sp2 < 0 || request.indexOf(' ', sp2 + 1) >= 0)
        return std::nullopt;
    Head h{
        request.first(sp1).toByteArray(), request.sliced(sp1 + 1, sp2 - sp1 - 1).toByteArray(), {}};
    const QByteArrayView version = request.sliced(sp2 + 1);
    if (!isToken(h.method) || h.target.isEmpty() || h.target.front() != '/' ||
        (version != "HTTP/1.1" && version != "HTTP/1.0"))
        return std::nullopt;
    for (const char c : h.target) {
        if (!isTargetChar(c))
            return std::nullopt;
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArrayView line = lines.at(i);
        if (line.isEmpty())
            continue; // the blank line that ends the head
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(line.first(colon)))
            return std::nullopt;
        const QByteArrayView value = line.sliced(colon + 1).trimmed();
        for (const char c : value) {
            if ((c < 0x20 && c != '\t') || c == 0x7F || (c & 0x80))
                return std::nullopt;
        }
        h.headers.append({line.first(colon).toByteArray().toLower(), value.toByteArray()});
    }
    return h;
}

enum class Verdict { Good, Bad, Method };

// Only a plain GET or HEAD with no body passes on to Qt's parser, so that the parser never
// meets input it would reject without an answer.
Verdict judgeHead(const std::optional<Head> &h) {
    if (!h)
        return Verdict::Bad;
    for (const auto &[name, value] : h->headers) {
        if (name == "transfer-encoding" || name == "upgrade" ||
            (name == "content-length" && value != "0"))
            return Verdict::Bad;
    }
    if (h->method != "GET" && h->method != "HEAD")
        return Verdict::Method;
    return Verdict::Good;
}

QByteArray statusLine(int status) {
    static const QHash<int, QByteArray> kTexts{{200, "OK"},
                                               {202, "Accepted"},
                                               {400, "Bad Request"},
                                               {401, "Unauthorized"},
                                               {403, "Forbidden"},
                                               {404, "Not Found"},
                                               {405, "Method Not Allowed"},
                                               {409, "Conflict"},
                                               {411, "Length Required"},
                                               {413, "Content Too Large"},
                                               {415, "Unsupported Media Type"},
                                               {429, "Too Many Requests"}};
    return QByteArray::number(status) + ' ' + kTexts.value(status, "Error");
}

QByteArray controlAnswer(const ControlReply &r, bool withBody) {
    return response(statusLine(r.status), r.type, r.body, withBody,
                    "X-Content-Type-Options: nosniff\r\n" + r.headers);
}

QByteArray jsonError(int status, const char *why) {
    return controlAnswer({status, QByteArray("{\"error\":\"") + why + "\"}"}, true);
}

bool isControlPath(QByteArrayView path) {
    return path == "/control" || path == "/control.css" || path == "/control.js" ||
           path == "/api" || path.startsWith("/api/");
}

} // namespace

// Accepts connections for Qt's HTTP server and keeps every client within the limits.
class FeedServer::Gate : public QTcpServer {
public:
    enum class Phase { Head, Handed, Closing, Stream };

    Gate(FeedServer *owner, const FeedLimits &limits) : m_owner(owner), m_limits(limits) {}
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

    void closeStreams(const QByteArray &device) {
        for (auto it = m_conns.cbegin(); it != m_conns.cend(); ++it) {
            if (it.value().phase == Phase::Stream && it.value().device == device)
                QMetaObject::invokeMethod(
                    this,
                    [this, s = QPointer<QTcpSocket>(it.key())] {
                        if (s)
                            drop(s);
                    },
                    Qt::QueuedConnection);
        }
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

    void toStream(QTcpSocket *socket, const QByteArray &device = {}) {
        leaveParser(socket);
        const auto it = m_conns.find(socket);
        if (it == m_conns.end())
            return;
        it->phase = Phase::Stream;
        it->device = device;
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
        m_conns.insert(socket, Conn{Phase::Head, timer, 0, {}});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
        connect(socket, &QObject::destroyed, this, [this, socket] {
            m_conns.remove(socket);
            m_slow.remove(socket);
        });
    }

private:
    struct Conn {
        Phase phase;
        QTimer *timer;
        qint64 unasked;
        QByteArray device; // an event stream's device
    };
    static constexpr int kMaxSlow = 8;
    static constexpr qsizetype kMaxControlBody = 4096;

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
        const std::optional<Head> head = parseHead(QByteArrayView(data).first(headSize));
        if (head && isControlPath(QByteArrayView(head->target)
                                      .first(head->target.contains('?') ? head->target.indexOf('?')
                                                                        : head->target.size()))) {
            control(socket, *head, headSize, available);
            return;
        }
        const Verdict verdict = judgeHead(head);
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

    // The host a browser names must be this machine as the device reached it, so that a
    // name some other site points here (DNS rebinding) gets nothing; a page of another
    // origin gets nothing either.
    static bool sameHost(const Head &h, const QTcpSocket *socket) {
        const QByteArray host = h.header("host");
        const QByteArray port = QByteArray::number(socket->localPort());
        QHostAddress local = socket->localAddress();
        bool v4 = false;
        if (const quint32 a = local.toIPv4Address(&v4); v4)
            local = QHostAddress(a);
        const QByteArray address = local.protocol() == QAbstractSocket::IPv6Protocol
                                       ? '[' + local.toString().toLatin1() + ']'
                                       : local.toString().toLatin1();
        if (host != address + ':' + port && host != "localhost:" + port)
            return false;
        return !h.has("origin") || h.header("origin") == "http://" + host;
    }

    void control(QTcpSocket *socket, const Head &h, qsizetype headSize, qint64 available) {
        const qsizetype query = h.target.indexOf('?');
        const QString path = QString::fromLatin1(query < 0 ? h.target : h.target.first(query));
        if (!m_owner->m_control) {
            refuse(socket, plain("404 Not Found"));
            return;
        }
        if (!sameHost(h, socket)) {
            refuse(socket, jsonError(403, "this host or origin may not control the board"));
            return;
        }
        const bool posts =
            path == QLatin1String("/api/pair") || path == QLatin1String("/api/command");
        const bool gets = path.startsWith(QLatin1String("/control")) ||
                          path.startsWith(QLatin1String("/api/pair/")) ||
                          path == QLatin1String("/api/events");
        if (!posts && !gets) {
            refuse(socket, jsonError(404, "no such path"));
            return;
        }
        // HEAD only for the page: a pairing's token, given once, must not go out bodiless.
        const bool head = h.method == "HEAD" && path.startsWith(QLatin1String("/control"));
        if (posts ? h.method != "POST" : h.method != "GET" && !head) {
            refuse(
                socket,
                controlAnswer({405, "{\"error\":\"method not allowed\"}", "application/json",
                               posts                                        ? "Allow: POST\r\n"
                               : path.startsWith(QLatin1String("/control")) ? "Allow: GET, HEAD\r\n"
                                                                            : "Allow: GET\r\n"},
                              true));
            return;
        }
        QByteArray body;
        if (posts) {
            const QByteArray given = h.header("content-length");
            bool number = false;
            const qint64 length = given.toLongLong(&number);
            // All digits but past what a number holds is a body far too large.
            const bool huge = !number && !given.isEmpty() && std::ranges::all_of(given, [](char c) {
                return c >= '0' && c <= '9';
            });
            const QByteArray type = h.header("content-type").toLower();
            QByteArray refusal;
            if (h.has("transfer-encoding") || !h.has("content-length"))
                refusal = jsonError(411, "a Content-Length is needed");
            else if (!huge && (!number || length < 0))
                refusal = jsonError(400, "bad Content-Length");
            else if (huge || length > kMaxControlBody)
                refusal = jsonError(413, "the body is over 4 KB");
            else if (type != "application/json" && !type.startsWith("application/json;"))
                refusal = jsonError(415, "the body is application/json");
            else if (available > headSize + length)
                refusal = jsonError(400, "more than the body");
            if (!refusal.isEmpty()) {
                refuse(socket, refusal);
                return;
            }
            if (available < headSize + length) {
                // The body is still on its way: the head and it fit the buffer.
                socket->setReadBufferSize(headSize + kMaxControlBody + 1);
                return;
            }
            body = socket->peek(available).sliced(headSize);
        } else if (available > headSize || h.has("transfer-encoding") ||
                   (h.has("content-length") && h.header("content-length") != "0")) {
            refuse(socket, plain("400 Bad Request"));
            return;
        }
        socket->read(available);
        // The page is the feed's own, like its others; only the API goes to the handler.
        static const QHash<QString, std::pair<QByteArray, QByteArray>> kPages{
            {QStringLiteral("/control"),
             {resource(QStringLiteral(":/feed/control.html")), "text/html; charset=utf-8"}},
            {QStringLiteral("/control.css"),
             {resource(QStringLiteral(":/feed/control.css")), "text/css; charset=utf-8"}},
            {QStringLiteral("/control.js"),
             {resource(QStringLiteral(":/feed/control.js")), "text/javascript; charset=utf-8"}}};
        if (const auto it = kPages.constFind(path); it != kPages.cend()) {
            refuse(socket,
                   controlAnswer({200, it->first, it->second,
                                  "Content-Security-Policy: default-src 'self'; "
                                  "frame-ancestors 'none'\r\nReferrer-Policy: no-referrer\r\n"},
                                 !head));
            return;
        }
        const ControlReply reply =
            m_owner->m_control({head ? QByteArray("GET") : h.method, path,
                                h.header("authorization"), body, socket->peerAddress().toString()});
        if (reply.status == 200 && !reply.stream.isEmpty() && !head) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\n"
                          "Cache-Control: no-store\r\n\r\ndata: " +
                          reply.body + "\n\n");
            socket->flush();
            toStream(socket, reply.stream);
            return;
        }
        const QByteArray out = controlAnswer(reply, !head);
        if (!reply.slow) {
            refuse(socket, out);
            return;
        }
        // Waiting answers hold a connection each: past a few, the guesser gets none.
        if (m_slow.size() >= kMaxSlow) {
            drop(socket);
            return;
        }
        m_slow.insert(socket);
        const auto it = m_conns.find(socket);
        it->phase = Phase::Closing;
        QTimer::singleShot(1000, socket, [this, socket, out] {
            m_slow.remove(socket);
            refuse(socket, out);
        });
    }

    FeedServer *m_owner;
    FeedLimits m_limits;
    QPointer<QObject> m_parser;
    QHash<QTcpSocket *, Conn> m_conns;
    QSet<QTcpSocket *> m_slow;
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
    auto gate = std::make_unique<Gate>(this, m_limits);
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

void FeedServer::setControl(ControlHandler handler) {
    m_control = std::move(handler);
}

void FeedServer::closeStreams(const QByteArray &device) {
    if (m_gate)
        m_gate->closeStreams(device);
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
