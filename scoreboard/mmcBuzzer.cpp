#include "scoreboard/mmcBuzzer.h"

#include "scoreboard/BuzzerHelper.h"
#include "scoreboard/WavInfo.h"

#include <QProcess>
#include <QSoundEffect>
#include <QUrl>

namespace {
// How long past its length a sound may run before it is taken as over.
constexpr int kFallbackMarginMs = 600;
} // namespace

mmcBuzzer::mmcBuzzer(QObject *parent) : BuzzerDevice(parent) {
    m_fallback.setSingleShot(true);
    connect(&m_fallback, &QTimer::timeout, this, [this] {
        // No end came from the effect by now: it did not really play, whatever it said.
        if (!m_helper)
            markPlayFailed();
        dropHelper();
        if (m_effect)
            m_effect->stop();
        finish();
    });
}

mmcBuzzer::~mmcBuzzer() {
    m_fallback.stop();
    if (m_helper) {
        m_helper->disconnect(this);
        m_helper->kill();
        m_helper->waitForFinished(1000);
        m_helper.reset();
    }
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
    if (m_useHelper) {
        playInHelper();
        return;
    }
    // An effect that failed (no audio server then) is made anew: a server may be up now.
    if (!m_effect || m_lastPlayFailed || m_effect->status() == QSoundEffect::Error)
        makeEffect();
    m_lastPlayFailed = false;
    m_playing = true;
    m_effectStarted = false;
    m_playClock.start();
    m_effect->play();
    m_fallback.start(int(m_durationMs) + kFallbackMarginMs);
}

void mmcBuzzer::dropHelper() {
    if (!m_helper)
        return;
    QProcess *helper = m_helper.release();
    helper->disconnect(this);
    if (helper->state() != QProcess::NotRunning) {
        // Gone once it has ended; the board does not wait for it.
        connect(helper, &QProcess::finished, helper, &QObject::deleteLater);
        helper->kill();
    } else {
        helper->deleteLater();
    }
}

void mmcBuzzer::playInHelper() {
    dropHelper();
    m_helper = std::make_unique<QProcess>();
    QProcess *helper = m_helper.get();
    helper->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const auto ended = [this, helper] {
        if (m_helper.get() != helper)
            return;
        dropHelper();
        finish();
    };
    connect(helper, &QProcess::finished, this, ended);
    connect(helper, &QProcess::errorOccurred, this, [ended](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            ended();
    });
    m_playing = true;
    m_helper->start(BuzzerHelper::Program(), {QLatin1String(BuzzerHelper::kArgument), FileName()});
    // The helper's own start and connection come on top of the sound.
    m_fallback.start(int(m_durationMs) + kFallbackMarginMs + 2500);
}

void mmcBuzzer::onPlayingChanged() {
    if (!m_effect || !m_playing)
        return;
    if (m_effect->isPlaying()) {
        m_effectStarted = true;
        return;
    }
    if (!m_effectStarted)
        return;
    // Ended long before its length: Qt had no server to play into and said nothing.
    if (m_playClock.elapsed() < m_durationMs / 2)
        markPlayFailed();
    finish();
}

void mmcBuzzer::markPlayFailed() {
    // Qt's connection to the sound server is gone for this process: later sounds go
    // through a helper process, which connects afresh.
    m_lastPlayFailed = true;
    m_useHelper = !BuzzerHelper::Program().isEmpty();
}

void mmcBuzzer::close() {
    m_durationMs = 0;
    if (m_effect) {
        m_effect->disconnect(this);
        m_effect->stop();
        m_effect.reset();
    }
    dropHelper();
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
