#include "clock/BoutSheet.h"

#include "clock/RuleBook.h"

#include <QDateTime>

namespace BoutSheet {

QString CsvField(QString text) {
    // A spreadsheet runs a field that starts like a formula; the quote makes it text.
    if (!text.isEmpty() && kFormulaStarts.contains(text.front()))
        text.prepend(QLatin1Char('\''));
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString Number(qint32 value) {
    return value < 0 ? QString() : QString::number(value);
}

QStringList Header() {
    return {QStringLiteral("Match"),         QStringLiteral("Weight"),
            QStringLiteral("Winner"),        QStringLiteral("Result"),
            QStringLiteral("Home points"),   QStringLiteral("Guest points"),
            QStringLiteral("Fall time"),     QStringLiteral("Team points"),
            QStringLiteral("Home score"),    QStringLiteral("Guest score"),
            QStringLiteral("Time"),          QStringLiteral("Home moves"),
            QStringLiteral("Guest moves"),   QStringLiteral("Home wrestler"),
            QStringLiteral("Guest wrestler")};
}

QString Marks(const QList<ScoredMove> &moves, qint32 bout, int side) {
    QList<QStringList> periods;
    for (const ScoredMove &m : moves) {
        if (m.bout != bout)
            continue;
        // A blank period counts as the first.
        const qsizetype period = std::max(m.period, 1);
        while (periods.size() < period)
            periods.append(QStringList());
        if (m.side == side)
            periods[period - 1] << m.mark();
    }
    QStringList texts;
    for (const QStringList &marks : periods)
        texts << marks.join(QLatin1Char(' '));
    return texts.join(QStringLiteral(" | "));
}

QString FallTime(qint32 seconds) {
    if (seconds < 0)
        return {};
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QStringList Row(const BoutResult &b, const QList<ScoredMove> &moves, const QString &home,
                const QString &guest, const QString &homeWrestler, const QString &guestWrestler) {
    return {Number(b.match),
            Number(b.weight),
            b.winner == 1   ? home
            : b.winner == 2 ? guest
                            : QString(),
            RuleBook::ResultName(RuleBook::Result(b.result)),
            Number(b.homePoints),
            Number(b.guestPoints),
            FallTime(b.fallSeconds),
            QString::number(b.teamPoints),
            QString::number(b.homeScore),
            QString::number(b.guestScore),
            QDateTime::fromMSecsSinceEpoch(b.atMs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            Marks(moves, b.serial, 1),
            Marks(moves, b.serial, 2),
            homeWrestler,
            guestWrestler};
}

QByteArray Csv(const QList<BoutResult> &bouts, const QList<ScoredMove> &moves, const QString &home,
               const QString &guest, const Wrestlers &wrestlers) {
    QStringList lines{Header().join(QLatin1Char(','))};
    for (qsizetype i = 0; i < bouts.size(); ++i) {
        QStringList fields;
        const auto name = [&](int side) { return wrestlers ? wrestlers(i, side) : QString(); };
        for (const QString &text : Row(bouts[i], moves, home, guest, name(1), name(2)))
            fields << CsvField(text);
        lines << fields.join(QLatin1Char(','));
    }
    // The byte-order mark tells a spreadsheet the file is UTF-8.
    return "\xEF\xBB\xBF" + (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

} // namespace BoutSheet
