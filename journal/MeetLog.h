#pragma once

#include "clock/MatchCommand.h"
#include "clock/MatchSnapshot.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

// The meet's log on disk: a header, two progress slots, then one record per action, appended.
//
// A record is framed (length, kind, version, time of day), carries the match's members that
// the action changed (a checkpoint carries all of them), and ends in a CRC-32, so a record
// cut off by a power cut is known and everything before it still counts. A running clock's
// progress goes into the two slots in turn, each naming where the log ended when it was
// written: it counts only while no record follows it, and a torn slot falls back to the
// other. All numbers are little-endian.
namespace MeetLog {

inline constexpr char kFileName[] = "meet.log";
inline constexpr quint32 kVersion = 1;
// A record of this version begins with texts (names) the match keeps, then is one of the
// first version: written only where texts changed, so a log without them reads as before.
inline constexpr quint16 kTextVersion = 2;
inline constexpr qint64 kHeaderBytes = 16;
inline constexpr qint64 kSlotBytes = 128;
inline constexpr qint64 kFirstRecord = kHeaderBytes + 2 * kSlotBytes;
// No record of the first version comes near it; a longer length is damage.
inline constexpr qint64 kMaxRecordBytes = 4096;
// With texts: every text of the longest length, of many lineups, fits.
inline constexpr qint64 kMaxTextRecordBytes = 1 << 20;

// New kinds come with new numbers; a kind keeps its meaning for good.
// A result is a change that also adds a bout to the bout sheet; after a checkpoint, one
// result each (with no change) brings its bouts back.
// An action is a change undo can take back: it also carries what it changed, before and
// after, and the bout it recorded. An undo or a redo is a change that takes back (or brings
// again) the newest action the history holds. After a checkpoint, one history record each
// (with no change) brings back what undo and redo hold, and one move record each (with no
// change) the scorebook; an action that scored a move carries it.
enum class Kind : quint16 {
    Checkpoint = 1,
    Change = 2,
    Result = 3,
    Action = 4,
    Undo = 5,
    Redo = 6,
    History = 7,
    Move = 8
};

// The record an applied command makes: an action, an undo or a redo; a change when the
// history stayed as it was.
Kind KindOf(MatchOutcome::Step step);

// The header and two empty slots: a new log's first bytes.
QByteArray start();
// A checkpoint carries all of after (with its bouts and history); any other kind what
// differs from before, with what that kind adds: a result its bout, an action its edit;
// texts that differ go with it, in the same record.
// Empty when after is not before with that kind (the history or the bouts moved otherwise,
// as when an earlier write was lost): only a new log can say that.
QByteArray record(Kind kind, const MatchSnapshot &before, const MatchSnapshot &after,
                  const QDateTime &at);
// What differs from the recorded match, as the log ended at logEnd; empty when it does not fit
// in a slot (the change then goes in as a record).
QByteArray progress(quint64 sequence, qint64 logEnd, const MatchSnapshot &recorded,
                    const MatchSnapshot &now, const QDateTime &at);
constexpr qint64 slotOffset(quint64 sequence) {
    return kHeaderBytes + qint64(sequence % 2) * kSlotBytes;
}

struct Replay {
    std::optional<MatchSnapshot> snapshot; // with the progress; empty: nothing to resume
    MatchSnapshot recorded;                // after the last whole record
    QDateTime savedAt;                     // UTC, of the newest thing that counted
    qint64 end = 0;                        // after the last whole record: the next one goes here
    quint64 sequence = 0;                  // the newest whole slot's, 0 when there is none
    int records = 0;
    // A record failed its check with a whole one after it: the log was damaged, not torn,
    // and holds more than what it replays to.
    bool damaged = false;
    bool refused = false; // not a log this program may continue: reason says why
    QString reason;
};
Replay replay(const QByteArray &bytes);

} // namespace MeetLog
