#pragma once
// Voice clips on PulseAudio. Each play() decodes the file, writes it to one
// low-latency playback stream and returns when the server has played it out.
// The stream is opened when the player is made and stays open, corked between
// clips, so clips follow one another with a gap of a few milliseconds and the
// first clip after a silence is not held up by an idle sink's large latency.
// The waits are those of a pulse::Session: no server, a frozen server or a
// server that goes away makes the call return early and silently, and the
// player then waits a while before it tries to connect again.

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/pulse/ClipAudio.h"
#include "platform/pulse/PulseRef.h"
#include "speech/ClipPlayer.h"

namespace pulse {
class Session;
}

class PulseClipPlayer : public ClipSound {
  public:
    struct Timing {
        // Connecting and opening the stream, all told.
        std::chrono::milliseconds connectLimit{1500};
        // How long play() may run beyond the clip's length. A sink that was
        // idle before the stream came may take up to 2 s to start playing it.
        std::chrono::milliseconds playMargin{3000};
        // After a failed connection, plays are silent this long before the next try.
        std::chrono::milliseconds retryAfter{5000};
        // How long stop() waits for the server to confirm.
        std::chrono::milliseconds stopLimit{300};
        // The stream's target latency: the sink plays this far behind the
        // stream, so it is also about the gap between two clips.
        std::chrono::milliseconds bufferLength{10};
    };

    // Connects at once (within connectLimit); a failure only silences the clips.
    PulseClipPlayer();
    explicit PulseClipPlayer(Timing timing);
    ~PulseClipPlayer() override;
    PulseClipPlayer(const PulseClipPlayer&) = delete;
    PulseClipPlayer& operator=(const PulseClipPlayer&) = delete;

    // Plays the file to its end; a file that cannot be read plays the chime.
    void play(const std::string& path) override;
    // Drops whatever clip sound is still queued on the server.
    void stop();
    // Cuts the clip that play() plays now, from any thread: what the server
    // still holds of it is dropped, so the drain play() waits for ends at once.
    void interrupt() override;

    // Plays samples at clipRate to their end (what play() does after decoding).
    void playSamples(const ClipSamples& samples);
    // True while a stream is open.
    bool connected() const { return m_stream != nullptr; }

  private:
    using Clock = std::chrono::steady_clock;

    bool ensureStream();
    bool open(Clock::time_point deadline);
    bool healthy() const;
    void fail(std::string_view why);
    void close();

    Timing m_timing;
    std::unique_ptr<pulse::Session> m_session;
    pulse::Stream m_stream;
    // Held while the session and the stream are made or dropped, so that
    // interrupt() on another thread sees them whole.
    std::mutex m_handles;
    std::optional<Clock::time_point> m_retryAt;
};
