#pragma once

#include "scoreboard/BuzzerDevice.h"

#include <QElapsedTimer>
#include <QTimer>
#include <memory>

class QProcess;
class QSoundEffect;

// The buzzer over Qt Multimedia. Only plain 16-bit PCM WAV files are played; anything
// else leaves the buzzer silent. Done is guaranteed: by the effect's own end, by a
// fallback at the sound's length plus a margin, or at once when nothing can play.
class mmcBuzzer : public BuzzerDevice {
    Q_OBJECT

public:
    explicit mmcBuzzer(QObject *parent = nullptr);
    ~mmcBuzzer() override;

    void Command(const QString &command) override;

    bool isOpen() const { return m_durationMs > 0; }
    bool isPlaying() const { return m_playing; }

private:
    void open();
    void play();
    void close();
    void makeEffect();
    void finish();
    void onPlayingChanged();
    void playInHelper();
    void dropHelper();
    void markPlayFailed();

    std::unique_ptr<QSoundEffect> m_effect;
    qint64 m_durationMs = 0;
    bool m_playing = false;
    bool m_effectStarted = false;
    bool m_lastPlayFailed = false;
    // After a play that never started, sounds go through a helper process.
    bool m_useHelper = false;
    std::unique_ptr<QProcess> m_helper;
    QTimer m_fallback;
    QElapsedTimer m_playClock;
};
