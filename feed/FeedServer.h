#pragma once

#include "feed/FeedState.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <memory>

// Bounds on what one client may cost the board.
struct FeedLimits {
    int maxConnections = 64;
    qsizetype maxRequestBytes = 8192;  // a request head, and what a client may send unasked
    int requestTimeoutMs = 30000;      // to send a whole request, or to take a whole answer
    qint64 maxUnsentBytes = 64 * 1024; // an event stream further behind than this is dropped
};

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
    bool m_allInterfaces = false;
    quint16 m_askedPort = 0;
};
