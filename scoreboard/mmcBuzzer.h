#pragma once

#include "scoreboard/BuzzerDevice.h"

#include <QByteArray>
#include <QList>
#include <QTimer>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

// The buzzer over PulseAudio (or a server speaking its protocol). Open uploads the
// sound into the server's sample cache, so that play is one short request that the
// server answers by mixing the cached sample at once. Every request is asynchronous:
// the board's thread never waits for the server; replies arrive on PulseAudio's own
// thread and are handed back to the board's.
//
// Every file SoundFile reads plays; anything else leaves the buzzer silent. Done
// is guaranteed: by the server's end of the sound, by the loss of the server, at once
// when nothing can play, or by a backstop at the sound's length plus a margin.
class mmcBuzzer : public BuzzerDevice {
    Q_OBJECT

public:
    explicit mmcBuzzer(QObject *parent = nullptr);
    ~mmcBuzzer() override;

    void open() override;
    void play() override;
    void stop() override;
    // Every play starts the cached sample from its beginning: nothing to wind back.
    void rewind() override {}
    void close() override;

    bool isOpen() const { return m_durationMs > 0; }
    bool isPlaying() const { return m_playing; }
    // The server holds the current sound (tests, benchmark).
    bool isReady() const;

signals:
    // The server has the current sound in its cache.
    void ready();

private:
    // Board's thread.
    void finish(quint64 play);
    void connectLater();

    // Callers hold the main loop's lock.
    void connectLocked();
    void dropContextLocked();
    void dropUploadLocked();
    void uploadLocked();
    void playSampleLocked(quint64 play);
    void endLocked(quint64 play);
    void killCurrentLocked();

    friend struct PulseCallbacks;

    // Board's thread only.
    qint64 m_durationMs = 0;
    bool m_playing = false;
    quint64 m_play = 0; // number of the latest play
    QTimer m_backstop;
    QTimer m_reconnect;

    // Under the main loop's lock.
    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_upload = nullptr;
    QByteArray m_samples; // the sound, 16-bit little-endian PCM
    int m_rate = 0;
    int m_channels = 0;
    qsizetype m_uploaded = 0;
    bool m_cached = false;     // the server holds m_samples
    quint64 m_active = 0;      // the play that should sound now; 0 when none should
    quint64 m_waiting = 0;     // play asked for before the sample was in the server
    quint64 m_reloaded = 0;    // play for which the sample was uploaded again
    QList<quint64> m_requests; // plays sent, in the order their replies come
    quint32 m_sinkInput = 0;   // what the server mixes for m_active
    bool m_haveSinkInput = false;
};
