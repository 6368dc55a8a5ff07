#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// A sound file decoded for the buzzer: whatever libsndfile reads (any WAV encoding), as
// 16-bit little-endian samples, interleaved, at the file's own rate; more than two channels
// are mixed down to one.
struct SoundFile {
    QByteArray samples;
    int sampleRate = 0;
    int channels = 0;

    qint64 durationMs() const;

    // Nothing when the file cannot sound; `why` then says what is wrong with it, as a
    // sentence.
    static std::optional<SoundFile> Read(const QString &fileName, QString *why = nullptr);
};
