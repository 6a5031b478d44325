// Voice clips on a real PulseAudio server with a null sink: what the sink
// plays is recorded from its monitor and the test tones are found in it by
// their pitch. Also the player's bounds with no server, with a server that
// has stopped answering and with one that goes away.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "clock/Services.h"
#include "platform/pulse/ClipAudio.h"
#include "platform/pulse/PulseClipPlayer.h"
#include "support/MonitorRecording.h"
#include "support/PulseServer.h"
#include "support/ScratchFolder.h"
#include "support/ToneAnalysis.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr double low = 440, high = 880;
constexpr double toneMs = 300;

template <typename Action>
double millisOf(Action action) {
    const auto start = Clock::now();
    action();
    return Millis(Clock::now() - start).count();
}

// A scratch folder with the test tones.
class Tones {
  public:
    Tones() {
        writeToneWav(low440, low, toneMs / 1000);
        writeToneWav(high880, high, toneMs / 1000);
        writeToneWav(long440, low, 0.5);
        std::ofstream(garbage) << "RIFF, but no sound in here";
    }
    std::string path(const char* name) const { return m_folder.path(name); }

  private:
    ScratchFolder m_folder;

  public:
    const std::string low440 = path("low.wav");
    const std::string high880 = path("high.wav");
    const std::string long440 = path("long.wav");
    const std::string garbage = path("garbage.wav");
    const std::string missing = path("missing.wav");
};

class PulseClips : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.running()); }

    // The first clip on a sink that was idle may wait up to 2 s for the sink to
    // take up the stream's latency; afterwards clips start at once.
    static void warmUp(PulseClipPlayer& player) {
        player.playSamples(ClipSamples(clipRate / 50, 0));
        ASSERT_TRUE(player.connected());
    }

    static void expectWhole(const ToneSegment* tone, const char* what) {
        ASSERT_NE(tone, nullptr) << what << " not heard";
        EXPECT_NEAR(tone->lengthMs(), toneMs, 15.0) << what;
    }

    PulseServer server;
    Tones tones;
};

TEST_F(PulseClips, TwoClipsBackToBackAreHeardInOrder) {
    PulseClipPlayer player;
    warmUp(player);
    MonitorRecording recording;
    ASSERT_TRUE(recording.started());
    player.play(tones.low440);
    player.play(tones.high880);
    const auto heard = findTones(recording.finish(), recording.rate(), {low, high});

    const ToneSegment* first = firstTone(heard, low);
    expectWhole(first, "the first clip");
    const ToneSegment* second = firstTone(heard, high, first ? first->startMs : 0);
    expectWhole(second, "the second clip, after the first");
    if (!first || !second) return;
    const double gap = second->startMs - first->endMs;
    std::printf("gap between the clips: %.1f ms\n", gap);
    EXPECT_GE(gap, -1.0) << "the clips overlap";
    EXPECT_LT(gap, 100.0);
    // Nothing else was played.
    EXPECT_EQ(heard.size(), 2u);
}

TEST_F(PulseClips, PlayReturnsWhenTheClipHasBeenPlayed) {
    PulseClipPlayer player;
    warmUp(player);
    const double took = millisOf([&] { player.play(tones.long440); });
    std::printf("a 500 ms clip blocked %.1f ms\n", took);
    EXPECT_GE(took, 450.0);
    EXPECT_LT(took, 500.0 + 2000.0);
}

TEST_F(PulseClips, TheFirstClipOnAnIdleSinkIsPlayedWhole) {
    PulseClipPlayer player;
    MonitorRecording recording;
    ASSERT_TRUE(recording.started());
    const double took = millisOf([&] { player.play(tones.low440); });
    std::printf("first clip on an idle sink blocked %.1f ms\n", took);
    EXPECT_GE(took, toneMs - 50);
    expectWhole(firstTone(findTones(recording.finish(), recording.rate(), {low}), low), "the clip");
}

TEST_F(PulseClips, ClipsInOtherFormatsAreConverted) {
    const std::string stereo = tones.path("stereo44100.wav");
    const std::string narrow = tones.path("mono8000.wav");
    writeToneWav(stereo, low, toneMs / 1000, 44100, 2);
    writeToneWav(narrow, high, toneMs / 1000, 8000, 1);
    PulseClipPlayer player;
    warmUp(player);
    MonitorRecording recording;
    ASSERT_TRUE(recording.started());
    player.play(stereo);
    player.play(narrow);
    const auto heard = findTones(recording.finish(), recording.rate(), {low, high});
    const ToneSegment* first = firstTone(heard, low);
    expectWhole(first, "44100 Hz stereo at its own pitch and length");
    expectWhole(firstTone(heard, high, first ? first->startMs : 0),
                "8000 Hz mono at its own pitch and length");
}

class UnplayableClip : public PulseClips, public testing::WithParamInterface<const char*> {};

TEST_P(UnplayableClip, ChimesBrieflyAndTheNextClipStillPlays) {
    const std::string name = GetParam();
    const std::string path = name == "missing"   ? tones.missing
                             : name == "garbage" ? tones.garbage
                             : name == "folder"  ? tones.path("")
                                                 : std::string();
    PulseClipPlayer player;
    warmUp(player);
    MonitorRecording recording;
    ASSERT_TRUE(recording.started());
    const double took = millisOf([&] { player.play(path); });
    player.play(tones.low440);
    const auto heard = findTones(recording.finish(), recording.rate(), {low});

    std::printf("%s clip: play() took %.1f ms\n", name.c_str(), took);
    EXPECT_LT(took, 1000.0);
    EXPECT_GE(took, 200.0) << "no chime was played";
    const ToneSegment* next = firstTone(heard, low);
    expectWhole(next, "the clip after it");
    ASSERT_FALSE(heard.empty());
    const ToneSegment& chime = heard.front();
    EXPECT_EQ(chime.hertz, 0.0) << "the chime comes first";
    EXPECT_GT(chime.lengthMs(), 50.0);
    EXPECT_LE(chime.lengthMs(), 300.0);
    if (next) {
        EXPECT_LE(chime.endMs, next->startMs);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnplayableClip,
                         testing::Values("missing", "garbage", "folder", "empty"));

TEST_F(PulseClips, StopWithNothingPlayingChangesNothing) {
    PulseClipPlayer player;
    warmUp(player);
    MonitorRecording recording;
    ASSERT_TRUE(recording.started());
    const double took = millisOf([&] { player.stop(); });
    player.play(tones.low440);
    std::printf("stop() with nothing playing took %.2f ms\n", took);
    EXPECT_LT(took, 300.0);
    expectWhole(firstTone(findTones(recording.finish(), recording.rate(), {low}), low),
                "the clip after stop()");
}

TEST_F(PulseClips, FrozenServerBeforeConnecting) {
    server.freeze();
    PulseClipPlayer::Timing timing;
    timing.retryAfter = 0ms;
    std::optional<PulseClipPlayer> player;
    const double made = millisOf([&] { player.emplace(timing); });
    const double played = millisOf([&] { player->play(tones.low440); });
    std::printf("frozen server: player made in %.1f ms, play() took %.1f ms\n", made, played);
    EXPECT_LT(made, 2000.0);
    EXPECT_LT(played, 2500.0);
    EXPECT_FALSE(player->connected());

    // Once the server answers again, the next clip connects and plays.
    server.thaw();
    const double again = millisOf([&] { player->play(tones.low440); });
    EXPECT_TRUE(player->connected());
    EXPECT_GE(again, toneMs - 50);
}

TEST_F(PulseClips, FrozenServerWhileConnected) {
    PulseClipPlayer player;
    warmUp(player);
    server.freeze();
    const double first = millisOf([&] { player.play(tones.low440); });
    // The server is now known to be unreachable: the following clips are skipped.
    const double next = millisOf([&] { player.play(tones.low440); });
    const double stop = millisOf([&] { player.stop(); });
    std::printf("frozen server: play() took %.1f ms, the next %.1f ms, stop() %.1f ms\n", first,
                next, stop);
    EXPECT_LT(first, 2500.0);
    EXPECT_LT(next, 200.0);
    EXPECT_LT(stop, 200.0);
    server.thaw();
}

TEST_F(PulseClips, ServerGoneBetweenClips) {
    PulseClipPlayer player;
    warmUp(player);
    server.stop();
    const double took = millisOf([&] { player.play(tones.low440); });
    std::printf("server gone: play() took %.1f ms\n", took);
    EXPECT_LT(took, 200.0);
    EXPECT_FALSE(player.connected());
}

TEST(PulseClipsWithoutServer, ReturnAtOnce) {
    NoPulseServer none;
    Tones tones;
    std::optional<PulseClipPlayer> player;
    const double made = millisOf([&] { player.emplace(); });
    const double played = millisOf([&] { player->play(tones.low440); });
    const double stopped = millisOf([&] { player->stop(); });
    // A player that tries to connect on every clip.
    PulseClipPlayer::Timing timing;
    timing.retryAfter = 0ms;
    PulseClipPlayer retrying(timing);
    const double retried = millisOf([&] { retrying.play(tones.low440); });
    std::printf(
        "no server: made %.2f ms, play() %.2f ms, stop() %.2f ms, play() with a new "
        "connection attempt %.2f ms\n",
        made, played, stopped, retried);
    EXPECT_LT(made, 200.0);
    EXPECT_LT(played, 200.0);
    EXPECT_LT(stopped, 200.0);
    EXPECT_LT(retried, 200.0);
}

// Completions the clip queue hands to "the window's thread": here, the test's.
class Posted {
  public:
    PostToWindow post() {
        return [this](std::function<void()> done) {
            std::lock_guard lock(m_mutex);
            m_done.push_back(std::move(done));
            m_posted.notify_all();
        };
    }
    // Runs the first completion posted within 5 s; false when none came.
    bool runFirst() {
        std::unique_lock lock(m_mutex);
        if (!m_posted.wait_for(lock, 5s, [this] { return !m_done.empty(); })) return false;
        auto done = std::move(m_done.front());
        m_done.erase(m_done.begin());
        lock.unlock();
        done();
        return true;
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::vector<std::function<void()>> m_done;
};

TEST_F(PulseClips, TheQueueReturnsAtOnceAndPostsItsCompletionOnceTheClipsAreHeard) {
    Posted posted;
    const std::unique_ptr<ClipPlayer> player = makeClipPlayer(posted.post());
    // A first clip, so that the sink has taken up the stream's small latency.
    player->play(tones.low440);
    player->whenPlayed([] {});
    ASSERT_TRUE(posted.runFirst());
    MonitorRecording recording;
    ASSERT_TRUE(recording.started());
    bool done = false;
    const double took = millisOf([&] {
        player->play(tones.low440);
        player->play(tones.high880);
        player->whenPlayed([&] { done = true; });
    });
    std::printf("queueing two clips took %.2f ms\n", took);
    EXPECT_LT(took, 50.0);
    ASSERT_TRUE(posted.runFirst()) << "no completion";
    EXPECT_TRUE(done);
    // By the time the completion came, both clips had been played.
    const auto heard = findTones(recording.finish(0ms), recording.rate(), {low, high});
    const ToneSegment* first = firstTone(heard, low);
    expectWhole(first, "the first clip");
    expectWhole(firstTone(heard, high, first ? first->startMs : 0), "the second clip");
}

TEST_F(PulseClips, StopCutsTheClipSoundingNowAndTheQueueGoesOn) {
    Posted posted;
    const std::unique_ptr<ClipPlayer> player = makeClipPlayer(posted.post());
    const std::string longClip = tones.path("three-seconds.wav");
    writeToneWav(longClip, low, 3.0);
    player->play(tones.high880);  // the sink takes up the stream's latency
    player->whenPlayed([] {});
    ASSERT_TRUE(posted.runFirst());
    MonitorRecording recording;
    ASSERT_TRUE(recording.started());
    player->play(longClip);
    player->play(tones.high880);
    ASSERT_TRUE(recording.waitForSound(200ms));
    player->stop();
    player->whenPlayed([] {});
    ASSERT_TRUE(posted.runFirst());
    const auto heard = findTones(recording.finish(0ms), recording.rate(), {low, high});
    const ToneSegment* cut = firstTone(heard, low);
    ASSERT_NE(cut, nullptr);
    std::printf("the 3 s clip was cut after %.0f ms\n", cut->lengthMs());
    EXPECT_LT(cut->lengthMs(), 1500.0);
    expectWhole(firstTone(heard, high, cut->startMs), "the clip queued after it");
}

TEST(PulseClipsWithoutServer, TheQueueFallsSilentAndStillCompletes) {
    NoPulseServer none;
    Tones tones;
    Posted posted;
    const std::unique_ptr<ClipPlayer> player = makeClipPlayer(posted.post());
    ASSERT_NE(player, nullptr);
    const double took = millisOf([&] {
        player->play(tones.long440);
        player->whenPlayed([] {});
    });
    EXPECT_LT(took, 200.0);
    EXPECT_TRUE(posted.runFirst());
}

// The state of the server's null sink (RUNNING, IDLE or SUSPENDED), read
// every 20 ms until it is `wanted` or the deadline has passed.
std::string waitForSinkState(const PulseServer& server, const std::string& wanted,
                             std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    std::string state;
    while (true) {
        // `pactl list short sinks`: index, name, driver, format, channels, state.
        std::istringstream lines(server.pactl("list short sinks"));
        for (std::string line; std::getline(lines, line);)
            if (line.find(PulseServer::sinkName) != std::string::npos)
                state = line.substr(line.find_last_of(" \t") + 1);
        if (state == wanted || Clock::now() >= deadline) return state;
        std::this_thread::sleep_for(20ms);
    }
}

// The clip player keeps one stream open, corked, between clips. On a server
// set up as desktops have it (module-suspend-on-idle), that stream must let
// the sink suspend while the clock waits: a sink kept running costs the
// server CPU all night.
TEST(PulseClipsOnASuspendingServer, TheSinkSuspendsWhileTheStreamWaitsCorked) {
    PulseServer server({"module-suspend-on-idle timeout=1"});
    ASSERT_TRUE(server.running());
    Tones tones;
    Posted posted;
    const std::unique_ptr<ClipPlayer> player = makeClipPlayer(posted.post());
    player->play(tones.low440);
    player->whenPlayed([] {});
    ASSERT_TRUE(posted.runFirst()) << "the clip was never played out";

    const auto started = Clock::now();
    const std::string state = waitForSinkState(server, "SUSPENDED", 10s);
    std::printf("sink %s %.0f ms after the clip\n", state.c_str(),
                Millis(Clock::now() - started).count());
    EXPECT_EQ(state, "SUSPENDED");
    EXPECT_NE(server.pactl("list short sink-inputs"), "") << "the player closed its stream";
}

// ---- the clip sound itself ----

TEST(ClipAudio, TheChimeIsShortAndAudible) {
    const ClipSamples& chime = fallbackChime();
    EXPECT_GT(chime.size(), 0u);
    EXPECT_LE(chime.size(), static_cast<std::size_t>(clipRate * 3 / 10));
    int peak = 0;
    for (std::int16_t s : chime) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_GT(peak, 5000);
}

TEST(ClipAudio, FilesAreReadAsMonoAtTheStreamRate) {
    Tones tones;
    const std::string stereo = tones.path("stereo.wav");
    writeToneWav(stereo, low, 1.0, 44100, 2);
    const std::optional<ClipSamples> read = loadClipAudio(stereo);
    ASSERT_TRUE(read.has_value());
    EXPECT_NEAR(static_cast<double>(read->size()), clipRate, 1.0);
    const auto found = findTones(*read, clipRate, {low});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(found[0].lengthMs(), 1000.0, 5.0);

    EXPECT_FALSE(loadClipAudio(tones.missing).has_value());
    EXPECT_FALSE(loadClipAudio(tones.garbage).has_value());
    EXPECT_FALSE(loadClipAudio("").has_value());
}

TEST(ClipAudio, ResamplingKeepsLengthAndPitch) {
    for (int rate : {8000, 16000, 44100, 48000}) {
        Tones tones;
        const std::string path = tones.path("tone.wav");
        writeToneWav(path, high, 0.5, rate, 1);
        const std::optional<ClipSamples> read = loadClipAudio(path);
        ASSERT_TRUE(read.has_value()) << rate;
        EXPECT_NEAR(static_cast<double>(read->size()), clipRate / 2.0, 1.0) << rate;
        const auto found = findTones(*read, clipRate, {high});
        ASSERT_EQ(found.size(), 1u) << rate;
        EXPECT_EQ(found[0].hertz, high) << rate;
        EXPECT_NEAR(found[0].lengthMs(), 500.0, 5.0) << rate;
    }
}

}  // namespace
