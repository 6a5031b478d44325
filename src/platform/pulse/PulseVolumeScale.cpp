#include "PulseVolumeScale.h"

#include <algorithm>
#include <cmath>

namespace pulse {

namespace {

constexpr uint32_t lastStep = stepCount - 1;

pa_volume_t roundedVolume(double volume) {
    return static_cast<pa_volume_t>(std::lround(volume));
}

}  // namespace

std::optional<pa_volume_t> volumeFromScalar(float scalar) {
    if (!(scalar >= 0.0f && scalar <= 1.0f)) return std::nullopt;
    return roundedVolume(static_cast<double>(scalar) * PA_VOLUME_NORM);
}

float scalarFromVolume(pa_volume_t volume) {
    if (volume >= PA_VOLUME_NORM) return 1.0f;
    return static_cast<float>(static_cast<double>(volume) / PA_VOLUME_NORM);
}

std::optional<pa_volume_t> volumeFromDB(float levelDB) {
    if (!(levelDB >= floorDB && levelDB <= ceilingDB)) return std::nullopt;
    if (levelDB == floorDB) return PA_VOLUME_MUTED;
    return pa_sw_volume_from_dB(levelDB);
}

float dbFromVolume(pa_volume_t volume) {
    const double db = pa_sw_volume_to_dB(volume);  // minus infinity for volume 0
    return static_cast<float>(std::max(db, static_cast<double>(floorDB)));
}

float incrementDB() {
    const pa_volume_t atFloor = pa_sw_volume_from_dB(floorDB);
    return static_cast<float>(pa_sw_volume_to_dB(atFloor + 1) - pa_sw_volume_to_dB(atFloor));
}

uint32_t stepFromVolume(pa_volume_t volume) {
    if (volume >= PA_VOLUME_NORM) return lastStep;
    return static_cast<uint32_t>(
        std::lround(static_cast<double>(volume) * lastStep / PA_VOLUME_NORM));
}

pa_volume_t volumeFromStep(uint32_t step) {
    if (step >= lastStep) return PA_VOLUME_NORM;
    return roundedVolume(static_cast<double>(step) * PA_VOLUME_NORM / lastStep);
}

}  // namespace pulse
