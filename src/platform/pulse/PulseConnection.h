#pragma once
// One client connection to the PulseAudio server, driven on the caller's thread
// by a pa_mainloop whose every wait has a deadline. A server that is missing
// fails at once; a server that stops answering fails when the deadline passes,
// and from then on the connection is dead and every request fails at once.

#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <pulse/operation.h>

#include <chrono>
#include <functional>
#include <memory>

namespace pulse {

using Clock = std::chrono::steady_clock;

// How long one request (or the connect) may wait for the server. Construction
// of a volume object makes two waits, so it stays under two seconds even when
// the server freezes halfway.
constexpr std::chrono::milliseconds waitLimit{900};

inline Clock::time_point deadlineFromNow() {
    return Clock::now() + waitLimit;
}

class Connection {
  public:
    // Connects without spawning a server; null when the server cannot be
    // reached before the deadline.
    static std::unique_ptr<Connection> open(Clock::time_point deadline);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool alive() const;
    pa_context* context() const { return m_context; }

    // Runs the loop until the operation finishes. False when it was cancelled,
    // could not be started (null) or ran past the deadline; a deadline that
    // passes kills the connection.
    bool wait(pa_operation* operation, Clock::time_point deadline);

  private:
    Connection();
    // Runs the loop until done() or the deadline; false on the deadline or a loop error.
    bool runUntil(const std::function<bool()>& done, Clock::time_point deadline);
    void kill();

    pa_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    bool m_dead = false;
};

}  // namespace pulse
