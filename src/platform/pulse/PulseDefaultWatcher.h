#pragma once
// The server's default sink, watched. A session of its own (a connection with
// its own thread) is subscribed to server events; each time the default sink
// changes it tells the registered clients the new sink's name, on that thread.

#include <pulse/introspect.h>

#include <memory>
#include <string>

#include "PulseSession.h"
#include "PulseWatch.h"
#include "audio/Endpoint.h"

namespace pulse {

class DefaultSinkWatcher {
  public:
    // Connects, subscribes and reads the default sink of the moment; null when
    // that is not done by the deadline.
    static std::unique_ptr<DefaultSinkWatcher> start(Clock::time_point deadline);
    // No client is called once it is gone; a call in progress is finished first.
    ~DefaultSinkWatcher();
    DefaultSinkWatcher(const DefaultSinkWatcher&) = delete;
    DefaultSinkWatcher& operator=(const DefaultSinkWatcher&) = delete;

    // The clients told of changes, added and removed from any thread.
    WatchClients<IMMNotificationClient>& clients() { return m_clients; }

  private:
    DefaultSinkWatcher() = default;
    static void onEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index,
                        void* self);
    static void onServerInfo(pa_context* context, const pa_server_info* info, void* self);

    // Used with the session locked (the callbacks run so).
    WatchClients<IMMNotificationClient> m_clients{m_session};
    // Cleared when the watcher goes, for a client that drops it from its call.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    std::string m_default;
    bool m_known = false;
    // Last, so that it goes first: no callback runs once it is gone.
    std::unique_ptr<Session> m_session;
};

}  // namespace pulse
