#pragma once
// One client connection to the PulseAudio server, run by a thread of its own
// (pa_threaded_mainloop). Every libpulse call on the session's objects is made
// under its Lock; callbacks run on its thread, already locked. The caller's
// waits have deadlines on the monotonic clock, and while one runs on a
// connected server the server is asked every so often for an answer, so one
// that freezes is found out well before a long deadline. A wait that fails
// leaves the session disconnected.

#include <pulse/context.h>
#include <pulse/operation.h>
#include <pulse/thread-mainloop.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

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
    // Starts the session's thread; connect() then reaches the server.
    explicit Session(const char* name);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // A session connected by the deadline, or null.
    static std::unique_ptr<Session> open(const char* name, Clock::time_point deadline);

    // Holds the session's thread off. Recursive; a no-op on the session's thread.
    class Lock {
      public:
        explicit Lock(const Session& session);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

      private:
        pa_threaded_mainloop* m_loop;
    };

    // Connects afresh (dropping any earlier connection), never spawning a
    // server; false when that fails at once.
    bool connect();
    bool ready() const;
    // Not connected and not on the way: failed, ended or never tried.
    bool broken() const;
    // Use under Lock.
    pa_context* context() const { return m_context; }

    // Waits until done() holds; false, and disconnected, when the deadline
    // passes, the connection fails or the server stops answering. Call off
    // the session's thread, without holding a Lock.
    bool waitUntil(const std::function<bool()>& done, Clock::time_point deadline);
    // Sends the request that `send` makes (under the lock) and waits for it
    // as waitUntil does; true when the server answered it.
    bool request(const std::function<pa_operation*()>& send, Clock::time_point deadline);
    // Has waitUntil look at its condition again (for stream callbacks).
    void wake();

    // Runs `action` on the session's thread after `delay`, unless an action is
    // already pending (then that one stays).
    void after(std::chrono::milliseconds delay, std::function<void()> action);
    // Neither onChange nor a pending action runs any more.
    void silence();
    // Called on the session's thread whenever the connection's state changes.
    std::function<void()> onChange;

  private:
    static void contextChanged(pa_context* context, void* self);
    bool waitLocked(const std::function<bool()>& done, Clock::time_point deadline);
    void sleepUntil(Clock::time_point until);
    void dropContext();

    std::string m_name;
    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_time_event* m_wakeTimer = nullptr;
    pa_time_event* m_laterTimer = nullptr;
    std::function<void()> m_later;
};

}  // namespace pulse
