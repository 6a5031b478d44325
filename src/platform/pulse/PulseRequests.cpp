#include "PulseRequests.h"

#include <pulse/introspect.h>

#include "audio/EndpointResult.h"

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
    answer->reading.index = info->index;
    answer->reading.muted = info->mute != 0;
    answer->reading.volume = info->volume;
}

void onServerInfo(pa_context*, const pa_server_info* info, void* userdata) {
    if (info && info->default_sink_name)
        *static_cast<std::optional<std::string>*>(userdata) = info->default_sink_name;
}

void onSuccess(pa_context*, int success, void* userdata) {
    *static_cast<bool*>(userdata) = success != 0;
}

// The code for a request that got no usable answer.
int32_t unanswered(const Connection& connection) {
    return connection.alive() ? endpoint_result::fail : endpoint_result::serviceNotRunning;
}

int32_t finish(Connection& connection, pa_operation* operation, const bool& success,
               Clock::time_point deadline) {
    if (!connection.wait(operation, deadline)) return unanswered(connection);
    return success ? endpoint_result::ok : endpoint_result::fail;
}

}  // namespace

std::optional<std::string> defaultSinkName(Connection& connection, Clock::time_point deadline) {
    if (!connection.alive()) return std::nullopt;
    std::optional<std::string> name;
    if (!connection.wait(pa_context_get_server_info(connection.context(), onServerInfo, &name),
                         deadline))
        return std::nullopt;
    if (name && name->empty()) return std::nullopt;
    return name;
}

int32_t readSink(Connection& connection, const std::string& sink, Clock::time_point deadline,
                 SinkReading& reading) {
    if (!connection.alive()) return endpoint_result::serviceNotRunning;
    SinkAnswer answer;
    pa_operation* operation =
        pa_context_get_sink_info_by_name(connection.context(), sink.c_str(), onSinkInfo, &answer);
    if (!connection.wait(operation, deadline)) return unanswered(connection);
    // The server answers a sink that has gone away with an error and no info.
    if (!answer.found) return endpoint_result::deviceInvalidated;
    reading = answer.reading;
    return endpoint_result::ok;
}

int32_t setSinkMute(Connection& connection, const std::string& sink, int32_t mute,
                    Clock::time_point deadline) {
    if (!connection.alive()) return endpoint_result::serviceNotRunning;
    bool success = false;
    // The value goes to libpulse as it came; the protocol carries it as a
    // boolean, so every non-zero value mutes.
    pa_operation* operation = pa_context_set_sink_mute_by_name(connection.context(), sink.c_str(),
                                                               mute, onSuccess, &success);
    return finish(connection, operation, success, deadline);
}

int32_t setSinkVolume(Connection& connection, const std::string& sink, const pa_cvolume& volume,
                      Clock::time_point deadline) {
    if (!connection.alive()) return endpoint_result::serviceNotRunning;
    bool success = false;
    pa_operation* operation = pa_context_set_sink_volume_by_name(connection.context(), sink.c_str(),
                                                                 &volume, onSuccess, &success);
    return finish(connection, operation, success, deadline);
}

}  // namespace pulse
