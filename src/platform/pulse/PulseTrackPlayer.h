#pragma once
// The alarm track on PulseAudio, for every file GStreamer decodes (TrackFile).
// The player has a pulse::Session of its own, whose thread takes the decoded
// sound as the server asks for it, and the track starts over at its end, so a
// busy window can never starve it. Pause and play cork and uncork the stream and keep the position.
// Callers never wait on the server: a server that is missing, frozen or gone
// leaves the track silent, and the player connects again every few seconds
// and goes on where the track was.

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "clock/Services.h"
#include "platform/pulse/ClipAudio.h"
#include "platform/pulse/PulseRef.h"

class TrackFile;
namespace pulse {
class Session;
}

class PulseTrackPlayer : public TrackPlayer {
  public:
    PulseTrackPlayer();
    ~PulseTrackPlayer() override;
    PulseTrackPlayer(const PulseTrackPlayer&) = delete;
    PulseTrackPlayer& operator=(const PulseTrackPlayer&) = delete;

    // Opens the file and starts it from its beginning when GStreamer decodes
    // it, waiting for its first sound; otherwise returns false and leaves the
    // player as it was.
    bool tryOpen(const std::string& path);

    void setLoop(bool loop) override;
    // As tryOpen(), but returns at once: the file opens on a thread of its
    // own, and one that cannot be decoded is reported through onError.
    void open(const std::string& path) override;
    // A file kept ready opens at once, on the caller's thread, from memory.
    void keepReady(const std::string& path) override;
    std::string url() const override;
    PlayState playState() const override;
    void pause() override;
    void play() override;
    void stop() override;
    // Frames of the track written to the server since the player was made.
    unsigned long long soundWritten() const override;

    // True while the track's stream is connected to the server.
    bool streaming() const;

    // Called when the track cannot be played (it stopped giving sound). It may
    // run on the player's own thread, with the player locked: it must only
    // hand the news on, never call back into the player.
    std::function<void()> onError;

  private:
    static void streamChanged(pa_stream* stream, void* self);
    static void streamWants(pa_stream* stream, std::size_t bytes, void* self);
    void connectionChanged();
    void startStream();
    void feed(std::size_t bytes);
    void applyCork();
    void fail();

    std::unique_ptr<pulse::Session> m_session;
    // Opens the file of the last open(); m_opening counts the files opened,
    // so that an opener whose file was replaced meanwhile leaves the player be.
    std::thread m_opener;
    unsigned m_opening = 0;
    pulse::Stream m_stream;
    std::unique_ptr<TrackFile> m_file;
    std::string m_url;
    // The short sound kept in memory by keepReady(), and its file's path.
    std::string m_readyPath;
    std::shared_ptr<const ClipSamples> m_readySound;
    int m_state = 1;  // 1 stopped, 2 paused, 3 playing, 0 failed
    unsigned long long m_framesWritten = 0;
    bool m_loop = false;
};
