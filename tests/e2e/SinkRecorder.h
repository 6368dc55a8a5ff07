#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QVector>

// Records what reaches the test's PulseAudio null sink. A stream of silence is played
// into the sink meanwhile, so the monitor delivers real time and gaps stay in the
// recording instead of being dropped while nothing plays.
class SinkRecorder {
public:
    static constexpr int kRate = 44100;

    struct Sound {
        double start = 0;  // seconds into the recording
        double length = 0; // seconds above the loudness threshold
        double peak = 0;   // 0..1 of full scale
    };
    // What sox makes of the recording.
    struct Stat {
        double length = 0;
        double maximum = 0;
        double rms = 0;
        bool ok = false;
    };

    SinkRecorder();
    // Another sound server than the test command's, with its own sink.
    SinkRecorder(const QString &server, const QString &sink);
    ~SinkRecorder();

    // False (with why()) when there is no sound server or no sink to record.
    bool available();
    QString why() const { return m_why; }

    // Returns once the monitor really delivers, so that nothing played later is missed.
    bool start();
    void stop();

    // Samples written to the recording so far.
    qsizetype recorded() const;
    // Waits until the recording holds `count` sounds and has gone on quietly for
    // `quietSeconds` past the last of them and past sample `after`; false at the timeout.
    bool waitForSounds(int count, double quietSeconds, qsizetype after, int timeoutMs = 30000);

    const QVector<qint16> &samples() const { return m_samples; }
    // Stretches louder than `threshold` of full scale, with gaps below `joinGap` seconds
    // (the zero crossings of the horn) joined.
    QVector<Sound> sounds(double threshold = 0.05, double joinGap = 0.03) const;
    Stat soxStat() const;
    QString rawFile() const { return m_dir.filePath(QStringLiteral("sink.raw")); }
    QString sink() const { return m_sink; }

private:
    void loadSamples();

    QTemporaryDir m_dir;
    QProcess m_silence;
    QProcess m_record;
    QVector<qint16> m_samples;
    QString m_sink;
    QString m_server;
    QString m_why;
};
