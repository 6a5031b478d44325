#pragma once
// Change notifications of one sink. A session of its own (a second connection,
// with its own thread) is subscribed to sink events; each time the sink's mute
// or volumes move it tells the registered clients, on that thread, with the
// event context that the change ledger gives for that move.

#include <pulse/introspect.h>

#include <memory>
#include <string>
#include <vector>

#include "PulseChangeLedger.h"
#include "PulseSession.h"
#include "PulseWatch.h"
#include "audio/Endpoint.h"

namespace pulse {

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
    // The clients told of changes, added and removed from any thread.
    WatchClients<IAudioEndpointVolumeCallback>& clients() { return m_clients; }

  private:
    ChangeWatcher(std::string sink, std::shared_ptr<ChangeLedger> ledger);
    static void onEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index,
                        void* self);
    static void onSinkInfo(pa_context* context, const pa_sink_info* info, int eol, void* self);
    void onSinkChanged(const pa_sink_info& info);

    const std::string m_sink;
    const std::shared_ptr<ChangeLedger> m_ledger;
    // The rest is used with the session locked (the callbacks run so).
    WatchClients<IAudioEndpointVolumeCallback> m_clients{m_session};
    // Cleared when the watcher goes, for a callback that outlives it.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    uint32_t m_sinkIndex = PA_INVALID_INDEX;
    SinkLevels m_levels;
    bool m_haveLevels = false;
    uint64_t m_lastMatch = 0;
    // Last, so that it goes first: no callback runs once it is gone.
    std::unique_ptr<Session> m_session;
};

}  // namespace pulse
