#pragma once
// How the endpoint's levels map onto PulseAudio volumes.
//
// Scalar: linear in the server's volume, scalar = volume / PA_VOLUME_NORM, the
// percentage that the server's own tools show (the server's volume curve is
// cubic in amplitude). 0.5 is exactly half of PA_VOLUME_NORM. Volumes above
// PA_VOLUME_NORM read as 1.0.
//
// Decibels: the server's software-volume decibels (pa_sw_volume_to_dB), with a
// floor of -96 dB. The range is -96 dB to 0 dB (PA_VOLUME_NORM); the floor
// stands for silence (volume 0) both ways, and anything quieter reads as the floor.
//
// Steps: a step is 1/100 of PA_VOLUME_NORM, so there are 101 steps, 0 to 100.

#include <pulse/volume.h>

#include <cstdint>
#include <optional>

namespace pulse {

constexpr float floorDB = -96.0f;
constexpr float ceilingDB = 0.0f;
constexpr uint32_t stepCount = 101;

// Outside 0.0-1.0 (or not a number): no volume.
std::optional<pa_volume_t> volumeFromScalar(float scalar);
float scalarFromVolume(pa_volume_t volume);

// Outside floorDB-ceilingDB (or not a number): no volume.
std::optional<pa_volume_t> volumeFromDB(float levelDB);
float dbFromVolume(pa_volume_t volume);

// The coarsest decibel resolution of the server's volume inside the range
// (it is coarsest at the floor).
float incrementDB();

// The step nearest to a volume (volumes above PA_VOLUME_NORM are step 100).
uint32_t stepFromVolume(pa_volume_t volume);
pa_volume_t volumeFromStep(uint32_t step);

}  // namespace pulse
