#include "PulseClipPlayer.h"

#include <pulse/stream.h>

#include <mutex>

#include "PulseSession.h"
#include "PulseStream.h"
#include "log/Log.h"

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
    if (!clip)
        logDebug(LogCategory::audio,
                 "PulseAudio clips: cannot read " + path + ", the chime instead");
    playSamples(clip ? *clip : fallbackChime());
}

void PulseClipPlayer::playSamples(const ClipSamples& samples) {
    if (samples.empty() || !ensureStream()) return;
    const auto deadline = Clock::now() + clipLength(samples) + m_timing.playMargin;
    const auto drain = [&]() -> pa_operation* {
        // Uncork and write at once: the server takes the commands in order.
        pulse::letRun(pa_stream_cork(m_stream.get(), 0, nullptr, nullptr));
        // The whole clip goes to the server at once (it is short, and well under
        // the server's buffer limit): the sink then plays it at its own pace, and
        // a busy caller cannot starve the small buffer in the middle of a word.
        if (pa_stream_write(m_stream.get(), samples.data(), samples.size() * sizeof(samples[0]),
                            nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return nullptr;
        // The drain is answered once the sink has played the last sample.
        return pa_stream_drain(m_stream.get(), nullptr, nullptr);
    };
    // Corked between clips, the stream lets the sink go idle (and suspend)
    // while the sink keeps the stream's small latency.
    const auto cork = [&] { return pa_stream_cork(m_stream.get(), 1, nullptr, nullptr); };
    if (!m_session->request(drain, deadline) || !m_session->request(cork, deadline))
        fail("PulseAudio clips: the clip was not played out");
}

void PulseClipPlayer::stop() {
    if (!m_stream || !healthy()) return;
    const auto flush = [&] { return pa_stream_flush(m_stream.get(), nullptr, nullptr); };
    if (!m_session->request(flush, Clock::now() + m_timing.stopLimit))
        fail("PulseAudio clips: the flush was not answered");
}

void PulseClipPlayer::interrupt() {
    std::lock_guard handles(m_handles);
    if (!m_session || !m_stream) return;
    std::lock_guard lock(*m_session);
    if (pa_stream_get_state(m_stream.get()) != PA_STREAM_READY) return;
    pulse::letRun(pa_stream_flush(m_stream.get(), nullptr, nullptr));
}

bool PulseClipPlayer::ensureStream() {
    if (m_stream) {
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
    fail("PulseAudio clips: no stream; silent for a while");
    return false;
}

bool PulseClipPlayer::open(Clock::time_point deadline) {
    std::unique_ptr<pulse::Session> session = pulse::Session::open("alarm-clock", deadline);
    if (!session) return false;
    {
        std::lock_guard handles(m_handles);
        m_session = std::move(session);
        std::lock_guard lock(*m_session);
        const pa_sample_spec spec{PA_SAMPLE_S16LE, clipRate, 1};
        const auto target =
            std::chrono::duration_cast<std::chrono::microseconds>(m_timing.bufferLength);
        const auto wake = [](pa_stream*, void* session) {
            static_cast<pulse::Session*>(session)->wake();
        };
        m_stream = openPlayback(m_session->context(), "voice clip", spec, nullptr,
                                static_cast<pa_usec_t>(target.count()), true, wake, nullptr,
                                m_session.get());
    }
    pa_stream* stream = m_stream.get();
    if (!stream) return false;
    const auto settled = [stream] { return pa_stream_get_state(stream) != PA_STREAM_CREATING; };
    return m_session->waitUntil(settled, deadline) && healthy();
}

bool PulseClipPlayer::healthy() const {
    std::lock_guard lock(*m_session);
    return m_session->ready() && pa_stream_get_state(m_stream.get()) == PA_STREAM_READY;
}

void PulseClipPlayer::fail(std::string_view why) {
    logDebug(LogCategory::audio, why);
    close();
    m_retryAt = Clock::now() + m_timing.retryAfter;
}

void PulseClipPlayer::close() {
    std::lock_guard handles(m_handles);
    if (m_stream) {
        std::lock_guard lock(*m_session);
        m_stream.reset();
    }
    m_session.reset();
}
