#pragma once

#include "clock/MatchSnapshot.h"
#include "journal/MeetLog.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QThread;

// The meet kept on disk so that a crash or a power cut loses nothing: its log in the per-user
// data folder (one record per action, a running clock's progress overwritten in place), and
// a lock file beside it that a kernel lock is held on. It lives on the board's thread; the disk
// is touched on a thread of its own, so write() never waits for it.
//
// Order of use: acquire(), then load() (and setAside() for a new meet), then write() after
// every action and writeProgress() while the clock runs; end() when the meet is deliberately
// ended; close() when the board goes.
class MatchJournal : public QObject {
    Q_OBJECT

public:
    enum class LoadStatus {
        None, // no journal: a fresh start
        Ok,   // snapshot and savedAt hold the journaled match
        Bad,  // refused: reason says why, keptAs where the file was moved
    };
    struct LoadResult {
        LoadStatus status = LoadStatus::None;
        MatchSnapshot snapshot;
        QDateTime savedAt; // UTC
        QString reason;
        QString keptAs; // empty when the file could not be moved
        // Ok, but the log was damaged after savedAt: the whole file was kept here.
        QString damagedKeptAs;
    };

    struct Figures {
        qint64 writesAsked = 0;   // calls of write() while writing is allowed
        qint64 writesSkipped = 0; // equal to the snapshot last handed over
        qint64 writesMerged = 0;  // progress replaced by newer progress before its turn
        qint64 writesDropped = 0; // still queued when the meet ended or was set aside
        qint64 writesDone = 0;    // commits that succeeded
        qint64 writesFailed = 0;
        qint64 longestHoldNs = 0; // the caller's thread inside write()
        qint64 lastCommitNs = 0;  // one write: encode, write in place, sync
        qint64 longestCommitNs = 0;
        qint64 totalCommitNs = 0;
        qint64 fileBytes = 0;   // where the log ends after the last write
        qint64 logsWritten = 0; // whole logs: the first, and each checkpoint in place of one
    };

    // A log longer than this is written again as one checkpoint: a few hundred actions.
    static constexpr qint64 kCompactBytes = 16 * 1024;
    // The whole match in one file, as the version before the log kept it: still resumed.
    static constexpr char kLegacyFileName[] = "meet.journal";

    // The journal in the per-user data folder (it follows XDG_DATA_HOME).
    explicit MatchJournal(QObject *parent = nullptr);
    explicit MatchJournal(const QString &folder, QObject *parent = nullptr);
    // Closes it.
    ~MatchJournal() override;

    static QString defaultFolder();
    QString folder() const;
    QString filePath() const;

    // Takes the lock, creating the folder. False when another running copy of the program
    // holds it: this journal then neither loads nor writes. Whatever an earlier run left in
    // the lock file, a process that is gone holds nothing. When the lock cannot even be made (the
    // folder is not writable) this is still true: the journal loads what it can read and every
    // write tries the lock again, reporting its failures through writeFailed().
    bool acquire();
    bool heldElsewhere() const;

    // Replays the log (or reads the journal of the version before it). A file that cannot be
    // used is moved aside beside it, never deleted.
    LoadResult load();

    // The match after a command: hands a copy to the writing thread and returns at once. It
    // is appended as one record of the kind it is handed (an action, an undo, a redo, or a
    // change); a snapshot equal to the last one handed over is not written again (unless that
    // write failed).
    void write(const MatchSnapshot &snapshot, MeetLog::Kind kind = MeetLog::Kind::Change);
    // The match as its clock runs: written over the last progress, not appended. Progress
    // that queues up behind a write in progress is merged into the newest.
    void writeProgress(const MatchSnapshot &snapshot);

    // A new meet over a journaled one: drops what is queued, waits for a write in progress,
    // and moves the journal aside beside it. Returns where it went (empty: there was none,
    // or it could not be moved). Writing goes on for the new meet.
    QString setAside();

    // The meet was deliberately ended: drops what is queued, waits for a write in progress,
    // removes the journal, and writes nothing more, so the next start is fresh.
    void end();

    // The board is going: finishes the write in progress and the one queued, joins the
    // writing thread and lets go of the lock, so that a later start takes it even while this
    // program lives on (a help window still open). Nothing is written after it.
    void close();

    bool failing() const { return failing_; }
    Figures figures() const;

    // Runs on the writing thread before each write; tests and benchmarks use it to hold a
    // write in progress.
    void setCommitHook(std::function<void()> hook);

signals:
    // Only while something is connected to it: unheard, it would wake the board's thread.
    void written();
    // Once when writes start failing; writesRecovered() when one succeeds again.
    void writeFailed(const QString &reason);
    void writesRecovered();

protected:
    void connectNotify(const QMetaMethod &signal) override;

private:
    enum class Access { NotAcquired, Owner, Elsewhere, Unlocked };
    struct Shared;
    struct Outcome;

    static void runWorker(Shared *shared, MatchJournal *journal);
    void hand(const MatchSnapshot &snapshot, bool progress, MeetLog::Kind kind);
    void finished(const Outcome &outcome);
    bool mayTouchFile() const;
    void quiesce();
    void removeLeftovers();

    std::unique_ptr<Shared> shared_;
    QThread *thread_ = nullptr;
    Access access_ = Access::NotAcquired;
    bool ended_ = false;
    bool closed_ = false;
    bool failing_ = false;
    std::optional<MatchSnapshot> lastHanded_;
    qint64 asked_ = 0;
    qint64 skipped_ = 0;
    qint64 merged_ = 0;
    qint64 dropped_ = 0;
    qint64 longestHoldNs_ = 0;
};
