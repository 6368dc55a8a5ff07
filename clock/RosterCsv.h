#pragma once

#include "clock/RuleBook.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <array>
#include <optional>

// A lineup as a CSV file, as each coach brings one: a header naming `Weight`, `Home` and
// `Guest` (any order, any case, spaces ignored, other columns ignored; one side alone fills
// that side), comma or semicolon separated as the header line is, UTF-8 with or without a
// byte-order mark, quoted fields.
namespace RosterCsv {

inline constexpr qint64 kLargestFile = 256 * 1024;

struct Roster {
    std::array<bool, 3> sides{};             // [1] home, [2] guest: the file names that side
    std::array<QMap<int, QString>, 3> names; // by side: weight to name, blanks left out
};
// Why a file was refused, and its physical line (the header is 1; 0: the file as a whole).
struct Refusal {
    int line = 0;
    QString why;
    // "Line 4: weight 121 is no weight class of High school (NFHS)."
    QString Text() const;
};

std::optional<Roster> Parse(const QByteArray &bytes, RuleBook::Set set, Refusal *refused);
// The file at path: refused when it is no regular file, or over kLargestFile.
std::optional<Roster> Read(const QString &path, RuleBook::Set set, Refusal *refused);
// The names an import sets, as one change: each side the file names taken away, then its
// names (by Lineup::TextId).
QMap<quint16, QString> Names(const Roster &roster, const QMap<quint16, QString> &texts);
// The lineup as such a file, a row per weight class of the rule set: UTF-8 with a byte-order
// mark, guarded and quoted as the bout sheet's CSV is.
QByteArray Write(const QMap<quint16, QString> &texts, RuleBook::Set set);

} // namespace RosterCsv
