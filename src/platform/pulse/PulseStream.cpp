#include "PulseStream.h"

#include <cstdint>

pulse::Stream openPlayback(pa_context* context, const char* name, const pa_sample_spec& spec,
                           const pa_channel_map* map, pa_usec_t target, bool corked,
                           pa_stream_notify_cb_t onState, pa_stream_request_cb_t onWrite,
                           void* userdata, pa_usec_t step) {
    pulse::Stream stream(pa_stream_new(context, name, &spec, map));
    if (!stream) return nullptr;
    pa_stream_set_state_callback(stream.get(), onState, userdata);
    pa_stream_set_write_callback(stream.get(), onWrite, userdata);
    constexpr auto serverDefault = static_cast<std::uint32_t>(-1);
    const pa_buffer_attr attr{
        serverDefault, static_cast<std::uint32_t>(pa_usec_to_bytes(target, &spec)), serverDefault,
        step ? static_cast<std::uint32_t>(pa_usec_to_bytes(step, &spec)) : serverDefault,
        serverDefault};
    auto flags = PA_STREAM_ADJUST_LATENCY;
    if (corked) flags = static_cast<pa_stream_flags_t>(flags | PA_STREAM_START_CORKED);
    if (pa_stream_connect_playback(stream.get(), nullptr, &attr, flags, nullptr, nullptr) < 0)
        stream.reset();
    return stream;
}
