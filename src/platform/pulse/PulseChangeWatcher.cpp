#include "PulseChangeWatcher.h"

#include <pulse/introspect.h>
#include <pulse/subscribe.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "PulseLog.h"
#include "PulseVolumeScale.h"

namespace pulse {

// What the watcher's callbacks work on. They keep it alive while they call
// clients, so that a client may drop the watcher from its callback.
struct WatcherCore : std::enable_shared_from_this<WatcherCore> {
    WatcherCore(std::string sinkName, std::shared_ptr<ChangeLedger> changes)
        : sink(std::move(sinkName)), ledger(std::move(changes)) {}

    const std::string sink;
    const std::shared_ptr<ChangeLedger> ledger;
    // The rest is used under the session's lock (the callbacks run under it).
    std::vector<IAudioEndpointVolumeCallback*> clients;
    uint32_t sinkIndex = PA_INVALID_INDEX;
    SinkLevels levels;
    bool haveLevels = false;
    uint64_t lastMatch = 0;
    // Last, so that it goes first: no callback runs once it is gone.
    std::unique_ptr<Session> session;

    void onSinkChanged(const pa_sink_info& info);
    void deliver(const AudioVolumeNotificationData& data);
};

namespace {

SinkLevels levelsOf(const pa_sink_info& info) {
    SinkLevels levels;
    levels.muted = info.mute != 0;
    levels.volumes.assign(info.volume.values, info.volume.values + info.volume.channels);
    return levels;
}

void onChangedInfo(pa_context*, const pa_sink_info* info, int, void* userdata) {
    if (info) static_cast<WatcherCore*>(userdata)->onSinkChanged(*info);
}

void onEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index,
             void* userdata) {
    auto* core = static_cast<WatcherCore*>(userdata);
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (facility != PA_SUBSCRIPTION_EVENT_SINK || kind != PA_SUBSCRIPTION_EVENT_CHANGE) return;
    if (!core->haveLevels || index != core->sinkIndex) return;
    // The event says only that something changed; read what it was.
    if (pa_operation* op = pa_context_get_sink_info_by_index(context, index, onChangedInfo, core))
        pa_operation_unref(op);
}

void onStartingInfo(pa_context*, const pa_sink_info* info, int, void* userdata) {
    if (!info) return;
    auto* core = static_cast<WatcherCore*>(userdata);
    core->sinkIndex = info->index;
    core->levels = levelsOf(*info);
    core->haveLevels = true;
}

}  // namespace

void WatcherCore::onSinkChanged(const pa_sink_info& info) {
    SinkLevels now = levelsOf(info);
    if (now.muted == levels.muted && now.volumes == levels.volumes) return;  // not ours to report
    const ChangeLedger::Match match = ledger->explain(sink, levels, now, lastMatch);
    if (match.number) lastMatch = match.number;

    AudioVolumeNotificationData data;
    data.guidEventContext = match.context;
    data.bMuted = now.muted;
    data.fMasterVolume = scalarFromVolume(pa_cvolume_max(&info.volume));
    data.nChannels = info.volume.channels;
    for (uint32_t v : now.volumes) data.afChannelVolumes.push_back(scalarFromVolume(v));
    levels = std::move(now);
    deliver(data);
}

void WatcherCore::deliver(const AudioVolumeNotificationData& data) {
    // Null while the watcher is being dropped on another thread; it has no clients then.
    const std::shared_ptr<WatcherCore> keep = weak_from_this().lock();
    if (!keep) return;
    const auto snapshot = clients;
    for (IAudioEndpointVolumeCallback* client : snapshot) {
        // A client removed by an earlier callback is not called.
        if (std::find(clients.begin(), clients.end(), client) != clients.end())
            client->OnNotify(data);
    }
}

std::unique_ptr<ChangeWatcher> ChangeWatcher::start(std::string sink,
                                                    std::shared_ptr<ChangeLedger> ledger,
                                                    Clock::time_point deadline) {
    auto core = std::make_shared<WatcherCore>(std::move(sink), std::move(ledger));
    core->session = Session::open("alarm-clock-watcher", deadline);
    if (!core->session) return nullptr;
    WatcherCore* watched = core.get();
    pa_context* context = core->session->context();
    const auto subscribe = [&]() -> pa_operation* {
        pa_context_set_subscribe_callback(context, onEvent, watched);
        pa_operation* subscribed =
            pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SINK, nullptr, nullptr);
        if (!subscribed) return nullptr;
        pa_operation_unref(subscribed);
        // The server answers in order: the starting state comes after the
        // subscription took effect, so no change falls between the two.
        return pa_context_get_sink_info_by_name(context, watched->sink.c_str(), onStartingInfo,
                                                watched);
    };
    if (!core->session->request(subscribe, deadline)) return nullptr;
    // Set only by that answer, which the wait has seen.
    if (!core->haveLevels) {
        pulseLog("PulseAudio: no sink named " + core->sink + " to watch");
        return nullptr;
    }
    return std::unique_ptr<ChangeWatcher>(new ChangeWatcher(std::move(core)));
}

ChangeWatcher::~ChangeWatcher() {
    // Waits for a callback in progress on the watcher's thread.
    std::lock_guard lock(*m_core->session);
    m_core->clients.clear();
}

bool ChangeWatcher::running() const {
    return m_core->session->ready();
}

void ChangeWatcher::add(IAudioEndpointVolumeCallback* client) {
    std::lock_guard lock(*m_core->session);
    m_core->clients.push_back(client);
}

bool ChangeWatcher::remove(IAudioEndpointVolumeCallback* client) {
    std::lock_guard lock(*m_core->session);
    auto& clients = m_core->clients;
    const auto it = std::find(clients.begin(), clients.end(), client);
    if (it == clients.end()) return false;
    clients.erase(it);
    return true;
}

bool ChangeWatcher::empty() const {
    std::lock_guard lock(*m_core->session);
    return m_core->clients.empty();
}

}  // namespace pulse
