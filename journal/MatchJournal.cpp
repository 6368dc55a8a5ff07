#include "journal/MatchJournal.h"

#include "journal/JournalFile.h"
#include "journal/MeetLog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMetaMethod>
#include <QMutex>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSemaphore>
#include <QStandardPaths>
#include <QThread>
#include <QWaitCondition>
#include <atomic>
#include <cstring>
#include <vector>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// No log this program wrote comes near it.
constexpr qint64 kMaxLogBytes = 16 * 1024 * 1024;
// Long enough for a copy that is just closing to let go, short enough not to be noticed.
constexpr int kLockWaitMs = 250;
constexpr int kWriterNice = 10;

QString native(const QString &path) {
    return QDir::toNativeSeparators(path);
}

bool present(const QString &path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Beside the journal, under a name no other file has: the path taken, or empty.
template <typename Keep> QString aside(const QString &path, const QString &kind, Keep keep) {
    const QString stem = path + QLatin1Char('.') + kind + QLatin1Char('-') +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n < 1000; ++n) {
        const QString target = n == 1 ? stem : stem + QLatin1Char('-') + QString::number(n);
        if (present(target))
            continue;
        if (keep(target))
            return target;
        if (!present(path))
            break;
    }
    return {};
}

QString moveAside(const QString &path, const QString &kind) {
    return aside(path, kind,
                 [&path](const QString &target) { return QFile::rename(path, target); });
}

// Synced before the original is touched.
QString copyAside(const QString &path, const QString &kind, const QByteArray &bytes) {
    return aside(path, kind, [&bytes](const QString &target) {
        QSaveFile file(target);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
               file.commit();
    });
}

// The rename lives in the folder: without this a power cut may bring the old journal back.
void syncFolder(const QString &folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

struct MatchJournal::Shared {
    QString folder;
    QString path;
    QString legacyPath;
    QString lockPath;
    // A kernel lock held on this open file: it ends with the process, however that ends, so
    // no file an earlier run left behind can ever block a start.
    int lockFd = -1;
    bool needLock = false; // the writing thread's alone once it runs

    struct Job {
        MatchSnapshot snapshot;
        QDateTime savedAt;
        bool progress = false;
        MeetLog::Kind kind = MeetLog::Kind::Change;
    };
    // Jobs in the order they were handed over. Held only to add or take jobs, so nothing
    // the writing thread does can hold the caller up; each empty-to-full change counts one
    // on wake.
    // Swapped with the writing thread's own list, so that neither frees what the other
    // allocated: in a running second nothing is allocated at all.
    QMutex queueMutex;
    std::vector<Job> queue;
    QSemaphore wake;
    std::atomic<bool> stopping{false};

    // Guards the rest; write() never takes it. The writing thread takes the jobs and
    // becomes busy under it, so whoever holds it and sees the queue empty and the thread
    // idle knows no write is on its way to the disk.
    QMutex mutex;
    QWaitCondition idle;
    bool busy = false;
    bool detached = false; // the journal is going: report nothing more
    // A success is news to the board's thread only after a failure or when someone waits
    // for written(); otherwise telling it would wake that thread once a running second.
    std::atomic<bool> announceWrites{false};
    bool lastFailed = false; // the writing thread's alone
    std::function<void()> hook;
    qint64 done = 0;
    qint64 failed = 0;
    qint64 lastCommitNs = 0;
    qint64 longestCommitNs = 0;
    qint64 totalCommitNs = 0;
    qint64 fileBytes = 0;

    // The log as it stands on disk. The writing thread's while it runs a job; others change
    // it only under the mutex with the thread idle.
    int fd = -1;
    bool haveLog = false;   // meet.log holds this meet: records are appended to it
    bool legacy = false;    // a journal of the version before the log, gone once the log is
    bool cutTail = false;   // bytes past end may be a torn record: cut them before appending
    MatchSnapshot recorded; // the match after the last record
    qint64 end = 0;
    quint64 sequence = 0;
    qint64 checkpointBytes = 0; // the log as last written whole
    qint64 logsWritten = 0;

    explicit Shared(const QString &f)
        : folder(f), path(QDir(f).filePath(QLatin1String(MeetLog::kFileName))),
          legacyPath(QDir(f).filePath(QLatin1String(kLegacyFileName))),
          lockPath(QDir(f).filePath(QLatin1String(kLegacyFileName)) + QStringLiteral(".lock")) {}
    ~Shared() {
        closeLog();
        unlock();
    }

    enum class Lock { Taken, Held, Unavailable };
    Lock tryLock() {
        if (lockFd >= 0)
            return Lock::Taken;
        const int fd = ::open(QFile::encodeName(lockPath).constData(),
                              O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0)
            return Lock::Unavailable;
        int r;
        do {
            r = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (r != 0 && errno == EINTR);
        if (r != 0) {
            const bool held = errno == EWOULDBLOCK;
            ::close(fd);
            return held ? Lock::Held : Lock::Unavailable;
        }
        lockFd = fd;
        return Lock::Taken;
    }
    void unlock() {
        if (lockFd >= 0) {
            ::close(lockFd); // lets go of the lock with it
            lockFd = -1;
        }
    }

    void closeLog() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    // A new meet: the next write starts a new log from a fresh match.
    void forget() {
        closeLog();
        haveLog = false;
        legacy = false;
        cutTail = false;
        recorded = MatchSnapshot();
        end = checkpointBytes = 0;
        sequence = 0;
    }

    // Empties the queue; true when it held a write.
    bool drop() {
        QMutexLocker locker(&queueMutex);
        const bool any = !queue.empty();
        queue.clear();
        return any;
    }

    QString failure(const QString &what) const {
        return QStringLiteral("%1 (%2)").arg(what, native(path));
    }
    QString failure() const { return failure(QString::fromLocal8Bit(std::strerror(errno))); }

    // A whole new log in place of the old one: written beside it, synced, renamed over it.
    QString rewrite(const QByteArray &bytes) {
        closeLog();
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return failure(file.errorString());
        if (file.write(bytes) != bytes.size()) {
            const QString why = file.errorString();
            file.cancelWriting();
            return failure(why);
        }
        if (!file.commit())
            return failure(file.errorString());
        syncFolder(folder);
        haveLog = true;
        cutTail = false;
        end = checkpointBytes = bytes.size();
        ++logsWritten;
        sequence = 0;
        return {};
    }

    // Written and synced at offset, before anything else is.
    QString put(const QByteArray &bytes, qint64 offset) {
        const char *data = bytes.constData();
        qint64 left = bytes.size();
        while (left > 0) {
            const ssize_t n = ::pwrite(fd, data, size_t(left), offset);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return failure();
            data += n;
            left -= n;
            offset += n;
        }
        if (::fdatasync(fd) != 0)
            return failure();
        return {};
    }

    // Returns why it failed, or an empty text.
    QString commit(const Job &job) {
        const QString why = append(job);
        // The log holds the old journal's meet now.
        if (why.isEmpty() && legacy && (QFile::remove(legacyPath) || !present(legacyPath))) {
            legacy = false;
            syncFolder(folder);
        }
        return why;
    }

    QString append(const Job &job) {
        if (fd < 0 && !QDir().mkpath(folder))
            return QStringLiteral("the folder %1 cannot be made").arg(native(folder));
        if (needLock) {
            switch (tryLock()) {
            case Lock::Held:
                return QStringLiteral("another copy of the board holds %1").arg(native(path));
            case Lock::Unavailable:
                return QStringLiteral("the lock file cannot be made in %1").arg(native(folder));
            case Lock::Taken:
                break;
            }
            needLock = false;
        }
        if (haveLog && fd < 0) {
            fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
            if (fd < 0 && errno != ENOENT)
                return failure();
            haveLog = fd >= 0; // gone from under it: a new log in its place
        }
        if (!haveLog) {
            // The match before the action, then the action; one checkpoint of the match after
            // it when it cannot be appended.
            const QByteArray change =
                job.snapshot == recorded
                    ? QByteArray()
                    : MeetLog::record(job.kind, recorded, job.snapshot, job.savedAt);
            const bool appendable = job.snapshot == recorded || !change.isEmpty();
            const QByteArray bytes =
                MeetLog::start() +
                MeetLog::record(MeetLog::Kind::Checkpoint, {}, appendable ? recorded : job.snapshot,
                                job.savedAt) +
                change;
            const QString why = rewrite(bytes);
            if (why.isEmpty())
                recorded = job.snapshot;
            return why;
        }
        if (cutTail) {
            if (::ftruncate(fd, end) != 0)
                return failure();
            cutTail = false;
        }
        if (job.progress) {
            const QByteArray slot =
                MeetLog::progress(sequence + 1, end, recorded, job.snapshot, job.savedAt);
            if (!slot.isEmpty()) {
                const QString why = put(slot, MeetLog::slotOffset(sequence + 1));
                if (why.isEmpty())
                    ++sequence;
                return why;
            }
        }
        if (job.snapshot == recorded)
            return {};
        const QByteArray record = MeetLog::record(job.kind, recorded, job.snapshot, job.savedAt);
        if (record.isEmpty()) {
            const QString why =
                rewrite(MeetLog::start() +
                        MeetLog::record(MeetLog::Kind::Checkpoint, {}, job.snapshot, job.savedAt));
            if (why.isEmpty())
                recorded = job.snapshot;
            return why;
        }
        if (const QString why = put(record, end); !why.isEmpty()) {
            cutTail = true;
            return why;
        }
        end += record.size();
        recorded = job.snapshot;
        // Bounded: the match as it stands becomes the checkpoint of a new log, once the
        // records have grown past the checkpoint too (undo's history may make it long).
        // The record is safe either way; a compaction that fails is tried after the next one.
        if (end > std::max(kCompactBytes, 2 * checkpointBytes)) {
            rewrite(MeetLog::start() +
                    MeetLog::record(MeetLog::Kind::Checkpoint, {}, recorded, job.savedAt));
        }
        return {};
    }
};

struct MatchJournal::Outcome {
    bool ok = false;
    QString reason;
    MatchSnapshot snapshot;
};

MatchJournal::MatchJournal(QObject *parent) : MatchJournal(defaultFolder(), parent) {}

MatchJournal::MatchJournal(const QString &folder, QObject *parent)
    : QObject(parent), shared_(std::make_unique<Shared>(folder)) {}

MatchJournal::~MatchJournal() {
    close();
}

void MatchJournal::close() {
    if (thread_) {
        {
            QMutexLocker locker(&shared_->mutex);
            shared_->detached = true;
        }
        shared_->stopping = true;
        shared_->wake.release();
        thread_->wait();
        delete thread_;
        thread_ = nullptr;
    }
    closed_ = true;
    shared_->unlock();
}

QString MatchJournal::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

QString MatchJournal::folder() const {
    return shared_->folder;
}

QString MatchJournal::filePath() const {
    return shared_->path;
}

bool MatchJournal::acquire() {
    if (access_ != Access::NotAcquired)
        return access_ != Access::Elsewhere;
    QDir().mkpath(shared_->folder);
    QElapsedTimer waited;
    waited.start();
    Shared::Lock lock = shared_->tryLock();
    while (lock == Shared::Lock::Held && waited.elapsed() < kLockWaitMs) {
        QThread::msleep(10);
        lock = shared_->tryLock();
    }
    if (lock == Shared::Lock::Taken) {
        access_ = Access::Owner;
        removeLeftovers();
    } else if (lock == Shared::Lock::Held) {
        access_ = Access::Elsewhere;
        return false;
    } else {
        access_ = Access::Unlocked;
        shared_->needLock = true;
    }
    thread_ = QThread::create(&MatchJournal::runWorker, shared_.get(), this);
    thread_->setObjectName(QStringLiteral("journal"));
    thread_->start();
    return true;
}

bool MatchJournal::heldElsewhere() const {
    return access_ == Access::Elsewhere;
}

bool MatchJournal::mayTouchFile() const {
    return !closed_ && (access_ == Access::Owner || access_ == Access::Unlocked);
}

// A write cut off by a crash may leave its unfinished temporary file; only the journal's
// own pattern is removed, and only by the lock's owner.
void MatchJournal::removeLeftovers() {
    const QDir dir(shared_->folder);
    for (const QLatin1String stem :
         {QLatin1String(MeetLog::kFileName), QLatin1String(kLegacyFileName)}) {
        const QRegularExpression leftover(QRegularExpression::anchoredPattern(
            QRegularExpression::escape(stem) + QStringLiteral("\\.[A-Za-z0-9]{6}")));
        const QStringList names = dir.entryList({stem + QStringLiteral(".??????")}, QDir::Files);
        for (const QString &name : names) {
            if (leftover.match(name).hasMatch())
                QFile::remove(dir.filePath(name));
        }
    }
}

MatchJournal::LoadResult MatchJournal::load() {
    LoadResult result;
    if (!mayTouchFile() || ended_)
        return result;
    QMutexLocker locker(&shared_->mutex);
    quiesce();
    Shared &s = *shared_;
    const bool log = present(s.path);
    s.legacy = present(s.legacyPath);
    if (!log && !s.legacy)
        return result;
    const QString &path = log ? s.path : s.legacyPath;
    QFile file(path);
    QString reason;
    if (!file.open(QIODevice::ReadOnly)) {
        reason = QStringLiteral("the file cannot be read (%1)").arg(file.errorString());
    } else {
        const QByteArray bytes = file.read((log ? kMaxLogBytes : JournalFile::kMaxBytes) + 1);
        if (file.error() != QFileDevice::NoError) {
            reason = QStringLiteral("the file cannot be read (%1)").arg(file.errorString());
        } else if (log && bytes.size() > kMaxLogBytes) {
            reason = QStringLiteral("the file is too large to be a meet's log");
        } else if (log) {
            MeetLog::Replay replay = MeetLog::replay(bytes);
            if (replay.snapshot && replay.damaged) {
                // Kept whole before the next write cuts it back to its sound part; where no
                // copy can be made, the file itself goes aside and a new log starts.
                result.damagedKeptAs = copyAside(s.path, QStringLiteral("bad"), bytes);
                if (result.damagedKeptAs.isEmpty())
                    result.damagedKeptAs = moveAside(s.path, QStringLiteral("bad"));
                if (result.damagedKeptAs.isEmpty()) {
                    replay.snapshot.reset();
                    replay.reason = QStringLiteral("the log is damaged");
                }
                syncFolder(s.folder);
            }
            if (replay.snapshot) {
                s.haveLog = present(s.path);
                s.recorded = replay.recorded;
                s.end = replay.end;
                s.sequence = replay.sequence;
                s.cutTail = replay.end != bytes.size();
                result.status = LoadStatus::Ok;
                result.snapshot = *replay.snapshot;
                result.savedAt = replay.savedAt;
                return result;
            }
            reason = replay.reason;
            // The old journal, if any, is not the refused log's meet: it stays where it is.
            s.legacy = false;
        } else {
            const JournalFile::Parsed parsed = JournalFile::decode(bytes);
            if (parsed.entry) {
                // Continued as a log that starts from it.
                s.recorded = parsed.entry->snapshot;
                result.status = LoadStatus::Ok;
                result.snapshot = parsed.entry->snapshot;
                result.savedAt = parsed.entry->savedAt;
                return result;
            }
            reason = parsed.reason;
        }
    }
    file.close();
    result.status = LoadStatus::Bad;
    result.reason = reason;
    result.keptAs = moveAside(path, QStringLiteral("bad"));
    if (!log)
        s.legacy = false;
    return result;
}

void MatchJournal::write(const MatchSnapshot &snapshot, MeetLog::Kind kind) {
    hand(snapshot, false, kind);
}

void MatchJournal::writeProgress(const MatchSnapshot &snapshot) {
    hand(snapshot, true, MeetLog::Kind::Change);
}

void MatchJournal::hand(const MatchSnapshot &snapshot, bool progress, MeetLog::Kind kind) {
    if (!mayTouchFile() || ended_)
        return;
    QElapsedTimer held;
    held.start();
    ++asked_;
    if (lastHanded_ && *lastHanded_ == snapshot) {
        ++skipped_;
    } else {
        lastHanded_ = snapshot;
        bool wasEmpty;
        {
            QMutexLocker locker(&shared_->queueMutex);
            std::vector<Shared::Job> &queue = shared_->queue;
            wasEmpty = queue.empty();
            // Progress behind progress still queued: only the newest counts.
            if (progress && !wasEmpty && queue.back().progress) {
                queue.pop_back();
                ++merged_;
            }
            queue.push_back({snapshot, QDateTime::currentDateTimeUtc(), progress, kind});
        }
        if (wasEmpty)
            shared_->wake.release();
    }
    longestHoldNs_ = std::max(longestHoldNs_, held.nsecsElapsed());
}

// Nothing queued and nothing being written when it returns; the caller holds the mutex.
void MatchJournal::quiesce() {
    if (shared_->drop())
        ++dropped_;
    while (shared_->busy)
        shared_->idle.wait(&shared_->mutex);
}

QString MatchJournal::setAside() {
    if (!mayTouchFile() || ended_)
        return {};
    QMutexLocker locker(&shared_->mutex);
    quiesce();
    lastHanded_.reset();
    QString kept;
    for (const QString &path : {shared_->legacyPath, shared_->path}) {
        if (present(path))
            kept = moveAside(path, QStringLiteral("old"));
    }
    shared_->forget();
    return kept;
}

void MatchJournal::end() {
    if (!mayTouchFile() || ended_) {
        ended_ = true;
        return;
    }
    ended_ = true;
    QMutexLocker locker(&shared_->mutex);
    quiesce();
    // Without the lock the file may be another copy's; the writing thread is idle now.
    if (shared_->needLock && shared_->tryLock() == Shared::Lock::Taken)
        shared_->needLock = false;
    if (!shared_->needLock) {
        QFile::remove(shared_->path);
        QFile::remove(shared_->legacyPath);
    }
    shared_->forget();
}

MatchJournal::Figures MatchJournal::figures() const {
    Figures f;
    f.writesAsked = asked_;
    f.writesSkipped = skipped_;
    f.longestHoldNs = longestHoldNs_;
    f.writesMerged = merged_;
    f.writesDropped = dropped_;
    QMutexLocker locker(&shared_->mutex);
    f.writesDone = shared_->done;
    f.writesFailed = shared_->failed;
    f.lastCommitNs = shared_->lastCommitNs;
    f.longestCommitNs = shared_->longestCommitNs;
    f.totalCommitNs = shared_->totalCommitNs;
    f.fileBytes = shared_->fileBytes;
    f.logsWritten = shared_->logsWritten;
    return f;
}

void MatchJournal::setCommitHook(std::function<void()> hook) {
    QMutexLocker locker(&shared_->mutex);
    shared_->hook = std::move(hook);
}

void MatchJournal::runWorker(Shared *s, MatchJournal *journal) {
    // Lighter than the board's thread, so waking it does not take the board's processor.
    setpriority(PRIO_PROCESS, pid_t(gettid()), kWriterNice);
    std::vector<Shared::Job> jobs;
    for (;;) {
        s->wake.acquire();
        jobs.clear();
        std::function<void()> hook;
        {
            QMutexLocker locker(&s->mutex);
            {
                QMutexLocker queueLocker(&s->queueMutex);
                jobs.swap(s->queue);
            }
            s->busy = !jobs.empty();
            hook = s->hook;
        }
        // Jobs queued when stopping were taken above and are written before the end.
        if (jobs.empty()) {
            if (s->stopping)
                return;
            continue; // they were dropped
        }
        for (const Shared::Job &job : jobs) {
            if (hook)
                hook();
            QElapsedTimer timer;
            timer.start();
            Outcome outcome;
            outcome.reason = s->commit(job);
            outcome.ok = outcome.reason.isEmpty();
            outcome.snapshot = job.snapshot;
            const qint64 ns = timer.nsecsElapsed();

            bool report = false;
            {
                QMutexLocker locker(&s->mutex);
                if (outcome.ok) {
                    ++s->done;
                    s->lastCommitNs = ns;
                    s->longestCommitNs = std::max(s->longestCommitNs, ns);
                    s->totalCommitNs += ns;
                    s->fileBytes = s->end;
                } else {
                    ++s->failed;
                }
                report = !s->detached && (!outcome.ok || s->lastFailed || s->announceWrites);
                s->lastFailed = !outcome.ok;
            }
            // Outside the lock, so write() never waits for it; the journal outlives this
            // thread.
            if (report) {
                QMetaObject::invokeMethod(
                    journal, [journal, outcome] { journal->finished(outcome); },
                    Qt::QueuedConnection);
            }
        }
        QMutexLocker locker(&s->mutex);
        s->busy = false;
        s->idle.wakeAll();
    }
}

void MatchJournal::connectNotify(const QMetaMethod &signal) {
    if (signal == QMetaMethod::fromSignal(&MatchJournal::written))
        shared_->announceWrites = true;
}

void MatchJournal::finished(const Outcome &outcome) {
    if (outcome.ok) {
        if (failing_) {
            failing_ = false;
            emit writesRecovered();
        }
        emit written();
        return;
    }
    // The same snapshot again must be tried again, not skipped as already written.
    if (lastHanded_ && *lastHanded_ == outcome.snapshot)
        lastHanded_.reset();
    if (!failing_) {
        failing_ = true;
        emit writeFailed(outcome.reason);
    }
}
