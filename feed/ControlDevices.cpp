#include "feed/ControlDevices.h"

#include "clock/Lineup.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSaveFile>

namespace {

QByteArray randomBytes(int count) {
    QByteArray out(count, Qt::Uninitialized);
    QRandomGenerator::system()->generate(reinterpret_cast<quint32 *>(out.data()),
                                         reinterpret_cast<quint32 *>(out.data() + count));
    return out;
}

// Every byte compared, whatever the first difference: the time says nothing of where.
bool sameInConstantTime(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

ControlDevices::ControlDevices(const QString &path, std::function<qint64()> nowMs, QObject *parent)
    : QObject(parent), m_path(path), m_now(std::move(nowMs)) {
    m_lapse.setSingleShot(true);
    connect(&m_lapse, &QTimer::timeout, this, &ControlDevices::lapse);
    load();
}

QByteArray ControlDevices::Hash(QByteArrayView token) {
    return QCryptographicHash::hash(token, QCryptographicHash::Sha256).toHex();
}

std::optional<ControlDevices::Request>
ControlDevices::Ask(const QString &name, const QString &address, int *status, QString *why) {
    lapse();
    const std::optional<QString> clean = Lineup::Clean(name, why);
    if (!clean || clean->isEmpty()) {
        if (clean)
            *why = QStringLiteral("A name is needed.");
        *status = 400;
        return std::nullopt;
    }
    const bool fromThere =
        std::ranges::any_of(m_waiting, [&](const Request &r) { return r.address == address; });
    if (fromThere || m_waiting.size() >= kMaxWaiting) {
        *status = 429;
        *why = fromThere ? QStringLiteral("A request from this address is waiting.")
                         : QStringLiteral("Too many requests are waiting.");
        return std::nullopt;
    }
    Request r{randomBytes(16).toHex(), {}, *clean, address, m_now() + kLapseMs};
    const auto taken = [this](const QString &code) {
        return std::ranges::any_of(m_waiting, [&](const Request &w) { return w.code == code; });
    };
    do {
        r.code = QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(10000), 4, 10,
                                          QLatin1Char('0'));
    } while (taken(r.code));
    m_waiting.append(r);
    // The soonest lapse stays the timer's.
    if (!m_lapse.isActive())
        m_lapse.start(int(kLapseMs));
    emit WaitingChanged();
    return r;
}

int ControlDevices::Collect(const QByteArray &id, QByteArray *token) {
    lapse();
    if (const auto it = m_allowed.constFind(id); it != m_allowed.cend()) {
        *token = *it;
        m_allowed.erase(it);
        return 200;
    }
    if (m_refused.contains(id))
        return 403;
    return std::ranges::any_of(m_waiting, [&](const Request &r) { return r.id == id; }) ? 202 : 404;
}

bool ControlDevices::Allow(const QString &code) {
    lapse();
    const auto it =
        std::ranges::find_if(m_waiting, [&](const Request &r) { return r.code == code; });
    if (it == m_waiting.end())
        return false;
    const QByteArray token =
        randomBytes(32).toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    m_devices.append({Hash(token), it->name, QDateTime::currentDateTimeUtc()});
    m_allowed.insert(it->id, token);
    m_waiting.erase(it);
    save();
    emit WaitingChanged();
    emit DevicesChanged();
    return true;
}

void ControlDevices::RefuseAll() {
    for (const Request &r : std::as_const(m_waiting))
        m_refused.insert(r.id, m_now() + kLapseMs);
    m_waiting.clear();
    emit WaitingChanged();
}

void ControlDevices::lapse() {
    const qint64 now = m_now();
    const qsizetype before = m_waiting.size();
    for (const Request &r : std::as_const(m_waiting)) {
        if (r.lapsesMs <= now)
            m_refused.insert(r.id, now + kLapseMs);
    }
    m_waiting.removeIf([now](const Request &r) { return r.lapsesMs <= now; });
    m_refused.removeIf([now](const auto &it) { return it.value() <= now; });
    if (!m_waiting.isEmpty()) {
        const auto next = std::ranges::min(m_waiting, {}, &Request::lapsesMs).lapsesMs;
        m_lapse.start(int(std::max<qint64>(next - now, 1)));
    }
    if (m_waiting.size() != before)
        emit WaitingChanged();
}

std::optional<ControlDevices::Device> ControlDevices::Find(QByteArrayView token) const {
    const QByteArray hash = Hash(token);
    std::optional<Device> found;
    for (const Device &d : m_devices) {
        if (sameInConstantTime(d.key, hash))
            found = d;
    }
    return found;
}

void ControlDevices::Remove(const QByteArray &key) {
    if (m_devices.removeIf([&](const Device &d) { return d.key == key; }) == 0)
        return;
    m_answers.remove(key);
    m_recent.remove(key);
    save();
    emit DevicesChanged();
    emit Removed(key);
}

void ControlDevices::RemoveAll() {
    const QList<Device> all = m_devices;
    for (const Device &d : all)
        Remove(d.key);
}

bool ControlDevices::Admit(const QByteArray &key) {
    QList<qint64> &recent = m_recent[key];
    const qint64 now = m_now();
    recent.removeIf([now](qint64 at) { return at <= now - 1000; });
    if (recent.size() >= kCommandsPerSecond)
        return false;
    recent.append(now);
    return true;
}

std::optional<ControlDevices::Answer> ControlDevices::Answered(const QByteArray &key,
                                                               const QString &id) const {
    for (const auto &[given, answer] : m_answers.value(key)) {
        if (given == id)
            return answer;
    }
    return std::nullopt;
}

void ControlDevices::Remember(const QByteArray &key, const QString &id, const Answer &answer) {
    auto &answers = m_answers[key];
    answers.append({id, answer});
    if (answers.size() > kAnswersKept)
        answers.removeFirst();
    save();
}

void ControlDevices::load() {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QJsonObject root = QJsonDocument::fromJson(file.read(4 << 20)).object();
    for (const QJsonValue &v : root.value(QLatin1String("devices")).toArray()) {
        const QJsonObject d = v.toObject();
        const QByteArray key = d.value(QLatin1String("key")).toString().toLatin1();
        if (key.size() != 64)
            continue;
        m_devices.append(
            {key, d.value(QLatin1String("name")).toString(),
             QDateTime::fromString(d.value(QLatin1String("since")).toString(), Qt::ISODate)});
        for (const QJsonValue &a : d.value(QLatin1String("answers")).toArray()) {
            const QJsonObject o = a.toObject();
            m_answers[key].append({o.value(QLatin1String("id")).toString(),
                                   {o.value(QLatin1String("hash")).toString().toLatin1(),
                                    o.value(QLatin1String("status")).toInt(),
                                    o.value(QLatin1String("body")).toString().toUtf8()}});
        }
    }
}

// Written whole and replaced at once: a crash leaves the old list or the new one.
void ControlDevices::save() {
    QJsonArray devices;
    for (const Device &d : std::as_const(m_devices)) {
        QJsonArray answers;
        for (const auto &[id, a] : m_answers.value(d.key))
            answers.append(QJsonObject{{QLatin1String("id"), id},
                                       {QLatin1String("hash"), QString::fromLatin1(a.bodyHash)},
                                       {QLatin1String("status"), a.status},
                                       {QLatin1String("body"), QString::fromUtf8(a.body)}});
        devices.append(QJsonObject{{QLatin1String("key"), QString::fromLatin1(d.key)},
                                   {QLatin1String("name"), d.name},
                                   {QLatin1String("since"), d.since.toString(Qt::ISODate)},
                                   {QLatin1String("answers"), answers}});
    }
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(QJsonObject{{QLatin1String("devices"), devices}}).toJson());
        file.commit();
    }
}
