// The journal on disk: what goes in comes back, progress merges and writes never repeat, a
// failing folder is reported once, one copy of the program owns it, bad files are kept aside,
// an ended meet leaves nothing, a killed writer always leaves a whole log, and the journal of
// the version before the log still resumes.
#include "DualMeet.h"
#include "LogOnDisk.h"
#include "TestMain.h"
#include "TestSupport.h"
#include "journal/JournalFile.h"
#include "journal/JournalPolicy.h"
#include "journal/JournalTexts.h"
#include "journal/MatchJournal.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

namespace {

MatchSnapshot numbered(int n) {
    MatchSnapshot s;
    s.fields = {n % 200, 7, 3, 1, 12, 2, 125};
    s.clockRun = fromTenths(n);
    s.clockHasRun = true;
    s.timeAd = Side::Home;
    return s;
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

std::optional<MatchSnapshot> legacyOnDisk(const QString &path) {
    const JournalFile::Parsed p = JournalFile::decode(readAll(path));
    if (!p.entry)
        return std::nullopt;
    return p.entry->snapshot;
}

QByteArray legacyBytes(int n) {
    return JournalFile::encode(numbered(n), QDateTime::currentDateTimeUtc());
}

// Holds the writing thread inside its next write until released.
struct Gate {
    QSemaphore entered, open;
    void install(MatchJournal &j) {
        j.setCommitHook([this] {
            entered.release();
            open.acquire();
        });
    }
    bool waitEntered() { return entered.tryAcquire(1, 20000); }
    void release() { open.release(1 << 20); }
};

// A line from a child process, waiting for it to arrive.
QByteArray lineFrom(QProcess &p) {
    while (!p.canReadLine()) {
        if (!p.waitForReadyRead(20000))
            return {};
    }
    return p.readLine().trimmed();
}

} // namespace

class tst_MatchJournal : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString folder() const { return dir.filePath(QStringLiteral("journal")); }
    QString file() const { return dir.filePath(QStringLiteral("journal/meet.log")); }
    QString legacy() const { return dir.filePath(QStringLiteral("journal/meet.journal")); }

private slots:
    void init() {
        QVERIFY(dir.isValid());
        QDir(folder()).removeRecursively();
    }

    void roundTripThroughDataHome_data() {
        QTest::addColumn<MatchSnapshot>("snapshot");
        QTest::newRow("fresh") << MatchSnapshot{};
        QTest::newRow("mid-match") << numbered(734);
        MatchSnapshot blank;
        blank.fields.fill(-1);
        blank.shownAdSide = 2;
        QTest::newRow("blank fields") << blank;
    }

    void roundTripThroughDataHome() {
        QFETCH(MatchSnapshot, snapshot);
        const QString home = dir.filePath(QStringLiteral("data-home"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home));
        QCoreApplication::setApplicationName(QStringLiteral("Darezez"));
        const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
        {
            MatchJournal journal;
            QCOMPARE(journal.folder(), home + QStringLiteral("/Darezez"));
            QVERIFY(journal.acquire());
            QCOMPARE(journal.load().status, MatchJournal::LoadStatus::None);
            QSignalSpy written(&journal, &MatchJournal::written);
            journal.write(snapshot);
            QVERIFY(written.wait(20000));
            QCOMPARE(journal.figures().fileBytes, QFileInfo(journal.filePath()).size());
        }
        {
            MatchJournal again;
            QVERIFY(again.acquire());
            const MatchJournal::LoadResult r = again.load();
            QCOMPARE(r.status, MatchJournal::LoadStatus::Ok);
            QVERIFY(r.snapshot == snapshot);
            QVERIFY(r.savedAt >= before && r.savedAt <= QDateTime::currentDateTimeUtc());
        }
        QDir(home).removeRecursively();
    }

    // Actions that queue behind a write in progress are each appended; progress merges into
    // the newest.
    void queuedWrites_data() {
        QTest::addColumn<int>("queued");
        QTest::addColumn<bool>("progress");
        QTest::newRow("one action") << 1 << false;
        QTest::newRow("ten actions") << 10 << false;
        QTest::newRow("one progress") << 1 << true;
        QTest::newRow("a thousand progress") << 1000 << true;
    }

    void queuedWrites() {
        QFETCH(int, queued);
        QFETCH(bool, progress);
        Gate gate;
        MatchJournal journal(folder());
        gate.install(journal);
        QVERIFY(journal.acquire());
        QSignalSpy written(&journal, &MatchJournal::written);
        journal.write(numbered(0));
        QVERIFY(gate.waitEntered());
        for (int i = 1; i <= queued; ++i)
            progress ? journal.writeProgress(numbered(i)) : journal.write(numbered(i));
        gate.release();
        const int writes = progress ? 2 : queued + 1;
        QTRY_COMPARE_WITH_TIMEOUT(written.count(), writes, 20000);
        const MatchJournal::Figures f = journal.figures();
        QCOMPARE(f.writesDone, qint64(writes));
        QCOMPARE(f.writesMerged, qint64(progress ? queued - 1 : 0));
        QCOMPARE(f.writesAsked, qint64(queued + 1));
        const MeetLog::Replay r = MeetLog::replay(readAll(file()));
        QVERIFY(r.snapshot == numbered(queued));
        // The checkpoint of the fresh meet, then one record per action.
        QCOMPARE(r.records, progress ? 2 : queued + 2);
    }

    // No gate: a burst of progress is written far fewer times than asked, and ends with the
    // newest.
    void burstEndsWithNewest() {
        MatchJournal journal(folder());
        QVERIFY(journal.acquire());
        const int burst = 2000;
        for (int i = 1; i <= burst; ++i)
            journal.writeProgress(numbered(i));
        QTRY_COMPARE_WITH_TIMEOUT(journal.figures().writesDone + journal.figures().writesMerged,
                                  qint64(burst), 20000);
        QVERIFY2(journal.figures().writesDone < burst / 2,
                 qPrintable(QString::number(journal.figures().writesDone)));
        QVERIFY(logOnDisk(file()) == numbered(burst));
        QVERIFY(journal.figures().longestHoldNs > 0);
    }

    // A whole dual meet's actions: the log never grows far past its limit, and replays to the
    // last of them.
    void dualMeetStaysBounded() {
        std::vector<MeetLog::Kind> kinds;
        const std::vector<MatchSnapshot> meet = dualMeet(&kinds);
        MatchJournal journal(folder());
        qint64 largest = 0;
        journal.setCommitHook([&] { largest = std::max(largest, QFileInfo(file()).size()); });
        QVERIFY(journal.acquire());
        for (size_t i = 1; i < meet.size(); ++i)
            journal.write(meet[i], kinds[i - 1]);
        const MatchJournal::Figures asked = journal.figures();
        QTRY_COMPARE_WITH_TIMEOUT(journal.figures().writesDone,
                                  asked.writesAsked - asked.writesSkipped, 120000);
        const qint64 size = QFileInfo(file()).size();
        qInfo("%zu actions: the log is %lld bytes, at most %lld", meet.size() - 1,
              static_cast<long long>(size), static_cast<long long>(largest));
        QVERIFY(largest <= MatchJournal::kCompactBytes + MeetLog::kMaxRecordBytes);
        QVERIFY(logOnDisk(file()) == meet.back());
    }

    // Each command is appended as the record the match says it made: a clock stopped within
    // an undo or a redo, or a stoppage clock's start undone, is never a new log.
    void commandsAppendedAsTheirKinds() {
        FakeClock clock;
        Match m;
        m.Load();
        MatchJournal journal(folder());
        QVERIFY(journal.acquire());
        const JournalPolicy policy(m, &journal);
        play(m, clock,
             QStringLiteral("homeScore:3 startStop wait:1000 startStop undo redo blood:home undo "
                            "startStop undo"));
        const MatchJournal::Figures asked = journal.figures();
        QTRY_COMPARE_WITH_TIMEOUT(journal.figures().writesDone,
                                  asked.writesAsked - asked.writesSkipped, 20000);
        QCOMPARE(journal.figures().logsWritten, 1);
        QVERIFY(logOnDisk(file()) == m.Snapshot());
    }

    void equalSnapshotNotRewritten_data() {
        QTest::addColumn<bool>("whileQueued");
        QTest::newRow("after it was written") << false;
        QTest::newRow("while it waits its turn") << true;
    }

    void equalSnapshotNotRewritten() {
        QFETCH(bool, whileQueued);
        Gate gate;
        MatchJournal journal(folder());
        gate.install(journal);
        QVERIFY(journal.acquire());
        QSignalSpy written(&journal, &MatchJournal::written);
        journal.write(numbered(1));
        QVERIFY(gate.waitEntered());
        if (whileQueued) {
            journal.write(numbered(2));
            journal.write(numbered(2));
            gate.release();
        } else {
            gate.release();
            QVERIFY(written.wait(20000));
            journal.write(numbered(1));
            journal.write(numbered(2));
        }
        QTRY_COMPARE_WITH_TIMEOUT(written.count(), 2, 20000);
        QCOMPARE(journal.figures().writesSkipped, qint64(1));
        QCOMPARE(journal.figures().writesDone, qint64(2));
        QCOMPARE(journal.figures().writesMerged, qint64(0));
        QVERIFY(logOnDisk(file()) == numbered(2));
    }

    // The board keeps running: one report while writes fail, one when they work again.
    void failingFolderReportedOnce_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("the folder is a file") << "folder is a file";
        QTest::newRow("the journal is a folder") << "journal is a folder";
        QTest::newRow("the folder is read-only") << "read-only";
    }

    void failingFolderReportedOnce() {
        QFETCH(QString, how);
        QString where = folder();
        if (how == QLatin1String("folder is a file")) {
            put(dir.filePath(QStringLiteral("plain")), "x");
            where = dir.filePath(QStringLiteral("plain/journal"));
        } else if (how == QLatin1String("journal is a folder")) {
            QVERIFY(QDir().mkpath(file()));
        } else {
            if (geteuid() == 0)
                QSKIP("permissions do not stop the superuser");
            QVERIFY(QDir().mkpath(folder()));
            QVERIFY(QFile::setPermissions(folder(), QFile::ReadOwner | QFile::ExeOwner));
        }
        MatchJournal journal(where);
        QVERIFY(journal.acquire());
        QSignalSpy failed(&journal, &MatchJournal::writeFailed);
        QSignalSpy recovered(&journal, &MatchJournal::writesRecovered);
        QSignalSpy written(&journal, &MatchJournal::written);
        for (int i = 1; i <= 3; ++i) {
            journal.write(numbered(i));
            QTRY_COMPARE_WITH_TIMEOUT(journal.figures().writesFailed, qint64(i), 20000);
        }
        QTRY_COMPARE(failed.count(), 1);
        QVERIFY(journal.failing());
        QVERIFY(!failed.first().first().toString().isEmpty());

        if (how == QLatin1String("folder is a file"))
            QVERIFY(QFile::remove(dir.filePath(QStringLiteral("plain"))));
        else if (how == QLatin1String("journal is a folder"))
            QVERIFY(QDir(file()).removeRecursively());
        else
            QVERIFY(QFile::setPermissions(folder(),
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        // The same snapshot as the failed one: tried again, not skipped, once the failure has
        // reached this thread (it is reported, not waited for).
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                journal.write(numbered(3));
                return written.count() == 1;
            }(),
            20000);
        QCOMPARE(recovered.count(), 1);
        QCOMPARE(failed.count(), 1);
        QVERIFY(!journal.failing());
        QVERIFY(logOnDisk(journal.filePath()) == numbered(3));
        QCOMPARE(written.count(), 1);
    }

    // A running clock is journaled every second: a success nobody waits for must not wake
    // the board's thread, but one after a failure is news and must still arrive.
    void quietUnlessSomebodyListens_data() {
        QTest::addColumn<bool>("listen");
        QTest::addColumn<bool>("failFirst");
        QTest::addColumn<bool>("expectCalls");
        QTest::newRow("nobody listens") << false << false << false;
        QTest::newRow("written() connected") << true << false << true;
        QTest::newRow("recovering from a failure") << false << true << true;
    }

    void quietUnlessSomebodyListens() {
        QFETCH(bool, listen);
        QFETCH(bool, failFirst);
        QFETCH(bool, expectCalls);
        if (failFirst)
            put(dir.filePath(QStringLiteral("journal")), "a file where the folder goes");
        MatchJournal journal(folder());
        QVERIFY(journal.acquire());
        struct Calls : QObject {
            int count = 0;
            bool eventFilter(QObject *, QEvent *e) override {
                count += e->type() == QEvent::MetaCall;
                return false;
            }
        } calls;
        journal.installEventFilter(&calls);
        QSignalSpy failed(&journal, &MatchJournal::writeFailed);
        QSignalSpy recovered(&journal, &MatchJournal::writesRecovered);
        int written = 0;
        if (listen)
            connect(&journal, &MatchJournal::written, this, [&written] { ++written; });
        if (failFirst) {
            journal.write(numbered(1));
            QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 20000);
            QVERIFY(QFile::remove(dir.filePath(QStringLiteral("journal"))));
        }
        for (int i = 2; i <= 4; ++i) {
            journal.write(numbered(i));
            QTRY_COMPARE_WITH_TIMEOUT(journal.figures().writesDone, qint64(i - 1), 20000);
        }
        // The writer reports a write before it takes the next one: once it holds a fifth,
        // every report of the first four has been posted.
        Gate gate;
        gate.install(journal);
        const auto open = qScopeGuard([&gate] { gate.release(); });
        journal.write(numbered(5));
        QVERIFY(gate.waitEntered());
        QCoreApplication::processEvents();
        QCOMPARE(calls.count > 0, expectCalls);
        QCOMPARE(written, listen ? 3 : 0);
        QCOMPARE(recovered.count(), failFirst ? 1 : 0);
        QCOMPARE(journal.failing(), false);
    }

    void secondJournalInProcessIsRefused() {
        QVERIFY(QDir().mkpath(folder()));
        put(legacy(), legacyBytes(5));
        auto first = std::make_unique<MatchJournal>(folder());
        QVERIFY(first->acquire());
        {
            MatchJournal second(folder());
            QVERIFY(!second.acquire());
            QVERIFY(second.heldElsewhere());
            QCOMPARE(second.load().status, MatchJournal::LoadStatus::None);
            second.write(numbered(6));
            second.end();
            QCOMPARE(second.setAside(), QString());
        }
        QVERIFY(legacyOnDisk(legacy()) == numbered(5));
        QVERIFY(!QFileInfo::exists(file()));
        first.reset();
        MatchJournal third(folder());
        QVERIFY(third.acquire());
        QCOMPARE(third.load().status, MatchJournal::LoadStatus::Ok);
    }

    // Whatever an earlier run left in the lock file, only a live holder refuses a start.
    void lockLeftBehind_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("holder"); // journal_writer's mode; empty: none
        QTest::addColumn<bool>("killHolder");
        QTest::addColumn<bool>("taken");
        QTest::newRow("empty file") << QByteArray() << QString() << false << true;
        QTest::newRow("random bytes")
            << QByteArray("\x93\x01\xfe garbage\n\0\x7f", 15) << QString() << false << true;
        QTest::newRow("holder killed") << QByteArray() << QStringLiteral("hold") << true << true;
        QTest::newRow("holder alive") << QByteArray() << QStringLiteral("hold") << false << false;
    }
    void lockLeftBehind() {
        QFETCH(QByteArray, content);
        QFETCH(QString, holder);
        QFETCH(bool, killHolder);
        QFETCH(bool, taken);
        QVERIFY(QDir().mkpath(folder()));
        put(legacy() + QStringLiteral(".lock"), content);
        QProcess child;
        if (!holder.isEmpty()) {
            child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/journal_writer"),
                        {holder, folder()});
            QCOMPARE(lineFrom(child), QByteArray("held"));
            if (killHolder) {
                child.kill();
                QVERIFY(child.waitForFinished(20000));
            }
        }
        MatchJournal journal(folder());
        QCOMPARE(journal.acquire(), taken);
        QCOMPARE(journal.heldElsewhere(), !taken);
        journal.write(numbered(3));
        journal.close();
        QCOMPARE(QFileInfo::exists(file()), taken);
        child.kill();
        child.waitForFinished(20000);
    }

    // A board closed while the program lives on lets the next start have the meet.
    void closeLetsGoOfTheLock() {
        MatchJournal first(folder());
        QVERIFY(first.acquire());
        first.write(numbered(4));
        first.close();
        first.write(numbered(5));
        MatchJournal second(folder());
        QVERIFY(second.acquire());
        QVERIFY(second.load().snapshot == numbered(4));
    }

    void badFileKeptAside_data() {
        QTest::addColumn<bool>("isLog");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray good = legacyBytes(9);
        QTest::newRow("old: empty") << false << QByteArray() << "empty";
        QTest::newRow("old: cut short") << false << good.left(good.size() / 2) << "cut short";
        QByteArray outOfRange = good;
        outOfRange.replace("\"timeAd\": 37", "\"timeAd\": 12");
        QTest::newRow("old: out of range") << false << outOfRange << "timeAd";
        QTest::newRow("old: a folder") << false << QByteArray("folder") << "cannot be read";
        QTest::newRow("log: random bytes")
            << true << QByteArray::fromHex("9f00c3e1ffee0a7b220a") << "not a meet's log";
        QByteArray newer = MeetLog::start();
        newer[8] = 2;
        QTest::newRow("log: newer version") << true << newer << "newer version";
        QTest::newRow("log: no whole record") << true << MeetLog::start() << "no whole record";
    }

    void badFileKeptAside() {
        QFETCH(bool, isLog);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QVERIFY(QDir().mkpath(folder()));
        const QString path = isLog ? file() : legacy();
        const bool asFolder = bytes == "folder";
        QStringList kept;
        // Twice: each bad file keeps a name of its own.
        for (int round = 0; round < 2; ++round) {
            if (asFolder)
                QVERIFY(QDir().mkpath(path));
            else
                put(path, bytes);
            MatchJournal journal(folder());
            QVERIFY(journal.acquire());
            const MatchJournal::LoadResult r = journal.load();
            QCOMPARE(r.status, MatchJournal::LoadStatus::Bad);
            QVERIFY2(r.reason.contains(reason), qPrintable(r.reason));
            QVERIFY(!QFileInfo::exists(path));
            QCOMPARE(QFileInfo(r.keptAs).absolutePath(), QFileInfo(path).absolutePath());
            QVERIFY(r.keptAs.startsWith(path + QStringLiteral(".bad-")));
            if (!asFolder)
                QCOMPARE(readAll(r.keptAs), bytes);
            QCOMPARE(journal.load().status, MatchJournal::LoadStatus::None);
            kept << r.keptAs;
        }
        QVERIFY(kept[0] != kept[1]);
        QVERIFY(QFileInfo::exists(kept[0]) && QFileInfo::exists(kept[1]));
    }

    // A log damaged in the middle resumes up to the damage, kept whole beside it before the
    // next write cuts it back.
    void damagedLogKeptWhole() {
        QVERIFY(QDir().mkpath(folder()));
        const QDateTime at = QDateTime::currentDateTimeUtc();
        QByteArray bytes =
            MeetLog::start() + MeetLog::record(MeetLog::Kind::Checkpoint, {}, numbered(4), at);
        const qint64 damage = bytes.size() + 20;
        for (const int n : {9, 10})
            bytes += MeetLog::record(MeetLog::Kind::Change, numbered(n - 5), numbered(n), at);
        bytes[damage] = char(bytes[damage] ^ 1);
        put(file(), bytes);
        MatchJournal journal(folder());
        QVERIFY(journal.acquire());
        const MatchJournal::LoadResult r = journal.load();
        QCOMPARE(r.status, MatchJournal::LoadStatus::Ok);
        QVERIFY(r.snapshot == numbered(4));
        QVERIFY(r.damagedKeptAs.startsWith(file() + QStringLiteral(".bad-")));
        QCOMPARE(readAll(r.damagedKeptAs), bytes);
        QCOMPARE(readAll(file()), bytes);
        QSignalSpy written(&journal, &MatchJournal::written);
        journal.write(numbered(5));
        QVERIFY(written.wait(20000));
        QVERIFY(logOnDisk(file()) == numbered(5));
        QCOMPARE(readAll(r.damagedKeptAs), bytes);
    }

    // The journal of the version before the log resumes, and the log takes over from it.
    void oldJournalResumes() {
        QVERIFY(QDir().mkpath(folder()));
        put(legacy(), legacyBytes(4));
        {
            MatchJournal journal(folder());
            QVERIFY(journal.acquire());
            const MatchJournal::LoadResult r = journal.load();
            QCOMPARE(r.status, MatchJournal::LoadStatus::Ok);
            QVERIFY(r.snapshot == numbered(4));
            journal.write(numbered(5));
        }
        QVERIFY(!QFileInfo::exists(legacy()));
        const MeetLog::Replay r = MeetLog::replay(readAll(file()));
        QVERIFY(r.snapshot == numbered(5));
        // The old meet is the log's checkpoint, so what came after it is one record.
        QCOMPARE(r.records, 2);
    }

    void newMeetSetsJournalAside() {
        QVERIFY(QDir().mkpath(folder()));
        const QByteArray old = legacyBytes(4);
        put(legacy(), old);
        MatchJournal journal(folder());
        QVERIFY(journal.acquire());
        QCOMPARE(journal.load().status, MatchJournal::LoadStatus::Ok);
        const QString kept = journal.setAside();
        QVERIFY(QFileInfo(kept).fileName().startsWith(QStringLiteral("meet.journal.old-")));
        QCOMPARE(readAll(kept), old);
        QVERIFY(!QFileInfo::exists(legacy()));
        // The new meet is journaled from its first change, even one equal to the old meet.
        QSignalSpy written(&journal, &MatchJournal::written);
        journal.write(numbered(4));
        QVERIFY(written.wait(20000));
        QVERIFY(logOnDisk(file()) == numbered(4));
    }

    void endLeavesNoFile_data() {
        QTest::addColumn<bool>("holdAWrite");
        QTest::addColumn<int>("queued");
        QTest::newRow("idle after a write") << false << 0;
        QTest::newRow("right after a burst") << false << 50;
        QTest::newRow("one in progress, one queued") << true << 1;
        QTest::newRow("one in progress, many queued") << true << 100;
    }

    void endLeavesNoFile() {
        QFETCH(bool, holdAWrite);
        QFETCH(int, queued);
        // Repeated: the end meets the writing thread at different points.
        for (int round = 0; round < 20; ++round) {
            {
                Gate gate;
                MatchJournal journal(folder());
                if (holdAWrite)
                    gate.install(journal);
                QVERIFY(journal.acquire());
                QSignalSpy written(&journal, &MatchJournal::written);
                journal.write(numbered(0));
                if (holdAWrite)
                    QVERIFY(gate.waitEntered());
                else if (queued == 0)
                    QVERIFY(written.wait(20000));
                for (int i = 1; i <= queued; ++i)
                    journal.write(numbered(i));
                gate.release();
                journal.end();
                QVERIFY(!QFileInfo::exists(file()));
                journal.write(numbered(queued + 1));
            }
            QVERIFY(!QFileInfo::exists(file()));
            QVERIFY(QFileInfo::exists(folder()));
        }
    }

    // Closing the program with a write in progress and one queued: both reach the disk.
    void destructorFinishesQueuedWrite() {
        Gate gate;
        {
            MatchJournal journal(folder());
            gate.install(journal);
            QVERIFY(journal.acquire());
            journal.write(numbered(1));
            QVERIFY(gate.waitEntered());
            journal.write(numbered(2));
            gate.release();
        }
        QVERIFY(logOnDisk(file()) == numbered(2));
    }

    void crashLeftoversRemovedByOwner() {
        QVERIFY(QDir().mkpath(folder()));
        const QString leftover = file() + QStringLiteral(".Ab12Cd");
        const QString keptAside = file() + QStringLiteral(".bad-20260101-101010");
        put(leftover, "{\"fo");
        put(keptAside, "x");
        MatchJournal journal(folder());
        QVERIFY(journal.acquire());
        QVERIFY(!QFileInfo::exists(leftover));
        QVERIFY(QFileInfo::exists(keptAside));
    }

    // SIGKILL lands while a writer appends back to back: the log always replays, to at least
    // the last write the writer reported.
    void killedWriterLeavesWholeFile() {
        for (int round = 0; round < 8; ++round) {
            QProcess child;
            child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/journal_writer"),
                        {QStringLiteral("loop"), folder()});
            const qint64 target = 3 + round * 5;
            qint64 last = 0;
            while (last < target) {
                const QByteArray line = lineFrom(child);
                QVERIFY2(line.startsWith("written "), line.constData());
                last = line.mid(8).toLongLong();
            }
            child.kill();
            QVERIFY(child.waitForFinished(20000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);

            MatchJournal journal(folder());
            QVERIFY(journal.acquire()); // the dead writer's lock is taken over
            const MatchJournal::LoadResult r = journal.load();
            QVERIFY2(r.status == MatchJournal::LoadStatus::Ok, qPrintable(r.reason));
            QVERIFY(r.snapshot.clockRun >= fromTenths(last));
            const QStringList names = QDir(folder()).entryList(QDir::Files | QDir::Hidden);
            QCOMPARE(names, QStringList(
                                {QStringLiteral("meet.journal.lock"), QStringLiteral("meet.log")}));
        }
    }

    void meetInProgress_data() {
        QTest::addColumn<MatchSnapshot>("snapshot");
        QTest::addColumn<bool>("inProgress");
        const auto with = [](auto change) {
            MatchSnapshot s;
            change(s);
            return s;
        };
        QTest::newRow("fresh") << MatchSnapshot{} << false;
        QTest::newRow("other side shown") << with([](auto &s) { s.shownAdSide = 2; }) << false;
        for (int i = 0; i < 7; ++i)
            QTest::addRow("field %d", i + 1) << with([i](auto &s) { s.fields[i] = -1; }) << true;
        QTest::newRow("clock set") << with([](auto &s) { s.clockSet = fromSeconds(120); }) << true;
        QTest::newRow("clock run") << with([](auto &s) { s.clockRun = kTenth; }) << true;
        QTest::newRow("clock running") << with([](auto &s) { s.clockRunning = true; }) << true;
        QTest::newRow("clock has run") << with([](auto &s) { s.clockHasRun = true; }) << true;
        QTest::newRow("home advantage") << with([](auto &s) { s.homeAd = kTenth; }) << true;
        QTest::newRow("guest advantage") << with([](auto &s) { s.guestAd = kTenth; }) << true;
        QTest::newRow("home holds") << with([](auto &s) { s.timeAd = Side::Home; }) << true;
        QTest::newRow("guest holds") << with([](auto &s) { s.timeAd = Side::Guest; }) << true;
        QTest::newRow("a double forfeit")
            << with([](auto &s) { s.bouts.append(BoutResult{}); }) << true;
        QTest::newRow("undoable") << with([](auto &s) { s.undoable.append(MatchEdit{}); }) << true;
    }

    void meetInProgress() {
        QFETCH(MatchSnapshot, snapshot);
        QFETCH(bool, inProgress);
        QCOMPARE(JournalTexts::meetInProgress(snapshot), inProgress);
    }

    void texts() {
        const QDateTime saved = QDateTime(QDate(2026, 2, 7), QTime(18, 5, 44), Qt::LocalTime);
        const QString q = JournalTexts::resumeQuestion(saved.toUTC());
        QVERIFY2(q.startsWith(QStringLiteral("Resume the meet saved at 18:05 on ")), qPrintable(q));
        QVERIFY(q.contains(QStringLiteral("2026")) && q.endsWith(QLatin1Char('?')));
        QCOMPARE(JournalTexts::cannotSave(QStringLiteral("No space left on device")),
                 QStringLiteral("The match cannot be saved: No space left on device. The board "
                                "keeps running."));
    }
};

DAREZEZ_TEST_GUILESS(tst_MatchJournal)
#include "tst_MatchJournal.moc"
