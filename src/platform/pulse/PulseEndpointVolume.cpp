#include "PulseEndpointVolume.h"

#include "PulseRequests.h"
#include "PulseVolumeScale.h"
#include "audio/EndpointResult.h"

namespace pulse {

namespace {

using namespace endpoint_result;

Guid contextOf(const Guid* context) {
    return context ? *context : Guid{};
}

}  // namespace

SinkEndpointVolume::SinkEndpointVolume(std::shared_ptr<Session> session, std::string sink,
                                       std::shared_ptr<ChangeLedger> ledger)
    : m_session(std::move(session)), m_sink(std::move(sink)), m_ledger(std::move(ledger)) {}

template <typename Use>
int32_t SinkEndpointVolume::withSink(Clock::time_point deadline, Use use) {
    SinkReading sink;
    const int32_t result = readSink(*m_session, m_sink, deadline, sink);
    return result == ok ? use(sink) : result;
}

int32_t SinkEndpointVolume::RegisterControlChangeNotify(IAudioEndpointVolumeCallback* client) {
    if (!client) return nullPointer;
    // A server that stopped answering this object's requests is not asked again.
    if (!m_session->ready()) return serviceNotRunning;
    if (!m_watcher) m_watcher = ChangeWatcher::start(m_sink, m_ledger, deadlineFromNow());
    if (!m_watcher || !m_watcher->running()) return serviceNotRunning;
    m_watcher->clients().add(client);
    return ok;
}

int32_t SinkEndpointVolume::UnregisterControlChangeNotify(IAudioEndpointVolumeCallback* client) {
    if (!client) return nullPointer;
    if (!m_watcher || !m_watcher->clients().remove(client)) return notFound;
    // The last client gone, the watcher's connection goes too.
    if (m_watcher->clients().empty()) m_watcher.reset();
    return ok;
}

int32_t SinkEndpointVolume::GetChannelCount(uint32_t* count) {
    return withSink(deadlineFromNow(), [&](const SinkReading& sink) {
        *count = sink.volume.channels;
        return ok;
    });
}

int32_t SinkEndpointVolume::SetMasterVolumeLevel(float levelDB, const Guid* context) {
    return setMaster(volumeFromDB(levelDB), context, deadlineFromNow());
}

int32_t SinkEndpointVolume::SetMasterVolumeLevelScalar(float level, const Guid* context) {
    return setMaster(volumeFromScalar(level), context, deadlineFromNow());
}

int32_t SinkEndpointVolume::GetMasterVolumeLevel(float* levelDB) {
    return getMaster(levelDB, dbFromVolume);
}

int32_t SinkEndpointVolume::GetMasterVolumeLevelScalar(float* level) {
    return getMaster(level, scalarFromVolume);
}

int32_t SinkEndpointVolume::SetChannelVolumeLevel(uint32_t channel, float levelDB,
                                                  const Guid* context) {
    return setChannel(channel, volumeFromDB(levelDB), context);
}

int32_t SinkEndpointVolume::SetChannelVolumeLevelScalar(uint32_t channel, float level,
                                                        const Guid* context) {
    return setChannel(channel, volumeFromScalar(level), context);
}

int32_t SinkEndpointVolume::GetChannelVolumeLevel(uint32_t channel, float* levelDB) {
    return getChannel(channel, levelDB, dbFromVolume);
}

int32_t SinkEndpointVolume::GetChannelVolumeLevelScalar(uint32_t channel, float* level) {
    return getChannel(channel, level, scalarFromVolume);
}

int32_t SinkEndpointVolume::SetMute(int32_t mute, const Guid* context) {
    RequestedChange change{m_sink, mute != 0, std::nullopt, contextOf(context)};
    const uint64_t number = m_ledger->record(std::move(change));
    const int32_t result = setSinkMute(*m_session, m_sink, mute, deadlineFromNow());
    if (result != ok) m_ledger->forget(number);
    return result;
}

int32_t SinkEndpointVolume::GetMute(int32_t* mute) {
    return withSink(deadlineFromNow(), [&](const SinkReading& sink) {
        *mute = sink.muted ? 1 : 0;
        return ok;
    });
}

int32_t SinkEndpointVolume::GetVolumeStepInfo(uint32_t* step, uint32_t* count) {
    return withSink(deadlineFromNow(), [&](const SinkReading& sink) {
        *step = stepFromVolume(pa_cvolume_max(&sink.volume));
        *count = stepCount;
        return ok;
    });
}

int32_t SinkEndpointVolume::VolumeStepUp(const Guid* context) {
    return step(+1, context);
}

int32_t SinkEndpointVolume::VolumeStepDown(const Guid* context) {
    return step(-1, context);
}

int32_t SinkEndpointVolume::QueryHardwareSupport(uint32_t* mask) {
    if (!m_session->ready()) return serviceNotRunning;
    // The server applies volume and mute in software as far as its clients can tell.
    *mask = 0;
    return ok;
}

int32_t SinkEndpointVolume::GetVolumeRange(float* minDB, float* maxDB, float* incrementDB) {
    if (!m_session->ready()) return serviceNotRunning;
    *minDB = floorDB;
    *maxDB = ceilingDB;
    *incrementDB = pulse::incrementDB();
    return ok;
}

int32_t SinkEndpointVolume::setMaster(std::optional<pa_volume_t> volume, const Guid* context,
                                      Clock::time_point deadline) {
    if (!volume) return invalidArg;
    return withSink(deadline, [&](const SinkReading& sink) {
        pa_cvolume wanted = sink.volume;
        pa_cvolume_scale(&wanted, *volume);
        return sendVolume(wanted, context, deadline);
    });
}

int32_t SinkEndpointVolume::setChannel(uint32_t channel, std::optional<pa_volume_t> volume,
                                       const Guid* context) {
    if (!volume) return invalidArg;
    const auto deadline = deadlineFromNow();
    return withSink(deadline, [&](const SinkReading& sink) {
        if (channel >= sink.volume.channels) return invalidArg;
        pa_cvolume wanted = sink.volume;
        wanted.values[channel] = *volume;
        return sendVolume(wanted, context, deadline);
    });
}

int32_t SinkEndpointVolume::getMaster(float* level, float (*scale)(pa_volume_t)) {
    return withSink(deadlineFromNow(), [&](const SinkReading& sink) {
        *level = scale(pa_cvolume_max(&sink.volume));
        return ok;
    });
}

int32_t SinkEndpointVolume::getChannel(uint32_t channel, float* level,
                                       float (*scale)(pa_volume_t)) {
    return withSink(deadlineFromNow(), [&](const SinkReading& sink) {
        if (channel >= sink.volume.channels) return invalidArg;
        *level = scale(sink.volume.values[channel]);
        return ok;
    });
}

int32_t SinkEndpointVolume::step(int direction, const Guid* context) {
    const auto deadline = deadlineFromNow();
    return withSink(deadline, [&](const SinkReading& sink) {
        const pa_volume_t master = pa_cvolume_max(&sink.volume);
        // From the step nearest the current volume to the next one; at either
        // end (or above 100 %, going up) nothing changes.
        const uint32_t current = stepFromVolume(master);
        if (direction > 0 && (master >= PA_VOLUME_NORM || current + 1 >= stepCount)) return ok;
        if (direction < 0 && master == PA_VOLUME_MUTED) return ok;
        const uint32_t next = direction > 0 ? current + 1 : (current == 0 ? 0 : current - 1);
        return setMaster(volumeFromStep(next), context, deadline);
    });
}

int32_t SinkEndpointVolume::sendVolume(const pa_cvolume& volume, const Guid* context,
                                       Clock::time_point deadline) {
    RequestedChange change{m_sink, std::nullopt,
                           std::vector<uint32_t>(volume.values, volume.values + volume.channels),
                           contextOf(context)};
    const uint64_t number = m_ledger->record(std::move(change));
    const int32_t result = setSinkVolume(*m_session, m_sink, volume, deadline);
    if (result != ok) m_ledger->forget(number);
    return result;
}

}  // namespace pulse
