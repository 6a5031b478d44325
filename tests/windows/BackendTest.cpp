// The Windows sound backend on the real system calls, under Wine with a
// PulseAudio null sink behind Wine's audio driver.

#include <gtest/gtest.h>
#include <objbase.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "audio/CAudioEndpointVolume.h"
#include "clock/Services.h"
#include "platform/win32/CoreAudioEndpoint.h"
#include "support/ToneAnalysis.h"

namespace {

class ComThread : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override { CoUninitialize(); }
};

using Clips = ComThread;
using CoreAudio = ComThread;

TEST_F(Clips, PlayBlocksForTheClipsLength) {
    const std::string path = (std::filesystem::temp_directory_path() / "clip_0_8s.wav").string();
    ASSERT_TRUE(writeToneWav(path, 440.0, 0.8));
    std::unique_ptr<ClipPlayer> clips = makeClipPlayer();
    const auto start = std::chrono::steady_clock::now();
    clips->play(path);
    const auto took = std::chrono::steady_clock::now() - start;
    std::filesystem::remove(path);
    EXPECT_GE(took, std::chrono::milliseconds(750));
    // A hang, not a speed limit: the clip is short.
    EXPECT_LT(took, std::chrono::seconds(5));
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
