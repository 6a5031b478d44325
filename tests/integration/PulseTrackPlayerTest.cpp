// The alarm track on a real PulseAudio server with a null sink: every format
// heard, looping without a gap, pause and play keeping the position, stop
// starting over, a two-hour file, a 50 ms one, and the player's bounds when the
// server is missing, frozen or restarted. Also the track file's own decoding and
// looping, without a server.

#include <gst/gst.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
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

// Makes a test track with GStreamer's encoders (from the packages that
// scripts/install-deps installs): `source` gives raw sound, `encoder` ends in the muxer.
bool encode(const std::string& source, const std::string& encoder, const std::string& out) {
    if (!gst_init_check(nullptr, nullptr, nullptr)) return false;
    const std::string description =
        source + " ! audioconvert ! audioresample ! " + encoder + " ! filesink location=" + out;
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
    bool done = false;
    if (pipeline && !error) {
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
        GstBus* bus = gst_element_get_bus(pipeline);
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus, 60 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        done = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
        if (message) gst_message_unref(message);
        gst_object_unref(bus);
        gst_element_set_state(pipeline, GST_STATE_NULL);
    }
    if (error) {
        ADD_FAILURE() << description << ": " << error->message;
        g_error_free(error);
    }
    if (pipeline) gst_object_unref(pipeline);
    return done;
}

std::string wavSource(const std::string& wav) {
    return "filesrc location=" + wav + " ! wavparse";
}

// Every format the track filter offers, as Debian's encoders make it; the last two
// carry a picture too.
struct Format {
    const char* file;
    std::string encoder;
};
const std::string picture =
    "videotestsrc num-buffers=6 ! video/x-raw,width=64,height=48,framerate=10/1";
const std::vector<Format> formats = {
    {"tone.mp3", "lamemp3enc"},
    {"tone.ogg", "vorbisenc ! oggmux"},
    {"tone.opus", "opusenc ! oggmux"},
    {"tone.flac", "flacenc"},
    {"tone.m4a", "avenc_aac ! mp4mux"},
    {"tone.wma", "avenc_wmav2 ! avmux_asf"},
    {"tone.mp4", "avenc_aac ! mux. " + picture + " ! x264enc ! mux. mp4mux name=mux"},
    {"tone.wmv", "avenc_wmav2 ! mux. " + picture + " ! avenc_wmv2 ! mux. avmux_asf name=mux"},
};

#ifdef __SANITIZE_ADDRESS__
// AddressSanitizer holds freed memory back for a while, so memory grows as sound flows.
constexpr long memoryBoundKb = 20 * 1024;
#else
constexpr long memoryBoundKb = 5 * 1024;
#endif

// This process's resident memory, in kB.
long residentKb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// CPU seconds used so far by this process's threads other than the calling one
// (the player's and GStreamer's, not the test's own polling).
double otherThreadsCpu() {
    const std::string self = std::to_string(gettid());
    double ticks = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        if (task.path().filename() == self) continue;
        std::ifstream stat(task.path() / "stat");
        const std::string line((std::istreambuf_iterator<char>(stat)), {});
        // After the command name: state is field 3, utime and stime are 14 and 15.
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::string field;
        for (int i = 3; i <= 15 && fields >> field; ++i)
            if (i >= 14) ticks += std::stod(field);
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// A scratch folder with the test tracks.
class Tracks {
  public:
    Tracks() {
        writeToneWav(low300, low, 0.3);
        writeTonesWav(lowThenHigh, {{low, 0.4}, {high, 0.4}});
        writeToneWav(stereo, high, 0.5, 44100, 2);
        writeToneWav(silent, low, 0.0);
        writeToneWav(low50, low, 0.05);
        writeToneWav(low600, low, 0.6);
        writeToneWav(low300At48k, low, 0.3, 48000, 2);
        std::ofstream(garbage) << "RIFF, but no sound in here";
        std::ofstream(textAsMp3) << "Just some words, in a file named like a song.\n";
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
    const std::string low50 = path("low50.wav");
    const std::string low600 = path("low600.wav");
    const std::string low300At48k = path("low300-48k.wav");
    const std::string garbage = path("garbage.wav");
    const std::string textAsMp3 = path("text.mp3");
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

TEST_F(PulseTrack, ASoundKeptReadyPlaysFromMemoryAndLoops) {
    PulseTrackPlayer player;
    player.setLoop(true);
    player.keepReady(tracks.low300);
    // Gone from the disk: what is heard can only come from memory.
    std::filesystem::remove(tracks.low300);
    MonitorRecording recording;
    ASSERT_TRUE(recording.started());
    player.open(tracks.low300);
    EXPECT_EQ(player.playState(), TrackPlayer::Playing);
    ASSERT_TRUE(recording.waitForSound(10ms));
    const auto heard = findTones(recording.finish(1500ms), recording.rate(), {low});
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.size(), 1u);
    EXPECT_GE(heard.front().lengthMs(), 1400.0);
}

TEST_F(PulseTrack, EveryFormatIsHeard) {
    for (const Format& format : formats) {
        SCOPED_TRACE(format.file);
        const std::string file = tracks.path(format.file);
        ASSERT_TRUE(encode(wavSource(tracks.low600), format.encoder, file));
        PulseTrackPlayer player;
        player.setLoop(true);
        MonitorRecording recording;
        ASSERT_TRUE(recording.started());
        const double openMs = millisOf([&] { EXPECT_TRUE(player.tryOpen(file)); });
        ASSERT_TRUE(recording.waitForSound(10ms));
        const auto heard = findTones(recording.finish(900ms), recording.rate(), {low});
        std::printf("%-10s opened in %5.1f ms\n", format.file, openMs);
        const ToneSegment* tone = firstTone(heard, low);
        ASSERT_NE(tone, nullptr) << "not heard";
        EXPECT_GE(tone->lengthMs(), 500.0);
    }
}

TEST_F(PulseTrack, ATwoHourFileStartsAtOnceInLittleMemory) {
    const std::string file = tracks.path("two-hours.wav");
    ASSERT_TRUE(writeToneWav(file, low, 2 * 3600.0, 8000));
    PulseTrackPlayer player;
    player.setLoop(true);
    // GStreamer loads what WAV files need with a short one first.
    ASSERT_TRUE(player.tryOpen(tracks.low300));
    player.stop();
    const long before = residentKb();
    MonitorRecording recording;
    ASSERT_TRUE(recording.started());
    const double openMs = millisOf([&] { EXPECT_TRUE(player.tryOpen(file)); });
    ASSERT_TRUE(recording.waitForSound(10ms));
    const auto heard = findTones(recording.finish(1000ms), recording.rate(), {low});
    const long grownKb = residentKb() - before;
    std::printf("two-hour WAV (%ju MB): opened in %.1f ms, memory %+ld kB while playing\n",
                std::filesystem::file_size(file) >> 20, openMs, grownKb);
    EXPECT_NE(firstTone(heard, low), nullptr);
    EXPECT_LT(grownKb, memoryBoundKb) << "the file is loaded, not streamed";
}

TEST_F(PulseTrack, AFiftyMillisecondFileLoopsQuietly) {
    PulseTrackPlayer player;
    player.setLoop(true);
    MonitorRecording recording;
    ASSERT_TRUE(recording.started());
    ASSERT_TRUE(player.tryOpen(tracks.low50));
    ASSERT_TRUE(recording.waitForSound(10ms));
    const double cpuBefore = otherThreadsCpu();
    const auto start = Clock::now();
    const auto heard = findTones(recording.finish(3000ms), recording.rate(), {low});
    const double cpu = (otherThreadsCpu() - cpuBefore) /
                       std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("50 ms file looping: %.2f %% of a core\n", 100 * cpu);
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.size(), 1u) << "the turns are not one unbroken tone";
    EXPECT_EQ(heard.front().hertz, low);
    EXPECT_GE(heard.front().lengthMs(), 2900.0);
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
    const std::string vorbis = tracks.path("low-then-high.ogg");
    ASSERT_TRUE(encode(wavSource(tracks.lowThenHigh), "vorbisenc ! oggmux", vorbis));
    for (const std::string& file : {tracks.lowThenHigh, vorbis}) {
        SCOPED_TRACE(file);
        PulseTrackPlayer player;
        player.setLoop(true);
        MonitorRecording recording;
        ASSERT_TRUE(recording.started());
        ASSERT_TRUE(player.tryOpen(file));
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
    // An AAC file cut in half has lost the index at its end.
    const std::string truncated = tracks.path("truncated.m4a");
    ASSERT_TRUE(encode(wavSource(tracks.low600), "avenc_aac ! mp4mux", truncated));
    std::filesystem::resize_file(truncated, std::filesystem::file_size(truncated) / 2);
    PulseTrackPlayer player;
    int errors = 0;
    player.onError = [&] { ++errors; };
    ASSERT_TRUE(player.tryOpen(tracks.low300));
    double slowest = 0;
    for (const std::string& path : {tracks.garbage, tracks.empty, tracks.silent, tracks.missing,
                                    tracks.path(""), tracks.textAsMp3, truncated}) {
        slowest = std::max(slowest, millisOf([&] { EXPECT_FALSE(player.tryOpen(path)) << path; }));
        // The track that plays is left alone.
        EXPECT_EQ(player.url(), tracks.low300) << path;
        EXPECT_EQ(player.playState(), TrackPlayer::Playing) << path;
    }
    std::printf("slowest refusal: %.1f ms\n", slowest);
    EXPECT_EQ(errors, 0);

    // Opened for good, such a file is an error and leaves the player silent;
    // open() itself returns at once, and the error follows.
    std::atomic<int> reported = 0;
    player.onError = [&] { ++reported; };
    int expected = 0;
    for (const std::string& path : {tracks.garbage, tracks.textAsMp3, truncated}) {
        const double openMs = millisOf([&] { player.open(path); });
        EXPECT_LT(openMs, 50.0) << path;
        EXPECT_EQ(player.url(), path);
        ++expected;
        EXPECT_TRUE(eventually([&] { return reported == expected; })) << path;
        EXPECT_EQ(player.playState(), TrackPlayer::Undefined);
        EXPECT_FALSE(player.streaming());
    }
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
    for (double took :
         {millisOf([&] { player->open(tracks.low300); }), millisOf([&] { player->pause(); }),
          millisOf([&] { player->play(); }), millisOf([&] { player->stop(); })})
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

// Reads up to `frames` frames in odd-sized blocks, waiting for the decoder as the
// sound server would; fewer at the end of a track that does not loop.
std::vector<std::int16_t> readAll(TrackFile& file, std::size_t frames, bool loop) {
    constexpr std::size_t block = 997;
    std::vector<std::int16_t> out(frames * 2);
    std::size_t done = 0;
    const auto deadline = Clock::now() + 5s;
    while (done < frames) {
        const std::size_t asked = std::min(block, frames - done);
        const std::size_t got = file.read(out.data() + done * 2, asked, loop);
        done += got;
        if (got == asked) continue;
        if (file.ended() || file.broken() || Clock::now() > deadline) break;
        std::this_thread::sleep_for(1ms);
    }
    out.resize(done * 2);
    return out;
}

TEST(TrackFile, LoopingGoesOnFromTheStart) {
    Tracks tracks;
    const auto file = TrackFile::open(tracks.low300At48k);
    ASSERT_NE(file, nullptr);
    const std::vector<std::int16_t> once = readAll(*file, 1'000'000, false);
    ASSERT_EQ(once.size(), 2u * 14400);
    EXPECT_TRUE(file->ended());
    EXPECT_TRUE(readAll(*file, 100, false).empty()) << "a track that does not loop ends";
    EXPECT_FALSE(file->broken());

    file->rewind();
    // Across the end of the file several times.
    const std::vector<std::int16_t> looped = readAll(*file, 14400 * 5 / 2, true);
    ASSERT_EQ(looped.size(), once.size() * 5 / 2);
    for (std::size_t i = 0; i < looped.size(); ++i)
        ASSERT_EQ(looped[i], once[i % once.size()]) << "at sample " << i;
}

TEST(TrackFile, GivesStereoAt48000HzWhateverTheFile) {
    Tracks tracks;
    const auto file = TrackFile::open(tracks.low300);  // mono at 22050 Hz
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->rate(), 48000);
    EXPECT_EQ(file->channels(), 2);
    EXPECT_EQ(file->frameBytes(), 4u);
    const std::vector<std::int16_t> sound = readAll(*file, 1'000'000, false);
    EXPECT_NEAR(static_cast<double>(sound.size()) / 2, 0.3 * 48000, 48);
    for (std::size_t i = 0; i + 1 < sound.size(); i += 2)
        ASSERT_EQ(sound[i], sound[i + 1]) << "the channels differ at frame " << i / 2;
}

TEST(TrackFile, OpensOnlyFilesThatGiveSound) {
    Tracks tracks;
    for (const std::string& path : {tracks.garbage, tracks.empty, tracks.silent, tracks.missing,
                                    tracks.textAsMp3, tracks.path(""), std::string()})
        EXPECT_EQ(TrackFile::open(path), nullptr) << "'" << path << "'";
}

}  // namespace
