#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// What the buzzer needs of a WAV file before handing it to the sound server: whether it
// is plain 16-bit PCM, where its samples are, and how long it lasts.
struct WavInfo {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    qint64 dataOffset = 0; // of the samples, from the start of the file
    qint64 dataBytes = 0;

    qint64 durationMs() const;

    // Only a RIFF/WAVE file with a plain PCM "fmt " chunk of 16 bits, one or two
    // channels and a complete "data" chunk is accepted.
    static std::optional<WavInfo> parse(const QByteArray &bytes);
    static std::optional<WavInfo> read(const QString &fileName);
};
