// The buzzer as the crowd hears it: the real program plays into the test's PulseAudio
// null sink, whose monitor is recorded and measured.
#include "BoardSession.h"
#include "PrivateSoundServer.h"
#include "SinkRecorder.h"
#include "TestMain.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QTest>
#include <QThread>
#include <cmath>

// Skipped only outside the test command; under it a missing sound server is a fault.
#define REQUIRE_SOUND()                                                                            \
    do {                                                                                           \
        if (qEnvironmentVariableIsEmpty("DAREZEZ_TEST_SINK"))                                      \
            QSKIP("no test sink (DAREZEZ_TEST_SINK is unset); the README's test command sets "     \
                  "one");                                                                          \
        QVERIFY2(recorder.available(), qPrintable(recorder.why()));                                \
    } while (false)
#define REQUIRE_DESKTOP(s)                                                                         \
    do {                                                                                           \
        if (!(s).desktop.available())                                                              \
            QSKIP(qPrintable((s).desktop.why()));                                                  \
    } while (false)

namespace {
// A WAV file of a 440 Hz tone at 0.7 of full scale, 16-bit mono.
QByteArray tone(double seconds) {
    const int rate = SinkRecorder::kRate;
    const qint32 samples = qint32(seconds * rate);
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples * 2);
    for (qint32 i = 0; i < samples; ++i)
        out << qint16(0.7 * 32767 * std::sin(2 * M_PI * 440 * i / rate));
    return data;
}
} // namespace

// The board's picture once two grabs in a row agree: every key sent has been taken.
QImage showsAlike(BoardSession &s) {
    QImage last = s.desktop.grab(s.board);
    for (QDeadlineTimer deadline(Desktop::kWaitMs); !deadline.hasExpired();) {
        const QImage now = s.desktop.grab(s.board);
        if (now == last)
            break;
        last = now;
    }
    return last;
}

class tst_sound : public QObject {
    Q_OBJECT

    SinkRecorder recorder;

    // Seconds into the recording at which `act` began.
    double actAt = 0;

    // Records while `act` runs, until `sounds` sounds have been heard and then
    // `quietSeconds` of the recording have passed with no other (however long a busy
    // machine takes to play them).
    QVector<SinkRecorder::Sound> record(const std::function<void()> &act, int sounds,
                                        double quietSeconds) {
        return record(recorder, act, sounds, quietSeconds);
    }
    QVector<SinkRecorder::Sound> record(SinkRecorder &recorder, const std::function<void()> &act,
                                        int sounds, double quietSeconds) {
        if (!recorder.start())
            return {{-1, -1, -1}};
        actAt = double(recorder.recorded()) / SinkRecorder::kRate;
        act();
        if (!recorder.waitForSounds(sounds, quietSeconds, recorder.recorded()))
            qWarning("%s: still not %d sound(s) and %.1f s of quiet after them",
                     QTest::currentTestFunction(), sounds, quietSeconds);
        recorder.stop();
        const auto found = recorder.sounds();
        const auto stat = recorder.soxStat();
        QString list;
        for (const auto &s : found)
            list += QStringLiteral(" [at %1 s, %2 s long, peak %3]")
                        .arg(s.start, 0, 'f', 2)
                        .arg(s.length, 0, 'f', 3)
                        .arg(s.peak, 0, 'f', 2);
        qInfo("%s: recorded %.2f s, sox max %.3f, RMS %.3f; %lld sound(s)%s",
              QTest::currentTestFunction(), stat.length, stat.maximum, stat.rms,
              qlonglong(found.size()), qPrintable(list));
        return found;
    }
    // The horn is 1.2 s loud; a restart or a second copy would be longer or louder.
    static void verifyWholeHorn(const SinkRecorder::Sound &s) {
        QVERIFY2(s.length > 1.12 && s.length < 1.26, qPrintable(QString::number(s.length)));
        QVERIFY2(s.peak > 0.5 && s.peak < 0.97, qPrintable(QString::number(s.peak)));
    }

private slots:
    void buzzerKeyPlaysWholeSoundOnce() {
        REQUIRE_SOUND();
        BoardSession s;
        REQUIRE_DESKTOP(s);
        QVERIFY(s.open());
        const auto found = record([&] { s.desktop.keys({QStringLiteral("b")}); }, 1, 1.3);
        QCOMPARE(found.size(), 1);
        verifyWholeHorn(found[0]);
        QVERIFY(s.desktop.running());
    }

    void twoQuickPressesGiveOneSound() {
        REQUIRE_SOUND();
        BoardSession s;
        REQUIRE_DESKTOP(s);
        QVERIFY(s.open());
        const auto found = record(
            [&] {
                s.desktop.keys({QStringLiteral("b"), QStringLiteral("b")}, 100);
            },
            1, 1.3);
        QCOMPARE(found.size(), 1);
        verifyWholeHorn(found[0]);
    }

    void playsAgainFromTheStartAfterFinishing() {
        REQUIRE_SOUND();
        BoardSession s;
        REQUIRE_DESKTOP(s);
        QVERIFY(s.open());
        const auto found = record(
            [&] {
                s.desktop.keys({QStringLiteral("b")});
                // Pressed again once the first has ended and a moment has passed.
                recorder.waitForSounds(1, 0.9, recorder.recorded());
                s.desktop.keys({QStringLiteral("b")});
            },
            2, 1.3);
        QCOMPARE(found.size(), 2);
        verifyWholeHorn(found[0]);
        verifyWholeHorn(found[1]);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(found[1].start - found[0].start > 2.0);
        // From the start: the second opening is the first one again, sample for sample
        // once aligned (the threshold may cut in a few samples apart on the attack).
        const auto &pcm = recorder.samples();
        const qsizetype a = qsizetype(found[0].start * SinkRecorder::kRate);
        const qsizetype b = qsizetype(found[1].start * SinkRecorder::kRate);
        const int window = SinkRecorder::kRate / 5;
        double energy = 0, best = 1e300;
        for (int i = 0; i < window; ++i)
            energy += std::abs(pcm[a + i]);
        for (int lag = -300; lag <= 300; ++lag) {
            double diff = 0;
            for (int i = 0; i < window && diff < best; ++i)
                diff += std::abs(pcm[a + i] - pcm[b + lag + i]);
            best = std::min(best, diff);
        }
        QVERIFY2(best < 0.05 * energy, qPrintable(QStringLiteral("%1 / %2").arg(best).arg(energy)));
    }

    void clockReachingZeroBuzzesOnce() {
        REQUIRE_SOUND();
        BoardSession s;
        REQUIRE_DESKTOP(s);
        QVERIFY(s.open());
        // 0:02 on the match clock, then start.
        s.desktop.keys({QStringLiteral("period"), QStringLiteral("2"), QStringLiteral("Return")});
        const auto found = record([&] { s.desktop.keys({QStringLiteral("s")}); }, 1, 2.3);
        QCOMPARE(found.size(), 1);
        verifyWholeHorn(found[0]);
        // Counted from the start key.
        const double at = found[0].start - actAt;
        QVERIFY2(at > 1.8 && at < 2.8, qPrintable(QString::number(at)));
    }

    void missingFileIsSilentAndTheBoardStillWorks() {
        REQUIRE_SOUND();
        BoardSession s;
        REQUIRE_DESKTOP(s);
        s.desktop.writeSettings(QStringLiteral("[KeySettings]\nBuzzerFile=%1/missing.wav\n")
                                    .arg(s.desktop.configHome()));
        QVERIFY(s.open());
        const QImage before = s.desktop.grab(s.board);
        const auto found = record(
            [&] {
                s.desktop.keys({QStringLiteral("b")});
                s.desktop.type(QStringLiteral("2.30\r"));
            },
            0, 1.5);
        QVERIFY(found.isEmpty());
        QVERIFY(recorder.soxStat().maximum < 0.01);
        QTRY_VERIFY_WITH_TIMEOUT(s.desktop.grab(s.board) != before, Desktop::kWaitMs);
        // The time typed, as it shows once the board has taken every key.
        const QImage set = showsAlike(s);
        s.desktop.keys({QStringLiteral("s")});
        QTRY_VERIFY_WITH_TIMEOUT(s.desktop.grab(s.board) != set, Desktop::kWaitMs);
        s.desktop.keys({QStringLiteral("s"), QStringLiteral("r")});
        QTRY_COMPARE_WITH_TIMEOUT(s.desktop.grab(s.board), set, Desktop::kWaitMs);
        QVERIFY(s.desktop.running());
    }

    // The sound server goes away under the running program and comes back: the board
    // plays on, and the buzzer sounds again once the server is back.
    void soundServerStoppedAndRestarted() {
        REQUIRE_SOUND();
        BoardSession s;
        REQUIRE_DESKTOP(s);
        PrivateSoundServer server;
        QVERIFY(server.start());
        QProcessEnvironment env;
        env.insert(QStringLiteral("PULSE_SERVER"), server.server());
        QVERIFY(s.open(env));
        SinkRecorder first(server.server(), QStringLiteral("private_sink"));
        QVERIFY(first.available());
        QCOMPARE(record(
                     first, [&] { s.desktop.keys({QStringLiteral("b")}); }, 1, 1.3)
                     .size(),
                 1);

        server.stop();
        s.desktop.keys({QStringLiteral("b")});
        s.desktop.type(QStringLiteral("1.15\r"));
        QTest::qWait(2500);
        QVERIFY(s.desktop.running());
        s.desktop.keys({QStringLiteral("b")});
        QTest::qWait(2500);
        QVERIFY(s.desktop.running());

        QVERIFY(server.start());
        SinkRecorder again(server.server(), QStringLiteral("private_sink"));
        QVERIFY(again.available());
        const auto found = record(
            again, [&] { s.desktop.keys({QStringLiteral("b")}); }, 1, 1.3);
        QCOMPARE(found.size(), 1);
        verifyWholeHorn(found[0]);
        QVERIFY(s.desktop.running());
    }

    void soundServerAppearsAfterStart() {
        REQUIRE_SOUND();
        BoardSession s;
        REQUIRE_DESKTOP(s);
        PrivateSoundServer server;
        QProcessEnvironment env;
        env.insert(QStringLiteral("PULSE_SERVER"), server.server());
        QVERIFY(s.open(env));
        s.desktop.keys({QStringLiteral("b")});
        QTest::qWait(2500);
        QVERIFY(server.start());
        SinkRecorder late(server.server(), QStringLiteral("private_sink"));
        QVERIFY(late.available());
        const auto found = record(
            late, [&] { s.desktop.keys({QStringLiteral("b")}); }, 1, 1.3);
        QCOMPARE(found.size(), 1);
        verifyWholeHorn(found[0]);
    }

    // The buzzer file deleted while open, then junk in its place: silence at worst, and
    // the board never stops working.
    void buzzerFileDeletedThenJunk() {
        REQUIRE_SOUND();
        BoardSession s;
        REQUIRE_DESKTOP(s);
        const QString wav = s.desktop.configHome() + QStringLiteral("/horn.wav");
        QVERIFY(QFile::copy(
            QFileInfo(Desktop::ProgramPath()).path() + QStringLiteral("/buzzer.wav"), wav));
        s.desktop.writeSettings(QStringLiteral("[KeySettings]\nBuzzerFile=%1\n").arg(wav));
        QVERIFY(s.open());
        QVERIFY(QFile::remove(wav));
        const auto deleted = record([&] { s.desktop.keys({QStringLiteral("b")}); }, 0, 2.5);
        QVERIFY(deleted.size() <= 1); // what was loaded may still play
        QFile junk(wav);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray("RIFF\x10\0\0\0WAVEjunkjunkjunk", 24).repeated(100));
        junk.close();
        // OK in the options dialog opens the file anew.
        const QStringList known = s.desktop.windows();
        s.desktop.keys({QStringLiteral("o")});
        const QString dialog = s.desktop.waitForNewWindow(known);
        QVERIFY(!dialog.isEmpty());
        QVERIFY(s.desktop.waitForActive(dialog));
        const QRect d = s.desktop.geometry(dialog);
        s.desktop.click(d.x() + 247, d.y() + 292); // Ok
        QVERIFY(s.desktop.waitForWindowGone(dialog));
        const QImage before = s.desktop.grab(s.board);
        const auto junkPlayed = record(
            [&] {
                s.desktop.keys({QStringLiteral("b")});
                s.desktop.type(QStringLiteral("4.44\r"));
            },
            0, 1.5);
        QVERIFY(junkPlayed.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(s.desktop.grab(s.board) != before, Desktop::kWaitMs);
        QVERIFY(s.desktop.running());
    }

    // The same file name with another sound in it: the dialog's OK puts the new sound in
    // the server, and the next press plays it, not the one cached before.
    void newSoundInTheFileAfterOptions() {
        REQUIRE_SOUND();
        BoardSession s;
        REQUIRE_DESKTOP(s);
        const QString wav = s.desktop.configHome() + QStringLiteral("/horn.wav");
        QVERIFY(QFile::copy(
            QFileInfo(Desktop::ProgramPath()).path() + QStringLiteral("/buzzer.wav"), wav));
        s.desktop.writeSettings(QStringLiteral("[KeySettings]\nBuzzerFile=%1\n").arg(wav));
        QVERIFY(s.open());
        const auto before = record([&] { s.desktop.keys({QStringLiteral("b")}); }, 1, 1.0);
        QCOMPARE(before.size(), 1);
        verifyWholeHorn(before[0]);

        QFile beep(wav);
        QVERIFY(beep.open(QIODevice::WriteOnly | QIODevice::Truncate));
        beep.write(tone(0.4));
        beep.close();
        const QStringList known = s.desktop.windows();
        s.desktop.keys({QStringLiteral("o")});
        const QString dialog = s.desktop.waitForNewWindow(known);
        QVERIFY(!dialog.isEmpty());
        QTest::qWait(300);
        const QRect d = s.desktop.geometry(dialog);
        s.desktop.click(d.x() + 247, d.y() + 292); // Ok
        QVERIFY(s.desktop.waitForWindowGone(dialog));
        const auto after = record([&] { s.desktop.keys({QStringLiteral("b")}); }, 1, 0.8);
        QCOMPARE(after.size(), 1);
        QVERIFY2(after[0].length > 0.35 && after[0].length < 0.45,
                 qPrintable(QString::number(after[0].length)));
    }

    void noSoundServerDoesNoHarm() {
        BoardSession s;
        REQUIRE_DESKTOP(s);
        QProcessEnvironment env;
        env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent/native"));
        QVERIFY(s.open(env));
        const QImage before = s.desktop.grab(s.board);
        auto press = [&] {
            s.desktop.keys({QStringLiteral("b"), QStringLiteral("b")}, 100);
            s.desktop.type(QStringLiteral("2.30\r"));
        };
        if (recorder.available())
            QVERIFY(record(press, 0, 1.5).isEmpty());
        else
            press();
        QTRY_VERIFY_WITH_TIMEOUT(s.desktop.grab(s.board) != before, Desktop::kWaitMs);
        QVERIFY(s.desktop.running());
        // And the buzzer can be asked for again without a crash or a hang.
        s.desktop.keys({QStringLiteral("b")});
        QTest::qWait(2500);
        s.desktop.keys({QStringLiteral("b")});
        QTest::qWait(300);
        QVERIFY(s.desktop.running());
    }
};

DAREZEZ_TEST_GUILESS(tst_sound)
#include "tst_sound.moc"
