#include "support/ToneAnalysis.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>

namespace {

// Sound louder than this (about -30 dB below the test tones) counts as loud.
constexpr int loud = 500;
// Quiet moments shorter than this inside a sound do not split it.
constexpr double holeMs = 3.0;

}  // namespace

bool writeToneWav(const std::string& path, double hertz, double seconds, int rate, int channels) {
    return writeTonesWav(path, {{hertz, seconds}}, rate, channels);
}

bool writeTonesWav(const std::string& path, const std::vector<Tone>& tones, int rate,
                   int channels) {
    std::vector<short> frames;
    for (const Tone& tone : tones) {
        const auto count = static_cast<std::size_t>(tone.seconds * rate);
        for (std::size_t i = 0; i < count; ++i) {
            const double value = 16384.0 * std::sin(2 * std::numbers::pi * tone.hertz *
                                                    static_cast<double>(i) / rate);
            frames.insert(frames.end(), channels, static_cast<short>(std::lround(value)));
        }
    }
    // A canonical 44-byte header, then the samples, all little-endian.
    std::ofstream file(path, std::ios::binary);
    const auto put = [&file](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file.put(static_cast<char>(value >> (8 * i) & 0xff));
    };
    const auto dataBytes = static_cast<std::uint32_t>(frames.size() * 2);
    file.write("RIFF", 4);
    put(36 + dataBytes, 4);
    file.write("WAVEfmt ", 8);
    put(16, 4);
    put(1, 2);  // PCM
    put(static_cast<std::uint32_t>(channels), 2);
    put(static_cast<std::uint32_t>(rate), 4);
    put(static_cast<std::uint32_t>(rate * channels * 2), 4);
    put(static_cast<std::uint32_t>(channels * 2), 2);
    put(16, 2);
    file.write("data", 4);
    put(dataBytes, 4);
    for (short sample : frames) put(static_cast<std::uint16_t>(sample), 2);
    return static_cast<bool>(file.flush());
}

std::vector<ToneSegment> findTones(const std::vector<std::int16_t>& samples, int rate,
                                   const std::vector<double>& tones) {
    std::vector<ToneSegment> segments;
    const auto hole = static_cast<std::size_t>(holeMs * rate / 1000);
    const auto ms = [rate](std::size_t at) { return 1000.0 * static_cast<double>(at) / rate; };
    const auto label = [&tones](double hertz) {
        for (double tone : tones)
            if (std::abs(hertz - tone) <= 0.12 * tone) return tone;
        return 0.0;
    };
    // Within one loud region [begin, end): split it where the crossing spacing changes.
    const auto splitRegion = [&](std::size_t begin, std::size_t end) {
        std::vector<std::size_t> crossings;
        for (std::size_t i = begin + 1; i < end; ++i)
            if ((samples[i - 1] < 0) != (samples[i] < 0)) crossings.push_back(i);
        std::size_t runStart = begin;
        double runTone = -1;
        for (std::size_t k = 0; k + 1 < crossings.size(); ++k) {
            const double hertz =
                rate / (2.0 * static_cast<double>(crossings[k + 1] - crossings[k]));
            const double tone = label(hertz);
            if (tone != runTone) {
                if (runTone >= 0) segments.push_back({runTone, ms(runStart), ms(crossings[k])});
                runStart = runTone >= 0 ? crossings[k] : begin;
                runTone = tone;
            }
        }
        if (runTone >= 0) segments.push_back({runTone, ms(runStart), ms(end)});
    };

    std::size_t regionStart = 0, lastLoud = 0;
    bool inRegion = false;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) <= loud) continue;
        if (inRegion && i - lastLoud > hole) {
            splitRegion(regionStart, lastLoud + 1);
            inRegion = false;
        }
        if (!inRegion) {
            regionStart = i;
            inRegion = true;
        }
        lastLoud = i;
    }
    if (inRegion) splitRegion(regionStart, lastLoud + 1);

    // A few stray crossings at a tone's edges make tiny parts: fold parts under
    // 3 ms into the part before them, then join neighbours of the same tone.
    std::vector<ToneSegment> merged;
    for (const ToneSegment& s : segments) {
        if (!merged.empty() && (s.lengthMs() < 3.0 || s.hertz == merged.back().hertz) &&
            s.startMs - merged.back().endMs < holeMs) {
            merged.back().endMs = s.endMs;
            continue;
        }
        merged.push_back(s);
    }
    return merged;
}

const ToneSegment* firstTone(const std::vector<ToneSegment>& segments, double hertz,
                             double fromMs) {
    for (const ToneSegment& s : segments)
        if (s.hertz == hertz && s.startMs >= fromMs) return &s;
    return nullptr;
}
