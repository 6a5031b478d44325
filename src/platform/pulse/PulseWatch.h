#pragma once
// What the two watchers share: a session of their own subscribed to one kind
// of server event, whose starting state is read in the same request, and the
// clients told of changes. Clients are added and removed from any thread with
// the session locked; they are called on the session's thread, which runs its
// callbacks locked, so a removal waits for a call in progress.

#include <pulse/subscribe.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "PulseSession.h"

namespace pulse {

// A session named `name` subscribed to `mask`, its events going to `onEvent`
// with `self`; `readState` (locked) then asks for the starting state, which
// the server answers after the subscription took effect, so no change falls
// between the two. Null unless answered by the deadline.
std::unique_ptr<Session> openWatching(const char* name, pa_subscription_mask_t mask,
                                      pa_context_subscribe_cb_t onEvent, void* self,
                                      const std::function<pa_operation*(pa_context*)>& readState,
                                      Clock::time_point deadline);

// The watcher's session is given as its owning pointer, set once it is open.
template <typename Client>
class WatchClients {
  public:
    explicit WatchClients(const std::unique_ptr<Session>& session) : m_session(session) {}
    void add(Client* client) {
        std::lock_guard lock(*m_session);
        m_clients.push_back(client);
    }
    // False when it was not there.
    bool remove(Client* client) {
        std::lock_guard lock(*m_session);
        const auto it = std::find(m_clients.begin(), m_clients.end(), client);
        if (it == m_clients.end()) return false;
        m_clients.erase(it);
        return true;
    }
    bool empty() const {
        std::lock_guard lock(*m_session);
        return m_clients.empty();
    }
    // On the session's thread. Each client still registered is called: one
    // may remove another, or drop the watcher (which clears `alive`).
    template <typename Call>
    void tell(const std::shared_ptr<bool>& alive, Call call) {
        const std::shared_ptr<bool> keep = alive;
        const std::vector<Client*> snapshot = m_clients;
        for (Client* client : snapshot) {
            if (!*keep) return;
            if (std::find(m_clients.begin(), m_clients.end(), client) != m_clients.end())
                call(client);
        }
    }
    // With the session locked, as the watcher goes.
    void clear() {
        std::lock_guard lock(*m_session);
        m_clients.clear();
    }

  private:
    const std::unique_ptr<Session>& m_session;
    std::vector<Client*> m_clients;
};

}  // namespace pulse
