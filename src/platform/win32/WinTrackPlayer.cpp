#include "platform/win32/WinTrackPlayer.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "log/Log.h"
#include "platform/win32/ClockWav.h"
#include "platform/win32/MediaFoundationSource.h"
#include "platform/win32/MemorySource.h"
#include "platform/win32/Owned.h"
#include "platform/win32/WasapiOutput.h"
#include "platform/win32/WideText.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Sound queued ahead of the device: enough to ride out a decoder that is slow
// for a moment (Media Foundation's under Wine, on a busy machine, takes up to a
// few hundred milliseconds now and then). A pause or stop silences the track
// at once however much is queued.
constexpr auto kBuffer = 1000ms;
// How much must be queued before a fill may leave the rest for the next wake,
// so that a new file starts as soon as its first sound is there.
constexpr auto kStartQueue = 300ms;
constexpr auto kFillSlice = 10ms;
// How long opening the kept sound waits for it to give sound.
constexpr auto kOpenWait = 500ms;
// How long the end of a run waits for its thread before leaving it behind (a
// thread ends within milliseconds unless its decoder hangs).
constexpr auto kEndWait = 500ms;
// A decoder that gives nothing for this long, though asked, has failed.
constexpr auto kNothingLimit = 2s;
// How often the thread looks at its commands when the device is quiet.
constexpr DWORD kWakeMs = 100;
// The most keepReady() reads: the clock's beep is some 50 kB.
constexpr std::streamsize kKeptLimit = 4 << 20;

}  // namespace

// What the caller and one file's thread share, under the mutex. The thread
// holds it too, so a thread left behind never touches a player that is gone.
struct WinTrackPlayer::Run {
    std::mutex mutex;
    std::condition_variable changed;
    int state = Playing;
    bool loop = false;
    bool rewind = false;    // stop asked: drop what is queued, back to the start
    bool quit = false;      // the player is done with this file
    bool decided = false;   // the file gave sound, or failed
    bool finished = false;  // the thread has ended
    bool held = false;      // the kept sound waiting to be opened: no failure is reported
    std::atomic<unsigned long long> written{0};
    UniqueHandle wake{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    const Clock::time_point opened = Clock::now();
};

// One file, from opening to the player being done with it, on its own thread.
static void playFile(const std::shared_ptr<WinTrackPlayer::Run>& run, const std::string& path,
                     const WinTrackPlayer::SourceOpener& openSource,
                     const std::function<void()>& onError);

WinTrackPlayer::WinTrackPlayer(std::function<void()> onError, SourceOpener openSource)
    : m_onError(std::move(onError)),
      m_openSource(openSource ? std::move(openSource) : SourceOpener(openMediaFoundationSource)) {}

WinTrackPlayer::~WinTrackPlayer() {
    endRun();
    endRun(m_standby, m_standbyThread);
}

unsigned long long WinTrackPlayer::endRun(std::shared_ptr<Run>& run, std::thread& thread) {
    if (!run) return 0;
    {
        std::unique_lock lock(run->mutex);
        run->quit = true;
        SetEvent(run->wake.get());
        run->changed.wait_for(lock, kEndWait, [&] { return run->finished; });
        if (!run->finished)
            logDebug(LogCategory::audio,
                     "track: the decoder of " + m_url + " does not answer; it is left behind");
    }
    if (thread.joinable()) {
        if (run->finished)
            thread.join();
        else
            thread.detach();
    }
    const unsigned long long written = run->written;
    run.reset();
    return written;
}

void WinTrackPlayer::endRun() {
    m_writtenBefore += endRun(m_run, m_thread);
}

void WinTrackPlayer::setLoop(bool loop) {
    m_loop = loop;
    if (!m_run) return;
    std::lock_guard lock(m_run->mutex);
    m_run->loop = loop;
}

void WinTrackPlayer::open(const std::string& path) {
    endRun();
    m_url = path;
    const bool kept = m_kept && path == m_keptPath;
    if (kept && takeStandby()) return;
    if (kept) {
        // No file to look for and no decoder to start.
        m_run = startKept(false, m_thread);
        std::unique_lock lock(m_run->mutex);
        m_run->changed.wait_for(lock, kOpenWait, [&] { return m_run->decided || m_run->finished; });
    } else {
        m_run = std::make_shared<Run>();
        m_run->loop = m_loop;
        std::error_code error;
        if (!std::filesystem::is_regular_file(std::filesystem::path(widen(path)), error)) {
            // Only a regular file can be a track; a missing one is known at once.
            logDebug(LogCategory::audio, "track: no such file: " + path);
            m_run->state = Undefined;
            m_run->finished = true;
            if (m_onError) m_onError();
        } else {
            m_thread = std::thread(playFile, m_run, path, m_openSource, m_onError);
        }
        // The kept sound waits beside the track, should it fail.
        if (m_kept && !m_standby) m_standby = startKept(true, m_standbyThread);
        // No wait for the decoder: the file counts as playing while it opens, so
        // the caller can pause it at once (the time spoken at the minute never
        // waits for a track), and a failure is reported when it comes.
    }
}

std::shared_ptr<WinTrackPlayer::Run> WinTrackPlayer::startKept(bool held, std::thread& thread) {
    auto run = std::make_shared<Run>();
    run->loop = m_loop;
    run->held = held;
    run->state = held ? Paused : Playing;
    thread =
        std::thread(playFile, run, m_keptPath, SourceOpener([kept = m_kept](const std::string&) {
                        return std::make_unique<MemorySource>(PcmFormat{kClockWavRate, 1}, kept);
                    }),
                    m_onError);
    return run;
}

bool WinTrackPlayer::takeStandby() {
    if (!m_standby) return false;
    {
        std::lock_guard lock(m_standby->mutex);
        if (!m_standby->finished && m_standby->state != Undefined) {
            m_standby->held = false;
            m_standby->loop = m_loop;
            m_standby->state = Playing;
            SetEvent(m_standby->wake.get());
            m_run = std::move(m_standby);
            m_thread = std::move(m_standbyThread);
        }
    }
    if (!m_run) {
        endRun(m_standby, m_standbyThread);  // it failed: the kept sound starts afresh
        return false;
    }
    logDebug(LogCategory::audio, "track: " + m_url + " was ready beside the track");
    std::unique_lock lock(m_run->mutex);
    m_run->changed.wait_for(lock, kOpenWait, [&] { return m_run->decided || m_run->finished; });
    return true;
}

void WinTrackPlayer::keepReady(const std::string& path) {
    if (m_kept && path == m_keptPath) return;
    endRun(m_standby, m_standbyThread);
    m_kept.reset();
    m_keptPath.clear();
    std::ifstream in(std::filesystem::path(widen(path)), std::ios::binary);
    std::string bytes;
    if (in) {
        bytes.resize(static_cast<std::size_t>(kKeptLimit) + 1);
        in.read(bytes.data(), kKeptLimit + 1);
        bytes.resize(static_cast<std::size_t>(in.gcount()));
    }
    auto samples = bytes.size() <= static_cast<std::size_t>(kKeptLimit)
                       ? readClockWav(bytes)
                       : std::optional<std::vector<std::int16_t>>();
    if (!samples) {
        logDebug(LogCategory::audio,
                 "track: not kept in memory (unreadable, or not 16-bit "
                 "mono PCM at 22050 Hz): " +
                     path);
        return;
    }
    m_kept = std::make_shared<const std::vector<std::int16_t>>(std::move(*samples));
    m_keptPath = path;
}

TrackPlayer::PlayState WinTrackPlayer::playState() const {
    if (!m_run) return Undefined;
    std::lock_guard lock(m_run->mutex);
    return static_cast<PlayState>(m_run->state);
}

void WinTrackPlayer::command(int state, bool rewind) {
    if (!m_run) return;
    std::lock_guard lock(m_run->mutex);
    if (m_run->state == Undefined) return;
    m_run->state = state;
    m_run->rewind = m_run->rewind || rewind;
    SetEvent(m_run->wake.get());
}

void WinTrackPlayer::pause() {
    command(Paused, false);
}

void WinTrackPlayer::play() {
    command(Playing, false);
}

void WinTrackPlayer::stop() {
    command(Stopped, true);
    // Switched off: nothing is left to stand in for.
    endRun(m_standby, m_standbyThread);
}

unsigned long long WinTrackPlayer::soundWritten() const {
    return m_writtenBefore + (m_run ? m_run->written.load() : 0);
}

namespace {

// The decoding and writing side of one file; everything here runs on its thread.
class FilePlayback {
  public:
    FilePlayback(std::shared_ptr<WinTrackPlayer::Run> run, std::function<void()> onError)
        : m_run(std::move(run)), m_onError(std::move(onError)) {}

    void play(const std::string& path, const WinTrackPlayer::SourceOpener& openSource) {
        m_source = openSource(path);
        if (!m_source) return fail("cannot open " + path);
        // The first sound, before the file counts as playing.
        const PcmSource::Read first = nextBlock();
        if (first != PcmSource::Read::sound) return fail("no sound in " + path);
        m_output = WasapiOutput::open(m_source->format(), kBuffer);
        if (!m_output) return fail("no output for " + path);
        {
            std::lock_guard lock(m_run->mutex);
            m_run->decided = true;
        }
        m_run->changed.notify_all();
        const auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_run->opened);
        logDebug(LogCategory::audio, "track: sound and an output " + std::to_string(took.count()) +
                                         " ms after opening " + path);
        loop(path);
    }

  private:
    void loop(const std::string& path) {
        const HANDLE waits[] = {m_output->event(), m_run->wake.get()};
        for (;;) {
            int state;
            bool loop, rewind;
            {
                std::lock_guard lock(m_run->mutex);
                if (m_run->quit) return;
                state = m_run->state;
                loop = m_run->loop;
                rewind = std::exchange(m_run->rewind, false);
            }
            if (rewind && !startOver()) return fail("cannot go back to the start of " + path);
            if (state == WinTrackPlayer::Playing) {
                if (!fill(loop)) return fail("decoding stopped in " + path);
                if (m_ended && m_output->queued() == 0)
                    ended();
                else
                    m_output->start();
            } else {
                m_output->stop();
            }
            if (m_output->failed()) return fail("the output failed while playing " + path);
            WaitForMultipleObjects(2, waits, FALSE, kWakeMs);
        }
    }

    // Keeps the output's buffer full; false when the file stopped giving sound.
    bool fill(bool loop) {
        const auto channels = static_cast<std::size_t>(m_source->format().channels);
        const auto started = Clock::now();
        const auto enough = static_cast<std::size_t>(m_source->format().rate) *
                            std::chrono::milliseconds(kStartQueue).count() / 1000;
        for (std::size_t room = m_output->room(); room > 0 && !m_ended;) {
            if (Clock::now() - started > kFillSlice && m_output->queued() >= enough) break;
            if (m_offset * channels >= m_block.size()) {
                if (m_inTail) {
                    m_ended = true;
                    break;
                }
                const PcmSource::Read read = nextBlock();
                if (read == PcmSource::Read::failed) return false;
                if (read == PcmSource::Read::end) {
                    // A whole turn without sound would loop for ever on nothing.
                    if (!m_turnSounded) return false;
                    if (!loop) {
                        startTail();
                        continue;
                    }
                    m_turnSounded = false;
                    if (!m_source->rewind()) return false;
                    continue;
                }
                if (m_block.empty()) {
                    if (Clock::now() - m_lastSound > kNothingLimit) return false;
                    break;  // nothing decoded this time: try again at the next wake
                }
            }
            const std::size_t count = std::min(room, m_block.size() / channels - m_offset);
            if (!m_output->write(m_block.data() + m_offset * channels, count)) return true;
            m_offset += count;
            room -= count;
            if (!m_inTail) m_run->written += count;
        }
        return true;
    }

    // The end of a track that does not loop is followed by a buffer of
    // silence before it counts as heard out. The padding that WASAPI reports
    // is sound the audio engine has taken, not sound already heard: Wine's
    // PulseAudio driver counts it down at the device's pace from Start, ahead
    // of the sound server by as much as the server holds (up to the buffer,
    // most on a sink that was idle). Stopping and flushing at a padding of
    // zero cut the last of the track there; after the silence, only silence
    // is cut.
    void startTail() {
        const auto frames = static_cast<std::size_t>(m_source->format().rate) *
                            std::chrono::milliseconds(kBuffer).count() / 1000;
        m_block.assign(frames * static_cast<std::size_t>(m_source->format().channels), 0);
        m_offset = 0;
        m_inTail = true;
    }

    // The next block from the decoder, noting when it last gave sound.
    PcmSource::Read nextBlock() {
        m_offset = 0;
        const PcmSource::Read read = m_source->read(m_block);
        if (read == PcmSource::Read::sound && !m_block.empty()) {
            m_lastSound = Clock::now();
            m_turnSounded = true;
        }
        return read;
    }

    bool startOver() {
        m_output->flush();
        m_block.clear();
        m_offset = 0;
        m_ended = false;
        m_inTail = false;
        m_turnSounded = false;
        m_lastSound = Clock::now();
        return m_source->rewind();
    }

    // The end of a file that does not loop, once it has been heard out.
    void ended() {
        m_output->stop();
        std::lock_guard lock(m_run->mutex);
        if (m_run->state == WinTrackPlayer::Playing) m_run->state = WinTrackPlayer::Stopped;
        m_run->rewind = true;
    }

    void fail(const std::string& why) {
        {
            std::lock_guard lock(m_run->mutex);
            m_run->decided = true;
            if (m_run->quit) return;  // another file since: nobody is waiting for this one
            m_run->state = WinTrackPlayer::Undefined;
            if (m_run->held) return;  // not opened yet: the open starts it afresh
        }
        m_run->changed.notify_all();
        logDebug(LogCategory::audio, "track: " + why);
        if (m_onError) m_onError();
    }

    std::shared_ptr<WinTrackPlayer::Run> m_run;
    std::function<void()> m_onError;
    std::unique_ptr<PcmSource> m_source;
    std::unique_ptr<WasapiOutput> m_output;
    std::vector<std::int16_t> m_block;
    std::size_t m_offset = 0;  // frames of m_block already written
    bool m_turnSounded = false;
    bool m_inTail = false;  // m_block is the silence after the end
    bool m_ended = false;
    Clock::time_point m_lastSound = Clock::now();
};

}  // namespace

static void playFile(const std::shared_ptr<WinTrackPlayer::Run>& run, const std::string& path,
                     const WinTrackPlayer::SourceOpener& openSource,
                     const std::function<void()>& onError) {
    {
        // COM outlives the decoder and the output, which are released first.
        const ComApartment com(COINIT_MULTITHREADED);
        FilePlayback playback(run, onError);
        playback.play(
            path, com.ready() ? openSource : WinTrackPlayer::SourceOpener([](const std::string&) {
                return std::unique_ptr<PcmSource>();
            }));
    }
    {
        std::lock_guard lock(run->mutex);
        run->finished = true;
    }
    run->changed.notify_all();
}
