#include "scoreboard/mmcBuzzer.h"

#include "settings/SoundFile.h"

#include <QLoggingCategory>
#include <algorithm>
#include <ctime>
#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/proplist.h>
#include <pulse/scache.h>
#include <pulse/stream.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>
#include <pulse/volume.h>
#include <utility>

Q_LOGGING_CATEGORY(lcBuzzer, "darezez.buzzer", QtWarningMsg)

namespace {

// One name per program in the server's sample cache: a new file replaces the sound.
constexpr const char *kSampleName = "darezez-buzzer";
// How long past its length a sound may run before it is taken as over.
constexpr int kBackstopMarginMs = 1500;
constexpr int kReconnectMs = 2000;

// Not "event": desktops turn event sounds down or off, and a horn must sound anyway.
// The volume is given with the play, so no remembered per-role volume applies either.
pa_proplist *soundProperties() {
    pa_proplist *p = pa_proplist_new();
    pa_proplist_sets(p, PA_PROP_MEDIA_ROLE, "alarm");
    pa_proplist_sets(p, PA_PROP_MEDIA_NAME, "Buzzer");
    return p;
}

class Locker {
public:
    explicit Locker(pa_threaded_mainloop *loop) : m_loop(loop) { pa_threaded_mainloop_lock(loop); }
    ~Locker() { pa_threaded_mainloop_unlock(m_loop); }
    Locker(const Locker &) = delete;
    Locker &operator=(const Locker &) = delete;

private:
    pa_threaded_mainloop *m_loop;
};

} // namespace

// PulseAudio calls these on its own thread, holding the main loop's lock.
struct PulseCallbacks {
    static void contextState(pa_context *context, void *data) {
        auto *self = static_cast<mmcBuzzer *>(data);
        if (context != self->m_context)
            return;
        switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            pa_operation_unref(
                pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SINK_INPUT, nullptr, nullptr));
            if (!self->m_samples.isEmpty())
                self->uploadLocked();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            self->dropContextLocked();
            break;
        default:
            break;
        }
    }

    static void uploadState(pa_stream *stream, void *data) {
        auto *self = static_cast<mmcBuzzer *>(data);
        if (stream != self->m_upload)
            return;
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state != PA_STREAM_FAILED && state != PA_STREAM_TERMINATED)
            return;
        // Terminated is the normal end of an upload; failed leaves the cache without it.
        if (state == PA_STREAM_FAILED) {
            self->m_cached = false;
            if (self->m_waiting)
                self->endLocked(std::exchange(self->m_waiting, 0));
        }
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_set_write_callback(stream, nullptr, nullptr);
        pa_stream_unref(stream);
        self->m_upload = nullptr;
    }

    static void uploadWrite(pa_stream *stream, size_t bytes, void *data) {
        auto *self = static_cast<mmcBuzzer *>(data);
        if (stream != self->m_upload)
            return;
        const qsizetype left = self->m_samples.size() - self->m_uploaded;
        const qsizetype n = std::min(qsizetype(bytes), left);
        if (n > 0 && pa_stream_write(stream, self->m_samples.constData() + self->m_uploaded,
                                     size_t(n), nullptr, 0, PA_SEEK_RELATIVE) == 0)
            self->m_uploaded += n;
        if (self->m_uploaded < self->m_samples.size() || self->m_cached)
            return;
        pa_stream_finish_upload(stream);
        // The server takes requests in order: a play sent now finds the sample.
        self->m_cached = true;
        QMetaObject::invokeMethod(self, &mmcBuzzer::ready, Qt::QueuedConnection);
        if (self->m_waiting)
            self->playSampleLocked(std::exchange(self->m_waiting, 0));
    }

    static void sinkInputEvent(pa_context *, pa_subscription_event_type_t type, uint32_t index,
                               void *data) {
        auto *self = static_cast<mmcBuzzer *>(data);
        if ((type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) != PA_SUBSCRIPTION_EVENT_REMOVE ||
            !self->m_haveSinkInput || index != self->m_sinkInput)
            return;
        self->endLocked(self->m_active);
    }

    static void played(pa_context *context, uint32_t sinkInput, void *data) {
        auto *self = static_cast<mmcBuzzer *>(data);
        if (self->m_requests.isEmpty())
            return;
        const quint64 play = self->m_requests.takeFirst();
        if (play != self->m_active) {
            // Cut off or superseded before the server answered.
            if (sinkInput != PA_INVALID_INDEX)
                pa_operation_unref(
                    pa_context_kill_sink_input(context, sinkInput, nullptr, nullptr));
            return;
        }
        if (sinkInput != PA_INVALID_INDEX) {
            self->m_sinkInput = sinkInput;
            self->m_haveSinkInput = true;
            return;
        }
        // The sample left the cache (another copy of the program closed it): once more.
        if (pa_context_errno(context) == PA_ERR_NOENTITY && self->m_reloaded != play &&
            !self->m_samples.isEmpty()) {
            self->m_reloaded = play;
            self->m_cached = false;
            self->m_waiting = play;
            self->uploadLocked();
            return;
        }
        self->endLocked(play);
    }
};

mmcBuzzer::mmcBuzzer(QObject *parent) : BuzzerDevice(parent) {
    m_backstop.setSingleShot(true);
    connect(&m_backstop, &QTimer::timeout, this, [this] {
        // The server never said the sound was over: stop it, so no second one overlaps.
        {
            Locker lock(m_loop);
            killCurrentLocked();
            m_active = 0;
            m_waiting = 0;
        }
        finish(m_play);
    });
    m_reconnect.setSingleShot(true);
    connect(&m_reconnect, &QTimer::timeout, this, [this] {
        Locker lock(m_loop);
        if (!m_context && !m_samples.isEmpty())
            connectLocked();
    });
    m_loop = pa_threaded_mainloop_new();
    pa_threaded_mainloop_set_name(m_loop, "buzzer");
    pa_threaded_mainloop_start(m_loop);
}

mmcBuzzer::~mmcBuzzer() {
    {
        Locker lock(m_loop);
        killCurrentLocked();
        if (m_context) {
            pa_operation_unref(pa_context_remove_sample(m_context, kSampleName, nullptr, nullptr));
            dropContextLocked();
        }
    }
    // No callback runs after this, so none can reach the object being destroyed.
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
}

bool mmcBuzzer::isReady() const {
    Locker lock(m_loop);
    return m_cached;
}

void mmcBuzzer::open() {
    close();
    std::optional<SoundFile> sound = SoundFile::Read(FileName());
    if (!sound || sound->durationMs() <= 0)
        return; // silent: not a sound the server takes
    m_durationMs = sound->durationMs();
    Locker lock(m_loop);
    m_samples = std::move(sound->samples);
    m_rate = sound->sampleRate;
    m_channels = sound->channels;
    if (!m_context)
        connectLocked();
    else if (pa_context_get_state(m_context) == PA_CONTEXT_READY)
        uploadLocked();
    // Still connecting: the upload starts once the connection is up.
}

void mmcBuzzer::play() {
    if (m_playing)
        return;
    m_playing = true;
    const quint64 play = ++m_play;
    // For measuring from outside: the request's instant on the system's monotonic clock.
    if (lcBuzzer().isDebugEnabled()) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        qCDebug(lcBuzzer, "play-at-ns %lld", qint64(now.tv_sec) * 1000000000LL + now.tv_nsec);
    }
    if (!isOpen()) {
        // Nothing to play: report the end at once, so the buzzer is never stuck on.
        QMetaObject::invokeMethod(
            this, [this, play] { finish(play); }, Qt::QueuedConnection);
        return;
    }
    m_backstop.start(int(m_durationMs) + kBackstopMarginMs);
    Locker lock(m_loop);
    m_active = play;
    if (m_cached && m_context) {
        playSampleLocked(play);
        return;
    }
    // The sound reaches the server first: at once after a restart of the server.
    m_waiting = play;
    if (!m_context)
        connectLocked();
    else if (pa_context_get_state(m_context) == PA_CONTEXT_READY && !m_upload)
        uploadLocked();
}

void mmcBuzzer::stop() {
    Locker lock(m_loop);
    killCurrentLocked();
}

void mmcBuzzer::close() {
    {
        Locker lock(m_loop);
        killCurrentLocked();
        m_active = 0;
        m_waiting = 0;
        dropUploadLocked();
        if (m_context && m_cached)
            pa_operation_unref(pa_context_remove_sample(m_context, kSampleName, nullptr, nullptr));
        m_cached = false;
        m_samples.clear();
    }
    m_durationMs = 0;
    m_reconnect.stop();
    if (m_playing)
        finish(m_play); // cut off
}

void mmcBuzzer::finish(quint64 play) {
    if (play != m_play || !m_playing)
        return;
    m_backstop.stop();
    m_playing = false;
    emit Done();
}

void mmcBuzzer::connectLater() {
    if (isOpen() && !m_reconnect.isActive())
        m_reconnect.start(kReconnectMs);
}

void mmcBuzzer::connectLocked() {
    pa_proplist *props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Darezez");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "io.github.quenlith.Darezez");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, "io.github.quenlith.Darezez");
    m_context =
        pa_context_new_with_proplist(pa_threaded_mainloop_get_api(m_loop), "Darezez", props);
    pa_proplist_free(props);
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, PulseCallbacks::contextState, this);
    pa_context_set_subscribe_callback(m_context, PulseCallbacks::sinkInputEvent, this);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        dropContextLocked();
}

void mmcBuzzer::dropUploadLocked() {
    if (!m_upload)
        return;
    pa_stream_set_state_callback(m_upload, nullptr, nullptr);
    pa_stream_set_write_callback(m_upload, nullptr, nullptr);
    // A stream of a context already gone cannot be disconnected; only let go.
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(m_upload)))
        pa_stream_disconnect(m_upload);
    pa_stream_unref(m_upload);
    m_upload = nullptr;
}

void mmcBuzzer::dropContextLocked() {
    dropUploadLocked();
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    m_cached = false;
    m_requests.clear();
    // Whatever was sounding went with the server.
    if (m_active)
        endLocked(m_active);
    m_waiting = 0;
    QMetaObject::invokeMethod(this, &mmcBuzzer::connectLater, Qt::QueuedConnection);
}

void mmcBuzzer::uploadLocked() {
    dropUploadLocked();
    m_cached = false;
    m_uploaded = 0;
    const pa_sample_spec format{PA_SAMPLE_S16LE, uint32_t(m_rate), uint8_t(m_channels)};
    pa_proplist *props = soundProperties();
    m_upload = pa_stream_new_with_proplist(m_context, kSampleName, &format, nullptr, props);
    pa_proplist_free(props);
    if (!m_upload) {
        if (m_waiting)
            endLocked(std::exchange(m_waiting, 0));
        return;
    }
    pa_stream_set_state_callback(m_upload, PulseCallbacks::uploadState, this);
    pa_stream_set_write_callback(m_upload, PulseCallbacks::uploadWrite, this);
    if (pa_stream_connect_upload(m_upload, size_t(m_samples.size())) < 0) {
        pa_stream_set_state_callback(m_upload, nullptr, nullptr);
        pa_stream_set_write_callback(m_upload, nullptr, nullptr);
        pa_stream_unref(m_upload);
        m_upload = nullptr;
        if (m_waiting)
            endLocked(std::exchange(m_waiting, 0));
    }
}

void mmcBuzzer::playSampleLocked(quint64 play) {
    pa_proplist *props = soundProperties();
    pa_operation *op = pa_context_play_sample_with_proplist(
        m_context, kSampleName, nullptr, PA_VOLUME_NORM, props, PulseCallbacks::played, this);
    pa_proplist_free(props);
    if (!op) {
        endLocked(play);
        return;
    }
    pa_operation_unref(op);
    m_requests.append(play);
}

void mmcBuzzer::endLocked(quint64 play) {
    if (play == m_active) {
        m_active = 0;
        m_haveSinkInput = false;
    }
    QMetaObject::invokeMethod(
        this, [this, play] { finish(play); }, Qt::QueuedConnection);
}

void mmcBuzzer::killCurrentLocked() {
    if (m_haveSinkInput && m_context)
        pa_operation_unref(pa_context_kill_sink_input(m_context, m_sinkInput, nullptr, nullptr));
    m_haveSinkInput = false;
}
