#include "feed/ControlDesk.h"

#include "feed/ControlCommand.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QByteArray json(const QJsonObject &o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

ControlReply error(int status, const QString &why, const char *key = "error") {
    return {status, json({{QLatin1String(key), why}})};
}

bool printable(const QString &id) {
    return !id.isEmpty() && id.size() <= 64 && std::ranges::all_of(id, [](QChar c) {
        return c.unicode() > 0x20 && c.unicode() < 0x7F;
    });
}

} // namespace

ControlDesk::ControlDesk(Match &match, ControlDevices &devices, std::function<QByteArray()> state,
                         QObject *parent)
    : QObject(parent), m_match(match), m_devices(devices), m_state(std::move(state)) {}

ControlReply ControlDesk::Answer(const ControlRequest &r) {
    if (r.path == QLatin1String("/api/pair"))
        return pair(r);
    if (r.path.startsWith(QLatin1String("/api/pair/"))) {
        QByteArray token;
        const int status = m_devices.Collect(r.path.mid(10).toLatin1(), &token);
        if (status == 200)
            return {200, json({{QLatin1String("token"), QString::fromLatin1(token)}})};
        return status == 202   ? ControlReply{202, json({{QLatin1String("waiting"), true}})}
               : status == 403 ? error(403, QStringLiteral("refused or lapsed"))
                               : error(404, QStringLiteral("no such request"));
    }
    const QByteArray bearer = "Bearer ";
    const std::optional<ControlDevices::Device> device =
        r.authorization.startsWith(bearer) ? m_devices.Find(r.authorization.mid(bearer.size()))
                                           : std::nullopt;
    if (!device) {
        ControlReply reply = error(401, QStringLiteral("this device is not let in"));
        reply.headers = "WWW-Authenticate: Bearer\r\n";
        reply.slow = true;
        return reply;
    }
    if (r.path == QLatin1String("/api/events")) {
        ControlReply stream(200, m_state(), "text/event-stream");
        stream.stream = device->key;
        return stream;
    }
    return command(*device, r.body);
}

ControlReply ControlDesk::pair(const ControlRequest &r) {
    const QJsonValue name = QJsonDocument::fromJson(r.body).object().value(QLatin1String("name"));
    int status = 400;
    QString why = QStringLiteral("name is a text");
    const std::optional<ControlDevices::Request> asked =
        name.isString() ? m_devices.Ask(name.toString(), r.address, &status, &why) : std::nullopt;
    if (!asked) {
        ControlReply reply = error(status, why);
        if (status == 429)
            reply.headers = "Retry-After: 60\r\n";
        return reply;
    }
    return {200, json({{QLatin1String("request"), QString::fromLatin1(asked->id)},
                       {QLatin1String("code"), asked->code}})};
}

ControlReply ControlDesk::command(const ControlDevices::Device &device, const QByteArray &body) {
    QJsonParseError bad;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &bad);
    if (bad.error != QJsonParseError::NoError || !doc.isObject())
        return error(400, QStringLiteral("the body is a JSON object"));
    const QJsonObject o = doc.object();
    const QJsonValue idValue = o.value(QLatin1String("id"));
    const QString id = idValue.toString();
    if (!idValue.isUndefined() && (!idValue.isString() || !printable(id)))
        return error(400, QStringLiteral("id is 1-64 printable characters"));
    const QByteArray hash = QCryptographicHash::hash(json(o), QCryptographicHash::Sha256).toHex();
    if (!id.isEmpty()) {
        if (const auto given = m_devices.Answered(device.key, id)) {
            if (given->bodyHash != hash)
                return error(409, QStringLiteral("this id was given to another command"),
                             "refused");
            return {given->status, given->body.isEmpty() ? m_state() : given->body};
        }
    }
    // A resend answers as the first time, whatever the rate: it acts no more.
    if (!m_devices.Admit(device.key))
        return error(429, QStringLiteral("more than %1 commands a second")
                              .arg(ControlDevices::kCommandsPerSecond));
    QString why;
    const std::optional<ControlCommand::Parsed> parsed = ControlCommand::Parse(o, m_match, &why);
    if (!parsed)
        return error(400, why);
    ControlReply reply{200, {}};
    if (parsed->buzzer) {
        emit BuzzerRequested();
        emit Acted(QStringLiteral("%1: buzzer").arg(device.name));
    } else if (!m_held.isEmpty()) {
        reply = error(409, m_held, "refused");
    } else {
        MatchCommand c = *parsed->command;
        c.author = device.name;
        c.device = QString::fromLatin1(device.key);
        const MatchOutcome outcome = m_match.apply(c);
        if (!outcome.ok())
            reply = error(409, outcome.refused, "refused");
        else if (outcome.step != MatchOutcome::Step::None)
            emit Acted(QStringLiteral("%1: %2").arg(device.name, describe(outcome)));
    }
    if (!id.isEmpty())
        m_devices.Remember(device.key, id, {hash, reply.status, reply.body});
    if (reply.body.isEmpty())
        reply.body = m_state();
    return reply;
}

QString ControlDesk::describe(const MatchOutcome &outcome) const {
    if (const auto &move = outcome.edit.move; move && outcome.step == MatchOutcome::Step::Action)
        return move->mark() + QLatin1Char(' ') + m_match.TeamName(move->side);
    return outcome.edit.Describe(m_match.Snapshot(), outcome.step == MatchOutcome::Step::Undo,
                                 m_match.TeamName(1), m_match.TeamName(2));
}
