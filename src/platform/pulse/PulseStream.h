#pragma once
// Playback streams as the players open them: the server keeps `target` of
// sound queued (the sink's latency brought down to match) and chooses the rest.
// Use with the session locked.

#include <pulse/stream.h>

#include "PulseRef.h"

// A stream connecting to the default sink, its callbacks set; null when it
// cannot be made. `step`, when given, is the least the server asks for at a
// time (fewer, larger writes); otherwise the server chooses. Releasing it (reset, with the session
// locked) disconnects it, and its callbacks never run again.
pulse::Stream openPlayback(pa_context* context, const char* name, const pa_sample_spec& spec,
                           const pa_channel_map* map, pa_usec_t target, bool corked,
                           pa_stream_notify_cb_t onState, pa_stream_request_cb_t onWrite,
                           void* userdata, pa_usec_t step = 0);
