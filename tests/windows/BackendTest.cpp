// The Windows sound backend on the real system calls, under Wine with a
// PulseAudio null sink behind Wine's audio driver.

#include <gtest/gtest.h>
#include <windows.h>

#include <mmsystem.h>
#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "audio/CAudioEndpointVolume.h"
#include "clock/Services.h"
#include "platform/win32/MciTrackPlayer.h"
#include "platform/win32/WinClipSound.h"

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

// The beep (about 1.1 s) as the track: looping, its position goes round to
// the start again while the device keeps playing.
TEST_F(Track, LoopsAShortFile) {
    bool failed = false;
    MciTrackPlayer player([&] { failed = true; });
    player.setLoop(true);
    player.open(beepPath());
    ASSERT_FALSE(failed);
    const auto length = clipLength(beepPath());
    unsigned long long furthest = 0;
    const bool wrapped = within(3 * length + 5s, [&] {
        const unsigned long long at = player.soundWritten();
        // A failed status reads 0 too: the device must say it plays.
        if (furthest > 500 && at + 300 < furthest)
            return player.playState() == TrackPlayer::Playing;
        furthest = std::max(furthest, at);
        return false;
    });
    EXPECT_TRUE(wrapped) << "furthest position " << furthest;
}

// Pause then play resumes where it stood, as the announcement over the
// paused track needs; the position moves on again after.
TEST_F(Track, PauseThenPlayKeepsThePosition) {
    MciTrackPlayer player(nullptr);
    player.setLoop(true);
    player.open(beepPath());
    ASSERT_TRUE(within(5s, [&] { return player.soundWritten() > 300; }));
    player.pause();
    EXPECT_EQ(player.playState(), TrackPlayer::Paused);
    const unsigned long long paused = player.soundWritten();
    EXPECT_GT(paused, 300u);
    player.play();
    EXPECT_EQ(player.playState(), TrackPlayer::Playing);
    const unsigned long long resumed = player.soundWritten();
    EXPECT_GE(resumed + 50, paused);
    EXPECT_LT(resumed, paused + 150);
    EXPECT_TRUE(within(5s, [&] {
        const unsigned long long at = player.soundWritten();
        return at > resumed || at + 300 < resumed;
    })) << "the track did not go on after play";
}

// A file the device cannot play reaches onError (the clock then beeps instead)
// and leaves the player with nothing to play.
TEST_F(Track, UnplayableFileReachesOnError) {
    const auto folder = std::filesystem::temp_directory_path();
    const auto garbage = folder / "alarm-clock-not-music.mp3";
    std::ofstream(garbage, std::ios::binary) << std::string(4096, '\x5a');
    const struct {
        const char* what;
        std::string path;
    } cases[] = {
        {"missing", (folder / "alarm-clock-no-such-file.mp3").string()},
        {"not sound", garbage.string()},
    };
    for (const auto& file : cases) {
        SCOPED_TRACE(file.what);
        std::atomic<int> errors{0};
        MciTrackPlayer player([&] { ++errors; });
        player.setLoop(true);
        player.open(file.path);
        EXPECT_TRUE(within(5s, [&] { return errors > 0; }));
        EXPECT_EQ(errors, 1);
        EXPECT_EQ(player.playState(), TrackPlayer::Undefined);
        EXPECT_EQ(player.url(), file.path);
    }
    std::filesystem::remove(garbage);
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
