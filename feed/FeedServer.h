#pragma once

#include "feed/FeedState.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

// Bounds on what one client may cost the board.
struct FeedLimits {
    int maxConnections = 64;
    qsizetype maxRequestBytes = 8192;  // a request head, and what a client may send unasked
    int requestTimeoutMs = 30000;      // to send a whole request, or to take a whole answer
    qint64 maxUnsentBytes = 64 * 1024; // an event stream further behind than this is dropped
};

// A request to control the board (the page /control, its files, and /api/), after the gate
// has checked its host, origin and body.
struct ControlRequest {
    QByteArray method;
    QString path;
    QByteArray authorization; // the header as sent
    QByteArray body;
    QString address; // the device's
};
struct ControlReply {
    ControlReply(int status = 404, QByteArray body = {}, QByteArray type = "application/json",
                 QByteArray headers = {})
        : status(status), body(std::move(body)), type(std::move(type)),
          headers(std::move(headers)) {}
    int status;
    QByteArray body;
    QByteArray type;
    QByteArray headers; // further header lines, each ending in CRLF
    // An answer to a wrong token waits a second, so that guessing is slow.
    bool slow = false;
    // An event stream for this device's key: it closes when the device is removed.
    QByteArray stream;
};
using ControlHandler = std::function<ControlReply(const ControlRequest &)>;

// Serves the board read-only over HTTP: GET /state.json, /events (Server-Sent Events),
// / (the whole board), /overlay (a bar for a video stream) and /layout.json.
class FeedServer : public QObject {
    Q_OBJECT

public:
    explicit FeedServer(QObject *parent = nullptr);
    ~FeedServer() override;

    // Takes effect at the next start.
    void setLimits(const FeedLimits &limits);
    const FeedLimits &limits() const;

    // Listens on 127.0.0.1 or on every interface; port 0 takes a free one. A failure
    // leaves the server stopped and says why in stateText().
    bool start(quint16 port, bool allInterfaces);
    void stop();
    // As the options say: starts, stops, or moves to another port or interface; a feed
    // already serving as asked keeps its connections.
    void configure(bool enabled, quint16 port, bool allInterfaces);
    bool isServing() const;
    quint16 port() const;

    // "Serving at http://127.0.0.1:8080/", "Port 8080 is in use", ...
    QString stateText() const;
    // What to type into a browser while serving.
    QStringList addresses() const;

    // Sends the state to every event stream when it differs from the last one.
    void publish(const FeedState &state);
    void setLayoutJson(const QByteArray &json);

    // With a handler, devices may control the board through it; without, /control and
    // every /api/ path answer 404.
    void setControl(ControlHandler handler);
    // That device's event streams close.
    void closeStreams(const QByteArray &device);

    int connectionCount() const;
    int streamCount() const;

signals:
    void stateTextChanged(const QString &text);

private:
    class Http;
    class Gate;
    friend class Http;
    friend class Gate;

    void setStateText(const QString &text);
    bool answer(const QByteArray &method, const QString &path, class QTcpSocket *socket);

    FeedLimits m_limits;
    std::unique_ptr<Http> m_http;
    Gate *m_gate = nullptr;
    QString m_stateText;
    QStringList m_addresses;
    QByteArray m_stateJson;
    QByteArray m_layoutJson;
    ControlHandler m_control;
    bool m_allInterfaces = false;
    quint16 m_askedPort = 0;
};
