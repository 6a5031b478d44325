#pragma once
// Test sounds and what a recording of them holds: steady tones are found by the
// spacing of their zero crossings, so each can be told apart from the others
// and timed to within a millisecond or so.

#include <cstdint>
#include <string>
#include <vector>

// Writes a 16-bit PCM WAV file holding a sine tone at half of full scale.
bool writeToneWav(const std::string& path, double hertz, double seconds, int rate = 22050,
                  int channels = 1);

struct Tone {
    double hertz;
    double seconds;
};
// Writes the tones one after the other into one such file.
bool writeTonesWav(const std::string& path, const std::vector<Tone>& tones, int rate = 22050,
                   int channels = 1);

struct ToneSegment {
    double hertz;  // the matched tone, or 0 for other loud sound
    double startMs;
    double endMs;
    double lengthMs() const { return endMs - startMs; }
};

// The loud stretches of a recording, cut where the tone changes: each part is
// labelled with the tone of `tones` it matches (within 12 %), or 0.
std::vector<ToneSegment> findTones(const std::vector<std::int16_t>& samples, int rate,
                                   const std::vector<double>& tones);

// The first segment of a tone at or after `fromMs`, or null.
const ToneSegment* firstTone(const std::vector<ToneSegment>& segments, double hertz,
                             double fromMs = -1e9);
