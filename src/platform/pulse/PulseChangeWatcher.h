#pragma once
// Change notifications of one sink. A thread of its own runs a second
// connection to the server, subscribed to sink events; each time the sink's
// mute or volumes move it tells the registered clients, with the event context
// that the change ledger gives for that move.

#include <memory>
#include <string>
#include <thread>

#include "PulseChangeLedger.h"
#include "PulseConnection.h"
#include "audio/Endpoint.h"

namespace pulse {

struct WatcherCore;

class ChangeWatcher {
  public:
    ChangeWatcher(std::string sink, std::shared_ptr<ChangeLedger> ledger);
    ~ChangeWatcher();
    ChangeWatcher(const ChangeWatcher&) = delete;
    ChangeWatcher& operator=(const ChangeWatcher&) = delete;

    // Connects, subscribes and reads the sink's starting state. False, and
    // stopped, when that is not done by the deadline.
    bool start(Clock::time_point deadline);
    // Once stopped no client is called again; a call in progress on another
    // thread is finished first.
    void stop();
    bool running() const;

    void add(IAudioEndpointVolumeCallback* client);
    bool remove(IAudioEndpointVolumeCallback* client);  // false when it was not there
    bool empty() const;

  private:
    std::shared_ptr<WatcherCore> m_core;
    std::thread m_thread;
};

}  // namespace pulse
