#include "PulseClipPlayer.h"

#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <pulse/operation.h>
#include <pulse/stream.h>

#include <algorithm>

#include "StreamBuffer.h"

PulseClipPlayer::PulseClipPlayer() : PulseClipPlayer(Timing{}) {}

PulseClipPlayer::PulseClipPlayer(Timing timing) : m_timing(timing) {
    // Open the stream now: the sink needs a moment (up to its idle latency,
    // about 2 s on a null sink) to settle at the stream's small latency, and
    // the first clip should not wait for that.
    ensureStream();
}

PulseClipPlayer::~PulseClipPlayer() {
    close();
}

void PulseClipPlayer::play(const std::string& path) {
    // While the server is known to be unreachable there is nothing to decode for.
    if (!m_stream && m_retryAt && Clock::now() < *m_retryAt) return;
    const std::optional<ClipSamples> clip = loadClipAudio(path);
    playSamples(clip ? *clip : fallbackChime());
}

void PulseClipPlayer::playSamples(const ClipSamples& samples) {
    if (samples.empty() || !ensureStream()) return;
    m_lastAnswer = Clock::now();
    const auto deadline = m_lastAnswer + clipLength(samples) + m_timing.playMargin;
    // Uncork and write at once: the server takes the commands in order.
    if (pa_operation* uncork = pa_stream_cork(m_stream, 0, nullptr, nullptr))
        pa_operation_unref(uncork);
    const bool played = writeAll(samples) &&
                        // The drain is answered once the sink has played the last sample.
                        finish(pa_stream_drain(m_stream, nullptr, nullptr), deadline) &&
                        // Corked between clips, the stream lets the sink go idle (and
                        // suspend) while the sink keeps the stream's small latency.
                        finish(pa_stream_cork(m_stream, 1, nullptr, nullptr), deadline);
    dropPing();
    if (!played) fail();
}

void PulseClipPlayer::stop() {
    if (!m_stream || !healthy()) return;
    m_lastAnswer = Clock::now();
    const bool flushed =
        finish(pa_stream_flush(m_stream, nullptr, nullptr), m_lastAnswer + m_timing.stopLimit);
    dropPing();
    if (!flushed) fail();
}

bool PulseClipPlayer::ensureStream() {
    if (m_stream) {
        // Take in what the server said since the last clip (it may have gone away).
        pa_mainloop_iterate(m_loop, 0, nullptr);
        if (healthy()) return true;
        // A connection that broke while idle is opened again at once.
        close();
    } else if (m_retryAt && Clock::now() < *m_retryAt) {
        return false;
    }
    if (open(Clock::now() + m_timing.connectLimit)) {
        m_retryAt.reset();
        return true;
    }
    fail();
    return false;
}

bool PulseClipPlayer::open(Clock::time_point deadline) {
    m_loop = pa_mainloop_new();
    if (!m_loop) return false;
    m_context = pa_context_new(pa_mainloop_get_api(m_loop), "alarm-clock");
    if (!m_context) return false;
    // The server named by PULSE_SERVER or the client configuration; never start one.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
    pa_context* context = m_context;
    const auto contextSettled = [context] {
        const pa_context_state_t state = pa_context_get_state(context);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    };
    if (!runUntil(contextSettled, deadline) || pa_context_get_state(context) != PA_CONTEXT_READY)
        return false;

    const pa_sample_spec spec{PA_SAMPLE_S16LE, clipRate, 1};
    pa_stream* stream = pa_stream_new(m_context, "voice clip", &spec, nullptr);
    if (!stream) return false;
    // A small target buffer, and the sink's latency brought down to match it.
    const auto bufferUsec =
        std::chrono::duration_cast<std::chrono::microseconds>(m_timing.bufferLength).count();
    const pa_buffer_attr attr = playbackBuffer(static_cast<pa_usec_t>(bufferUsec), spec);
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED);
    if (pa_stream_connect_playback(stream, nullptr, &attr, flags, nullptr, nullptr) < 0) {
        pa_stream_unref(stream);
        return false;
    }
    m_stream = stream;
    const auto streamSettled = [stream] {
        const pa_stream_state_t state = pa_stream_get_state(stream);
        return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
    };
    return runUntil(streamSettled, deadline) && pa_stream_get_state(stream) == PA_STREAM_READY;
}

bool PulseClipPlayer::writeAll(const ClipSamples& samples) {
    // The whole clip goes to the server at once (it is short, and well under the
    // server's buffer limit): the sink then plays it at its own pace, and a
    // busy caller cannot starve the small buffer in the middle of a word.
    return healthy() &&
           pa_stream_write(m_stream, samples.data(), samples.size() * sizeof(samples[0]), nullptr,
                           0, PA_SEEK_RELATIVE) >= 0;
}

bool PulseClipPlayer::finish(pa_operation* operation, Clock::time_point deadline) {
    if (!operation) return false;
    const bool finished =
        runUntil([operation] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; },
                 deadline);
    const bool done = finished && pa_operation_get_state(operation) == PA_OPERATION_DONE;
    // No callback may run for an operation that was given up.
    if (!finished) pa_operation_cancel(operation);
    pa_operation_unref(operation);
    return done;
}

template <typename Done>
bool PulseClipPlayer::runUntil(Done done, Clock::time_point deadline) {
    while (!done())
        if (!waitStep(deadline)) return false;
    return true;
}

bool PulseClipPlayer::waitStep(Clock::time_point deadline) {
    const auto now = Clock::now();
    if (now >= deadline) return false;
    Clock::time_point nextCheck = deadline;
    // While connecting there is nothing to ask; the deadline alone bounds the wait.
    if (healthy() && !answering(now, nextCheck)) return false;
    return iterate(std::min(deadline, nextCheck));
}

bool PulseClipPlayer::answering(Clock::time_point now, Clock::time_point& nextCheck) {
    if (m_ping && pa_operation_get_state(m_ping) != PA_OPERATION_RUNNING) {
        pa_operation_unref(m_ping);
        m_ping = nullptr;
        m_lastAnswer = now;
    }
    if (m_ping) {
        if (now - m_pingSent > m_timing.answerLimit) return false;
        nextCheck = m_pingSent + m_timing.answerLimit;
        return true;
    }
    if (now - m_lastAnswer >= m_timing.pingEvery) {
        // Any request will do; the stream's timing is a small one.
        m_ping = pa_stream_update_timing_info(m_stream, nullptr, nullptr);
        if (!m_ping) return false;
        m_pingSent = now;
        nextCheck = now + m_timing.answerLimit;
        return true;
    }
    nextCheck = m_lastAnswer + m_timing.pingEvery;
    return true;
}

bool PulseClipPlayer::iterate(Clock::time_point until) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(until - Clock::now());
    // At least 1 us, so that the poll never turns into an endless one.
    const int timeout = static_cast<int>(std::clamp<long long>(left.count(), 1, 60'000'000));
    return pa_mainloop_prepare(m_loop, timeout) >= 0 && pa_mainloop_poll(m_loop) >= 0 &&
           pa_mainloop_dispatch(m_loop) >= 0;
}

bool PulseClipPlayer::healthy() const {
    return m_context && m_stream && pa_context_get_state(m_context) == PA_CONTEXT_READY &&
           pa_stream_get_state(m_stream) == PA_STREAM_READY;
}

void PulseClipPlayer::dropPing() {
    if (!m_ping) return;
    pa_operation_cancel(m_ping);
    pa_operation_unref(m_ping);
    m_ping = nullptr;
}

void PulseClipPlayer::fail() {
    close();
    m_retryAt = Clock::now() + m_timing.retryAfter;
}

void PulseClipPlayer::close() {
    dropPing();
    if (m_stream) {
        if (PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream))) pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }
    if (m_context) {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    if (m_loop) {
        pa_mainloop_free(m_loop);
        m_loop = nullptr;
    }
}
