// Hours of play on the injected clock, in seconds of test time: repeated periods with
// the time advantage handed back and forth, a stalled event loop, and wall-clock steps.
#include "TestMain.h"
#include "scoreboard/BoardFixture.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

class tst_longRun : public QObject {
    Q_OBJECT

    // Fake time passing with the clock refreshed at each instant it asks for, as the timer
    // would.
    static void run(BoardFixture &f, qint64 ms) {
        const qint64 end = f.clock.ms + ms;
        while (f.board->match().TickEnabled()) {
            const qint64 next = f.board->match().NextRefreshMs();
            QVERIFY2(next > f.clock.ms - 100, "a refresh asked for in the past");
            if (next > end)
                break;
            f.clock.ms = std::max(next, f.clock.ms);
            f.board->match().UpdateClocks();
        }
        f.clock.ms = end;
    }

private slots:
    void twelveHoursOfPeriods() {
        BoardFixture f;
        // Two-minute periods, with a break between them: 12 hours of them.
        f.type(QStringLiteral("2\r"));
        const qint64 hours = 12, periodMs = 120'000, breakMs = 60'000;
        const int periods = int(hours * 3'600'000 / (periodMs + breakMs));
        qint64 memoryAfterFirstHour = 0;
        for (int p = 0; p < periods; ++p) {
            f.type(QStringLiteral("r"));
            QCOMPARE(f.clockText(), QStringLiteral(" 2:00"));
            QCOMPARE(f.timeAdText(), QStringLiteral(" 0.0 "));
            f.type(QStringLiteral("s"));
            // Home rides 37.3 s, guest 51.1 s, home again 20.0 s, then nobody.
            f.key(Qt::Key_Left);
            run(f, 37'300);
            f.key(Qt::Key_Right);
            run(f, 51'100);
            f.key(Qt::Key_Left);
            run(f, 20'000);
            f.key(Qt::Key_Up);
            run(f, periodMs - 108'400 + 2'000); // past zero
            QCOMPARE(f.clockText(), QStringLiteral(" 0.0 "));
            QCOMPARE(f.board->match().ClockValue(0), TimeValue(0));
            QCOMPARE(f.board->match().ClockValue(1), fromTenths(573));
            QCOMPARE(f.board->match().ClockValue(2), fromTenths(511));
            QCOMPARE(f.buzzer->count(QStringLiteral("Play")), p + 1);
            f.buzzer->finishPlaying();
            QCoreApplication::processEvents(); // the notice is queued
            run(f, breakMs);
            if (p == periods / hours)
                memoryAfterFirstHour = residentKb();
        }
        f.key(Qt::Key_Left);
        QCOMPARE(f.timeAdText(), QStringLiteral("57.3 "));
        f.key(Qt::Key_Right);
        QCOMPARE(f.timeAdText(), QStringLiteral("51.1 "));
        const qint64 growth = residentKb() - memoryAfterFirstHour;
        qInfo("%d periods; resident memory after the first hour %lld kB, growth since %lld kB",
              periods, memoryAfterFirstHour, growth);
#ifndef __SANITIZE_ADDRESS__
        QVERIFY2(growth < 2048, qPrintable(QString::number(growth)));
#else
        // AddressSanitizer holds freed memory back on purpose; it reports real leaks itself.
        Q_UNUSED(growth);
#endif
    }

    void stalledEventLoopChangesNoReading() {
        BoardFixture f;
        f.type(QStringLiteral("2\rs"));
        f.key(Qt::Key_Left);
        run(f, 30'000);
        // Two seconds with no tick at all, then one.
        f.clock.advance(2'000);
        f.board->match().UpdateClocks();
        QCOMPARE(f.clockText(), QStringLiteral(" 1:28"));
        QCOMPARE(f.board->match().ClockValue(1), fromSeconds(32));
        run(f, 27'000);
        QCOMPARE(f.clockText(), QStringLiteral(" 1:01"));
        QCOMPARE(f.timeAdText(), QStringLiteral("59.0 "));
    }

    // The wall clock is stepped under the running clock by libfaketime in a child run of
    // this test; the monotonic clock the board uses is left alone.
    void wallClockStepsChangeNothing() {
        const QString stepFile = qEnvironmentVariable("DAREZEZ_WALL_STEP_FILE");
        if (stepFile.isEmpty()) {
            const QString lib =
                QStringLiteral("/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1");
            if (!QFile::exists(lib))
                QSKIP("libfaketime is not installed; the README's test command installs it");
            QTemporaryDir dir;
            const QString file = dir.filePath(QStringLiteral("step"));
            QFile(file).open(QIODevice::WriteOnly);
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("LD_PRELOAD"), lib);
            env.insert(QStringLiteral("FAKETIME_TIMESTAMP_FILE"), file);
            env.insert(QStringLiteral("FAKETIME_NO_CACHE"), QStringLiteral("1"));
            env.insert(QStringLiteral("FAKETIME_DONT_FAKE_MONOTONIC"), QStringLiteral("1"));
            env.insert(QStringLiteral("DAREZEZ_WALL_STEP_FILE"), file);
            // In the sanitizer build the preloaded library comes ahead of the sanitizer's.
            env.insert(QStringLiteral("ASAN_OPTIONS"),
                       env.value(QStringLiteral("ASAN_OPTIONS")) +
                           QStringLiteral(":verify_asan_link_order=0"));
            child.setProcessEnvironment(env);
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.start(
                QCoreApplication::applicationFilePath(),
                {QStringLiteral("tst_longRun"), QStringLiteral("wallClockStepsChangeNothing")});
            QVERIFY(child.waitForFinished(60000));
            const QString out = QString::fromLocal8Bit(child.readAll());
            QVERIFY2(child.exitCode() == 0, qPrintable(out));
            QVERIFY2(out.contains(QStringLiteral("wall clock stepped")), qPrintable(out));
            return;
        }
        auto step = [&](const char *offset) {
            QFile f(stepFile);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(offset);
        };
        step("+0");
        Match m;
        m.SetClock(fromSeconds(600), 0, 0);
        const QDateTime wallBefore = QDateTime::currentDateTimeUtc();
        // Real time, measured around each reading, however slowly the machine runs.
        QElapsedTimer real;
        real.start();
        m.StartClock(0);
        const qint64 started = real.nsecsElapsed();
        auto readClock = [&](qint64 *from, qint64 *to) {
            *from = real.nsecsElapsed();
            const TimeValue v = m.ClockValue(0);
            *to = real.nsecsElapsed();
            return v;
        };
        // What went by in real time, to the tenth: never the hour stepped.
        auto realTime = [&](TimeValue v, qint64 from, qint64 to) {
            const TimeValue most =
                fromSeconds(600) - (from - started) * kTimeUnit / 1'000'000'000 + kTenth;
            const TimeValue least = fromSeconds(600) - to * kTimeUnit / 1'000'000'000 - kTenth;
            return v >= least && v <= most;
        };
        qint64 from = 0, to = 0;
        step("+1h");
        QThread::msleep(300);
        const qint64 jumped = wallBefore.secsTo(QDateTime::currentDateTimeUtc());
        QVERIFY2(jumped > 3500, qPrintable(QString::number(jumped)));
        const TimeValue afterForward = readClock(&from, &to);
        QVERIFY2(realTime(afterForward, from, to),
                 qPrintable(QStringLiteral("%1 read %2 to %3 ms after the start")
                                .arg(afterForward)
                                .arg((from - started) / 1'000'000)
                                .arg(to / 1'000'000)));
        step("-1h");
        QThread::msleep(300);
        QVERIFY(wallBefore.secsTo(QDateTime::currentDateTimeUtc()) < -3500);
        const TimeValue afterBack = readClock(&from, &to);
        QVERIFY2(realTime(afterBack, from, to),
                 qPrintable(QStringLiteral("%1 read %2 to %3 ms after the start")
                                .arg(afterBack)
                                .arg((from - started) / 1'000'000)
                                .arg(to / 1'000'000)));
        qInfo("wall clock stepped +1 h and -1 h; the clock read %lld then %lld tenths",
              qlonglong(afterForward / kTenth), qlonglong(afterBack / kTenth));
    }
};

DAREZEZ_TEST(tst_longRun)
#include "tst_longRun.moc"
