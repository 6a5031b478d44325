#include "PulseTrackPlayer.h"

#include <pulse/context.h>
#include <pulse/rtclock.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

#include <cstring>

#include "StreamBuffer.h"
#include "TrackFile.h"

namespace {

constexpr int stopped = 1;
constexpr int failed = 0;

// How far ahead of the sink the stream is kept filled: enough to ride out a
// busy moment, and a new file is still heard at once.
constexpr pa_usec_t bufferUsec = 250 * PA_USEC_PER_MSEC;
// How long the player waits before it tries a missing or lost server again.
constexpr pa_usec_t retryUsec = 2 * PA_USEC_PER_SEC;

// Holds the player's PulseAudio thread off while the caller works on its state.
class Locked {
  public:
    explicit Locked(pa_threaded_mainloop* thread) : m_thread(thread) {
        if (m_thread) pa_threaded_mainloop_lock(m_thread);
    }
    ~Locked() {
        if (m_thread) pa_threaded_mainloop_unlock(m_thread);
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

  private:
    pa_threaded_mainloop* m_thread;
};

}  // namespace

PulseTrackPlayer::PulseTrackPlayer() {
    m_thread = pa_threaded_mainloop_new();
    if (!m_thread) return;
    pa_threaded_mainloop_set_name(m_thread, "alarm-track");
    if (pa_threaded_mainloop_start(m_thread) < 0) {
        pa_threaded_mainloop_free(m_thread);
        m_thread = nullptr;
        return;
    }
    Locked locked(m_thread);
    connect();
}

PulseTrackPlayer::~PulseTrackPlayer() {
    if (!m_thread) return;
    // With the thread stopped nothing else touches the player.
    pa_threaded_mainloop_stop(m_thread);
    dropStream();
    dropContext();
    if (m_retry) pa_threaded_mainloop_get_api(m_thread)->time_free(m_retry);
    pa_threaded_mainloop_free(m_thread);
}

bool PulseTrackPlayer::tryOpen(const std::string& path) {
    std::unique_ptr<TrackFile> file = TrackFile::open(path);
    if (!file) return false;
    Locked locked(m_thread);
    dropStream();
    m_file = std::move(file);
    m_url = path;
    m_state = Playing;
    startStream();
    return true;
}

void PulseTrackPlayer::setLoop(bool loop) {
    Locked locked(m_thread);
    m_loop = loop;
}

void PulseTrackPlayer::open(const std::string& path) {
    if (tryOpen(path)) return;
    {
        Locked locked(m_thread);
        dropStream();
        m_file.reset();
        m_url = path;
        m_state = failed;
    }
    if (onError) onError();
}

std::string PulseTrackPlayer::url() const {
    Locked locked(m_thread);
    return m_url;
}

int PulseTrackPlayer::playState() const {
    Locked locked(m_thread);
    return m_state;
}

void PulseTrackPlayer::pause() {
    Locked locked(m_thread);
    if (!m_file || m_state == failed) return;
    m_state = Paused;
    applyCork();
}

void PulseTrackPlayer::play() {
    Locked locked(m_thread);
    if (!m_file || m_state == failed) return;
    m_state = Playing;
    applyCork();    // a stream that is there
    startStream();  // or one that is not yet
}

void PulseTrackPlayer::stop() {
    Locked locked(m_thread);
    if (!m_file || m_state == failed) return;
    m_state = stopped;
    // What the server still holds of the track goes with the stream.
    dropStream();
    m_file->rewind();
}

bool PulseTrackPlayer::streaming() const {
    Locked locked(m_thread);
    return m_stream && pa_stream_get_state(m_stream) == PA_STREAM_READY;
}

// Everything below runs with the player locked: on its own thread in a
// callback, or on the caller's thread under Locked.

void PulseTrackPlayer::connect() {
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_thread), "alarm-clock");
    if (!m_context) return;  // out of memory: the track stays silent
    pa_context_set_state_callback(m_context, contextChanged, this);
    // The server named by PULSE_SERVER or the client configuration; never start one.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) retryLater();
}

void PulseTrackPlayer::dropContext() {
    if (!m_context) return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
}

void PulseTrackPlayer::contextChanged(pa_context* context, void* self) {
    auto* player = static_cast<PulseTrackPlayer*>(self);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
        if (player->m_state == Playing || player->m_state == Paused) player->startStream();
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        // The server went away or never came: try again in a while.
        player->dropStream();
        player->retryLater();
    }
}

void PulseTrackPlayer::startStream() {
    if (m_stream || !m_file || !m_context || pa_context_get_state(m_context) != PA_CONTEXT_READY)
        return;
    const pa_sample_spec spec{PA_SAMPLE_S16NE, static_cast<uint32_t>(m_file->rate()),
                              static_cast<uint8_t>(m_file->channels())};
    pa_channel_map map;
    if (!pa_sample_spec_valid(&spec) ||
        !pa_channel_map_init_extend(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT))
        return fail();
    m_stream = pa_stream_new(m_context, "alarm track", &spec, &map);
    if (!m_stream) return retryLater();
    pa_stream_set_state_callback(m_stream, streamChanged, this);
    pa_stream_set_write_callback(m_stream, streamWants, this);
    const pa_buffer_attr attr = playbackBuffer(bufferUsec, spec);
    auto flags = PA_STREAM_ADJUST_LATENCY;
    if (m_state != Playing) flags = static_cast<pa_stream_flags_t>(flags | PA_STREAM_START_CORKED);
    if (pa_stream_connect_playback(m_stream, nullptr, &attr, flags, nullptr, nullptr) < 0) {
        dropStream();
        retryLater();
    }
}

void PulseTrackPlayer::dropStream() {
    if (!m_stream) return;
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream))) pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
}

void PulseTrackPlayer::streamChanged(pa_stream* stream, void* self) {
    auto* player = static_cast<PulseTrackPlayer*>(self);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY) {
        // A pause or play that came while the stream was opening.
        player->applyCork();
    } else if (!PA_STREAM_IS_GOOD(state)) {
        player->dropStream();
        player->retryLater();
    }
}

void PulseTrackPlayer::streamWants(pa_stream*, std::size_t bytes, void* self) {
    static_cast<PulseTrackPlayer*>(self)->feed(bytes);
}

void PulseTrackPlayer::feed(std::size_t bytes) {
    const std::size_t frameBytes = m_file->frameBytes();
    while (m_stream && bytes >= frameBytes) {
        void* buffer = nullptr;
        std::size_t size = bytes;
        if (pa_stream_begin_write(m_stream, &buffer, &size) < 0 || !buffer) return;
        const std::size_t wanted = size / frameBytes;
        std::size_t got = m_file->read(static_cast<std::int16_t*>(buffer), wanted, m_loop);
        if (got < wanted && !m_file->ended() && !m_file->broken()) {
            // The decoder is behind: silence for now keeps the server asking for more.
            std::memset(static_cast<char*>(buffer) + got * frameBytes, 0,
                        (wanted - got) * frameBytes);
            got = wanted;
        }
        if (got == 0) {
            pa_stream_cancel_write(m_stream);
        } else {
            pa_stream_write(m_stream, buffer, got * frameBytes, nullptr, 0, PA_SEEK_RELATIVE);
            bytes -= got * frameBytes;
        }
        if (got < wanted) {
            // The end of a track that does not loop, or a file gone bad.
            if (m_file->broken())
                fail();
            else
                m_state = stopped;
            return;
        }
    }
}

void PulseTrackPlayer::applyCork() {
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY) return;
    const int cork = m_state == Playing ? 0 : 1;
    if (pa_stream_is_corked(m_stream) == cork) return;
    if (pa_operation* operation = pa_stream_cork(m_stream, cork, nullptr, nullptr))
        pa_operation_unref(operation);
}

void PulseTrackPlayer::retryLater() {
    // On the monotonic clock: a wall clock set forward or back does not move the retry.
    if (m_retry || !m_context) return;
    m_retry = pa_context_rttime_new(
        m_context, pa_rtclock_now() + retryUsec,
        [](pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self) {
            auto* player = static_cast<PulseTrackPlayer*>(self);
            api->time_free(event);
            player->m_retry = nullptr;
            player->retryNow();
        },
        this);
}

void PulseTrackPlayer::retryNow() {
    if (!m_context || !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))) {
        dropContext();
        connect();
    } else if (m_state == Playing || m_state == Paused) {
        startStream();
    }
}

void PulseTrackPlayer::fail() {
    dropStream();
    m_state = failed;
    if (onError) onError();
}
