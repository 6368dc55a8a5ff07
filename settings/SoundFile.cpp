#include "settings/SoundFile.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>
#include <sndfile.h>
#include <vector>

namespace {

// The sound server's cache takes samples up to 16 MiB, and its rates up to this.
constexpr qint64 kMaxSampleBytes = 16LL * 1024 * 1024;
constexpr int kMaxRate = 384000;

std::optional<SoundFile> refuse(QString *why, const QString &text) {
    if (why)
        *why = text;
    return std::nullopt;
}

struct Closer {
    void operator()(SNDFILE *f) const { sf_close(f); }
};

} // namespace

qint64 SoundFile::durationMs() const {
    const qint64 bytesPerSecond = qint64(sampleRate) * channels * 2;
    return bytesPerSecond > 0 ? samples.size() * 1000 / bytesPerSecond : 0;
}

std::optional<SoundFile> SoundFile::Read(const QString &fileName, QString *why) {
    SF_INFO info{};
    std::unique_ptr<SNDFILE, Closer> file(
        sf_open(QFile::encodeName(fileName).constData(), SFM_READ, &info));
    if (!file)
        return refuse(why, QStringLiteral("It is not a sound file that can be read (%1).")
                               .arg(QString::fromLocal8Bit(sf_strerror(nullptr)).trimmed()));
    if (info.frames <= 0 || info.channels <= 0)
        return refuse(why, QStringLiteral("It holds no sound."));
    if (info.samplerate <= 0 || info.samplerate > kMaxRate)
        return refuse(
            why, QStringLiteral("Its sample rate, %1 Hz, cannot be played.").arg(info.samplerate));
    const int outChannels = info.channels <= 2 ? info.channels : 1;
    if (info.frames > kMaxSampleBytes / (2 * outChannels))
        return refuse(why, QStringLiteral("It is too long for a buzzer."));
    SoundFile sound;
    sound.sampleRate = info.samplerate;
    sound.channels = outChannels;
    sound.samples.reserve(qsizetype(info.frames) * outChannels * 2);
    // Read as floats, where every encoding has the same full scale; 16-bit comes back exact.
    constexpr sf_count_t kChunk = 4096;
    std::vector<float> chunk(size_t(kChunk) * size_t(info.channels));
    for (;;) {
        const sf_count_t frames = sf_readf_float(file.get(), chunk.data(), kChunk);
        if (frames <= 0)
            break;
        for (sf_count_t f = 0; f < frames; ++f) {
            const float *frame = chunk.data() + f * info.channels;
            for (int c = 0; c < outChannels; ++c) {
                float value = frame[c];
                if (outChannels != info.channels)
                    value =
                        std::accumulate(frame, frame + info.channels, 0.0f) / float(info.channels);
                // A float file may go past full scale: clipped, never wrapped round.
                const int level =
                    int(std::lround(std::clamp(value * 32768.0f, -32768.0f, 32767.0f)));
                sound.samples.append(char(level & 0xFF));
                sound.samples.append(char((level >> 8) & 0xFF));
            }
        }
    }
    if (sound.samples.isEmpty())
        return refuse(why, QStringLiteral("Its sound cannot be read (%1).")
                               .arg(QString::fromLocal8Bit(sf_strerror(file.get()))));
    return sound;
}
