#include "scoreboard/BuzzerHelper.h"

#include "scoreboard/WavInfo.h"

#include <QCoreApplication>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

namespace BuzzerHelper {

namespace {
QString &program() {
    static QString path;
    return path;
}
} // namespace

void SetProgram(const QString &path) {
    program() = path;
}
QString Program() {
    return program();
}

int Run(const QString &file) {
    const auto info = WavInfo::read(file);
    if (!info || info->durationMs() <= 0)
        return 1;
    QSoundEffect effect;
    bool started = false;
    QObject::connect(&effect, &QSoundEffect::playingChanged, [&] {
        if (effect.isPlaying())
            started = true;
        else if (started)
            QCoreApplication::exit(0);
    });
    QObject::connect(&effect, &QSoundEffect::statusChanged, [&] {
        if (effect.status() == QSoundEffect::Error)
            QCoreApplication::exit(1);
    });
    effect.setSource(QUrl::fromLocalFile(file));
    effect.setVolume(1.0f);
    effect.play();
    QTimer::singleShot(int(info->durationMs()) + 1500,
                       [&] { QCoreApplication::exit(started ? 0 : 1); });
    return QCoreApplication::exec();
}

} // namespace BuzzerHelper
