#include "support/ToneAnalysis.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>

namespace {

void put16(std::ofstream& out, std::uint16_t v) {
    const char bytes[] = {static_cast<char>(v & 0xff), static_cast<char>(v >> 8)};
    out.write(bytes, 2);
}

void put32(std::ofstream& out, std::uint32_t v) {
    put16(out, static_cast<std::uint16_t>(v & 0xffff));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

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
    std::ofstream out(path, std::ios::binary);
    if (!out) return false;
    std::uint32_t frames = 0;
    for (const Tone& tone : tones) frames += static_cast<std::uint32_t>(tone.seconds * rate);
    const std::uint32_t dataBytes = frames * channels * 2;
    out.write("RIFF", 4);
    put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, static_cast<std::uint16_t>(channels));
    put32(out, static_cast<std::uint32_t>(rate));
    put32(out, static_cast<std::uint32_t>(rate * channels * 2));
    put16(out, static_cast<std::uint16_t>(channels * 2));
    put16(out, 16);
    out.write("data", 4);
    put32(out, dataBytes);
    for (const Tone& tone : tones) {
        const auto count = static_cast<std::uint32_t>(tone.seconds * rate);
        for (std::uint32_t i = 0; i < count; ++i) {
            const double value = 16384.0 * std::sin(2 * std::numbers::pi * tone.hertz * i / rate);
            for (int c = 0; c < channels; ++c)
                put16(out,
                      static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(value))));
        }
    }
    return static_cast<bool>(out);
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
