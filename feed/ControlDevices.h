#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

// The devices the operator has let in to control the board, and those asking. A device
// holds a 256-bit token; only its hash is kept, in a file of the per-user data folder, with
// the device's name, when it was let in, and its last answers by command id.
class ControlDevices : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxWaiting = 4;
    static constexpr qint64 kLapseMs = 60000;
    static constexpr int kCommandsPerSecond = 20;
    static constexpr int kAnswersKept = 256;

    struct Request {
        QByteArray id; // 128 random bits, hex
        QString code;  // four digits, unique among those waiting
        QString name, address;
        qint64 lapsesMs = 0;
    };
    struct Device {
        QByteArray key; // the token's SHA-256, hex
        QString name;
        QDateTime since;
    };
    // An answer given to a command with an id: the same id again gets it again.
    struct Answer {
        QByteArray bodyHash;
        int status = 0;
        QByteArray body; // empty: the state as it is
    };

    // `path`: the file kept; `nowMs` a clock (milliseconds, any origin).
    ControlDevices(const QString &path, std::function<qint64()> nowMs, QObject *parent = nullptr);

    // A device asks to be let in; nothing, with the HTTP status why (400 a bad name, 429
    // too many waiting or one already waiting from that address).
    std::optional<Request> Ask(const QString &name, const QString &address, int *status,
                               QString *why);
    // A device's look at its request: 202 waiting, 403 refused or lapsed, 200 with its token
    // once allowed (given out once), 404 unknown or already collected.
    int Collect(const QByteArray &id, QByteArray *token);
    QList<Request> Waiting() const { return m_waiting; }
    // The operator allows the request showing this code; false when none does.
    bool Allow(const QString &code);
    void RefuseAll();

    QList<Device> Devices() const { return m_devices; }
    // The device holding this token; compared in constant time.
    std::optional<Device> Find(QByteArrayView token) const;
    void Remove(const QByteArray &key);
    void RemoveAll();

    // False when the device has sent more than its commands a second.
    bool Admit(const QByteArray &key);
    std::optional<Answer> Answered(const QByteArray &key, const QString &id) const;
    void Remember(const QByteArray &key, const QString &id, const Answer &answer);

    static QByteArray Hash(QByteArrayView token);

signals:
    void WaitingChanged();
    void DevicesChanged();
    // Its access ends now: its event stream closes.
    void Removed(const QByteArray &key);

private:
    void lapse();
    void load();
    void save();

    QString m_path;
    std::function<qint64()> m_now;
    QList<Request> m_waiting;
    // Refused or lapsed requests answer 403 until they too are forgotten; allowed ones
    // hold their token until collected.
    QHash<QByteArray, qint64> m_refused;
    QHash<QByteArray, QByteArray> m_allowed;
    QList<Device> m_devices;
    QHash<QByteArray, QList<qint64>> m_recent;
    QHash<QByteArray, QList<std::pair<QString, Answer>>> m_answers;
    QTimer m_lapse;
};
