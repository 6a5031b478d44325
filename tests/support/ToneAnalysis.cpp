#include "support/ToneAnalysis.h"

#include <sndfile.h>

#include <cmath>
#include <cstdlib>
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
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    const auto count = static_cast<sf_count_t>(frames.size() / channels);
    const bool written = sf_writef_short(file, frames.data(), count) == count;
    return sf_close(file) == 0 && written;
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
