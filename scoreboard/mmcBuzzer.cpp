#include "scoreboard/mmcBuzzer.h"

#include "scoreboard/WavInfo.h"

#include <QSoundEffect>
#include <QUrl>

namespace {
// How long past its length a sound may run before it is taken as over.
constexpr int kFallbackMarginMs = 600;
} // namespace

mmcBuzzer::mmcBuzzer(QObject *parent) : BuzzerDevice(parent) {
    m_fallback.setSingleShot(true);
    connect(&m_fallback, &QTimer::timeout, this, [this] {
        // No end came from the effect: it did not really play.
        if (!m_effectStarted)
            m_lastPlayFailed = true;
        if (m_effect)
            m_effect->stop();
        finish();
    });
}

mmcBuzzer::~mmcBuzzer() {
    m_fallback.stop();
    if (m_effect)
        m_effect->disconnect(this);
}

void mmcBuzzer::Command(const QString &command) {
    if (command == QLatin1String("Open"))
        open();
    else if (command == QLatin1String("Play"))
        play();
    else if (command == QLatin1String("Stop")) {
        if (m_effect)
            m_effect->stop();
    } else if (command == QLatin1String("Close"))
        close();
    // "Prev": every play starts from the beginning of the sound.
}

void mmcBuzzer::open() {
    close();
    const auto info = WavInfo::read(FileName());
    if (!info || info->durationMs() <= 0)
        return; // silent: not a file the device plays reliably
    m_durationMs = info->durationMs();
    m_lastPlayFailed = false;
}

void mmcBuzzer::makeEffect() {
    if (m_effect)
        m_effect->disconnect(this);
    m_effect = std::make_unique<QSoundEffect>();
    connect(m_effect.get(), &QSoundEffect::playingChanged, this, &mmcBuzzer::onPlayingChanged);
    m_effect->setSource(QUrl::fromLocalFile(FileName()));
    m_effect->setVolume(1.0f);
}

void mmcBuzzer::play() {
    if (m_playing)
        return;
    if (!isOpen()) {
        // Nothing to play: report the end at once, so the buzzer is never stuck on.
        m_playing = true;
        QTimer::singleShot(0, this, &mmcBuzzer::finish);
        return;
    }
    // An effect that failed (no audio server then) is made anew: a server may be up now.
    if (!m_effect || m_lastPlayFailed || m_effect->status() == QSoundEffect::Error)
        makeEffect();
    m_lastPlayFailed = false;
    m_playing = true;
    m_effectStarted = false;
    m_effect->play();
    m_fallback.start(int(m_durationMs) + kFallbackMarginMs);
}

void mmcBuzzer::onPlayingChanged() {
    if (!m_effect || !m_playing)
        return;
    if (m_effect->isPlaying()) {
        m_effectStarted = true;
        return;
    }
    if (m_effectStarted)
        finish();
}

void mmcBuzzer::close() {
    m_durationMs = 0;
    if (m_effect) {
        m_effect->disconnect(this);
        m_effect->stop();
        m_effect.reset();
    }
    if (m_playing)
        finish(); // cut off
}

void mmcBuzzer::finish() {
    m_fallback.stop();
    if (!m_playing)
        return;
    m_playing = false;
    emit Done();
}
