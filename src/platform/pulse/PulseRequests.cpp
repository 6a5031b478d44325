#include "PulseRequests.h"

#include <pulse/introspect.h>

#include "audio/EndpointResult.h"
#include "log/Log.h"

namespace pulse {

namespace {

struct SinkAnswer {
    bool found = false;
    SinkReading reading;
};

void onSinkInfo(pa_context*, const pa_sink_info* info, int, void* userdata) {
    if (!info) return;
    auto* answer = static_cast<SinkAnswer*>(userdata);
    answer->found = true;
    answer->reading.name = info->name;
    answer->reading.muted = info->mute != 0;
    answer->reading.volume = info->volume;
}

void onSuccess(pa_context*, int success, void* userdata) {
    *static_cast<bool*>(userdata) = success != 0;
}

// The code for a request that got no usable answer.
int32_t unanswered(const Session& session) {
    return session.ready() ? endpoint_result::fail : endpoint_result::serviceNotRunning;
}

int32_t setting(Session& session, const std::function<pa_operation*()>& send, const bool& success,
                Clock::time_point deadline) {
    if (!session.request(send, deadline)) return unanswered(session);
    return success ? endpoint_result::ok : endpoint_result::fail;
}

}  // namespace

int32_t readSink(Session& session, const std::string& sink, Clock::time_point deadline,
                 SinkReading& reading) {
    SinkAnswer answer;
    const auto send = [&] {
        return pa_context_get_sink_info_by_name(session.context(), sink.c_str(), onSinkInfo,
                                                &answer);
    };
    if (!session.request(send, deadline)) return unanswered(session);
    // The server answers a sink that has gone away with an error and no info.
    if (!answer.found) {
        logDebug(LogCategory::audio, "PulseAudio: no sink named " + sink);
        return endpoint_result::deviceInvalidated;
    }
    reading = answer.reading;
    return endpoint_result::ok;
}

int32_t setSinkMute(Session& session, const std::string& sink, int32_t mute,
                    Clock::time_point deadline) {
    bool success = false;
    // The value goes to libpulse as it came; the protocol carries it as a
    // boolean, so every non-zero value mutes.
    const auto send = [&] {
        return pa_context_set_sink_mute_by_name(session.context(), sink.c_str(), mute, onSuccess,
                                                &success);
    };
    return setting(session, send, success, deadline);
}

int32_t setSinkVolume(Session& session, const std::string& sink, const pa_cvolume& volume,
                      Clock::time_point deadline) {
    bool success = false;
    const auto send = [&] {
        return pa_context_set_sink_volume_by_name(session.context(), sink.c_str(), &volume,
                                                  onSuccess, &success);
    };
    return setting(session, send, success, deadline);
}

}  // namespace pulse
