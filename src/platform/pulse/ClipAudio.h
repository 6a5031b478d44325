#pragma once
// Clip sound in the one format the clip stream plays: signed 16-bit mono
// samples at clipRate frames per second. Files are read with libsndfile.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using ClipSamples = std::vector<std::int16_t>;

constexpr int clipRate = 22050;

// The file's sound mixed down to mono and resampled to clipRate; nothing when
// the file is missing or cannot be decoded.
std::optional<ClipSamples> loadClipAudio(const std::string& path);

// Linear resampling of mono samples from `fromRate` to `toRate` frames per second.
ClipSamples resampleLinear(const ClipSamples& in, int fromRate, int toRate);

// The short chime (two falling notes, 250 ms) played in place of a clip that
// cannot be played. Made in memory once.
const ClipSamples& fallbackChime();

inline std::chrono::microseconds clipLength(const ClipSamples& samples) {
    return std::chrono::microseconds(static_cast<long long>(samples.size()) * 1'000'000 / clipRate);
}
