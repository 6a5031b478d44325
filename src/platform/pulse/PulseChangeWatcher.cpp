#include "PulseChangeWatcher.h"

#include <mutex>

#include "PulseVolumeScale.h"
#include "log/Log.h"

namespace pulse {

namespace {

SinkLevels levelsOf(const pa_sink_info& info) {
    SinkLevels levels;
    levels.muted = info.mute != 0;
    levels.volumes.assign(info.volume.values, info.volume.values + info.volume.channels);
    return levels;
}

}  // namespace

ChangeWatcher::ChangeWatcher(std::string sink, std::shared_ptr<ChangeLedger> ledger)
    : m_sink(std::move(sink)), m_ledger(std::move(ledger)) {}

std::unique_ptr<ChangeWatcher> ChangeWatcher::start(std::string sink,
                                                    std::shared_ptr<ChangeLedger> ledger,
                                                    Clock::time_point deadline) {
    std::unique_ptr<ChangeWatcher> watcher(new ChangeWatcher(std::move(sink), std::move(ledger)));
    ChangeWatcher* self = watcher.get();
    self->m_session = openWatching(
        "alarm-clock-watcher", PA_SUBSCRIPTION_MASK_SINK, onEvent, self,
        [self](pa_context* context) {
            return pa_context_get_sink_info_by_name(context, self->m_sink.c_str(), onSinkInfo,
                                                    self);
        },
        deadline);
    if (!self->m_session) return nullptr;
    // Set by that answer alone, which the wait has seen.
    if (self->m_haveLevels) return watcher;
    logDebug(LogCategory::audio, "PulseAudio: no sink named " + self->m_sink + " to watch");
    return nullptr;
}

ChangeWatcher::~ChangeWatcher() {
    if (!m_session) return;
    // Waits for a callback in progress on the watcher's thread.
    std::lock_guard lock(*m_session);
    *m_alive = false;
    m_clients.clear();
}

void ChangeWatcher::onEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index,
                            void* self) {
    auto* watcher = static_cast<ChangeWatcher*>(self);
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (facility != PA_SUBSCRIPTION_EVENT_SINK || kind != PA_SUBSCRIPTION_EVENT_CHANGE) return;
    if (!watcher->m_haveLevels || index != watcher->m_sinkIndex) return;
    // The event says only that something changed; read what it was.
    pulse::letRun(pa_context_get_sink_info_by_index(context, index, onSinkInfo, self));
}

void ChangeWatcher::onSinkInfo(pa_context*, const pa_sink_info* info, int, void* self) {
    auto* watcher = static_cast<ChangeWatcher*>(self);
    if (!info) return;
    if (watcher->m_haveLevels) return watcher->onSinkChanged(*info);
    // The starting state.
    watcher->m_sinkIndex = info->index;
    watcher->m_levels = levelsOf(*info);
    watcher->m_haveLevels = true;
}

void ChangeWatcher::onSinkChanged(const pa_sink_info& info) {
    SinkLevels now = levelsOf(info);
    if (now.muted == m_levels.muted && now.volumes == m_levels.volumes)
        return;  // not ours to report
    const ChangeLedger::Match match = m_ledger->explain(m_sink, m_levels, now, m_lastMatch);
    if (match.number) m_lastMatch = match.number;

    AudioVolumeNotificationData data;
    data.guidEventContext = match.context;
    data.bMuted = now.muted;
    data.fMasterVolume = scalarFromVolume(pa_cvolume_max(&info.volume));
    data.nChannels = info.volume.channels;
    for (uint32_t v : now.volumes) data.afChannelVolumes.push_back(scalarFromVolume(v));
    m_levels = std::move(now);

    m_clients.tell(m_alive, [&](IAudioEndpointVolumeCallback* client) { client->OnNotify(data); });
}

bool ChangeWatcher::running() const {
    return m_session->ready();
}

}  // namespace pulse
