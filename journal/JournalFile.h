#pragma once

#include "clock/MatchSnapshot.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

// The journal's bytes: one JSON object naming its format and version, the time it was saved
// and the snapshot, with time values in the stored units (seconds x 10000). The last byte is
// a newline, so a file cut at any length is known to be incomplete.
namespace JournalFile {

inline constexpr char kFormat[] = "darezez-match-journal";
inline constexpr int kVersion = 1;
// Anything longer is not a journal; it is not read past this.
inline constexpr qint64 kMaxBytes = 64 * 1024;

// A run or a time advantage longer than this is damage, not a match.
inline constexpr TimeValue kLongestTime = fromSeconds(100LL * 24 * 3600);

struct Entry {
    MatchSnapshot snapshot;
    QDateTime savedAt; // UTC
};

struct Parsed {
    std::optional<Entry> entry;
    QString reason; // why it was refused, when entry is empty
};

QByteArray encode(const MatchSnapshot &snapshot, const QDateTime &savedAt);
Parsed decode(const QByteArray &bytes);

} // namespace JournalFile
