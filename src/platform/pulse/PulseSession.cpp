#include "PulseSession.h"

#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/rtclock.h>
#include <pulse/subscribe.h>
#include <pulse/timeval.h>

#include <algorithm>
#include <mutex>

#include "log/Log.h"

namespace pulse {

namespace {

// While a wait runs on a connected server, a small request goes out this
// often, and each must be answered before the next is due.
constexpr std::chrono::milliseconds answerLimit{400};

// `at` on libpulse's monotonic clock, for its timers.
pa_usec_t rtclockAt(Clock::time_point at) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(at - Clock::now());
    return pa_rtclock_now() + static_cast<pa_usec_t>(std::max<long long>(left.count(), 0));
}

void signalLoop(void* loop) {
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
}

}  // namespace

Session::Session(const char* name, std::chrono::milliseconds reconnectDelay)
    : m_name(name), m_reconnectDelay(reconnectDelay), m_loop(pa_threaded_mainloop_new()) {
    if (m_loop) pa_threaded_mainloop_set_name(m_loop.get(), name);
}

Session::~Session() {
    if (!m_loop) return;
    std::lock_guard lock(*this);
    onChange = nullptr;
    dropContext();
    m_wakeTimer.reset();
    m_reconnectTimer.reset();
}

std::unique_ptr<Session> Session::open(const char* name, Clock::time_point deadline) {
    auto session = std::make_unique<Session>(name);
    session->connect();
    Session& s = *session;
    if (!s.waitUntil([&s] { return s.ready(); }, deadline)) return nullptr;
    return session;
}

void Session::lock() const {
    if (m_loop && !pa_threaded_mainloop_in_thread(m_loop.get()))
        pa_threaded_mainloop_lock(m_loop.get());
}

void Session::unlock() const {
    if (m_loop && !pa_threaded_mainloop_in_thread(m_loop.get()))
        pa_threaded_mainloop_unlock(m_loop.get());
}

void Session::connect() {
    std::lock_guard lock(*this);
    dropContext();
    if (!m_loop) return;
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop.get());
    m_context.reset(pa_context_new(api, m_name.c_str()));
    if (!m_context) return;
    if (!m_wakeTimer) {
        m_wakeTimer = TimeEvent(pa_context_rttime_new(
                                    m_context.get(), PA_USEC_INVALID,
                                    [](pa_mainloop_api*, pa_time_event*, const timeval*,
                                       void* loop) { signalLoop(loop); },
                                    m_loop.get()),
                                TimeEventFree{api});
        m_reconnectTimer = TimeEvent(pa_context_rttime_new(
                                         m_context.get(), PA_USEC_INVALID,
                                         [](pa_mainloop_api*, pa_time_event*, const timeval*,
                                            void* self) { static_cast<Session*>(self)->connect(); },
                                         this),
                                     TimeEventFree{api});
    }
    pa_context_set_state_callback(m_context.get(), contextChanged, this);
    // The server named by PULSE_SERVER or the client configuration; never start one.
    if (pa_context_connect(m_context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        // No server fails here, before the thread is needed.
        logDebug(LogCategory::audio, std::string("PulseAudio: cannot connect: ") +
                                         pa_strerror(pa_context_errno(m_context.get())));
        reconnectLater();
    } else if (!run()) {
        dropContext();
    }
}

bool Session::run() {
    if (!m_running) m_running = pa_threaded_mainloop_start(m_loop.get()) >= 0;
    if (!m_running) logDebug(LogCategory::audio, "PulseAudio: cannot start the session's thread");
    return m_running;
}

bool Session::ready() const {
    std::lock_guard lock(*this);
    return m_context && pa_context_get_state(m_context.get()) == PA_CONTEXT_READY;
}

void Session::reconnectLater() {
    std::lock_guard lock(*this);
    if (m_reconnectDelay.count() > 0 && m_context && m_reconnectTimer && run())
        pa_context_rttime_restart(m_context.get(), m_reconnectTimer.get(),
                                  rtclockAt(Clock::now() + m_reconnectDelay));
}

void Session::contextChanged(pa_context* context, void* self) {
    auto* session = static_cast<Session*>(self);
    const pa_context_state_t state = pa_context_get_state(context);
    // Refused at once when there is no server; terminated when it went away.
    if (state == PA_CONTEXT_FAILED)
        logDebug(LogCategory::audio, std::string("PulseAudio: connection failed: ") +
                                         pa_strerror(pa_context_errno(context)));
    if (!PA_CONTEXT_IS_GOOD(state)) session->reconnectLater();
    session->wake();
    if (session->onChange) session->onChange();
}

bool Session::waitUntil(const std::function<bool()>& done, Clock::time_point deadline) {
    std::lock_guard lock(*this);
    return waitLocked(done, deadline);
}

bool Session::request(const std::function<pa_operation*()>& send, Clock::time_point deadline) {
    std::lock_guard lock(*this);
    const Operation operation(ready() ? send() : nullptr);
    if (!operation) return false;
    pa_operation* const sent = operation.get();
    pa_operation_set_state_callback(
        sent, [](pa_operation*, void* loop) { signalLoop(loop); }, m_loop.get());
    const bool finished = waitLocked(
        [sent] { return pa_operation_get_state(sent) != PA_OPERATION_RUNNING; }, deadline);
    const bool answered = finished && pa_operation_get_state(sent) == PA_OPERATION_DONE;
    // No callback may run after the caller's result variables are gone.
    if (!finished) pa_operation_cancel(sent);
    return answered;
}

void Session::wake() const {
    if (m_loop) signalLoop(m_loop.get());
}

// Entered locked exactly once: pa_threaded_mainloop_wait must release the lock.
bool Session::waitLocked(const std::function<bool()>& done, Clock::time_point deadline) {
    Operation ping;
    Clock::time_point pingDue = Clock::now() + answerLimit;
    const char* failure = nullptr;
    while (!done()) {
        const auto now = Clock::now();
        const bool connected = ready();
        if (!m_context || !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context.get()))) {
            failure = "PulseAudio: the connection is gone";
        } else if (now >= deadline) {
            failure = "PulseAudio: no answer before the deadline";
        } else if (connected && now >= pingDue) {
            if (ping && pa_operation_get_state(ping.get()) == PA_OPERATION_RUNNING) {
                failure = "PulseAudio: the server stopped answering";
            } else {
                // Any request will do; the server's info is a small one.
                ping.reset(pa_context_get_server_info(
                    m_context.get(), [](pa_context*, const pa_server_info*, void*) {}, nullptr));
                pingDue = now + answerLimit;
            }
        }
        if (failure) break;
        const auto wakeAt = connected ? std::min(deadline, pingDue) : deadline;
        pa_context_rttime_restart(m_context.get(), m_wakeTimer.get(), rtclockAt(wakeAt));
        pa_threaded_mainloop_wait(m_loop.get());
    }
    if (ping) pa_operation_cancel(ping.get());
    if (!failure) return true;
    logDebug(LogCategory::audio, failure);
    if (m_context) pa_context_disconnect(m_context.get());
    return false;
}

void Session::dropContext() {
    m_context.reset();
}

}  // namespace pulse
