#include "PulseDefaultWatcher.h"

#include <pulse/subscribe.h>

#include <algorithm>
#include <mutex>

#include "log/Log.h"

namespace pulse {

std::unique_ptr<DefaultSinkWatcher> DefaultSinkWatcher::start(Clock::time_point deadline) {
    std::unique_ptr<DefaultSinkWatcher> watcher(new DefaultSinkWatcher);
    DefaultSinkWatcher* self = watcher.get();
    self->m_session = Session::open("alarm-clock-default-watcher", deadline);
    if (!self->m_session) return nullptr;
    pa_context* context = self->m_session->context();
    const auto subscribe = [&]() -> pa_operation* {
        pa_context_set_subscribe_callback(context, onEvent, self);
        if (!Operation(
                pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SERVER, nullptr, nullptr)))
            return nullptr;
        // Answered after the subscription took effect: no change falls between.
        return pa_context_get_server_info(context, onServerInfo, self);
    };
    if (!self->m_session->request(subscribe, deadline) || !self->m_known) return nullptr;
    return watcher;
}

DefaultSinkWatcher::~DefaultSinkWatcher() {
    if (!m_session) return;
    std::lock_guard lock(*m_session);
    m_clients.clear();
}

void DefaultSinkWatcher::onEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t,
                                 void* self) {
    if ((type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) != PA_SUBSCRIPTION_EVENT_SERVER) return;
    // The event says only that the server changed; read its default sink.
    pulse::letRun(pa_context_get_server_info(context, onServerInfo, self));
}

void DefaultSinkWatcher::onServerInfo(pa_context*, const pa_server_info* info, void* self) {
    auto* watcher = static_cast<DefaultSinkWatcher*>(self);
    if (!info) return;
    const std::string now = info->default_sink_name ? info->default_sink_name : "";
    const bool first = !watcher->m_known;
    watcher->m_known = true;
    if (!first && now == watcher->m_default) return;
    watcher->m_default = now;
    if (first) return;  // the starting state
    logDebug(LogCategory::audio, "PulseAudio: the default sink is now " + now);
    const auto snapshot = watcher->m_clients;
    for (IMMNotificationClient* client : snapshot) client->OnDefaultDeviceChanged(now);
}

void DefaultSinkWatcher::add(IMMNotificationClient* client) {
    std::lock_guard lock(*m_session);
    m_clients.push_back(client);
}

bool DefaultSinkWatcher::remove(IMMNotificationClient* client) {
    std::lock_guard lock(*m_session);
    const auto it = std::find(m_clients.begin(), m_clients.end(), client);
    if (it == m_clients.end()) return false;
    m_clients.erase(it);
    return true;
}

bool DefaultSinkWatcher::empty() const {
    std::lock_guard lock(*m_session);
    return m_clients.empty();
}

}  // namespace pulse
