// The alarm track on a real PulseAudio server with a null sink: looping without
// a gap, pause and play keeping the position, stop starting over, and the
// player's bounds when the server is missing, frozen or restarted. Also the
// track file's own looping, without a server.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/pulse/PulseTrackPlayer.h"
#include "platform/pulse/TrackFile.h"
#include "support/MonitorRecording.h"
#include "support/PulseServer.h"
#include "support/ScratchFolder.h"
#include "support/ToneAnalysis.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr double low = 440, high = 880;

template <typename Action>
double millisOf(Action action) {
    const auto start = Clock::now();
    action();
    return Millis(Clock::now() - start).count();
}

// Polls an outside condition (the server's or the player's) until a deadline.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = 5s) {
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// Whether the server holds a playback stream that is corked.
bool streamCorked() {
    FILE* pipe = popen("pactl list sink-inputs 2>/dev/null", "r");
    if (!pipe) return false;
    char line[512];
    bool corked = false;
    while (std::fgets(line, sizeof line, pipe))
        corked = corked || std::string(line).find("Corked: yes") != std::string::npos;
    pclose(pipe);
    return corked;
}

// A scratch folder with the test tracks.
class Tracks {
  public:
    Tracks() {
        writeToneWav(low300, low, 0.3);
        writeTonesWav(lowThenHigh, {{low, 0.4}, {high, 0.4}});
        writeToneWav(stereo, high, 0.5, 44100, 2);
        writeToneWav(silent, low, 0.0);
        std::ofstream(garbage) << "RIFF, but no sound in here";
        std::ofstream{empty};
    }
    std::string path(const char* name) const { return m_folder.path(name); }

  private:
    ScratchFolder m_folder;

  public:
    const std::string low300 = path("low300.wav");
    const std::string lowThenHigh = path("low-then-high.wav");
    const std::string stereo = path("stereo.wav");
    const std::string silent = path("no-frames.wav");
    const std::string garbage = path("garbage.wav");
    const std::string empty = path("empty.wav");
    const std::string missing = path("missing.wav");
};

// How long the low tone sounds before the high one first does.
double lowBeforeHigh(const std::vector<ToneSegment>& heard) {
    double total = 0;
    for (const ToneSegment& segment : heard) {
        if (segment.hertz == high) break;
        if (segment.hertz == low) total += segment.lengthMs();
    }
    return total;
}

class PulseTrack : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.running()); }

    PulseServer server;
    Tracks tracks;
};

TEST_F(PulseTrack, LoopsWithoutAGap) {
    PulseTrackPlayer player;
    player.setLoop(true);
    MonitorRecording recording;
    ASSERT_TRUE(recording.started());
    ASSERT_TRUE(player.tryOpen(tracks.low300));
    EXPECT_EQ(player.playState(), TrackPlayer::Playing);
    EXPECT_EQ(player.url(), tracks.low300);
    ASSERT_TRUE(recording.waitForSound(10ms));
    const auto heard = findTones(recording.finish(1500ms), recording.rate(), {low});

    // Five turns of a 300 ms file are one unbroken tone.
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard.front().hertz, low);
    EXPECT_GE(heard.front().lengthMs(), 1400.0);
}

TEST_F(PulseTrack, ATrackThatDoesNotLoopEnds) {
    PulseTrackPlayer player;
    MonitorRecording recording;
    ASSERT_TRUE(recording.started());
    ASSERT_TRUE(player.tryOpen(tracks.low300));
    ASSERT_TRUE(recording.waitForSound(10ms));
    const auto heard = findTones(recording.finish(1000ms), recording.rate(), {low});
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_NEAR(heard.front().lengthMs(), 300.0, 20.0);
    EXPECT_TRUE(eventually([&] { return player.playState() == 1; }));
}

TEST_F(PulseTrack, PauseAndPlayKeepThePosition) {
    PulseTrackPlayer player;
    player.setLoop(true);
    MonitorRecording recording;
    ASSERT_TRUE(recording.started());
    ASSERT_TRUE(player.tryOpen(tracks.lowThenHigh));
    ASSERT_TRUE(recording.waitForSound(150ms));
    player.pause();
    EXPECT_EQ(player.playState(), TrackPlayer::Paused);
    EXPECT_TRUE(eventually(streamCorked)) << "the stream was not corked";
    player.play();
    EXPECT_EQ(player.playState(), TrackPlayer::Playing);
    const auto heard = findTones(recording.finish(900ms), recording.rate(), {low, high});

    // Had play() started over, more than 400 ms of the low tone would come first.
    const double lowMs = lowBeforeHigh(heard);
    std::printf("low tone before the high one: %.1f ms\n", lowMs);
    EXPECT_NEAR(lowMs, 400.0, 40.0);
    const ToneSegment* next = firstTone(heard, high);
    ASSERT_NE(next, nullptr) << "the track did not go on after the pause";
    EXPECT_NEAR(next->lengthMs(), 400.0, 40.0);
}

TEST_F(PulseTrack, StopThenPlayStartsOver) {
    PulseTrackPlayer player;
    player.setLoop(true);
    MonitorRecording recording;
    ASSERT_TRUE(recording.started());
    ASSERT_TRUE(player.tryOpen(tracks.lowThenHigh));
    ASSERT_TRUE(recording.waitForSound(200ms));
    player.stop();
    EXPECT_EQ(player.playState(), 1);
    EXPECT_FALSE(player.streaming());
    player.play();
    const auto heard = findTones(recording.finish(900ms), recording.rate(), {low, high});

    // The low tone heard before the stop, then the whole low tone again.
    const double lowMs = lowBeforeHigh(heard);
    std::printf("low tone before the high one: %.1f ms\n", lowMs);
    EXPECT_GT(lowMs, 550.0);
    EXPECT_NE(firstTone(heard, high), nullptr);
}

TEST_F(PulseTrack, StereoAtItsOwnRate) {
    PulseTrackPlayer player;
    MonitorRecording recording;
    ASSERT_TRUE(recording.started());
    ASSERT_TRUE(player.tryOpen(tracks.stereo));
    ASSERT_TRUE(recording.waitForSound(10ms));
    const auto heard = findTones(recording.finish(800ms), recording.rate(), {low, high});
    const ToneSegment* tone = firstTone(heard, high);
    ASSERT_NE(tone, nullptr) << "44100 Hz stereo not heard at its own pitch";
    EXPECT_NEAR(tone->lengthMs(), 500.0, 20.0);
}

TEST_F(PulseTrack, FilesItCannotDecodeAreRefused) {
    PulseTrackPlayer player;
    int errors = 0;
    player.onError = [&] { ++errors; };
    ASSERT_TRUE(player.tryOpen(tracks.low300));
    for (const std::string& path :
         {tracks.garbage, tracks.empty, tracks.silent, tracks.missing, tracks.path("")}) {
        EXPECT_FALSE(player.tryOpen(path)) << path;
        // The track that plays is left alone.
        EXPECT_EQ(player.url(), tracks.low300) << path;
        EXPECT_EQ(player.playState(), TrackPlayer::Playing) << path;
    }
    EXPECT_EQ(errors, 0);

    // Opened for good, such a file is an error and leaves the player silent.
    player.open(tracks.garbage);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(player.url(), tracks.garbage);
    EXPECT_EQ(player.playState(), 0);
    EXPECT_FALSE(player.streaming());
}

TEST_F(PulseTrack, AFrozenServerNeverHoldsTheCaller) {
    PulseTrackPlayer player;
    player.setLoop(true);
    ASSERT_TRUE(player.tryOpen(tracks.low300));
    ASSERT_TRUE(eventually([&] { return player.streaming(); }));
    server.freeze();
    double slowest = 0;
    for (int round = 0; round < 3; ++round) {
        for (double took : {millisOf([&] { player.pause(); }), millisOf([&] { player.play(); }),
                            millisOf([&] { player.stop(); }),
                            millisOf([&] { player.tryOpen(tracks.lowThenHigh); }),
                            millisOf([&] { (void)player.playState(); })})
            slowest = std::max(slowest, took);
    }
    server.thaw();
    std::printf("frozen server: slowest call %.2f ms\n", slowest);
    EXPECT_LT(slowest, 100.0);
}

TEST_F(PulseTrack, GoesOnAfterTheServerComesBack) {
    PulseTrackPlayer player;
    player.setLoop(true);
    ASSERT_TRUE(player.tryOpen(tracks.low300));
    ASSERT_TRUE(eventually([&] { return player.streaming(); }));
    server.stop();
    ASSERT_TRUE(eventually([&] { return !player.streaming(); }));
    EXPECT_EQ(player.playState(), TrackPlayer::Playing);

    PulseServer again;
    ASSERT_TRUE(again.running());
    const auto start = Clock::now();
    ASSERT_TRUE(eventually([&] { return player.streaming(); }, 8s))
        << "the player did not connect to the new server";
    std::printf("back on the new server after %.0f ms\n", Millis(Clock::now() - start).count());
    MonitorRecording recording;
    ASSERT_TRUE(recording.started());
    ASSERT_TRUE(recording.waitForSound(10ms));
    const auto heard = findTones(recording.finish(500ms), recording.rate(), {low});
    EXPECT_NE(firstTone(heard, low), nullptr) << "the track is not heard on the new server";
}

TEST(PulseTrackWithoutServer, EveryCallReturnsAtOnceAndALateServerIsFound) {
    NoPulseServer none;
    Tracks tracks;
    std::optional<PulseTrackPlayer> player;
    double slowest = millisOf([&] { player.emplace(); });
    for (double took : {millisOf([&] { EXPECT_TRUE(player->tryOpen(tracks.low300)); }),
                        millisOf([&] { player->pause(); }), millisOf([&] { player->play(); }),
                        millisOf([&] { player->stop(); })})
        slowest = std::max(slowest, took);
    std::printf("no server: slowest call %.2f ms\n", slowest);
    EXPECT_LT(slowest, 100.0);
    EXPECT_FALSE(player->streaming());
    // The track is silent, not failed: it plays once a server is there.
    player->play();
    EXPECT_EQ(player->playState(), TrackPlayer::Playing);
    PulseServer late;
    ASSERT_TRUE(late.running());
    EXPECT_TRUE(eventually([&] { return player->streaming(); }, 8s))
        << "the player did not connect to a server that came late";
}

// ---- the track file ----

std::vector<std::int16_t> readAll(TrackFile& file, std::size_t frames, bool loop) {
    std::vector<std::int16_t> out(frames * static_cast<std::size_t>(file.channels()));
    out.resize(file.read(out.data(), frames, loop) * static_cast<std::size_t>(file.channels()));
    return out;
}

TEST(TrackFile, LoopingGoesOnFromTheStart) {
    Tracks tracks;
    const auto file = TrackFile::open(tracks.low300);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->rate(), 22050);
    EXPECT_EQ(file->channels(), 1);
    const std::vector<std::int16_t> once = readAll(*file, 1'000'000, false);
    ASSERT_EQ(once.size(), static_cast<std::size_t>(0.3 * 22050));
    EXPECT_TRUE(readAll(*file, 100, false).empty()) << "a track that does not loop ends";
    EXPECT_FALSE(file->broken());

    file->rewind();
    // Read in odd-sized blocks, across the end of the file several times.
    std::vector<std::int16_t> looped;
    while (looped.size() < once.size() * 5 / 2) {
        const auto block = readAll(*file, 997, true);
        ASSERT_EQ(block.size(), 997u);
        looped.insert(looped.end(), block.begin(), block.end());
    }
    for (std::size_t i = 0; i < looped.size(); ++i)
        ASSERT_EQ(looped[i], once[i % once.size()]) << "at sample " << i;
}

TEST(TrackFile, KeepsTheFilesChannelsAndRate) {
    Tracks tracks;
    const auto file = TrackFile::open(tracks.stereo);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->rate(), 44100);
    EXPECT_EQ(file->channels(), 2);
    EXPECT_EQ(file->frameBytes(), 4u);
    EXPECT_EQ(readAll(*file, 1'000'000, false).size(), 2u * 22050);
}

TEST(TrackFile, OpensOnlyFilesThatGiveSound) {
    Tracks tracks;
    for (const std::string& path : {tracks.garbage, tracks.empty, tracks.silent, tracks.missing,
                                    tracks.path(""), std::string()})
        EXPECT_EQ(TrackFile::open(path), nullptr) << "'" << path << "'";
}

}  // namespace
