#pragma once

#include "clock/MatchSnapshot.h"

#include <QDateTime>
#include <QString>

// What the board says about its journal, word for word, and when it asks.
namespace JournalTexts {

// "Resume the meet saved at HH:MM on DATE?" in local time; the date as the system writes it.
QString resumeQuestion(const QDateTime &savedAt);
inline QString resumeButton() {
    return QStringLiteral("&Resume");
}
inline QString newMeetButton() {
    return QStringLiteral("&New meet");
}

QString endQuestion();
inline QString endButton() {
    return QStringLiteral("End the meet");
}
inline QString cancelButton() {
    return QStringLiteral("Cancel");
}

// "The match cannot be saved: REASON. The board keeps running."
QString cannotSave(const QString &reason);

// Shown once on a second copy of the program.
QString anotherCopy();

// Shown once when the saved meet was refused and kept aside under `keptAs` (a file name).
QString unreadable(const QString &keptAs);
// Shown once when a damaged log was resumed up to `savedAt` and kept whole as `keptAs`.
QString damaged(const QDateTime &savedAt, const QString &keptAs);

// Closing asks first when this is true: a field or a clock differs from a fresh board, the
// clock has run, someone holds time advantage, a bout was recorded, or undo has something
// to take back. Which side the time-advantage field shows
// and the reset time (set with the clock) do not count.
bool meetInProgress(const MatchSnapshot &now, const MatchSnapshot &fresh = MatchSnapshot{});

} // namespace JournalTexts
