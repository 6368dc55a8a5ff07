// The meet outlives the program: the real program killed mid-match resumes where it stood
// after the question, which only New meet answers with a fresh board; a close mid-meet asks, and
// ending the meet starts the next one fresh; a bad journal is kept aside, said once, and the board
// starts fresh without a question.
#include "BoardPixels.h"
#include "BoardSession.h"
#include "LedReader.h"
#include "TestMain.h"
#include "TimeReading.h"

#include "journal/JournalFile.h"
#include "journal/MeetLog.h"
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <csignal>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const kNumbers[] = {"homeScore", "guestScore", "homeMatch", "guestMatch",
                                "match",     "period",     "weight"};

// Which file the log's name stands for: progress is written into it, not renamed over it.
qint64 fileId(const QString &path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? qint64(st.st_ino) : -1;
}

quint64 progressWritten(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? MeetLog::replay(f.readAll()).sequence : 0;
}

} // namespace

class tst_journal : public QObject {
    Q_OBJECT

    std::unique_ptr<BoardSession> s;
    QTemporaryDir dataHome;
    QProcessEnvironment env;
    QImage lastGrab;
    QMap<QString, QString> atKill;

    QString folder() const { return dataHome.filePath(QStringLiteral("Darezez")); }
    QString file() const { return folder() + QStringLiteral("/meet.log"); }
    QString legacy() const { return folder() + QStringLiteral("/meet.journal"); }

    LedReader read() {
        lastGrab = s->desktop.grab(s->board);
        return LedReader(lastGrab);
    }
    QString field(const char *name) { return read().read(QLatin1String(name)); }
    // Lamp pixels in the score colour outside every field: left half home, right guest.
    QPair<int, int> lamps() {
        const LedReader r = read();
        const QRgb lit = r.litColour(QStringLiteral("homeScore")).rgb();
        QPair<int, int> n{0, 0};
        for (int y = 0; y < lastGrab.height(); ++y)
            for (int x = 0; x < lastGrab.width(); ++x) {
                if (!BoardPixels::isNear(lastGrab.pixel(x, y), lit, 20))
                    continue;
                bool inField = false;
                for (const char *f : kNumbers)
                    inField = inField || r.box(QLatin1String(f)).contains(x, y);
                for (const char *f : {"clock", "timeAd"})
                    inField = inField || r.box(QLatin1String(f)).contains(x, y);
                if (!inField)
                    (x < lastGrab.width() / 2 ? n.first : n.second)++;
            }
        return n;
    }
    void typeInto(const char *name, const QString &text) {
        const QRect box = read().box(QLatin1String(name));
        const QRect g = s->desktop.geometry(s->board);
        s->desktop.click(g.x() + box.center().x(), g.y() + box.center().y());
        s->desktop.type(text);
    }
    // Alt+F4 on the board, or a click on the close control of its frame; the question it
    // brings up, or empty.
    QString closeBoard(bool control = false) {
        s->desktop.activate(s->board);
        const QStringList known = s->desktop.windows();
        if (control) {
            // The frame's sides as left, right, top, bottom; the control is at the top right.
            QByteArray out;
            Desktop::run(QStringLiteral("xprop"),
                         {QStringLiteral("-id"), s->board, QStringLiteral("_NET_FRAME_EXTENTS")},
                         &out);
            const QStringList sides =
                QString::fromLatin1(out).section(QLatin1Char('='), 1).split(QLatin1Char(','));
            if (sides.size() != 4)
                return {};
            const QRect g = s->desktop.geometry(s->board);
            s->desktop.click(g.right() + sides[1].trimmed().toInt() - 9,
                             g.top() - sides[2].trimmed().toInt() / 2);
        } else {
            s->desktop.keys({QStringLiteral("alt+F4")});
        }
        return s->desktop.waitForNewWindow(known, 5000);
    }
    void answer(const QString &question, const QStringList &keys) {
        s->desktop.activate(question);
        s->desktop.keys(keys);
        QVERIFY(s->desktop.waitForWindowGone(question));
    }
    bool asideKept(const QString &kind, const QByteArray &bytes) {
        const QStringList kept =
            QDir(folder()).entryList({QStringLiteral("meet.log.%1-*").arg(kind)}, QDir::Files);
        if (kept.size() != 1)
            return false;
        QFile f(QDir(folder()).filePath(kept.front()));
        return bytes.isNull() || (f.open(QIODevice::ReadOnly) && f.readAll() == bytes);
    }

private slots:
    void initTestCase() {
        s = std::make_unique<BoardSession>();
        if (!s->desktop.available())
            QSKIP(qPrintable(s->desktop.why()));
        QVERIFY(dataHome.isValid());
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
    }
    void cleanup() {
        if (QTest::currentTestFailed()) {
            const QString dir = qEnvironmentVariable("DAREZEZ_ARTIFACTS", QDir::tempPath());
            QDir().mkpath(dir);
            const QString shot =
                dir + QStringLiteral("/tst_journal-%1.png").arg(QTest::currentTestFunction());
            s->desktop.screenshot().save(shot);
            qWarning("screenshot kept: %s", qPrintable(shot));
        }
    }

    void killedMidMatchResumes() {
        QVERIFY(s->open(env));
        s->desktop.type(QStringLiteral(".45\r"));
        QTRY_COMPARE_WITH_TIMEOUT(field("clock"), QStringLiteral("45.0"), 3000);
        typeInto("homeScore", QStringLiteral("12\r"));
        typeInto("guestScore", QStringLiteral("7\r"));
        typeInto("homeMatch", QStringLiteral("3\r"));
        typeInto("guestMatch", QStringLiteral("1\r"));
        typeInto("match", QStringLiteral("104\r"));
        typeInto("period", QStringLiteral("2"));
        typeInto("weight", QStringLiteral("157\r"));
        QTRY_COMPARE_WITH_TIMEOUT(field("weight"), QStringLiteral("157"), 3000);
        typeInto("clock", QString());
        s->desktop.keys({QStringLiteral("Left"), QStringLiteral("s")});

        // Progress goes into the same file once a second: count it while 3 s run.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(file()), 5000);
        const qint64 id = fileId(file());
        const quint64 first = progressWritten(file());
        double shown = 45;
        QDeadlineTimer deadline(15000);
        QElapsedTimer sinceRead;
        sinceRead.start();
        while (shown > 42.0 && !deadline.hasExpired()) {
            QTest::qWait(20);
            if (sinceRead.elapsed() > 300) {
                shown = shownSeconds(field("clock"));
                sinceRead.restart();
            }
        }
        QVERIFY2(shown <= 42.0 && shown > 30, qPrintable(QString::number(shown)));
        const int writes = int(progressWritten(file()) - first);
        QVERIFY2(writes >= 2 && writes <= 5, qPrintable(QString::number(writes)));
        QCOMPARE(fileId(file()), id);

        const LedReader before = read();
        ::kill(pid_t(s->desktop.pid()), SIGKILL);
        QVERIFY(s->desktop.waitForExit());
        for (const char *f : kNumbers)
            atKill[QLatin1String(f)] = before.read(QLatin1String(f));
        atKill[QStringLiteral("clock")] = before.read("clock");
        QCOMPARE(atKill.value("homeScore"), QStringLiteral("12"));
        QCOMPARE(atKill.value("period"), QStringLiteral("2"));

        QVERIFY(s->open(env, QStringLiteral("Return")));
        const LedReader after = read();
        QVERIFY2(after.ok(), qPrintable(after.why()));
        for (const char *f : kNumbers)
            QCOMPARE(after.read(QLatin1String(f)), atKill.value(QLatin1String(f)));
        // The reading came a moment before the kill; the journal at most a second before it.
        const double clockAtKill = shownSeconds(atKill.value("clock"));
        const double resumed = shownSeconds(after.read("clock"));
        qInfo("%d progress writes while 3 s ran; clock %s read just before the kill, %s resumed, "
              "time advantage %s",
              writes, qPrintable(atKill.value("clock")), qPrintable(after.read("clock")),
              qPrintable(after.read("timeAd")));
        QVERIFY2(resumed >= clockAtKill - 0.5 && resumed <= clockAtKill + 1.0,
                 qPrintable(QStringLiteral("%1 at the kill, %2 resumed")
                                .arg(atKill.value("clock"), after.read("clock"))));
        QVERIFY2(shownSeconds(after.read("timeAd")) >= 2.0, qPrintable(after.read("timeAd")));
        const auto lit = lamps();
        QVERIFY2(lit.first > 20 && lit.second == 0,
                 qPrintable(QStringLiteral("%1 %2").arg(lit.first).arg(lit.second)));
        // Stopped until the start key.
        QTest::qWait(1200);
        QCOMPARE(field("clock"), after.read("clock"));
        s->desktop.keys({QStringLiteral("s")});
        QTRY_VERIFY_WITH_TIMEOUT(shownSeconds(field("clock")) < resumed - 0.5, 5000);
        s->desktop.keys({QStringLiteral("s")});
    }

    void closeAnsweredCancelChangesNothing_data() {
        QTest::addColumn<bool>("control");
        QTest::addColumn<QString>("key");
        QTest::newRow("Alt+F4, Esc") << false << "Escape";
        QTest::newRow("Alt+F4, Enter") << false << "Return";
        QTest::newRow("close control, Esc") << true << "Escape";
        QTest::newRow("close control, Enter") << true << "Return";
    }
    void closeAnsweredCancelChangesNothing() {
        QFETCH(bool, control);
        QFETCH(QString, key);
        QVERIFY(s->desktop.running());
        const QString before = read().summary();
        const QString question = closeBoard(control);
        QVERIFY(!question.isEmpty());
        answer(question, {key});
        QVERIFY(s->desktop.running());
        QVERIFY(s->desktop.windows().contains(s->board));
        QCOMPARE(read().summary(), before);
        QVERIFY(QFileInfo::exists(file()));
    }

    void endingTheMeetStartsFreshNextTime() {
        const QString question = closeBoard();
        QVERIFY(!question.isEmpty());
        // From Cancel to the other button, and press it.
        answer(question, {QStringLiteral("Tab"), QStringLiteral("space")});
        QVERIFY(s->desktop.waitForExit());
        QVERIFY(!QFileInfo::exists(file()));
        QVERIFY(s->open(env)); // no question
        const LedReader r = read();
        QCOMPARE(r.read("clock"), QStringLiteral("10:00"));
        QCOMPARE(r.read("homeScore"), QStringLiteral("0"));
        QCOMPARE(lamps(), qMakePair(0, 0));
        // A fresh board closes without a question.
        QVERIFY(closeBoard().isEmpty());
        QVERIFY(s->desktop.waitForExit());
    }

    // Every end but the confirmed close keeps the meet, and nothing asks first.
    void signalsKeepTheMeet_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void signalsKeepTheMeet() {
        QFETCH(int, signal);
        s->desktop.stop();
        QDir(folder()).removeRecursively();
        QVERIFY(s->open(env));
        typeInto("guestScore", QStringLiteral("9\r"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(file()), 5000);
        ::kill(pid_t(s->desktop.pid()), signal);
        QVERIFY(s->desktop.waitForExit());
        QVERIFY(QFileInfo::exists(file()));
        // The next start asks; Resume brings the score back.
        QVERIFY(s->open(env, QStringLiteral("Return")));
        QCOMPARE(field("guestScore"), QStringLiteral("9"));
    }

    // Killed after an undo, the next start shows the undone match and undoes and redoes on
    // from it by Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y.
    void killedAfterAnUndo() {
        s->desktop.stop();
        QDir(folder()).removeRecursively();
        QVERIFY(s->open(env));
        typeInto("homeScore", QStringLiteral("18\r"));
        s->desktop.type(QStringLiteral("21\r"));
        QTRY_COMPARE_WITH_TIMEOUT(field("homeScore"), QStringLiteral("21"), 3000);
        s->desktop.keys({QStringLiteral("ctrl+z")});
        QTRY_COMPARE_WITH_TIMEOUT(field("homeScore"), QStringLiteral("18"), 3000);
        const auto logged = [this] {
            QFile f(file());
            const MeetLog::Replay r =
                f.open(QIODevice::ReadOnly) ? MeetLog::replay(f.readAll()) : MeetLog::Replay{};
            return r.snapshot ? r.snapshot->fields[0] : -2;
        };
        QTRY_COMPARE_WITH_TIMEOUT(logged(), 18, 5000);
        ::kill(pid_t(s->desktop.pid()), SIGKILL);
        QVERIFY(s->desktop.waitForExit());

        QVERIFY(s->open(env, QStringLiteral("Return")));
        QCOMPARE(field("homeScore"), QStringLiteral("18"));
        typeInto("homeScore", QString());
        const QStringList keys{QStringLiteral("ctrl+z"), QStringLiteral("ctrl+shift+z"),
                               QStringLiteral("ctrl+y")};
        const QStringList scores{QStringLiteral("0"), QStringLiteral("18"), QStringLiteral("21")};
        for (qsizetype i = 0; i < keys.size(); ++i) {
            s->desktop.keys({keys[i]});
            QTRY_COMPARE_WITH_TIMEOUT(field("homeScore"), scores[i], 3000);
        }
    }

    // Killed as the log is written to, while the clock runs: the next start resumes from it
    // and leaves no part of a write behind. (Replay of a log cut at every length is
    // tst_MeetLog's.)
    void killedInTheMiddleOfAWrite() {
        s->desktop.stop();
        QDir(folder()).removeRecursively();
        QVERIFY(s->open(env));
        s->desktop.type(QStringLiteral("5\r"));
        s->desktop.keys({QStringLiteral("s")});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(file()), 5000);
        for (int round = 0; round < 3; ++round) {
            const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
            QVERIFY(watch >= 0);
            auto closeWatch = qScopeGuard([watch] { ::close(watch); });
            QVERIFY(inotify_add_watch(watch, QFile::encodeName(file()).constData(), IN_MODIFY) >=
                    0);
            pollfd p{watch, POLLIN, 0};
            QVERIFY2(::poll(&p, 1, 5000) == 1, "no write while the clock ran");
            ::kill(pid_t(s->desktop.pid()), SIGKILL);
            QVERIFY(s->desktop.waitForExit());
            QVERIFY(s->open(env, QStringLiteral("Return")));
            const QStringList left =
                QDir(folder()).entryList({QStringLiteral("meet.log.*")}, QDir::Files);
            QVERIFY2(left.isEmpty(), qPrintable(left.join(QLatin1Char(' '))));
            // A time the running clock showed (a whole second shows rounded up).
            const double resumed = shownSeconds(field("clock"));
            QVERIFY2(resumed > 200 && resumed <= 300, qPrintable(QString::number(resumed)));
            s->desktop.keys({QStringLiteral("s")});
        }
    }

    // Only New meet throws a saved meet away: Enter, Esc and closing the question resume.
    void resumeQuestionAnswered_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("resumes");
        QTest::newRow("Enter") << "Return" << true;
        QTest::newRow("Esc") << "Escape" << true;
        QTest::newRow("closed") << "alt+F4" << true;
        QTest::newRow("Alt+N") << "alt+n" << false;
        QTest::newRow("Tab to New meet") << "Tab space" << false;
    }
    void resumeQuestionAnswered() {
        QFETCH(QString, key);
        QFETCH(bool, resumes);
        s->desktop.stop();
        QDir(folder()).removeRecursively();
        QVERIFY(QDir().mkpath(folder()));
        MatchSnapshot saved;
        saved.fields[0] = 14;
        saved.clockHasRun = true;
        // Written by the version before the log.
        {
            QFile f(legacy());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(JournalFile::encode(saved, QDateTime::currentDateTimeUtc()));
        }
        QVERIFY(s->open(env, key));
        QCOMPARE(field("homeScore"), resumes ? QStringLiteral("14") : QStringLiteral("0"));
        QCOMPARE(QDir(folder()).entryList({QStringLiteral("meet.journal.old-*")}).size(),
                 resumes ? 0 : 1);
    }

    void badJournalStartsFresh_data() {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray random(4096, '\0');
        for (char &c : random)
            c = char(QRandomGenerator::global()->bounded(256));
        QTest::newRow("random bytes") << random;
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("no whole record") << MeetLog::start();
    }
    void badJournalStartsFresh() {
        QFETCH(QByteArray, bytes);
        s->desktop.stop();
        QDir(folder()).removeRecursively();
        QVERIFY(QDir().mkpath(folder()));
        {
            QFile f(file());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        QVERIFY(s->open(env)); // no question
        QCOMPARE(field("clock"), QStringLiteral("10:00"));
        QVERIFY(!QFileInfo::exists(file()));
        QVERIFY(asideKept(QStringLiteral("bad"), bytes));
        // Said once, in a note that leaves the keys with the board.
        const QString note = s->desktop.waitForNewWindow({s->board});
        QVERIFY(!note.isEmpty());
        QVERIFY(s->desktop.geometry(note).width() < s->desktop.geometry(s->board).width());
        s->desktop.type(QStringLiteral("2\r"));
        QTRY_COMPARE(field("clock"), QStringLiteral("2:00"));
        QVERIFY(s->desktop.windows().contains(note));
    }

    void cleanupTestCase() { s.reset(); }
};

DAREZEZ_TEST_GUILESS(tst_journal)
#include "tst_journal.moc"
