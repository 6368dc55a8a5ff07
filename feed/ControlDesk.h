#pragma once

#include "clock/Match.h"
#include "feed/ControlDevices.h"
#include "feed/FeedServer.h"

#include <QObject>
#include <functional>

// Answers the devices that control the board: pairing, the event stream and commands, each
// command one action of the match named with its device.
class ControlDesk : public QObject {
    Q_OBJECT

public:
    // `state`: the state as /state.json has it.
    ControlDesk(Match &match, ControlDevices &devices, std::function<QByteArray()> state,
                QObject *parent = nullptr);

    ControlReply Answer(const ControlRequest &request);
    // While not empty, every command but the buzzer is refused with this: a window at the
    // board holds the bout ("Bout Result" is open).
    void SetHeld(const QString &why) { m_held = why; }

signals:
    // What a device did, for the operator: "Scorer tablet: T3 Tigers".
    void Acted(const QString &text);
    void BuzzerRequested();

private:
    ControlReply pair(const ControlRequest &request);
    ControlReply command(const ControlDevices::Device &device, const QByteArray &body);
    QString describe(const MatchOutcome &outcome) const;

    Match &m_match;
    ControlDevices &m_devices;
    std::function<QByteArray()> m_state;
    QString m_held;
};
