#include "PulseChangeWatcher.h"

#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/subscribe.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>

#include "PulseVolumeScale.h"

namespace pulse {

// What the watcher thread and its owner share. The thread keeps its own
// reference, so it may outlive the owner when the owner goes away on it.
struct WatcherCore {
    enum class Phase { Starting, Ready, Failed };

    WatcherCore(std::string sinkName, std::shared_ptr<ChangeLedger> changes)
        : sink(std::move(sinkName)), ledger(std::move(changes)) {}

    const std::string sink;
    const std::shared_ptr<ChangeLedger> ledger;

    std::mutex mutex;  // guards phase and loop
    std::condition_variable phaseChanged;
    Phase phase = Phase::Starting;
    pa_mainloop* loop = nullptr;
    std::atomic<bool> quit{false};

    // Held while clients are called, so that removing a client waits for a
    // call in progress; recursive so that a client may unregister from its callback.
    std::recursive_mutex clientsMutex;
    std::vector<IAudioEndpointVolumeCallback*> clients;

    // Used on the watcher thread only.
    pa_context* context = nullptr;
    uint32_t sinkIndex = PA_INVALID_INDEX;
    SinkLevels levels;
    bool haveLevels = false;
    uint64_t lastMatch = 0;

    void setPhase(Phase p) {
        std::lock_guard lock(mutex);
        if (phase == Phase::Starting || p == Phase::Failed) phase = p;
        phaseChanged.notify_all();
    }

    void requestQuit() {
        quit = true;
        std::lock_guard lock(mutex);
        if (loop) pa_mainloop_wakeup(loop);
    }

    void run();
    void onReady();
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

void onState(pa_context* context, void* userdata) {
    auto* core = static_cast<WatcherCore*>(userdata);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY)
        core->onReady();
    else if (!PA_CONTEXT_IS_GOOD(state))
        core->setPhase(WatcherCore::Phase::Failed);
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

void onStartingInfo(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
    auto* core = static_cast<WatcherCore*>(userdata);
    if (info) {
        core->sinkIndex = info->index;
        core->levels = levelsOf(*info);
        core->haveLevels = true;
    }
    if (eol != 0)
        core->setPhase(core->haveLevels ? WatcherCore::Phase::Ready : WatcherCore::Phase::Failed);
}

}  // namespace

void WatcherCore::onReady() {
    pa_context_set_subscribe_callback(context, onEvent, this);
    // The server answers in order: the starting state comes after the subscription
    // took effect, so no change falls between the two.
    pa_operation* subscribed =
        pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SINK, nullptr, this);
    pa_operation* read =
        subscribed ? pa_context_get_sink_info_by_name(context, sink.c_str(), onStartingInfo, this)
                   : nullptr;
    if (subscribed) pa_operation_unref(subscribed);
    if (read)
        pa_operation_unref(read);
    else
        setPhase(Phase::Failed);
}

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
    std::lock_guard lock(clientsMutex);
    const auto snapshot = clients;
    for (IAudioEndpointVolumeCallback* client : snapshot) {
        if (quit) return;
        // A client removed by an earlier callback is not called.
        if (std::find(clients.begin(), clients.end(), client) != clients.end())
            client->OnNotify(data);
    }
}

void WatcherCore::run() {
    pa_mainloop* ownLoop = pa_mainloop_new();
    {
        std::lock_guard lock(mutex);
        loop = ownLoop;
    }
    if (ownLoop) context = pa_context_new(pa_mainloop_get_api(ownLoop), "alarm-clock-watcher");
    if (context) {
        pa_context_set_state_callback(context, onState, this);
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            setPhase(Phase::Failed);
        while (!quit) {
            if (pa_mainloop_iterate(ownLoop, 1, nullptr) < 0) break;
        }
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_set_subscribe_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
        context = nullptr;
    }
    setPhase(Phase::Failed);
    {
        std::lock_guard lock(mutex);
        loop = nullptr;
    }
    if (ownLoop) pa_mainloop_free(ownLoop);
}

ChangeWatcher::ChangeWatcher(std::string sink, std::shared_ptr<ChangeLedger> ledger)
    : m_core(std::make_shared<WatcherCore>(std::move(sink), std::move(ledger))) {}

ChangeWatcher::~ChangeWatcher() {
    stop();
}

bool ChangeWatcher::start(Clock::time_point deadline) {
    if (m_thread.joinable()) return running();
    m_thread = std::thread([core = m_core] { core->run(); });
    std::unique_lock lock(m_core->mutex);
    const bool settled = m_core->phaseChanged.wait_until(
        lock, deadline, [this] { return m_core->phase != WatcherCore::Phase::Starting; });
    const bool ready = settled && m_core->phase == WatcherCore::Phase::Ready;
    lock.unlock();
    if (!ready) stop();
    return ready;
}

void ChangeWatcher::stop() {
    if (!m_thread.joinable()) return;
    m_core->requestQuit();
    {
        // Waits for a callback in progress on the watcher thread.
        std::lock_guard lock(m_core->clientsMutex);
        m_core->clients.clear();
    }
    // Stopped from inside a callback: the thread ends by itself once it returns.
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();
    else
        m_thread.join();
}

bool ChangeWatcher::running() const {
    std::lock_guard lock(m_core->mutex);
    return m_core->phase == WatcherCore::Phase::Ready && !m_core->quit;
}

void ChangeWatcher::add(IAudioEndpointVolumeCallback* client) {
    std::lock_guard lock(m_core->clientsMutex);
    m_core->clients.push_back(client);
}

bool ChangeWatcher::remove(IAudioEndpointVolumeCallback* client) {
    std::lock_guard lock(m_core->clientsMutex);
    auto& clients = m_core->clients;
    const auto it = std::find(clients.begin(), clients.end(), client);
    if (it == clients.end()) return false;
    clients.erase(it);
    return true;
}

bool ChangeWatcher::empty() const {
    std::lock_guard lock(m_core->clientsMutex);
    return m_core->clients.empty();
}

}  // namespace pulse
