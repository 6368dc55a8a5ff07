#include "journal/MatchJournal.h"

#include "journal/JournalFile.h"

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

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

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

// Beside the journal, under a name no other file has.
QString moveAside(const QString &path, const QString &kind) {
    const QString stem = path + QLatin1Char('.') + kind + QLatin1Char('-') +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n < 1000; ++n) {
        const QString target = n == 1 ? stem : stem + QLatin1Char('-') + QString::number(n);
        if (present(target))
            continue;
        if (QFile::rename(path, target))
            return target;
        if (!present(path))
            break;
    }
    return {};
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
    QString lockPath;
    // A kernel lock held on this open file: it ends with the process, however that ends, so
    // no file an earlier run left behind can ever block a start.
    int lockFd = -1;
    bool needLock = false; // the writing thread's alone once it runs

    struct Job {
        MatchSnapshot snapshot;
        QDateTime savedAt;
    };
    // The one queued write. The caller swaps it in without a lock, so nothing the writing
    // thread does can hold the caller up; each empty-to-full swap counts one on wake.
    std::atomic<Job *> slot{nullptr};
    QSemaphore wake;
    std::atomic<bool> stopping{false};

    // Guards the rest; write() never takes it. The writing thread takes a job from the slot
    // and becomes busy under it, so whoever holds it and sees the slot empty and the thread
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

    explicit Shared(const QString &f)
        : folder(f), path(QDir(f).filePath(QLatin1String(kFileName))),
          lockPath(path + QStringLiteral(".lock")) {}
    ~Shared() {
        delete slot.load();
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

    // Empties the slot; true when it held a write.
    bool drop() {
        Job *job = slot.exchange(nullptr);
        delete job;
        return job != nullptr;
    }

    // Returns why it failed, or an empty text.
    QString commit(const Job &job, qint64 *bytes) {
        if (!QDir().mkpath(folder))
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
        const QByteArray data = JournalFile::encode(job.snapshot, job.savedAt);
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QStringLiteral("%1 (%2)").arg(file.errorString(), native(path));
        if (file.write(data) != data.size()) {
            const QString why = file.errorString();
            file.cancelWriting();
            return QStringLiteral("%1 (%2)").arg(why, native(path));
        }
        // Syncs the data, then renames over the old journal: it is whole, old or new.
        if (!file.commit())
            return QStringLiteral("%1 (%2)").arg(file.errorString(), native(path));
        syncFolder(folder);
        *bytes = data.size();
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
    static const QRegularExpression leftover(
        QRegularExpression::anchoredPattern(QRegularExpression::escape(QLatin1String(kFileName)) +
                                            QStringLiteral("\\.[A-Za-z0-9]{6}")));
    const QStringList names =
        dir.entryList({QLatin1String(kFileName) + QStringLiteral(".??????")}, QDir::Files);
    for (const QString &name : names) {
        if (leftover.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
    }
}

MatchJournal::LoadResult MatchJournal::load() {
    LoadResult result;
    if (!mayTouchFile() || ended_ || !present(shared_->path))
        return result;
    QFile file(shared_->path);
    QString reason;
    if (!file.open(QIODevice::ReadOnly)) {
        reason = QStringLiteral("the file cannot be read (%1)").arg(file.errorString());
    } else {
        const QByteArray bytes = file.read(JournalFile::kMaxBytes + 1);
        if (file.error() != QFileDevice::NoError) {
            reason = QStringLiteral("the file cannot be read (%1)").arg(file.errorString());
        } else {
            const JournalFile::Parsed parsed = JournalFile::decode(bytes);
            if (parsed.entry) {
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
    result.keptAs = moveAside(shared_->path, QStringLiteral("bad"));
    return result;
}

void MatchJournal::write(const MatchSnapshot &snapshot) {
    if (!mayTouchFile() || ended_)
        return;
    QElapsedTimer held;
    held.start();
    ++asked_;
    if (lastHanded_ && *lastHanded_ == snapshot) {
        ++skipped_;
    } else {
        lastHanded_ = snapshot;
        auto *job = new Shared::Job{snapshot, QDateTime::currentDateTimeUtc()};
        if (Shared::Job *older = shared_->slot.exchange(job)) {
            delete older;
            ++merged_;
        } else {
            shared_->wake.release();
        }
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
    if (!present(shared_->path))
        return {};
    return moveAside(shared_->path, QStringLiteral("old"));
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
    if (!shared_->needLock)
        QFile::remove(shared_->path);
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
    return f;
}

void MatchJournal::setCommitHook(std::function<void()> hook) {
    QMutexLocker locker(&shared_->mutex);
    shared_->hook = std::move(hook);
}

void MatchJournal::runWorker(Shared *s, MatchJournal *journal) {
    // Lighter than the board's thread, so waking it does not take the board's processor.
    setpriority(PRIO_PROCESS, pid_t(gettid()), kWriterNice);
    for (;;) {
        s->wake.acquire();
        std::unique_ptr<Shared::Job> taken;
        std::function<void()> hook;
        {
            QMutexLocker locker(&s->mutex);
            taken.reset(s->slot.exchange(nullptr));
            s->busy = taken != nullptr;
            hook = s->hook;
        }
        // A write queued when stopping was taken above and is written before the end.
        if (!taken) {
            if (s->stopping)
                return;
            continue; // its job was dropped
        }
        const Shared::Job &job = *taken;
        if (hook)
            hook();
        QElapsedTimer timer;
        timer.start();
        qint64 bytes = 0;
        Outcome outcome;
        outcome.reason = s->commit(job, &bytes);
        outcome.ok = outcome.reason.isEmpty();
        outcome.snapshot = job.snapshot;
        const qint64 ns = timer.nsecsElapsed();

        bool report = false;
        {
            QMutexLocker locker(&s->mutex);
            s->busy = false;
            if (outcome.ok) {
                ++s->done;
                s->lastCommitNs = ns;
                s->longestCommitNs = std::max(s->longestCommitNs, ns);
                s->totalCommitNs += ns;
                s->fileBytes = bytes;
            } else {
                ++s->failed;
            }
            s->idle.wakeAll();
            report = !s->detached && (!outcome.ok || s->lastFailed || s->announceWrites);
            s->lastFailed = !outcome.ok;
        }
        // Outside the lock, so write() never waits for it; the journal outlives this thread.
        if (report) {
            QMetaObject::invokeMethod(
                journal, [journal, outcome] { journal->finished(outcome); }, Qt::QueuedConnection);
        }
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
