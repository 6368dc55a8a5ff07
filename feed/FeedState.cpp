#include "feed/FeedState.h"

#include "settings/modGlobals.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

namespace {

QByteArray quoted(const QString &text) {
    // Qt's own writer escapes; strip the brackets of the one-element array it wrote.
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QByteArray pair(const char *key, const QString &value) {
    return QByteArray("\"") + key + "\":" + quoted(value);
}

QByteArray nullable(const char *key, const QString &value) {
    return value.isEmpty() ? QByteArray("\"") + key + "\":null" : pair(key, value);
}

QByteArray stoppage(const FeedState::Stoppage &s) {
    static const char *const kKinds[] = {"injury", "blood", "recovery", "headNeck"};
    QByteArray json = "{" + nullable("kind", s.kind) + "," + nullable("side", s.side) +
                      ",\"running\":" + (s.running ? "true" : "false") + "," +
                      pair("shown", s.shown) + ",\"left\":{";
    for (int side = 0; side < 2; ++side) {
        json += side == 0 ? "\"home\":{" : ",\"guest\":{";
        bool first = true;
        for (int kind = 0; kind < 4; ++kind) {
            const QString &left = s.left[size_t(side)][size_t(kind)];
            if (left.isEmpty())
                continue;
            json += (first ? "" : ",") + pair(kKinds[kind], left);
            first = false;
        }
        json += "}";
    }
    return json + "}}";
}

QByteArray moves(const QList<FeedState::Move> &list) {
    QByteArray json = "[";
    for (qsizetype i = 0; i < list.size(); ++i) {
        const FeedState::Move &m = list[i];
        json += QByteArray(i ? "," : "") + "{\"period\":" + QByteArray::number(m.period) + "," +
                pair("clock", m.clock) + "," + pair("side", m.side) + "," + pair("mark", m.mark) +
                ",\"points\":" + QByteArray::number(m.points) + "}";
    }
    return json + "]";
}

QByteArray team(const FeedTeam &t) {
    return "{" + pair("name", t.name) + "," + pair("wrestler", t.wrestler) + "," +
           pair("score", t.score) + "," + pair("match", t.match) + "}";
}

} // namespace

QByteArray FeedStateJson(const FeedState &s, bool boutMoves) {
    QByteArray json =
        "{" + pair("clock", s.clock) + ",\"clockRunning\":" + (s.clockRunning ? "true" : "false") +
        ",\"timeAdvantage\":{" + pair("shown", s.timeAdvantage.shown) + "," +
        pair("side", s.timeAdvantage.side) + "," + pair("holder", s.timeAdvantage.holder) + "}";
    json += ",\"home\":" + team(s.home) + ",\"guest\":" + team(s.guest);
    json += "," + pair("matchNumber", s.matchNumber) + "," + pair("period", s.period) + "," +
            pair("weight", s.weight) + ",\"ledType\":" + QByteArray::number(s.ledType);
    json += ",\"colors\":{" + pair("form", s.colors.form) + "," + pair("text", s.colors.text) +
            "," + pair("ledBack", s.colors.ledBack) + "," + pair("ledScore", s.colors.ledScore) +
            "," + pair("ledTime", s.colors.ledTime) + "}";
    json += "," + pair("rules", s.rules) + ",\"stoppage\":" + stoppage(s.stoppage);
    json += ",\"round\":{" + pair("kind", s.round.kind) +
            ",\"number\":" + QByteArray::number(s.round.number) + "},\"moves\":" + moves(s.moves) +
            ",\"bouts\":[";
    for (qsizetype i = 0; i < s.bouts.size(); ++i) {
        const FeedState::Bout &b = s.bouts[i];
        json += QByteArray(i ? "," : "") + "{" + pair("match", b.match) + "," +
                pair("weight", b.weight) + "," + nullable("winner", b.winner) + "," +
                pair("kind", b.kind) + ",\"teamPoints\":" + QByteArray::number(b.teamPoints) + "," +
                nullable("fallTime", b.fallTime) + "," + pair("homePoints", b.homePoints) + "," +
                pair("guestPoints", b.guestPoints) + "," + pair("homeScore", b.homeScore) + "," +
                pair("guestScore", b.guestScore) + "," + pair("homeWrestler", b.homeWrestler) +
                "," + pair("guestWrestler", b.guestWrestler) +
                (boutMoves ? ",\"moves\":" + moves(b.moves) : QByteArray()) + "}";
    }
    json += "]}";
    return json;
}

namespace FeedText {

QString Color(qint32 packed) {
    const quint32 p = quint32(packed);
    return QStringLiteral("#%1%2%3")
        .arg(p & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((p >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((p >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
}

void FillOptions(FeedState &state) {
    state.home.name = modGlobals::HomeText;
    state.guest.name = modGlobals::GuestText;
    state.ledType = modGlobals::LEDType;
    state.colors = {Color(modGlobals::FormColor), Color(modGlobals::TextColor),
                    Color(modGlobals::LEDBackColor), Color(modGlobals::LEDScoreColor),
                    Color(modGlobals::LEDTimeColor)};
}

} // namespace FeedText
