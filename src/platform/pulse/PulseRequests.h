#pragma once
// The few server requests the endpoint volume needs, each waiting for its
// answer on a session. Results are endpoint result codes.

#include <pulse/volume.h>

#include <cstdint>
#include <string>

#include "PulseSession.h"

namespace pulse {

struct SinkReading {
    std::string name;
    bool muted = false;
    pa_cvolume volume{};
};

// The sink by its name, or "@DEFAULT_SINK@" for the server's default sink of the moment.
int32_t readSink(Session& session, const std::string& sink, Clock::time_point deadline,
                 SinkReading& reading);
int32_t setSinkMute(Session& session, const std::string& sink, int32_t mute,
                    Clock::time_point deadline);
int32_t setSinkVolume(Session& session, const std::string& sink, const pa_cvolume& volume,
                      Clock::time_point deadline);

}  // namespace pulse
