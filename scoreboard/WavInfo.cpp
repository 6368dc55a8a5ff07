#include "scoreboard/WavInfo.h"

#include <QFile>

namespace {

quint32 le32(const QByteArray &b, qsizetype at) {
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
           quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
}

quint16 le16(const QByteArray &b, qsizetype at) {
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

// Far more than any buzzer; a bigger file is not read into memory.
constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;

} // namespace

qint64 WavInfo::durationMs() const {
    const qint64 bytesPerSecond = qint64(sampleRate) * channels * (bitsPerSample / 8);
    return bytesPerSecond > 0 ? dataBytes * 1000 / bytesPerSecond : 0;
}

std::optional<WavInfo> WavInfo::parse(const QByteArray &bytes) {
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return std::nullopt;
    WavInfo info;
    bool haveFormat = false;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const qint64 size = le32(bytes, at + 4);
        const qsizetype body = at + 8;
        if (size > bytes.size() - body)
            return std::nullopt; // truncated
        if (id == "fmt ") {
            if (size < 16)
                return std::nullopt;
            if (le16(bytes, body) != 1) // plain PCM only: no float, no extensible
                return std::nullopt;
            info.channels = le16(bytes, body + 2);
            info.sampleRate = int(le32(bytes, body + 4));
            info.bitsPerSample = le16(bytes, body + 14);
            if (info.channels < 1 || info.channels > 2 || info.bitsPerSample != 16 ||
                info.sampleRate < 8000 || info.sampleRate > 192000)
                return std::nullopt;
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat || size == 0)
                return std::nullopt;
            info.dataOffset = body;
            info.dataBytes = size;
            return info;
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
}

std::optional<WavInfo> WavInfo::read(const QString &fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes)
        return std::nullopt;
    return parse(file.readAll());
}
