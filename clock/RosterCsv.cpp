#include "clock/RosterCsv.h"

#include "clock/BoutSheet.h"
#include "clock/Lineup.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace RosterCsv {

namespace {

struct Record {
    int line; // where it starts
    QStringList fields;
};

// The records of the text, each field as written (quotes taken off); false with the line
// of a quote never closed.
bool split(const QString &text, QChar separator, QList<Record> *records, int *openQuote) {
    Record record{1, {QString()}};
    int line = 1;
    bool quoted = false;
    bool wasQuoted = false; // the field had quotes: what follows them up to the separator
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\n'))
            ++line;
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                record.fields.back() += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                record.fields.back() += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && record.fields.back().isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
            *openQuote = line;
        } else if (c == separator) {
            record.fields << QString();
            wasQuoted = false;
        } else if (c == QLatin1Char('\n')) {
            records->append(record);
            record = {line, {QString()}};
            wasQuoted = false;
        } else if (c != QLatin1Char('\r')) {
            record.fields.back() += c;
        }
    }
    if (quoted)
        return false;
    records->append(record);
    return true;
}

// The column a header names: "weight", "home", "guest", or empty.
QString column(const QString &header) {
    QString name = header.toLower();
    name.remove(QLatin1Char(' '));
    return name == QLatin1String("weight") || name == QLatin1String("home") ||
                   name == QLatin1String("guest")
               ? name
               : QString();
}

} // namespace

QString Refusal::Text() const {
    return line > 0 ? QStringLiteral("Line %1: %2.").arg(line).arg(why) : why + QLatin1Char('.');
}

std::optional<Roster> Parse(const QByteArray &raw, RuleBook::Set set, Refusal *refused) {
    const auto refuse = [refused](int line, const QString &why) {
        *refused = {line, why};
        return std::nullopt;
    };
    const QByteArray bytes = raw.startsWith("\xEF\xBB\xBF") ? raw.mid(3) : raw;
    // Line by line, so that the refusal names the line.
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (QString::fromUtf8(lines[i]).toUtf8() != lines[i])
            return refuse(int(i + 1), QStringLiteral("bytes that are not UTF-8 (save the file "
                                                     "as CSV UTF-8)"));
    }
    const QString text = QString::fromUtf8(bytes);
    // The header line decides: whichever of the two it holds more of.
    const QString header = text.section(QLatin1Char('\n'), 0, 0);
    const QChar separator = header.count(QLatin1Char(';')) > header.count(QLatin1Char(','))
                                ? QLatin1Char(';')
                                : QLatin1Char(',');
    QList<Record> records;
    int openQuote = 0;
    if (!split(text, separator, &records, &openQuote))
        return refuse(openQuote, QStringLiteral("a quote that is never closed"));

    std::array<qsizetype, 3> at{-1, -1, -1}; // weight, home, guest
    const QStringList kColumns{QStringLiteral("weight"), QStringLiteral("home"),
                               QStringLiteral("guest")};
    const QStringList &names = records.front().fields;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const qsizetype which = kColumns.indexOf(column(names[i]));
        if (which < 0)
            continue;
        if (at[size_t(which)] >= 0)
            return refuse(1, QStringLiteral("the column %1 named twice").arg(names[i].trimmed()));
        at[size_t(which)] = i;
    }
    if (at[0] < 0)
        return refuse(1, QStringLiteral("no Weight column"));
    if (at[1] < 0 && at[2] < 0)
        return refuse(1, QStringLiteral("no Home or Guest column"));
    const qsizetype needed = *std::max_element(at.begin(), at.end());

    const RuleBook::Rules &rules = RuleBook::Of(set);
    Roster roster;
    roster.sides = {false, at[1] >= 0, at[2] >= 0};
    QList<int> seen;
    static const QRegularExpression kWhole(QStringLiteral("^[0-9]{1,6}$"));
    for (qsizetype r = 1; r < records.size(); ++r) {
        const Record &row = records[r];
        // A blank line is no row.
        if (row.fields.size() == 1 && row.fields.front().trimmed().isEmpty())
            continue;
        if (row.fields.size() <= needed)
            return refuse(row.line, QStringLiteral("a short row"));
        const QString weightText = row.fields[at[0]].trimmed();
        if (!kWhole.match(weightText).hasMatch())
            return refuse(
                row.line,
                QStringLiteral("the weight \"%1\" is not a whole number").arg(weightText));
        const int weight = weightText.toInt();
        if (std::ranges::find(rules.weights, weight) == rules.weights.end())
            return refuse(row.line, QStringLiteral("weight %1 is no weight class of %2")
                                        .arg(weight)
                                        .arg(QLatin1String(rules.name)));
        if (seen.contains(weight))
            return refuse(row.line, QStringLiteral("weight %1 a second time").arg(weight));
        seen << weight;
        for (int side : {1, 2}) {
            if (at[size_t(side)] < 0)
                continue;
            QString name = row.fields[at[size_t(side)]];
            // What the program's own export guarded.
            if (name.size() > 1 && name.front() == QLatin1Char('\'') &&
                BoutSheet::kFormulaStarts.contains(name[1]))
                name.remove(0, 1);
            QString why;
            const std::optional<QString> clean = Lineup::Clean(name, &why);
            if (!clean)
                return refuse(row.line, why);
            if (!clean->isEmpty())
                roster.names[size_t(side)].insert(weight, *clean);
        }
    }
    return roster;
}

std::optional<Roster> Read(const QString &path, RuleBook::Set set, Refusal *refused) {
    const QFileInfo info(path);
    if (!info.isFile()) {
        *refused = {0, QStringLiteral("%1 is no regular file").arg(path)};
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *refused = {0, QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString())};
        return std::nullopt;
    }
    // Read no further than the bound: the file may grow while it is read.
    const QByteArray bytes = file.read(kLargestFile + 1);
    if (bytes.size() > kLargestFile) {
        *refused = {0, QStringLiteral("a file over %1 KB").arg(kLargestFile / 1024)};
        return std::nullopt;
    }
    return Parse(bytes, set, refused);
}

QMap<quint16, QString> Names(const Roster &roster, const QMap<quint16, QString> &texts) {
    QMap<quint16, QString> names;
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        if (Lineup::IsName(it.key()) && roster.sides[size_t(Lineup::SideOf(it.key()))])
            names.insert(it.key(), QString());
    }
    for (int side : {1, 2}) {
        const QMap<int, QString> &of = roster.names[size_t(side)];
        for (auto it = of.cbegin(); it != of.cend(); ++it)
            names.insert(Lineup::TextId(side, it.key()), it.value());
    }
    return names;
}

QByteArray Write(const QMap<quint16, QString> &texts, RuleBook::Set set) {
    QStringList lines{QStringLiteral("Weight,Home,Guest")};
    for (const int weight : RuleBook::Of(set).weights) {
        lines << QString::number(weight) + QLatin1Char(',') +
                     BoutSheet::CsvField(texts.value(Lineup::TextId(1, weight))) +
                     QLatin1Char(',') + BoutSheet::CsvField(texts.value(Lineup::TextId(2, weight)));
    }
    return "\xEF\xBB\xBF" + (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

} // namespace RosterCsv
