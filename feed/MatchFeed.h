#pragma once

#include "clock/Match.h"
#include "feed/ControlDesk.h"
#include "feed/ControlDevices.h"
#include "feed/FeedServer.h"
#include "feed/FeedState.h"

#include <QObject>
#include <QPointer>

// The live feed of one board: serves its match as the options say, and pushes every change
// the spectators would see.
class MatchFeed : public QObject {
    Q_OBJECT

public:
    // `picture` is the board's picture, whose layout the pages draw.
    MatchFeed(Match &match, QWidget *picture, QObject *parent = nullptr);

    // Starts, stops or moves the server as the options now say.
    void Configure();
    FeedServer &Server() { return m_server; }
    // The devices let in to control the board, and what answers them.
    ControlDevices &Devices() { return m_devices; }
    ControlDesk &Desk() { return m_desk; }
    // Where the devices are kept: the per-user data folder.
    static QString DevicesPath();
    // The spectator state, from the same texts the digits show.
    FeedState State() const;

signals:
    void StateTextChanged(const QString &text);
    // The server could not start; said once to the operator.
    void StartFailed(const QString &text);

private:
    void publish();

    Match &m_match;
    QPointer<QWidget> m_picture;
    FeedServer m_server;
    ControlDevices m_devices;
    ControlDesk m_desk;
};
