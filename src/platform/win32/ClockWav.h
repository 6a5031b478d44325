#pragma once
// The clock's own short sounds (the beep) as the program lays them out:
// RIFF WAVE, 16-bit PCM, mono, 22050 Hz. Only the program's own file is read
// here; anything else is refused, for the decoder to play as a track.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

inline constexpr int kClockWavRate = 22050;

// The samples of `file` (the bytes of a whole file), or nothing when it is
// not such a file or its chunks run past its end.
std::optional<std::vector<std::int16_t>> readClockWav(std::string_view file);
