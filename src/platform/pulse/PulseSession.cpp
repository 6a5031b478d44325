#include "PulseSession.h"

#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/rtclock.h>
#include <pulse/subscribe.h>
#include <pulse/timeval.h>

#include <algorithm>
#include <thread>
#include <utility>

#include "PulseLog.h"

namespace pulse {

namespace {

// While a wait runs on a connected server, the server is asked this often for an answer...
constexpr std::chrono::milliseconds pingEvery{250};
// ...and counts as frozen when an answer takes longer than this.
constexpr std::chrono::milliseconds answerLimit{500};

// The time `at` on libpulse's monotonic clock, for its timers.
pa_usec_t rtclockAt(Clock::time_point at) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(at - Clock::now());
    return pa_rtclock_now() + static_cast<pa_usec_t>(std::max<long long>(left.count(), 0));
}

void signalLoop(void* loop) {
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
}

}  // namespace

Session::Lock::Lock(const Session& session)
    : m_loop(session.m_loop && !pa_threaded_mainloop_in_thread(session.m_loop) ? session.m_loop
                                                                               : nullptr) {
    if (m_loop) pa_threaded_mainloop_lock(m_loop);
}

Session::Lock::~Lock() {
    if (m_loop) pa_threaded_mainloop_unlock(m_loop);
}

Session::Session(const char* name) : m_name(name) {
    m_loop = pa_threaded_mainloop_new();
    if (!m_loop) return;
    pa_threaded_mainloop_set_name(m_loop, name);
    if (pa_threaded_mainloop_start(m_loop) < 0) {
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
    }
}

Session::~Session() {
    if (!m_loop) return;
    {
        Lock lock(*this);
        silence();
        dropContext();
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
        for (pa_time_event* timer : {m_wakeTimer, m_laterTimer})
            if (timer) api->time_free(timer);
    }
    pa_threaded_mainloop* loop = m_loop;
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

std::unique_ptr<Session> Session::open(const char* name, Clock::time_point deadline) {
    auto session = std::make_unique<Session>(name);
    Session& s = *session;
    if (!s.connect() || !s.waitUntil([&s] { return s.ready(); }, deadline)) return nullptr;
    return session;
}

bool Session::connect() {
    Lock lock(*this);
    dropContext();
    if (!m_loop) return false;
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), m_name.c_str());
    if (!m_context) return false;
    if (!m_wakeTimer)
        m_wakeTimer = pa_context_rttime_new(
            m_context, PA_USEC_INVALID,
            [](pa_mainloop_api*, pa_time_event*, const timeval*, void* loop) { signalLoop(loop); },
            m_loop);
    pa_context_set_state_callback(m_context, contextChanged, this);
    // The server named by PULSE_SERVER or the client configuration; never start one.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) return true;
    pulseLog(std::string("PulseAudio: cannot connect: ") +
             pa_strerror(pa_context_errno(m_context)));
    return false;
}

bool Session::ready() const {
    Lock lock(*this);
    return m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY;
}

bool Session::broken() const {
    Lock lock(*this);
    return !m_context || !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context));
}

void Session::contextChanged(pa_context* context, void* self) {
    auto* session = static_cast<Session*>(self);
    // Refused at once when there is no server; terminated when it went away.
    if (pa_context_get_state(context) == PA_CONTEXT_FAILED)
        pulseLog(std::string("PulseAudio: connection failed: ") +
                 pa_strerror(pa_context_errno(context)));
    session->wake();
    if (session->onChange) session->onChange();
}

bool Session::waitUntil(const std::function<bool()>& done, Clock::time_point deadline) {
    Lock lock(*this);
    return waitLocked(done, deadline);
}

bool Session::request(const std::function<pa_operation*()>& send, Clock::time_point deadline) {
    Lock lock(*this);
    pa_operation* operation = ready() ? send() : nullptr;
    if (!operation) return false;
    pa_operation_set_state_callback(
        operation, [](pa_operation*, void* loop) { signalLoop(loop); }, m_loop);
    const bool finished = waitLocked(
        [operation] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; },
        deadline);
    const bool answered = finished && pa_operation_get_state(operation) == PA_OPERATION_DONE;
    // No callback may run after the caller's result variables are gone.
    if (!finished) pa_operation_cancel(operation);
    pa_operation_unref(operation);
    return answered;
}

// Entered holding the lock exactly once: the wait must release it for the thread.
bool Session::waitLocked(const std::function<bool()>& done, Clock::time_point deadline) {
    Clock::time_point lastAnswer = Clock::now(), pingSent;
    pa_operation* ping = nullptr;
    const char* failure = nullptr;
    while (!failure && !done()) {
        const auto now = Clock::now();
        Clock::time_point wakeAt = deadline;
        if (broken()) {
            failure = "PulseAudio: the connection is gone";
        } else if (now >= deadline) {
            failure = "PulseAudio: no answer before the deadline";
        } else if (ready()) {
            if (ping && pa_operation_get_state(ping) != PA_OPERATION_RUNNING) {
                pa_operation_unref(ping);
                ping = nullptr;
                lastAnswer = now;
            }
            if (!ping && now - lastAnswer >= pingEvery) {
                // Any request will do; the server's info is a small one.
                ping = pa_context_get_server_info(
                    m_context,
                    [](pa_context*, const pa_server_info*, void* loop) { signalLoop(loop); },
                    m_loop);
                pingSent = now;
                if (!ping) failure = "PulseAudio: cannot ask the server";
            }
            if (ping && now - pingSent >= answerLimit)
                failure = "PulseAudio: the server stopped answering";
            wakeAt = std::min(wakeAt, ping ? pingSent + answerLimit : lastAnswer + pingEvery);
        }
        if (!failure) sleepUntil(wakeAt);
    }
    if (ping) {
        pa_operation_cancel(ping);
        pa_operation_unref(ping);
    }
    if (!failure) return true;
    pulseLog(failure);
    if (m_context) pa_context_disconnect(m_context);
    return false;
}

void Session::sleepUntil(Clock::time_point until) {
    pa_context_rttime_restart(m_context, m_wakeTimer, rtclockAt(until));
    pa_threaded_mainloop_wait(m_loop);
}

void Session::wake() {
    if (m_loop) signalLoop(m_loop);
}

void Session::after(std::chrono::milliseconds delay, std::function<void()> action) {
    Lock lock(*this);
    if (m_later || !m_context) return;
    if (!m_laterTimer)
        m_laterTimer = pa_context_rttime_new(
            m_context, PA_USEC_INVALID,
            [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
                auto* session = static_cast<Session*>(self);
                const std::function<void()> action = std::exchange(session->m_later, nullptr);
                if (action) action();
            },
            this);
    m_later = std::move(action);
    pa_context_rttime_restart(m_context, m_laterTimer, rtclockAt(Clock::now() + delay));
}

void Session::silence() {
    Lock lock(*this);
    onChange = nullptr;
    m_later = nullptr;
}

void Session::dropContext() {
    if (!m_context) return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
}

}  // namespace pulse
