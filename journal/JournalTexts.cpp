#include "journal/JournalTexts.h"

#include <QLocale>

namespace JournalTexts {

QString resumeQuestion(const QDateTime &savedAt) {
    const QDateTime local = savedAt.toLocalTime();
    return QStringLiteral("Resume the meet saved at %1 on %2?")
        .arg(local.time().toString(QStringLiteral("HH:mm")),
             QLocale::system().toString(local.date(), QLocale::LongFormat));
}

QString endQuestion() {
    return QStringLiteral("End the meet? The board will start fresh next time.");
}

QString cannotSave(const QString &reason) {
    return QStringLiteral("The match cannot be saved: %1. The board keeps running.").arg(reason);
}

QString anotherCopy() {
    return QStringLiteral("Another copy of the board is running: this one does not save the "
                          "match and resumes nothing.");
}

QString unreadable(const QString &keptAs) {
    return QStringLiteral("The saved meet could not be read; it was kept as %1.").arg(keptAs);
}

QString damaged(const QDateTime &savedAt, const QString &keptAs) {
    return QStringLiteral("The saved meet was damaged after %1; it was resumed up to there and "
                          "kept whole as %2.")
        .arg(savedAt.toLocalTime().time().toString(QStringLiteral("HH:mm")), keptAs);
}

bool meetInProgress(const MatchSnapshot &now, const MatchSnapshot &fresh) {
    return now.fields != fresh.fields || now.clockSet != fresh.clockSet ||
           now.clockRun != fresh.clockRun || now.clockRunning || now.clockHasRun ||
           now.homeAd != fresh.homeAd || now.guestAd != fresh.guestAd || now.timeAd.has_value() ||
           now.stoppageUsed != fresh.stoppageUsed || now.stoppageKind >= 0 ||
           !now.bouts.isEmpty() || !now.undoable.isEmpty();
}

} // namespace JournalTexts
