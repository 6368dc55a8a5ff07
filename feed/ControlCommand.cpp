#include "feed/ControlCommand.h"

#include "clock/modCount.h"
#include "console/modShowDigits.h"

namespace ControlCommand {

namespace {

constexpr const char *kMoves[] = {"takedown",  "escape",  "reversal", "nearFall",
                                  "amplitude", "penalty", "stalling", "caution"};
template <size_t N> int indexOf(const char *const (&names)[N], const QString &name) {
    for (int i = 0; i < int(N); ++i) {
        if (name == QLatin1String(names[i]))
            return i;
    }
    return -1;
}

std::optional<Side> sideOf(const QJsonValue &v) {
    if (v == QLatin1String("home"))
        return Side::Home;
    if (v == QLatin1String("guest"))
        return Side::Guest;
    return std::nullopt;
}

std::optional<Parsed> fail(QString *why, const QString &text) {
    *why = text;
    return std::nullopt;
}

} // namespace

std::optional<Parsed> Parse(const QJsonObject &json, const Match &match, QString *why) {
    using enum MatchCommand::Kind;
    const QString name = json.value(QLatin1String("command")).toString();
    static const QHash<QString, MatchCommand::Kind> plain{
        {QStringLiteral("startStop"), StartStop},
        {QStringLiteral("reset"), Reset},
        {QStringLiteral("nextPeriod"), NextPeriod},
        {QStringLiteral("nextBout"), NextBout},
        {QStringLiteral("undo"), Undo},
        {QStringLiteral("redo"), Redo}};
    if (const auto it = plain.constFind(name); it != plain.cend())
        return Parsed{MatchCommand::Of(*it)};
    if (name == QLatin1String("buzzer"))
        return Parsed{std::nullopt, true};
    const QJsonValue sideValue = json.value(QLatin1String("side"));
    const std::optional<Side> side = sideOf(sideValue);
    if (name == QLatin1String("advantage")) {
        if (!side && !sideValue.isNull())
            return fail(why, QStringLiteral("side is home, guest or null"));
        MatchCommand c = MatchCommand::Of(Advantage);
        c.side = side;
        return Parsed{c};
    }
    if (name == QLatin1String("set")) {
        // The number fields and the clock, by the name the feed gives them.
        const QString fieldName = json.value(QLatin1String("field")).toString();
        const int f = fieldName.isEmpty()
                          ? -1
                          : Match::FieldFromName(QStringLiteral("pled") +
                                                 fieldName.front().toUpper() + fieldName.mid(1));
        const QJsonValue value = json.value(QLatin1String("value"));
        if (f < 0 || f == Match::pledTimeAd || fieldName.front().isUpper())
            return fail(why, QStringLiteral("no such field"));
        if (!value.isString())
            return fail(why, QStringLiteral("value is the text as typed"));
        const auto field = Match::Field(f);
        if (field == Match::pledClock) {
            const qint32 seconds = modCount::TimeToSeconds(value.toString());
            if (seconds < 0 || seconds > Match::kLargestTime)
                return fail(why, QStringLiteral("no time the clock takes"));
            MatchCommand c = MatchCommand::Of(SetTime);
            c.value = seconds;
            return Parsed{c};
        }
        const QString entry = value.toString();
        const qint32 now = match.Value(field);
        const std::optional<qint32> number =
            modShowDigits::EntryResult(now, entry, -1, Match::UpperLimit(field));
        if (!number)
            return fail(why, QStringLiteral("no number the field takes"));
        MatchCommand c = MatchCommand::Of(SetNumber);
        c.field = field;
        c.value = *number;
        if (entry.startsWith(QLatin1Char('+')) || entry.startsWith(QLatin1Char('-'))) {
            c.kind = Step;
            c.value = *number - std::max(now, 0);
        }
        return Parsed{c};
    }
    if (!side)
        return fail(why, QStringLiteral("side is home or guest"));
    if (name == QLatin1String("stoppage")) {
        const QString kindName = json.value(QLatin1String("kind")).toString();
        int kind = RuleBook::kStoppageCount - 1;
        while (kind >= 0 && RuleBook::StoppageKey(kind) != kindName)
            --kind;
        if (kind < 0)
            return fail(why, QStringLiteral("kind is injury, blood, recovery or headNeck"));
        // As the key: the clock of that kind running stops, any other starts.
        MatchCommand c = MatchCommand::Of(
            match.StoppageRunning() && match.StoppageKind() == kind ? StopStoppage : StartStoppage);
        c.stoppage = kind;
        c.side = side;
        return Parsed{c};
    }
    if (name == QLatin1String("move")) {
        const int move = indexOf(kMoves, json.value(QLatin1String("move")).toString());
        if (move < 0)
            return fail(why, QStringLiteral("no such move"));
        MatchCommand c = MatchCommand::Scoring(move, *side);
        if (RuleBook::TakesDigit(match.Rules(), RuleBook::Move(move))) {
            const QJsonValue points = json.value(QLatin1String("points"));
            if (!points.isDouble() || points.toInt(-1) < 0 || points.toInt() > 9 ||
                points.toDouble() != points.toInt())
                return fail(why, QStringLiteral("points is the digit the key takes"));
            c.value = points.toInt();
        }
        return Parsed{c};
    }
    return fail(why, QStringLiteral("no such command"));
}

} // namespace ControlCommand
