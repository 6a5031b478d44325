// The Windows sound backend on the real system calls, under Wine with a
// PulseAudio null sink behind Wine's audio driver.

#include <gtest/gtest.h>
#include <windows.h>

#include <mmsystem.h>
#include <objbase.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "audio/CAudioEndpointVolume.h"
#include "clock/Services.h"
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
