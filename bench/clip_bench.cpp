// Voice clip playback on a private PulseAudio server: the gap heard between
// back-to-back clips (found on the sink's monitor) and how long play() blocks
// beyond each clip's length, over 20 clips; then the first clip after a
// silence, a missing clip, and how long the player takes with no server and
// with a frozen one.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/pulse/PulseClipPlayer.h"
#include "support/MonitorRecording.h"
#include "support/PulseServer.h"
#include "support/ToneAnalysis.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr int clips = 20;
constexpr double clipMs = 300;
constexpr double low = 440, high = 880;

struct Spread {
    double median = 0, max = 0;
};

Spread spread(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.back()};
}

template <typename Action>
double timed(Action action) {
    const auto start = Clock::now();
    action();
    return Ms(Clock::now() - start).count();
}

}  // namespace

int main() {
    // Line by line: the test server's child process would otherwise flush a copy of the buffer.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "clip-bench";
    std::filesystem::create_directories(dir);
    const std::string lowClip = (dir / "low.wav").string(), highClip = (dir / "high.wav").string();
    const std::string missing = (dir / "missing.wav").string();
    writeToneWav(lowClip, low, clipMs / 1000);
    writeToneWav(highClip, high, clipMs / 1000);
    std::printf("clips: %.0f ms sine tones, %d Hz and %d Hz by turns\n", clipMs,
                static_cast<int>(low), static_cast<int>(high));

    {
        PulseServer server;
        std::optional<PulseClipPlayer> player;
        std::printf("player made (connect, open the stream): %7.1f ms\n",
                    timed([&] { player.emplace(); }));
        // The program makes its player at start-up; give the sink the time it
        // takes to settle at the stream's latency (up to 2 s from idle).
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));

        MonitorRecording recording;
        if (!recording.started()) std::printf("(parec did not start: no gaps measured)\n");
        std::vector<double> beyond;
        for (int i = 0; i < clips; ++i)
            beyond.push_back(timed([&] { player->play(i % 2 ? highClip : lowClip); }) - clipMs);
        const auto heard = findTones(recording.finish(), recording.rate(), {low, high});

        std::vector<double> gaps;
        int whole = 0;
        for (std::size_t i = 0; i < heard.size(); ++i) {
            if (heard[i].lengthMs() > clipMs - 10) ++whole;
            if (i > 0) gaps.push_back(heard[i].startMs - heard[i - 1].endMs);
        }
        const Spread gap = spread(gaps), block = spread(beyond);
        std::printf("%d clips played; heard %zu sounds, %d of them whole\n", clips, heard.size(),
                    whole);
        std::printf("gap between back-to-back clips:   median %6.1f ms, max %6.1f ms (%zu gaps)\n",
                    gap.median, gap.max, gaps.size());
        std::printf("play() blocks beyond the clip:    median %6.1f ms, max %6.1f ms (%zu clips)\n",
                    block.median, block.max, beyond.size());

        std::vector<double> afterSilence;
        for (int i = 0; i < 3; ++i) {
            std::this_thread::sleep_for(std::chrono::seconds(2));
            afterSilence.push_back(timed([&] { player->play(lowClip); }) - clipMs);
        }
        const Spread silence = spread(afterSilence);
        std::printf(
            "first clip after 2 s of silence:  median %6.1f ms, max %6.1f ms beyond "
            "(%zu clips)\n",
            silence.median, silence.max, afterSilence.size());
        std::printf("missing clip (the chime instead): play() took %6.1f ms\n",
                    timed([&] { player->play(missing); }));

        // The worst case: a clip right after the player is made on an idle sink.
        player.reset();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        PulseClipPlayer fresh;
        std::printf("clip at once after making the player on an idle sink: %6.1f ms beyond\n",
                    timed([&] { fresh.play(lowClip); }) - clipMs);

        server.freeze();
        const double frozenPlay = timed([&] { fresh.play(lowClip); });
        const double frozenNext = timed([&] { fresh.play(lowClip); });
        std::printf("server frozen, stream open:       play() took %6.1f ms, the next %6.1f ms\n",
                    frozenPlay, frozenNext);
        std::optional<PulseClipPlayer> late;
        const double frozenMake = timed([&] { late.emplace(); });
        const double frozenMadePlay = timed([&] { late->play(lowClip); });
        std::printf("server frozen, player made:       %6.1f ms, then play() %6.1f ms\n",
                    frozenMake, frozenMadePlay);
        server.thaw();
    }
    {
        NoPulseServer none;
        std::optional<PulseClipPlayer> player;
        const double noneMake = timed([&] { player.emplace(); });
        const double nonePlay = timed([&] { player->play(lowClip); });
        std::printf("no server, player made:           %6.3f ms, then play() %6.3f ms\n", noneMake,
                    nonePlay);
        PulseClipPlayer::Timing retryAtOnce;
        retryAtOnce.retryAfter = std::chrono::milliseconds(0);
        PulseClipPlayer retrying(retryAtOnce);
        std::printf("no server, play() that tries to connect: %6.3f ms\n",
                    timed([&] { retrying.play(lowClip); }));
    }
    std::filesystem::remove_all(dir);
    return 0;
}
