#pragma once
// Change notifications of one sink. A session of its own (a second connection,
// with its own thread) is subscribed to sink events; each time the sink's mute
// or volumes move it tells the registered clients, on that thread, with the
// event context that the change ledger gives for that move.

#include <memory>
#include <string>

#include "PulseChangeLedger.h"
#include "PulseSession.h"
#include "audio/Endpoint.h"

namespace pulse {

struct WatcherCore;

class ChangeWatcher {
  public:
    // Connects, subscribes and reads the sink's starting state; null when that
    // is not done by the deadline.
    static std::unique_ptr<ChangeWatcher> start(std::string sink,
                                                std::shared_ptr<ChangeLedger> ledger,
                                                Clock::time_point deadline);
    // No client is called once it is gone; a call in progress on the
    // watcher's thread is finished first. A client may drop the watcher from
    // its own callback.
    ~ChangeWatcher();
    ChangeWatcher(const ChangeWatcher&) = delete;
    ChangeWatcher& operator=(const ChangeWatcher&) = delete;

    bool running() const;
    void add(IAudioEndpointVolumeCallback* client);
    bool remove(IAudioEndpointVolumeCallback* client);  // false when it was not there
    bool empty() const;

  private:
    explicit ChangeWatcher(std::shared_ptr<WatcherCore> core) : m_core(std::move(core)) {}

    std::shared_ptr<WatcherCore> m_core;
};

}  // namespace pulse
