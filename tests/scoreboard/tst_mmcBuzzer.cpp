#include "PrivateSoundServer.h"
#include "TestSupport.h"
#include "scoreboard/WavInfo.h"
#include "scoreboard/mmcBuzzer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

// Skipped only outside the test command, which starts a sound server.
#define REQUIRE_SOUND_SERVER()                                                                     \
    do {                                                                                           \
        if (qEnvironmentVariableIsEmpty("DAREZEZ_TEST_SINK"))                                      \
            QSKIP("no test sound server (DAREZEZ_TEST_SINK is unset)");                            \
    } while (false)

namespace {
void le16(QByteArray &b, int v) {
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}
void le32(QByteArray &b, qint64 v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
// A WAV file of the given format, with dataBytes of silence.
QByteArray wav(int format, int channels, int rate, int bits, int dataBytes, int fmtSize = 16) {
    QByteArray fmt;
    le16(fmt, format);
    le16(fmt, channels);
    le32(fmt, rate);
    le32(fmt, qint64(rate) * channels * bits / 8);
    le16(fmt, channels * bits / 8);
    le16(fmt, bits);
    while (fmt.size() < fmtSize)
        fmt.append('\0');
    QByteArray body = "WAVEfmt ";
    le32(body, fmt.size());
    body += fmt;
    body += "data";
    le32(body, dataBytes);
    body += QByteArray(dataBytes, '\0');
    QByteArray file = "RIFF";
    le32(file, body.size());
    return file + body;
}
QString builtBuzzer() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../buzzer.wav");
}
qint64 builtBuzzerMs() {
    const auto info = WavInfo::read(builtBuzzer());
    return info ? info->durationMs() : -1;
}
} // namespace

class tst_mmcBuzzer : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString write(const QString &name, const QByteArray &bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return path;
    }

private slots:
    void wavFormats_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("durationMs");
        QTest::newRow("16-bit mono") << wav(1, 1, 44100, 16, 88200) << qint64(1000);
        QTest::newRow("16-bit stereo") << wav(1, 2, 48000, 16, 96000) << qint64(500);
        QTest::newRow("empty") << QByteArray() << qint64(-1);
        QTest::newRow("text") << QByteArray("this is not a sound at all, not even close")
                              << qint64(-1);
        QTest::newRow("24-bit") << wav(1, 1, 44100, 24, 1323) << qint64(-1);
        QTest::newRow("8-bit") << wav(1, 1, 44100, 8, 441) << qint64(-1);
        QTest::newRow("float") << wav(3, 1, 44100, 32, 1764) << qint64(-1);
        QTest::newRow("extensible") << wav(0xFFFE, 2, 44100, 16, 1764, 40) << qint64(-1);
        QTest::newRow("truncated") << wav(1, 1, 44100, 16, 88200).left(2000) << qint64(-1);
        QTest::newRow("no data") << wav(1, 1, 44100, 16, 0) << qint64(-1);
        QTest::newRow("six channels") << wav(1, 6, 44100, 16, 1200) << qint64(-1);
        QTest::newRow("header only") << QByteArray("RIFF\x24\0\0\0WAVE", 12) << qint64(-1);
    }
    void wavFormats() {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, durationMs);
        const auto info = WavInfo::parse(bytes);
        QCOMPARE(info ? info->durationMs() : -1, durationMs);
    }

    void theShippedHorn() {
        const auto info = WavInfo::read(builtBuzzer());
        QVERIFY(info);
        QCOMPARE(info->bitsPerSample, 16);
        QVERIFY(info->durationMs() >= 1000 && info->durationMs() <= 1500);
    }

    void unplayableFilesStaySilentAndStillEnd_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("junk") << QByteArray(5000, '\x7f');
        QTest::newRow("24-bit") << wav(1, 1, 44100, 24, 13230);
        QTest::newRow("float") << wav(3, 1, 44100, 32, 17640);
        QTest::newRow("extensible") << wav(0xFFFE, 2, 44100, 16, 17640, 40);
        QTest::newRow("truncated") << wav(1, 1, 44100, 16, 88200).left(3000);
    }
    void unplayableFilesStaySilentAndStillEnd() {
        QFETCH(QByteArray, bytes);
        mmcBuzzer device;
        QSignalSpy done(&device, &BuzzerDevice::Done);
        device.setFileName(write(QStringLiteral("bad.wav"), bytes));
        device.open();
        QVERIFY(!device.isOpen());
        device.play();
        QTRY_COMPARE(done.size(), 1);
        QVERIFY(!device.isPlaying());
    }

    void missingFileAfterOptions() {
        mmcBuzzer device;
        QSignalSpy done(&device, &BuzzerDevice::Done);
        device.setFileName(QStringLiteral("/nonexistent/horn.wav"));
        device.open();
        device.play();
        QTRY_COMPARE(done.size(), 1);
        device.setFileName(QString());
        device.open();
        device.play();
        QTRY_COMPARE(done.size(), 2);
    }

    void closeWhilePlayingEndsTheSound() {
        mmcBuzzer device;
        QSignalSpy done(&device, &BuzzerDevice::Done);
        device.setFileName(builtBuzzer());
        device.open();
        QVERIFY(device.isOpen());
        device.play();
        QVERIFY(device.isPlaying());
        device.play(); // no second sound, no second end
        device.close();
        QCOMPARE(done.size(), 1);
        QVERIFY(!device.isPlaying());
        QTest::qWait(100);
        QCOMPARE(done.size(), 1);
    }

    void endsEvenWithoutAnEndFromTheSoundSystem() {
        // However the sound system behaves (here: perhaps no server at all), the sound
        // is over by its length plus the margin.
        mmcBuzzer device;
        QSignalSpy done(&device, &BuzzerDevice::Done);
        device.setFileName(builtBuzzer());
        device.open();
        device.play();
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 3000);
        device.play();
        QVERIFY(device.isPlaying());
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 2, 3000);
    }

    // The sound is in the server right after open, so a play is one request; its end
    // comes from the server when the sound is over, not from the backstop after it.
    void endComesFromTheServer() {
        REQUIRE_SOUND_SERVER();
        mmcBuzzer device;
        QSignalSpy done(&device, &BuzzerDevice::Done);
        device.setFileName(builtBuzzer());
        device.open();
        QTRY_VERIFY(device.isReady());
        for (int round = 1; round <= 2; ++round) {
            QElapsedTimer played;
            played.start();
            device.play();
            QTRY_COMPARE_WITH_TIMEOUT(done.size(), round, 5000);
            const qint64 ms = played.elapsed();
            QVERIFY2(ms >= builtBuzzerMs() - 50 && ms < builtBuzzerMs() + 1000,
                     qPrintable(QString::number(ms)));
        }
    }

    // The server dies while the horn sounds: the end comes at once, and once a server is
    // back the device connects by itself, puts the sound in it again and plays it whole.
    void serverLostEndsTheSoundAndComesBack() {
        REQUIRE_SOUND_SERVER();
        PrivateSoundServer server;
        QVERIFY(server.start());
        const QByteArray saved = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", server.server().toUtf8());
        const auto restore = qScopeGuard([&] { qputenv("PULSE_SERVER", saved); });
        mmcBuzzer device;
        QSignalSpy done(&device, &BuzzerDevice::Done);
        device.setFileName(builtBuzzer());
        device.open();
        QTRY_VERIFY(device.isReady());
        QElapsedTimer played;
        played.start();
        device.play();
        server.stop();
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 5000);
        QVERIFY2(played.elapsed() < builtBuzzerMs(), qPrintable(QString::number(played.elapsed())));
        QVERIFY(!device.isReady());

        QVERIFY(server.start());
        QTRY_VERIFY_WITH_TIMEOUT(device.isReady(), 10000);
        played.restart();
        device.play();
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 2, 5000);
        QVERIFY2(played.elapsed() >= builtBuzzerMs() - 50,
                 qPrintable(QString::number(played.elapsed())));
    }

    // The server missing when the sound opens: a play ends at once, and the device
    // finds the server once it is there.
    void serverMissingAtOpen() {
        REQUIRE_SOUND_SERVER();
        PrivateSoundServer server;
        const QByteArray saved = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", server.server().toUtf8());
        const auto restore = qScopeGuard([&] { qputenv("PULSE_SERVER", saved); });
        mmcBuzzer device;
        QSignalSpy done(&device, &BuzzerDevice::Done);
        device.setFileName(builtBuzzer());
        device.open();
        QVERIFY(device.isOpen());
        QElapsedTimer played;
        played.start();
        device.play();
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 5000);
        QVERIFY2(played.elapsed() < builtBuzzerMs(), qPrintable(QString::number(played.elapsed())));
        QVERIFY(server.start());
        QTRY_VERIFY_WITH_TIMEOUT(device.isReady(), 10000);
    }
};

QTEST_MAIN(tst_mmcBuzzer)
#include "tst_mmcBuzzer.moc"
