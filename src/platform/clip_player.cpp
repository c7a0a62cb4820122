// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/clip_player.h"

#include <pulse/pulseaudio.h>

#include <QLoggingCategory>
#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <tuple>

Q_LOGGING_CATEGORY(playerLog, "sorteggina.player", QtWarningMsg)

namespace {

double monotonicSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

// Everything here but the constructor and destructor runs with the main loop's lock held,
// on libpulse's thread (callbacks) or on the caller's (play).
struct ClipPlayer::Pulse {
    explicit Pulse(ClipPlayer *owner) : owner(owner) { }

    void connect()
    {
        context = pa_context_new(pa_threaded_mainloop_get_api(loop), "Sorteggina");
        pa_context_set_state_callback(context, &Pulse::contextChanged, this);
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
            qCWarning(playerLog) << "No sound server:" << pa_strerror(pa_context_errno(context));
    }

    void disconnect()
    {
        if (stream) {
            pa_stream_set_state_callback(stream, nullptr, nullptr);
            pa_stream_disconnect(stream);
            pa_stream_unref(stream);
            stream = nullptr;
        }
        if (context) {
            pa_context_set_state_callback(context, nullptr, nullptr);
            pa_context_disconnect(context);
            pa_context_unref(context);
            context = nullptr;
        }
        ready = false;
        endPlaying();
    }

    static void contextChanged(pa_context *context, void *self)
    {
        auto *pulse = static_cast<Pulse *>(self);
        const pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY)
            pulse->openStream();
        else if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) {
            qCWarning(playerLog) << "Sound server lost:" << pa_strerror(pa_context_errno(context));
            pulse->lost = true;
            pulse->ready = false;
            pulse->endPlaying();
        }
    }

    void openStream()
    {
        const pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 1};
        stream = pa_stream_new(context, "La mia voce", &spec, nullptr);
        pa_stream_set_state_callback(stream, &Pulse::streamChanged, this);
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.tlength = uint32_t(pa_usec_to_bytes(kBufferMs * 1000, &spec));
        attr.prebuf = uint32_t(-1);
        attr.minreq = uint32_t(-1);
        attr.fragsize = uint32_t(-1);
        if (pa_stream_connect_playback(stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0)
            qCWarning(playerLog) << "No playback stream:" << pa_strerror(pa_context_errno(context));
    }

    static void streamChanged(pa_stream *stream, void *self)
    {
        auto *pulse = static_cast<Pulse *>(self);
        const pa_stream_state_t state = pa_stream_get_state(stream);
        pulse->ready = state == PA_STREAM_READY;
        if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
            pulse->lost = true;
            pulse->endPlaying();
        }
    }

    // The whole clip at once: the server holds it all, so no sample can come late; then it is
    // started even when shorter than the prebuffer, and waited for to be heard.
    void write()
    {
        pa_stream_write(stream, clip->data(), clip->size() * sizeof(qint16), nullptr, 0, PA_SEEK_RELATIVE);
        pa_operation_unref(pa_stream_trigger(stream, nullptr, nullptr));
        pa_operation_unref(pa_stream_drain(stream, &Pulse::drained, this));
    }

    // For the bench: when the server expects the clip's first sample at the speakers.
    void logTiming(double called, double written)
    {
        if (!playerLog().isDebugEnabled())
            return;
        timing = {called, written, double(clip->size()) / kRate};
        pa_operation_unref(pa_stream_update_timing_info(stream, &Pulse::timed, this));
    }

    static void timed(pa_stream *stream, int success, void *self)
    {
        const auto [called, written, seconds] = static_cast<Pulse *>(self)->timing;
        pa_usec_t latency = 0;
        int negative = 0;
        if (success && pa_stream_get_latency(stream, &latency, &negative) == 0)
            qCDebug(playerLog, "play at %.6f written %.6f first sample due %.6f", called, written,
                monotonicSeconds() + (negative ? -1.0 : 1.0) * double(latency) / 1e6 - seconds);
    }

    static void drained(pa_stream *, int, void *self)
    {
        auto *pulse = static_cast<Pulse *>(self);
        if (pulse->clip)
            pulse->endPlaying();
    }

    void endPlaying()
    {
        if (!clip)
            return;
        clip.reset();
        QMetaObject::invokeMethod(owner, &ClipPlayer::finished, Qt::QueuedConnection);
    }

    ClipPlayer *owner;
    pa_threaded_mainloop *loop = pa_threaded_mainloop_new();
    pa_context *context = nullptr;
    pa_stream *stream = nullptr;
    bool started = false;
    bool ready = false;
    bool lost = false;
    std::shared_ptr<const std::vector<qint16>> clip;
    // A sample written now is heard after the latency; the clip's first, its length earlier.
    std::tuple<double, double, double> timing; // play called, clip written, clip's seconds
};

namespace {

// The main loop's lock for a scope.
class Locked {
public:
    explicit Locked(pa_threaded_mainloop *loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
    ~Locked() { pa_threaded_mainloop_unlock(loop_); }
    Locked(const Locked &) = delete;
    Locked &operator=(const Locked &) = delete;

private:
    pa_threaded_mainloop *loop_;
};

} // namespace

ClipPlayer::ClipPlayer(QObject *parent) : QObject(parent), pulse_(std::make_unique<Pulse>(this)) { }

void ClipPlayer::open()
{
    if (pulse_->started)
        return;
    pulse_->started = true;
    pulse_->connect();
    pa_threaded_mainloop_start(pulse_->loop);
}

ClipPlayer::~ClipPlayer()
{
    if (pulse_->started) {
        {
            Locked lock(pulse_->loop);
            pulse_->disconnect();
        }
        pa_threaded_mainloop_stop(pulse_->loop);
    }
    pa_threaded_mainloop_free(pulse_->loop);
}

bool ClipPlayer::play(std::shared_ptr<const std::vector<qint16>> clip)
{
    const double called = monotonicSeconds();
    if (!pulse_->started)
        return false;
    Locked lock(pulse_->loop);
    // A server restarted since: connected again for the next clip, this one said otherwise.
    if (pulse_->lost) {
        pulse_->lost = false;
        pulse_->disconnect();
        pulse_->connect();
        return false;
    }
    if (!pulse_->ready || pulse_->clip || !clip || clip->empty())
        return false;
    pulse_->clip = std::move(clip);
    pulse_->write();
    pulse_->logTiming(called, monotonicSeconds());
    return true;
}

bool ClipPlayer::playing() const
{
    if (!pulse_->started)
        return false;
    Locked lock(pulse_->loop);
    return bool(pulse_->clip);
}

bool ClipPlayer::ready() const
{
    if (!pulse_->started)
        return false;
    Locked lock(pulse_->loop);
    return pulse_->ready;
}
