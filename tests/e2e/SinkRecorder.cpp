#include "SinkRecorder.h"

#include "Desktop.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <cmath>

namespace {
QStringList rawFormat() {
    return {QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
            QStringLiteral("--rate=%1").arg(SinkRecorder::kRate), QStringLiteral("--channels=1"),
            QStringLiteral("--latency-msec=20")};
}
} // namespace

SinkRecorder::SinkRecorder() : m_sink(qEnvironmentVariable("DAREZEZ_TEST_SINK")) {}

SinkRecorder::SinkRecorder(const QString &server, const QString &sink)
    : m_sink(sink), m_server(server) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PULSE_SERVER"), server);
    m_silence.setProcessEnvironment(env);
    m_record.setProcessEnvironment(env);
}

SinkRecorder::~SinkRecorder() {
    stop();
}

bool SinkRecorder::available() {
    if (m_sink.isEmpty()) {
        m_why = QStringLiteral("no test sink (DAREZEZ_TEST_SINK is unset); the README's test "
                               "command starts PulseAudio with one");
        return false;
    }
    for (const char *tool : {"parec", "pacat", "pactl", "sox"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            m_why = QStringLiteral("%1 is not installed").arg(QLatin1String(tool));
            return false;
        }
    }
    QStringList info{QStringLiteral("info")};
    if (!m_server.isEmpty())
        info.prepend(QStringLiteral("--server=") + m_server);
    if (!Desktop::run(QStringLiteral("pactl"), info)) {
        m_why = QStringLiteral("the sound server does not answer");
        return false;
    }
    return m_dir.isValid();
}

bool SinkRecorder::start() {
    m_samples.clear();
    m_silence.setStandardInputFile(QStringLiteral("/dev/zero"));
    m_silence.start(QStringLiteral("pacat"),
                    QStringList{QStringLiteral("--playback"), QStringLiteral("-d"), m_sink} +
                        rawFormat());
    m_record.setStandardOutputFile(rawFile(), QIODevice::Truncate);
    m_record.start(QStringLiteral("parec"),
                   QStringList{QStringLiteral("-d"), m_sink + QStringLiteral(".monitor")} +
                       rawFormat());
    if (!m_silence.waitForStarted(5000) || !m_record.waitForStarted(5000))
        return false;
    // Until the monitor stream delivers, nothing that plays would be heard. However
    // long a busy machine takes to start the two.
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        if (recorded() > kRate / 20)
            return true;
        if (m_record.state() != QProcess::Running || m_silence.state() != QProcess::Running)
            return false;
        QThread::msleep(20);
    }
    return false;
}

qsizetype SinkRecorder::recorded() const {
    return QFileInfo(rawFile()).size() / 2;
}

bool SinkRecorder::waitForSounds(int count, double quietSeconds, qsizetype after, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    const qsizetype quiet = qsizetype(quietSeconds * kRate);
    for (;;) {
        loadSamples();
        const auto found = sounds();
        qsizetype last = after;
        if (!found.isEmpty())
            last = std::max(last, qsizetype((found.last().start + found.last().length) * kRate));
        if (found.size() >= count && m_samples.size() - last >= quiet)
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
}

void SinkRecorder::stop() {
    for (QProcess *p : {&m_record, &m_silence}) {
        if (p->state() == QProcess::NotRunning)
            continue;
        p->terminate();
        if (!p->waitForFinished(3000)) {
            p->kill();
            p->waitForFinished(3000);
        }
    }
    loadSamples();
}

void SinkRecorder::loadSamples() {
    QFile f(rawFile());
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QByteArray data = f.readAll();
    m_samples.resize(data.size() / 2);
    for (qsizetype i = 0; i < m_samples.size(); ++i)
        m_samples[i] = qint16(quint8(data[2 * i]) | (quint8(data[2 * i + 1]) << 8));
}

QVector<SinkRecorder::Sound> SinkRecorder::sounds(double threshold, double joinGap) const {
    QVector<Sound> found;
    const int limit = int(threshold * 32768);
    const qsizetype join = qsizetype(joinGap * kRate);
    qsizetype first = -1, last = -1;
    int peak = 0;
    auto close = [&] {
        if (first >= 0)
            found.push_back(
                {double(first) / kRate, double(last - first + 1) / kRate, peak / 32768.0});
        first = last = -1;
        peak = 0;
    };
    for (qsizetype i = 0; i < m_samples.size(); ++i) {
        const int v = std::abs(int(m_samples[i]));
        if (v < limit)
            continue;
        if (first >= 0 && i - last > join)
            close();
        if (first < 0)
            first = i;
        last = i;
        peak = std::max(peak, v);
    }
    close();
    return found;
}

SinkRecorder::Stat SinkRecorder::soxStat() const {
    QProcess sox;
    sox.start(QStringLiteral("sox"),
              {QStringLiteral("-t"), QStringLiteral("raw"), QStringLiteral("-r"),
               QString::number(kRate), QStringLiteral("-e"), QStringLiteral("signed"),
               QStringLiteral("-b"), QStringLiteral("16"), QStringLiteral("-c"),
               QStringLiteral("1"), rawFile(), QStringLiteral("-n"), QStringLiteral("stat")});
    Stat s;
    if (!sox.waitForFinished(20000))
        return s;
    const QString text = QString::fromLocal8Bit(sox.readAllStandardError());
    auto value = [&](const char *name) {
        const QRegularExpression re(QStringLiteral("%1:\\s*(-?[0-9.]+)").arg(QLatin1String(name)));
        const auto m = re.match(text);
        return m.hasMatch() ? m.captured(1).toDouble() : -1.0;
    };
    s.length = value("Length \\(seconds\\)");
    s.maximum = value("Maximum amplitude");
    s.rms = value("RMS\\s+amplitude");
    s.ok = s.length >= 0 && s.maximum >= 0 && s.rms >= 0;
    return s;
}
