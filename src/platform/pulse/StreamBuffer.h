#pragma once
// Playback buffer attributes that ask the server to keep `target` of sound
// queued for a stream and leave everything else to it.

#include <pulse/def.h>
#include <pulse/sample.h>

#include <cstdint>

inline pa_buffer_attr playbackBuffer(pa_usec_t target, const pa_sample_spec& spec) {
    constexpr auto serverDefault = static_cast<std::uint32_t>(-1);
    pa_buffer_attr attr;
    attr.maxlength = serverDefault;
    attr.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(target, &spec));
    attr.prebuf = serverDefault;
    attr.minreq = serverDefault;
    attr.fragsize = serverDefault;
    return attr;
}
