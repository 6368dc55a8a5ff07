#pragma once

#include "clock/MatchSnapshot.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// The dual's bouts as the bout sheet lists them and saves them.
namespace BoutSheet {

// The columns, in order.
QStringList Header();
// One bout's texts: the winner by its team's name, a blank number as "", the date and time
// of day as the computer's clock read it, each wrestler's marks from the scorebook, then the
// wrestlers' names.
QStringList Row(const BoutResult &bout, const QList<ScoredMove> &moves, const QString &home,
                const QString &guest, const QString &homeWrestler = {},
                const QString &guestWrestler = {});
// A wrestler's marks in a bout (by its serial), in order, periods apart: "T3 N2 | E1 | R2",
// as many periods as the bout's scorebook reaches for either wrestler.
QString Marks(const QList<ScoredMove> &moves, qint32 bout, int side);
// One field of a CSV line: a text that starts like a formula gets a leading ', and one with a
// comma, a quote or a line break is quoted, its quotes doubled.
QString CsvField(QString text);
// The texts that start like a formula, that CsvField guards.
inline constexpr QStringView kFormulaStarts = u"=+-@\t\r";
// A number as a field shows it: "" for a blank (-1).
QString Number(qint32 value);
// "1:23": a bout's time at a fall.
QString FallTime(qint32 seconds);
// UTF-8 with a byte-order mark, a header row, then one row per bout; a text that starts
// like a formula gets a leading ', and one with a comma, a quote or a line break is quoted,
// its quotes doubled.
// The wrestlers by the bout's place in the list, side.
using Wrestlers = std::function<QString(qsizetype, int)>;
QByteArray Csv(const QList<BoutResult> &bouts, const QList<ScoredMove> &moves, const QString &home,
               const QString &guest, const Wrestlers &wrestlers = {});

} // namespace BoutSheet
