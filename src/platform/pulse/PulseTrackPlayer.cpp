#include "PulseTrackPlayer.h"

#include <pulse/error.h>
#include <pulse/stream.h>
#include <pulse/timeval.h>

#include <cstring>
#include <mutex>

#include "ClipTrackFile.h"
#include "PulseSession.h"
#include "PulseStream.h"
#include "TrackFile.h"
#include "log/Log.h"

namespace {

constexpr int stopped = 1;
constexpr int failed = 0;

// How far ahead of the sink the stream is kept filled: enough to ride out a
// busy moment, and a new file is still heard at once.
constexpr pa_usec_t bufferUsec = 250 * PA_USEC_PER_MSEC;
// The least the server asks for at a time: a loop of music needs no
// low-latency steps, and each one wakes the player.
constexpr pa_usec_t stepUsec = 100 * PA_USEC_PER_MSEC;
// How long the player waits before it tries a missing or lost server again.
constexpr std::chrono::seconds retryDelay{2};

using Locked = std::lock_guard<pulse::Session>;

}  // namespace

PulseTrackPlayer::PulseTrackPlayer()
    : m_session(std::make_unique<pulse::Session>("alarm-track", retryDelay)) {
    Locked locked(*m_session);
    m_session->onChange = [this] { connectionChanged(); };
    m_session->connect();
}

PulseTrackPlayer::~PulseTrackPlayer() {
    if (m_opener.joinable()) m_opener.join();
    // Nothing calls back into the player once this is done; the session ends after it.
    Locked locked(*m_session);
    m_session->onChange = nullptr;
    m_stream.reset();
}

bool PulseTrackPlayer::tryOpen(const std::string& path) {
    if (m_opener.joinable()) m_opener.join();
    std::unique_ptr<TrackFile> file = TrackFile::open(path);
    if (!file) return false;
    Locked locked(*m_session);
    ++m_opening;
    m_stream.reset();
    m_file = std::move(file);
    m_url = path;
    m_state = Playing;
    startStream();
    return true;
}

void PulseTrackPlayer::setLoop(bool loop) {
    Locked locked(*m_session);
    m_loop = loop;
}

void PulseTrackPlayer::open(const std::string& path) {
    // The decoder may take a moment to find the file's first sound (GStreamer
    // to start, the first time): that happens on a thread of its own, so the
    // caller goes on at once. Until then the player reads as playing, and a
    // pause or play meanwhile takes effect when the sound is there.
    if (m_opener.joinable()) m_opener.join();
    unsigned opening = 0;
    {
        Locked locked(*m_session);
        m_stream.reset();
        m_file.reset();
        m_url = path;
        m_state = Playing;
        opening = ++m_opening;
        if (m_readySound && path == m_readyPath) {
            m_file = std::make_unique<ClipTrackFile>(m_readySound);
            startStream();
            return;
        }
    }
    m_opener = std::thread([this, path, opening] {
        std::unique_ptr<TrackFile> file = TrackFile::open(path);
        {
            Locked locked(*m_session);
            if (opening != m_opening) return;  // another file since
            if (file) {
                m_file = std::move(file);
                if (m_state != stopped) startStream();
                return;
            }
            logDebug(LogCategory::audio, "PulseAudio track: GStreamer cannot play " + path);
            m_state = failed;
        }
        if (onError) onError();
    });
}

void PulseTrackPlayer::keepReady(const std::string& path) {
    std::optional<ClipSamples> sound = loadClipAudio(path);
    if (!sound) logDebug(LogCategory::audio, "PulseAudio track: cannot read " + path);
    Locked locked(*m_session);
    m_readyPath = path;
    m_readySound = sound ? std::make_shared<const ClipSamples>(std::move(*sound)) : nullptr;
}

std::string PulseTrackPlayer::url() const {
    Locked locked(*m_session);
    return m_url;
}

TrackPlayer::PlayState PulseTrackPlayer::playState() const {
    Locked locked(*m_session);
    return static_cast<PlayState>(m_state);
}

void PulseTrackPlayer::pause() {
    Locked locked(*m_session);
    if (m_url.empty() || m_state == failed) return;
    m_state = Paused;
    applyCork();
}

void PulseTrackPlayer::play() {
    Locked locked(*m_session);
    if (m_url.empty() || m_state == failed) return;
    m_state = Playing;
    applyCork();    // a stream that is there
    startStream();  // or one that is not yet
}

void PulseTrackPlayer::stop() {
    Locked locked(*m_session);
    if (m_url.empty() || m_state == failed) return;
    m_state = stopped;
    // What the server still holds of the track goes with the stream.
    m_stream.reset();
    if (m_file) m_file->rewind();
}

unsigned long long PulseTrackPlayer::soundWritten() const {
    Locked locked(*m_session);
    return m_framesWritten;
}

bool PulseTrackPlayer::streaming() const {
    Locked locked(*m_session);
    return m_stream && pa_stream_get_state(m_stream.get()) == PA_STREAM_READY;
}

// Everything below runs with the player locked: on its own thread in a
// callback, or on the caller's thread under Locked.

void PulseTrackPlayer::connectionChanged() {
    // The session connects again by itself when the server went away or never came.
    if (!m_session->ready())
        m_stream.reset();
    else if (m_state == Playing || m_state == Paused)
        startStream();
}

void PulseTrackPlayer::startStream() {
    if (m_stream || !m_file || !m_session->ready()) return;
    const pa_sample_spec spec{PA_SAMPLE_S16NE, static_cast<uint32_t>(m_file->rate()),
                              static_cast<uint8_t>(m_file->channels())};
    pa_channel_map map;
    if (!pa_sample_spec_valid(&spec) ||
        !pa_channel_map_init_extend(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT))
        return fail();
    m_stream = openPlayback(m_session->context(), "alarm track", spec, &map, bufferUsec,
                            m_state != Playing, streamChanged, streamWants, this, stepUsec);
    if (!m_stream) m_session->reconnectLater();
}

void PulseTrackPlayer::streamChanged(pa_stream* stream, void* self) {
    auto* player = static_cast<PulseTrackPlayer*>(self);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY) {
        // A pause or play that came while the stream was opening.
        player->applyCork();
    } else if (!PA_STREAM_IS_GOOD(state)) {
        logDebug(LogCategory::audio,
                 std::string("PulseAudio track: the stream failed: ") +
                     pa_strerror(pa_context_errno(pa_stream_get_context(stream))));
        player->m_stream.reset();
        player->m_session->reconnectLater();
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
        if (pa_stream_begin_write(m_stream.get(), &buffer, &size) < 0 || !buffer) return;
        const std::size_t wanted = size / frameBytes;
        const std::size_t decoded =
            m_file->read(static_cast<std::int16_t*>(buffer), wanted, m_loop);
        std::size_t got = decoded;
        if (got < wanted && !m_file->ended() && !m_file->broken()) {
            // The decoder is behind: silence for now keeps the server asking for more.
            std::memset(static_cast<char*>(buffer) + got * frameBytes, 0,
                        (wanted - got) * frameBytes);
            got = wanted;
        }
        if (got == 0) {
            pa_stream_cancel_write(m_stream.get());
        } else {
            pa_stream_write(m_stream.get(), buffer, got * frameBytes, nullptr, 0, PA_SEEK_RELATIVE);
            bytes -= got * frameBytes;
            // Only the track's own sound counts, not the silence that stands in for it.
            m_framesWritten += decoded;
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
    if (!m_stream || pa_stream_get_state(m_stream.get()) != PA_STREAM_READY) return;
    const int cork = m_state == Playing ? 0 : 1;
    if (pa_stream_is_corked(m_stream.get()) == cork) return;
    pulse::letRun(pa_stream_cork(m_stream.get(), cork, nullptr, nullptr));
}

void PulseTrackPlayer::fail() {
    logDebug(LogCategory::audio, "PulseAudio track: cannot go on playing " + m_url);
    m_stream.reset();
    m_state = failed;
    if (onError) onError();
}
