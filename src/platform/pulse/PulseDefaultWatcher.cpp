#include "PulseDefaultWatcher.h"

#include <mutex>

#include "log/Log.h"

namespace pulse {

std::unique_ptr<DefaultSinkWatcher> DefaultSinkWatcher::start(Clock::time_point deadline) {
    std::unique_ptr<DefaultSinkWatcher> watcher(new DefaultSinkWatcher);
    DefaultSinkWatcher* self = watcher.get();
    self->m_session = openWatching(
        "alarm-clock-default-watcher", PA_SUBSCRIPTION_MASK_SERVER, onEvent, self,
        [self](pa_context* context) {
            return pa_context_get_server_info(context, onServerInfo, self);
        },
        deadline);
    if (!self->m_session || !self->m_known) return nullptr;
    return watcher;
}

DefaultSinkWatcher::~DefaultSinkWatcher() {
    if (!m_session) return;
    std::lock_guard lock(*m_session);
    *m_alive = false;
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
    watcher->m_clients.tell(watcher->m_alive, [&](IMMNotificationClient* client) {
        client->OnDefaultDeviceChanged(now);
    });
}

}  // namespace pulse
