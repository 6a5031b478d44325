#pragma once
// The few server requests the endpoint volume needs, each waiting for its
// answer on a session. Results are endpoint result codes.

#include <pulse/volume.h>

#include <cstdint>
#include <optional>
#include <string>

#include "PulseSession.h"

namespace pulse {

struct SinkReading {
    uint32_t index = 0;
    bool muted = false;
    pa_cvolume volume{};
};

// The name of the server's default sink; none when the server has no sink or
// does not answer.
std::optional<std::string> defaultSinkName(Session& session, Clock::time_point deadline);

int32_t readSink(Session& session, const std::string& sink, Clock::time_point deadline,
                 SinkReading& reading);
int32_t setSinkMute(Session& session, const std::string& sink, int32_t mute,
                    Clock::time_point deadline);
int32_t setSinkVolume(Session& session, const std::string& sink, const pa_cvolume& volume,
                      Clock::time_point deadline);

}  // namespace pulse
