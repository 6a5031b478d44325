#pragma once
// Playback streams as the players open them: the server keeps `target` of
// sound queued (the sink's latency brought down to match) and chooses the rest.
// Use with the session locked.

#include <pulse/stream.h>

// A stream connecting to the default sink, its callbacks set; null when it
// cannot be made.
pa_stream* openPlayback(pa_context* context, const char* name, const pa_sample_spec& spec,
                        const pa_channel_map* map, pa_usec_t target, bool corked,
                        pa_stream_notify_cb_t onState, pa_stream_request_cb_t onWrite,
                        void* userdata);

// Disconnects and releases the stream (null afterwards); its callbacks never run again.
void closeStream(pa_stream*& stream);
