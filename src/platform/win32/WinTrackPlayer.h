#pragma once
// The alarm track on Windows: a decoder (Media Foundation's source reader in
// the program) into a WASAPI shared-mode stream of the player's own, driven by
// a thread per opened file that keeps up to a second of sound queued and goes on
// from the start of the file at its end, without a gap. Pause and play stop
// and start the stream, which keeps the position; stop drops what is queued
// and goes back to the start. soundWritten() counts the decoded frames handed
// to the stream, so a decoder that stops giving sound shows there.
//
// open() does not wait for the decoder: a missing file is Undefined at once
// and reported through onError; any other file reads as playing while it
// opens, so that it can be paused at once (the time spoken at the minute never
// waits for a track), and a failure is reported when it comes. Calls come from
// one thread (the window's) and never wait for the decoder: a decoder that
// hangs is left behind (after half a second) when the next file opens.
//
// keepReady() reads the clock's own beep (ClockWav.h) into memory; an open()
// of that path then plays it from there, with no decoder to start. While a
// track plays, the beep that stands in for it should it fail waits beside it,
// its output open and filled, so that it starts the moment it is opened; it
// is let go with stop(). Tracks are still decoded from their files, the
// decoder started at the first one.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "clock/Services.h"
#include "platform/win32/PcmSource.h"

class WinTrackPlayer : public TrackPlayer {
  public:
    // Opens a file's decoder (on the player's thread, with COM initialised); null when it cannot.
    using SourceOpener = std::function<std::unique_ptr<PcmSource>(const std::string& path)>;

    explicit WinTrackPlayer(std::function<void()> onError, SourceOpener openSource = {});
    ~WinTrackPlayer() override;
    WinTrackPlayer(const WinTrackPlayer&) = delete;
    WinTrackPlayer& operator=(const WinTrackPlayer&) = delete;

    void setLoop(bool loop) override;
    void open(const std::string& path) override;
    void keepReady(const std::string& path) override;
    std::string url() const override { return m_url; }
    PlayState playState() const override;
    void pause() override;
    void play() override;
    void stop() override;
    // Frames of the track's own sound handed to the output since the player was made.
    unsigned long long soundWritten() const override;

    // What the caller shares with the thread of the file opened last (in the .cpp).
    struct Run;

  private:
    // Ends the run of `run`, leaving its thread behind if it does not answer;
    // the frames it wrote.
    unsigned long long endRun(std::shared_ptr<Run>& run, std::thread& thread);
    void endRun();
    // A run of the kept sound on `thread`; `held`, it opens its output and
    // waits to be taken by an open().
    std::shared_ptr<Run> startKept(bool held, std::thread& thread);
    bool takeStandby();
    void command(int state, bool rewind);

    std::function<void()> m_onError;
    SourceOpener m_openSource;
    std::string m_url;
    bool m_loop = false;
    // The file opened last and its thread.
    std::shared_ptr<Run> m_run;
    std::thread m_thread;
    unsigned long long m_writtenBefore = 0;  // by the files before it
    // The sound kept in memory, and the path it was read from.
    std::string m_keptPath;
    std::shared_ptr<const std::vector<std::int16_t>> m_kept;
    // The kept sound ready to start, while a track plays.
    std::shared_ptr<Run> m_standby;
    std::thread m_standbyThread;
};
