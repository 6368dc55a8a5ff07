#include "TestMain.h"
#include "TestSupport.h"
#include "scoreboard/mmcBuzzer.h"
#include "settings/SoundFile.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace {
void le16(QByteArray &b, int v) {
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}
void le32(QByteArray &b, qint64 v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
// A WAV file of the given format (1 PCM, 3 float, 0xFFFE extensible with PCM inside) whose
// every frame is `frame`, repeated `frames` times.
QByteArray wav(int format, int channels, int rate, int bits, const QByteArray &frame, int frames) {
    QByteArray fmt;
    le16(fmt, format);
    le16(fmt, channels);
    le32(fmt, rate);
    le32(fmt, qint64(rate) * channels * bits / 8);
    le16(fmt, channels * bits / 8);
    le16(fmt, bits);
    if (format == 0xFFFE) {
        le16(fmt, 22);
        le16(fmt, bits);
        le32(fmt, channels == 2 ? 3 : 4); // front left and right, or centre
        // KSDATAFORMAT_SUBTYPE_PCM
        fmt += QByteArray::fromHex("0100000000001000800000aa00389b71");
    }
    QByteArray body = "WAVEfmt ";
    le32(body, fmt.size());
    body += fmt;
    body += "data";
    le32(body, qint64(frame.size()) * frames);
    body += frame.repeated(frames);
    QByteArray file = "RIFF";
    le32(file, body.size());
    return file + body;
}
QString builtBuzzer() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../buzzer.wav");
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
    // Every encoding a WAV file may hold comes out as the same 16-bit level.
    void soundFormats_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("channels");   // 0: refused
        QTest::addColumn<int>("firstLevel"); // of the first sample, 16-bit
        QTest::addColumn<qint64>("durationMs");
        const QByteArray half16 = QByteArray::fromHex("0040");
        QTest::newRow("16-bit mono")
            << wav(1, 1, 44100, 16, half16, 44100) << 1 << 0x4000 << qint64(1000);
        QTest::newRow("16-bit stereo")
            << wav(1, 2, 48000, 16, half16 + QByteArray::fromHex("00c0"), 24000) << 2 << 0x4000
            << qint64(500);
        QTest::newRow("8-bit") << wav(1, 1, 8000, 8, QByteArray::fromHex("c0"), 4000) << 1 << 0x4000
                               << qint64(500);
        QTest::newRow("24-bit") << wav(1, 1, 44100, 24, QByteArray::fromHex("000040"), 4410) << 1
                                << 0x4000 << qint64(100);
        QTest::newRow("32-bit float") << wav(3, 1, 44100, 32, QByteArray::fromHex("0000003f"), 4410)
                                      << 1 << 0x4000 << qint64(100);
        QTest::newRow("float past full scale")
            << wav(3, 1, 44100, 32, QByteArray::fromHex("00000040"), 4410) << 1 << 0x7FFF
            << qint64(100);
        QTest::newRow("extensible 16-bit")
            << wav(0xFFFE, 2, 44100, 16, half16 + half16, 4410) << 2 << 0x4000 << qint64(100);
        QTest::newRow("six channels mixed to one")
            << wav(1, 6, 44100, 16, half16.repeated(3) + QByteArray(6, '\0'), 441) << 1 << 0x2000
            << qint64(10);
        QTest::newRow("empty") << QByteArray() << 0 << 0 << qint64(0);
        QTest::newRow("text") << QByteArray("this is not a sound at all, not even close") << 0 << 0
                              << qint64(0);
        QTest::newRow("no samples") << wav(1, 1, 44100, 16, half16, 0) << 0 << 0 << qint64(0);
    }
    void soundFormats() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, channels);
        QFETCH(int, firstLevel);
        QFETCH(qint64, durationMs);
        QString why;
        const auto sound = SoundFile::Read(write(QStringLiteral("sound.wav"), bytes), &why);
        QCOMPARE(sound.has_value(), channels > 0);
        if (!sound) {
            QVERIFY(!why.isEmpty());
            return;
        }
        QCOMPARE(sound->channels, channels);
        QCOMPARE(sound->durationMs(), durationMs);
        const int level = qint16(quint8(sound->samples[0]) | quint8(sound->samples[1]) << 8);
        QVERIFY2(qAbs(level - firstLevel) <= 1, qPrintable(QString::number(level)));
    }

    void theShippedHorn() {
        const auto sound = SoundFile::Read(builtBuzzer());
        QVERIFY(sound);
        QVERIFY(sound->durationMs() >= 1000 && sound->durationMs() <= 1500);
    }

    void unplayableFilesStaySilentAndStillEnd_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("junk") << QByteArray(5000, '\x7f');
        QTest::newRow("header only") << QByteArray("RIFF\x24\0\0\0WAVE", 12);
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
};

DAREZEZ_TEST(tst_mmcBuzzer)
#include "tst_mmcBuzzer.moc"
