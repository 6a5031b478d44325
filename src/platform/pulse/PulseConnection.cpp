#include "PulseConnection.h"

#include <algorithm>

namespace pulse {

Connection::Connection() {
    m_loop = pa_mainloop_new();
    if (m_loop) m_context = pa_context_new(pa_mainloop_get_api(m_loop), "alarm-clock");
}

Connection::~Connection() {
    if (m_context) {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
    }
    if (m_loop) pa_mainloop_free(m_loop);
}

std::unique_ptr<Connection> Connection::open(Clock::time_point deadline) {
    std::unique_ptr<Connection> connection(new Connection());
    if (!connection->m_context) return nullptr;
    pa_context* context = connection->m_context;
    // The server named by PULSE_SERVER or the client configuration; never start one.
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return nullptr;
    const auto settled = [context] {
        const pa_context_state_t state = pa_context_get_state(context);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    };
    if (!connection->runUntil(settled, deadline)) return nullptr;
    if (pa_context_get_state(context) != PA_CONTEXT_READY) return nullptr;
    return connection;
}

bool Connection::alive() const {
    return !m_dead && m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY;
}

bool Connection::wait(pa_operation* operation, Clock::time_point deadline) {
    if (!operation) return false;
    const bool finished =
        runUntil([operation] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; },
                 deadline);
    const bool done = finished && pa_operation_get_state(operation) == PA_OPERATION_DONE;
    if (!finished) {
        // No callback may run after the caller's result variables are gone.
        pa_operation_cancel(operation);
        kill();
    }
    pa_operation_unref(operation);
    return done;
}

bool Connection::runUntil(const std::function<bool()>& done, Clock::time_point deadline) {
    while (!done()) {
        const auto now = Clock::now();
        if (now >= deadline) return false;
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now);
        // At least 1 us, so that the poll never turns into an endless one.
        const int timeout = static_cast<int>(std::max<long long>(left.count(), 1));
        if (pa_mainloop_prepare(m_loop, timeout) < 0) return false;
        if (pa_mainloop_poll(m_loop) < 0) return false;
        if (pa_mainloop_dispatch(m_loop) < 0) return false;
    }
    return true;
}

void Connection::kill() {
    m_dead = true;
    if (m_context) pa_context_disconnect(m_context);
}

}  // namespace pulse
