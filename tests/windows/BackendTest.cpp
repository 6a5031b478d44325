// The Windows sound backend on the real system calls, under Wine with a
// PulseAudio null sink behind Wine's audio driver whose monitor with-pulse.sh
// records: the voice clips, the track player (Media Foundation into a WASAPI
// stream) and the mute.

#include <gtest/gtest.h>
#include <windows.h>

#include <mmsystem.h>
#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/CAudioEndpointVolume.h"
#include "clock/Services.h"
#include "platform/win32/PcmSource.h"
#include "platform/win32/WinClipSound.h"
#include "platform/win32/WinTrackPlayer.h"
#include "support/ToneAnalysis.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class ComThread : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override { CoUninitialize(); }
};

using Clips = ComThread;
using CoreAudio = ComThread;
using Track = ComThread;

// The program's beep, laid beside the test program by the build.
std::string beepPath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return (std::filesystem::path(self).parent_path() / "sounds" / "beep.wav").string();
}

// A WAV file's length as the system's own wave device reads it.
std::chrono::milliseconds clipLength(const std::string& path) {
    char length[32] = {};
    mciSendStringA(("open \"" + path + "\" type waveaudio alias probe").c_str(), nullptr, 0,
                   nullptr);
    mciSendStringA("set probe time format milliseconds", nullptr, 0, nullptr);
    mciSendStringA("status probe length", length, sizeof length, nullptr);
    mciSendStringA("close probe", nullptr, 0, nullptr);
    return std::chrono::milliseconds(std::atoi(length));
}

TEST_F(Clips, PlayBlocksForTheClipsLength) {
    const std::string beep = beepPath();
    const auto length = clipLength(beep);
    ASSERT_GT(length, 500ms) << beep;
    WinClipSound sound;
    const auto start = Clock::now();
    sound.play(beep);
    const auto took = Clock::now() - start;
    EXPECT_GE(took, length - 50ms);
    // A hang, not a speed limit: the clip is short.
    EXPECT_LT(took, length + 5s);
}

// The clip queue cuts a clip from the window's thread while its own thread plays it.
TEST_F(Clips, InterruptFromAnotherThreadCutsTheClip) {
    const std::string beep = beepPath();
    const auto length = clipLength(beep);
    WinClipSound sound;
    std::atomic<bool> played{false};
    const auto start = Clock::now();
    std::thread player([&] {
        sound.play(beep);
        played = true;
    });
    // Until it takes: a cut before the clip has started has nothing to cut.
    while (!played) {
        sound.interrupt();
        std::this_thread::sleep_for(10ms);
    }
    player.join();
    EXPECT_LT(Clock::now() - start, length - 300ms);
}

// Polls `done` every 10 ms until it holds or `limit` has passed; whether it held.
template <typename Condition>
bool within(std::chrono::milliseconds limit, Condition done) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// What the test's null sink played, from the monitor recording that
// with-pulse.sh keeps in ALARM_TEST_MONITOR (16-bit mono at 44100 Hz; the
// monitor gives nothing while the sink is idle). A tap hears what came after it
// was made.
class MonitorTap {
  public:
    static constexpr int rate = 44100;
    MonitorTap() : m_path(windowsPath(std::getenv("ALARM_TEST_MONITOR"))) {
        m_start = std::filesystem::file_size(m_path, m_error);
    }
    bool ready() const { return !m_error; }
    std::vector<std::int16_t> samples() const {
        std::ifstream file(m_path, std::ios::binary);
        file.seekg(static_cast<std::streamoff>(m_start));
        std::vector<std::int16_t> heard;
        for (std::int16_t sample; file.read(reinterpret_cast<char*>(&sample), 2);)
            heard.push_back(sample);
        return heard;
    }
    double seconds() const { return static_cast<double>(samples().size()) / rate; }

  private:
    // Wine shows the Linux file system as drive Z:.
    static std::filesystem::path windowsPath(const char* unixPath) {
        std::string path = std::string("Z:") + (unixPath ? unixPath : "/nonexistent");
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    }
    std::filesystem::path m_path;
    std::error_code m_error;
    std::uintmax_t m_start = 0;
};

constexpr double low = 440, high = 880;

// The tracks made by make-tracks.sh beside the test program, and tones of the test's own.
std::filesystem::path testFolder() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path();
}
std::string track(const char* name) {
    return (testFolder() / "test-tracks" / name).string();
}
std::string toneFile(const char* name, const std::vector<Tone>& tones) {
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    EXPECT_TRUE(writeTonesWav(path, tones));
    return path;
}

// The top-level windows of this process.
int windowsOfThisProcess() {
    int count = 0;
    EnumWindows(
        [](HWND window, LPARAM counter) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == GetCurrentProcessId()) ++*reinterpret_cast<int*>(counter);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

// Every format tried under Wine 8's and Wine 10's Media Foundation (each
// decodes there through the host's GStreamer), the films with a picture stream.
TEST_F(Track, EveryFormatIsHeard) {
    for (const char* name : {"tone.wav", "tone.mp3", "tone.wma", "tone.m4a", "tone.flac",
                             "tone.ogg", "tone.opus", "film.mp4", "film.wmv"}) {
        SCOPED_TRACE(name);
        const int windowsBefore = windowsOfThisProcess();
        std::atomic<int> errors{0};
        WinTrackPlayer player([&] { ++errors; });
        player.setLoop(true);
        MonitorTap monitor;
        ASSERT_TRUE(monitor.ready());
        const auto start = Clock::now();
        player.open(track(name));
        const auto opened = std::chrono::duration<double, std::milli>(Clock::now() - start);
        EXPECT_EQ(player.playState(), TrackPlayer::Playing);
        // Heard for 0.9 s in all: a whole turn, less an MP3 or AAC file's own
        // silence at its ends, however long the decoder took to start.
        const auto toneHeard = [&] {
            double tone = 0;
            for (const ToneSegment& part : findTones(monitor.samples(), MonitorTap::rate, {low}))
                if (part.hertz == low) tone += part.lengthMs();
            return tone;
        };
        EXPECT_TRUE(within(10s, [&] { return toneHeard() >= 900.0 || errors > 0; }));
        std::printf("%-10s open() returned in %5.1f ms, heard for %.0f ms\n", name, opened.count(),
                    toneHeard());
        EXPECT_EQ(errors, 0);
        // Only the sound is decoded: no video window comes up.
        EXPECT_EQ(windowsOfThisProcess(), windowsBefore);
    }
}

// The major version of the Wine the tests run under; 0 on Windows.
int wineMajorVersion() {
    using Version = const char* (*)();
    const auto version = reinterpret_cast<Version>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")));
    return version ? std::atoi(version()) : 0;
}

// A 300 ms file, 250 ms low then 50 ms high, looping: wherever the high tone
// is followed by the low one the track starts over, and there it is silent for
// 20 ms at most. Elsewhere too, Wine's own audio thread on a busy machine
// drops some tens of milliseconds now and then (the player's queue stays over
// 0.8 s full meanwhile), so one of the ten places may catch such a drop; a gap
// the loop itself makes shows at every one.
TEST_F(Track, LoopsWithoutAGap) {
    constexpr int turns = 10;
    const std::string file = toneFile("alarm-clock-loop.wav", {{low, 0.25}, {high, 0.05}});
    WinTrackPlayer player(nullptr);
    player.setLoop(true);
    MonitorTap monitor;
    player.open(file);
    std::vector<double> gaps;
    ASSERT_TRUE(
        within(15s,
               [&] {
                   const auto heard = findTones(monitor.samples(), MonitorTap::rate, {low, high});
                   gaps.clear();
                   for (std::size_t i = 1; i < heard.size(); ++i)
                       if (heard[i - 1].hertz == high && heard[i].hertz == low)
                           gaps.push_back(heard[i].startMs - heard[i - 1].endMs);
                   return gaps.size() >= turns;
               }))
        << gaps.size() << " places heard where the track starts over";
    int quiet = 0;
    for (double gap : gaps) {
        std::printf("starts over with %.1f ms silent\n", gap);
        if (gap <= 20.0) ++quiet;
    }
    EXPECT_GE(quiet, turns - 1) << "silence where the track starts over";
}

// Pause then play goes on where the track stood: the low half is heard for
// its 400 ms in all before the high one. Stop once the high half sounds, then
// play: the track starts over, its low half heard whole again. The first such
// run in a process, on a sink that was idle, is the one that catches a player
// stopping the output while the sound server still holds the high half.
TEST_F(Track, PauseKeepsThePositionAndStopStartsOver) {
    // Wine 10's PulseAudio driver drops what the sound server holds when a
    // stream stops, while its clock counts it as played: a start then goes on
    // up to a second later than the stop, where Windows goes on from the stop.
    if (wineMajorVersion() == 10)
        GTEST_SKIP() << "Wine 10 loses the sound queued at the server when a stream stops";
    const std::string file = toneFile("alarm-clock-low-high.wav", {{low, 0.4}, {high, 0.4}});
    WinTrackPlayer player(nullptr);
    player.setLoop(false);
    MonitorTap monitor;
    const auto heardFor = [&monitor](double hertz, double fromMs = 0) {
        double total = 0;
        for (const ToneSegment& part : findTones(monitor.samples(), MonitorTap::rate, {low, high}))
            if (part.hertz == hertz && part.startMs >= fromMs) total += part.lengthMs();
        return total;
    };
    player.open(file);
    // The first sound may wait for Wine's decoder to start on a busy machine.
    ASSERT_TRUE(within(20s, [&] { return heardFor(low) >= 100; }));
    player.pause();
    EXPECT_EQ(player.playState(), TrackPlayer::Paused);
    // Paused: the tone heard stays the same for a quarter of a second.
    double lowHeard = -1;
    auto changed = Clock::now();
    ASSERT_TRUE(within(5s, [&] {
        if (heardFor(low) != lowHeard) {
            lowHeard = heardFor(low);
            changed = Clock::now();
        }
        return Clock::now() - changed > 250ms;
    }));
    player.play();
    EXPECT_EQ(player.playState(), TrackPlayer::Playing);
    ASSERT_TRUE(within(5s, [&] { return heardFor(high) >= 50; }));
    player.stop();
    EXPECT_EQ(player.playState(), TrackPlayer::Stopped);
    player.play();
    // A track that does not loop ends stopped.
    ASSERT_TRUE(within(5s, [&] { return player.playState() == TrackPlayer::Stopped; }));
    const auto heard = findTones(monitor.samples(), MonitorTap::rate, {low, high});
    double lowFirst = 0;
    for (const ToneSegment& part : heard) {
        if (part.hertz == high) break;
        if (part.hertz == low) lowFirst += part.lengthMs();
    }
    const ToneSegment* firstHigh = firstTone(heard, high);
    ASSERT_NE(firstHigh, nullptr);
    const double lowAgain = heardFor(low, firstHigh->endMs);
    std::printf("low before high: %.0f ms, after the stop: %.0f ms\n", lowFirst, lowAgain);
    EXPECT_NEAR(lowFirst, 400.0, 60.0);
    EXPECT_NEAR(lowAgain, 400.0, 60.0) << "not started over";
}

// A file that cannot be played is reported through onError, once, and the
// player is Undefined. A missing file or a folder is known when open()
// returns. A file the decoder turns down is known as soon as it does: under
// Wine the first such file in a process takes 0.7-1 s (longer than open()
// waits), the next ones 50-300 ms.
TEST_F(Track, UnplayableFileIsReported) {
    const auto folder = std::filesystem::temp_directory_path();
    const auto garbage = folder / "alarm-clock-not-music.mp3";
    std::ofstream(garbage, std::ios::binary) << std::string(4096, '\x5a');
    const auto words = folder / "alarm-clock-words.mp3";
    std::ofstream(words) << "Just some words, in a file named like a song.\n";
    const struct {
        const char* what;
        std::string path;
        bool atOnce;
    } cases[] = {
        {"missing", (folder / "alarm-clock-no-such-file.mp3").string(), true},
        {"a folder", folder.string(), true},
        {"noise", garbage.string(), false},
        {"text", words.string(), false},
    };
    for (const auto& file : cases) {
        SCOPED_TRACE(file.what);
        std::atomic<int> errors{0};
        WinTrackPlayer player([&] { ++errors; });
        player.setLoop(true);
        const auto start = Clock::now();
        player.open(file.path);
        const bool atOnce = player.playState() == TrackPlayer::Undefined;
        EXPECT_TRUE(within(5s, [&] { return errors > 0; }));
        std::printf("%-8s reported after %.0f ms\n", file.what,
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (file.atOnce) {
            EXPECT_TRUE(atOnce) << "still opening when open() returned";
        }
        EXPECT_EQ(errors, 1);
        EXPECT_EQ(player.playState(), TrackPlayer::Undefined);
        EXPECT_EQ(player.url(), file.path);
        player.play();
        EXPECT_EQ(player.playState(), TrackPlayer::Undefined);
    }
    std::filesystem::remove(garbage);
    std::filesystem::remove(words);
}

// The sound kept in memory at arming (the clock's beep) opens with no decoder
// and is heard, also when a track failed before it (it then waited beside the
// track); every other file still goes to the decoder: a track, and a kept
// file of another layout than the clock's own, which is refused.
TEST_F(Track, TheKeptBeepPlaysFromMemory) {
    const std::string otherLayout = toneFile("alarm-clock-44100.wav", {{low, 1.0}});
    ASSERT_TRUE(writeToneWav(otherLayout, low, 1.0, 44100));
    const struct {
        const char* what;
        std::string kept;
        std::vector<std::string> opened;
        int decoderOpens;
        bool heard;
    } cases[] = {
        {"the beep kept", beepPath(), {beepPath()}, 0, true},
        {"a track, the beep kept", beepPath(), {track("tone.wav")}, 1, false},
        {"the beep after a track that failed",
         beepPath(),
         {track("tone.wav"), beepPath()},
         1,
         true},
        {"another layout kept", otherLayout, {otherLayout}, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::atomic<int> decoderOpens{0};
        WinTrackPlayer player(nullptr, [&](const std::string&) {
            ++decoderOpens;
            return std::unique_ptr<PcmSource>();
        });
        player.setLoop(true);
        player.keepReady(c.kept);
        MonitorTap monitor;
        std::chrono::duration<double, std::milli> opened{};
        for (const std::string& path : c.opened) {
            const auto start = Clock::now();
            player.open(path);
            opened = Clock::now() - start;
            // The player's thread has asked for its source by now, or never will.
            EXPECT_TRUE(within(2s, [&] { return decoderOpens > 0 || player.soundWritten() > 0; }));
        }
        EXPECT_EQ(decoderOpens, c.decoderOpens);
        if (!c.heard) continue;
        EXPECT_EQ(player.playState(), TrackPlayer::Playing) << "still opening after open()";
        // Its four pips a turn, heard on the monitor.
        const auto loud = [&] {
            double total = 0;
            for (const ToneSegment& part : findTones(monitor.samples(), MonitorTap::rate, {2000}))
                total += part.lengthMs();
            return total;
        };
        EXPECT_TRUE(within(5s, [&] { return loud() >= 250.0; })) << loud() << " ms heard";
        std::printf("%s: open() returned in %.1f ms, heard for %.0f ms\n", c.what, opened.count(),
                    loud());
    }
}

// A decoder of the test's own: a 440 Hz tone for `blocks` blocks of 10 ms,
// then, as `after` says, it hangs until let go, gives nothing, or fails.
class FadingSource : public PcmSource {
  public:
    enum After { hangs, givesNothing, fails };
    FadingSource(int blocks, After after, std::atomic<bool>& letGo)
        : m_blocks(blocks), m_after(after), m_letGo(letGo) {}
    PcmFormat format() const override { return {44100, 1}; }
    Read read(std::vector<std::int16_t>& frames) override {
        frames.clear();
        if (m_blocks-- > 0) {
            for (int i = 0; i < 441; ++i, ++m_at)
                frames.push_back(static_cast<std::int16_t>(
                    12000 * std::sin(2 * 3.14159265358979 * low * m_at / 44100)));
            return Read::sound;
        }
        if (m_after == fails) return Read::failed;
        if (m_after == givesNothing) return Read::sound;
        while (!m_letGo) std::this_thread::sleep_for(5ms);
        return Read::failed;
    }
    bool rewind() override { return true; }

  private:
    int m_blocks;
    After m_after;
    std::atomic<bool>& m_letGo;
    long m_at = 0;
};

// A decoder that stops giving sound: one that hangs shows as soundWritten()
// standing still while the player says it plays (what the clock's watchdog
// waits for), and a new file opens at once all the same; one that gives
// nothing or fails is reported through onError.
TEST_F(Track, ADecoderThatStopsGivingSoundShows) {
    const struct {
        const char* what;
        FadingSource::After after;
        bool reported;
    } cases[] = {
        {"hangs", FadingSource::hangs, false},
        {"gives nothing", FadingSource::givesNothing, true},
        {"fails", FadingSource::fails, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::atomic<bool> letGo{false};
        std::atomic<int> errors{0};
        WinTrackPlayer player([&] { ++errors; },
                              [&](const std::string&) {
                                  return std::make_unique<FadingSource>(100, c.after, letGo);
                              });
        player.setLoop(true);
        player.open(beepPath());
        ASSERT_TRUE(within(5s, [&] { return player.soundWritten() >= 100 * 441; }));
        if (c.reported) {
            EXPECT_TRUE(within(5s, [&] { return errors > 0; }));
            EXPECT_EQ(player.playState(), TrackPlayer::Undefined);
        } else {
            std::this_thread::sleep_for(500ms);
            EXPECT_EQ(player.soundWritten(), 100u * 441);
            EXPECT_EQ(player.playState(), TrackPlayer::Playing);
            EXPECT_EQ(errors, 0);
            const auto start = Clock::now();
            player.open(beepPath());
            EXPECT_LT(Clock::now() - start, 1500ms);
            letGo = true;
        }
    }
}

TEST_F(CoreAudio, MuteRoundTripsOnTheDefaultEndpoint) {
    CAudioEndpointVolume volume(soundEndpointSystem());
    ASSERT_TRUE(volume.complete());
    for (int32_t mute : {1, 0, 1, 0}) {
        volume.SetMute(mute);
        EXPECT_EQ(volume.GetMute(), mute);
    }
    float minDB = 1, maxDB = 0, stepDB = 0;
    volume.GetVolumeRange(minDB, maxDB, stepDB);
    EXPECT_LT(minDB, maxDB);
}

}  // namespace
