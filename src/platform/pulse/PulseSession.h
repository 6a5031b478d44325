#pragma once
// One client connection to the PulseAudio server, run by a thread of its own
// (pa_threaded_mainloop). libpulse calls on the session's objects are made
// with the session locked; callbacks run on its thread, already locked. The
// caller's waits have deadlines on the monotonic clock, and a server that
// stops answering during one is found out within a second. A wait that fails
// leaves the session disconnected.

#include <pulse/context.h>
#include <pulse/operation.h>
#include <pulse/thread-mainloop.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "PulseRef.h"

namespace pulse {

using Clock = std::chrono::steady_clock;

// How long one request (or the connect) of the endpoint volume may wait for
// the server. Construction of a volume object makes two waits, so it stays
// under two seconds even when the server freezes halfway.
constexpr std::chrono::milliseconds waitLimit{900};

inline Clock::time_point deadlineFromNow() {
    return Clock::now() + waitLimit;
}

class Session {
  public:
    // With a reconnect delay, the session connects again that long after each
    // failure or loss of its connection. Its thread starts once it is needed.
    explicit Session(const char* name, std::chrono::milliseconds reconnectDelay = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // A session connected by the deadline, or null.
    static std::unique_ptr<Session> open(const char* name, Clock::time_point deadline);

    // For std::lock_guard: holds the session's thread off. Recursive, and
    // nothing to do on the session's own thread.
    void lock() const;
    void unlock() const;

    // Connects afresh (dropping any earlier connection), never spawning a server.
    void connect();
    bool ready() const;
    pa_context* context() const { return m_context.get(); }
    // Drops the connection after the reconnect delay and connects again.
    void reconnectLater();
    // Called on the session's thread whenever the connection's state changes.
    std::function<void()> onChange;

    // Waits until done() holds; false, and disconnected, when the deadline
    // passes, the connection fails or the server stops answering. Call off
    // the session's thread, without holding the lock.
    bool waitUntil(const std::function<bool()>& done, Clock::time_point deadline);
    // Sends the request that `send` makes (locked) and waits for its answer
    // as waitUntil does; true when it was answered.
    bool request(const std::function<pa_operation*()>& send, Clock::time_point deadline);
    // Has waitUntil look at its condition again (for stream callbacks).
    void wake() const;

  private:
    static void contextChanged(pa_context* context, void* self);
    bool run();
    bool waitLocked(const std::function<bool()>& done, Clock::time_point deadline);
    void dropContext();

    const std::string m_name;
    const std::chrono::milliseconds m_reconnectDelay;
    // Released last: the connection and the timers go first, with the session locked.
    const ThreadedLoop m_loop;
    bool m_running = false;
    Context m_context;
    TimeEvent m_wakeTimer;
    TimeEvent m_reconnectTimer;
};

}  // namespace pulse
