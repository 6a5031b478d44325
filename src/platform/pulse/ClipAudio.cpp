#include "ClipAudio.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

namespace {

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

// Voice clips are a second or two. A clip is handed to the server whole, and
// the server buffers at most 4 MB for a stream: longer files are cut at 60 s.
constexpr sf_count_t maxSeconds = 60;

std::int16_t clamp16(double value) {
    return static_cast<std::int16_t>(std::clamp(std::lround(value), -32768L, 32767L));
}

}  // namespace

std::optional<ClipSamples> loadClipAudio(const std::string& path) {
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file || info.channels < 1 || info.samplerate < 1) return std::nullopt;
    // Read in blocks and mix each block down at once, whatever the channel count.
    const sf_count_t limit = maxSeconds * info.samplerate;
    constexpr sf_count_t blockFrames = 4096;
    std::vector<short> block(static_cast<std::size_t>(blockFrames) * info.channels);
    ClipSamples mono;
    while (static_cast<sf_count_t>(mono.size()) < limit) {
        const sf_count_t want = std::min(blockFrames, limit - static_cast<sf_count_t>(mono.size()));
        const sf_count_t got = sf_readf_short(file.get(), block.data(), want);
        if (got <= 0) break;
        for (sf_count_t frame = 0; frame < got; ++frame) {
            long sum = 0;
            for (int channel = 0; channel < info.channels; ++channel)
                sum += block[static_cast<std::size_t>(frame * info.channels + channel)];
            mono.push_back(static_cast<std::int16_t>(sum / info.channels));
        }
    }
    // A file that promised sound but gave none cannot be decoded.
    if (mono.empty() && info.frames > 0) return std::nullopt;
    if (info.samplerate == clipRate) return mono;
    return resampleLinear(mono, info.samplerate, clipRate);
}

ClipSamples resampleLinear(const ClipSamples& in, int fromRate, int toRate) {
    if (in.empty() || fromRate <= 0 || toRate <= 0) return {};
    if (fromRate == toRate) return in;
    const std::size_t count =
        static_cast<std::size_t>(static_cast<long double>(in.size()) * toRate / fromRate + 0.5L);
    ClipSamples out(count);
    const double step = static_cast<double>(fromRate) / toRate;
    for (std::size_t i = 0; i < count; ++i) {
        const double at = static_cast<double>(i) * step;
        const std::size_t left = std::min(static_cast<std::size_t>(at), in.size() - 1);
        const std::size_t right = std::min(left + 1, in.size() - 1);
        const double part = at - static_cast<double>(left);
        out[i] = clamp16(in[left] + (in[right] - in[left]) * part);
    }
    return out;
}

const ClipSamples& fallbackChime() {
    static const ClipSamples chime = [] {
        // Two bell-like notes, A6 then F6, each struck and left to decay.
        struct Note {
            double hertz;
            double seconds;
        };
        const Note notes[] = {{1760.0, 0.110}, {1396.9, 0.140}};
        constexpr double attack = 0.004;
        constexpr double release = 0.008;
        ClipSamples out;
        for (const Note& note : notes) {
            const int count = static_cast<int>(note.seconds * clipRate);
            for (int i = 0; i < count; ++i) {
                const double t = static_cast<double>(i) / clipRate;
                double envelope = std::exp(-t / 0.06);
                envelope *= std::min(1.0, t / attack);
                envelope *= std::min(1.0, (note.seconds - t) / release);
                const double wave = std::sin(2 * std::numbers::pi * note.hertz * t) +
                                    0.3 * std::sin(2 * std::numbers::pi * 2 * note.hertz * t);
                out.push_back(clamp16(0.35 * 32767 * envelope * wave / 1.3));
            }
        }
        return out;
    }();
    return chime;
}
