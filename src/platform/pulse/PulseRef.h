#pragma once
// Owning holders for libpulse's objects, each given back exactly once when its
// holder goes. A session's objects are released with the session locked (or on
// its own thread), as every libpulse call on them is made.

#include <pulse/context.h>
#include <pulse/mainloop-api.h>
#include <pulse/operation.h>
#include <pulse/stream.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>

#include <memory>
#include <thread>

namespace pulse {

struct OperationUnref {
    void operator()(pa_operation* operation) const { pa_operation_unref(operation); }
};
// A request's handle: the answer's callback still runs once it is gone.
using Operation = std::unique_ptr<pa_operation, OperationUnref>;

// For a request nobody waits for: it goes on, only its handle is given back.
inline void letRun(pa_operation* operation) {
    const Operation handle(operation);
}

struct StreamClose {
    // Its callbacks never run again; a stream still connected is disconnected.
    void operator()(pa_stream* stream) const {
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_set_write_callback(stream, nullptr, nullptr);
        if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) pa_stream_disconnect(stream);
        pa_stream_unref(stream);
    }
};
using Stream = std::unique_ptr<pa_stream, StreamClose>;

struct ContextClose {
    // Its callbacks never run again; it is disconnected from the server.
    void operator()(pa_context* context) const {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_set_subscribe_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
};
using Context = std::unique_ptr<pa_context, ContextClose>;

// A timer of a main loop, freed through that loop's interface.
struct TimeEventFree {
    const pa_mainloop_api* api = nullptr;
    void operator()(pa_time_event* timer) const { api->time_free(timer); }
};
using TimeEvent = std::unique_ptr<pa_time_event, TimeEventFree>;

struct LoopEnd {
    void operator()(pa_threaded_mainloop* loop) const {
        const auto finish = [loop] {
            pa_threaded_mainloop_stop(loop);
            pa_threaded_mainloop_free(loop);
        };
        // Ended from one of its own callbacks, the thread cannot stop itself:
        // another one stops it once the callback has returned.
        if (pa_threaded_mainloop_in_thread(loop))
            std::thread(finish).detach();
        else
            finish();
    }
};
// A main loop with its thread, stopped and freed when it goes.
using ThreadedLoop = std::unique_ptr<pa_threaded_mainloop, LoopEnd>;

}  // namespace pulse
