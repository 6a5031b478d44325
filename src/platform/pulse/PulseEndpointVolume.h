#pragma once
// The endpoint volume of one PulseAudio sink: its mute and its volumes, read
// and set over the session that found the sink, each request bounded. The
// scales are those of PulseVolumeScale.h. Change notifications come from a
// watcher of the sink that starts with the first registration.

#include <pulse/volume.h>

#include <memory>
#include <optional>
#include <string>

#include "PulseChangeLedger.h"
#include "PulseChangeWatcher.h"
#include "PulseSession.h"
#include "audio/Endpoint.h"

namespace pulse {

class SinkEndpointVolume : public EndpointVolume {
  public:
    SinkEndpointVolume(std::shared_ptr<Session> session, std::string sink,
                       std::shared_ptr<ChangeLedger> ledger);

    int32_t RegisterControlChangeNotify(IAudioEndpointVolumeCallback* client) override;
    int32_t UnregisterControlChangeNotify(IAudioEndpointVolumeCallback* client) override;
    int32_t GetChannelCount(uint32_t* count) override;
    int32_t SetMasterVolumeLevel(float levelDB, const Guid* context) override;
    int32_t SetMasterVolumeLevelScalar(float level, const Guid* context) override;
    int32_t GetMasterVolumeLevel(float* levelDB) override;
    int32_t GetMasterVolumeLevelScalar(float* level) override;
    int32_t SetChannelVolumeLevel(uint32_t channel, float levelDB, const Guid* context) override;
    int32_t SetChannelVolumeLevelScalar(uint32_t channel, float level,
                                        const Guid* context) override;
    int32_t GetChannelVolumeLevel(uint32_t channel, float* levelDB) override;
    int32_t GetChannelVolumeLevelScalar(uint32_t channel, float* level) override;
    int32_t SetMute(int32_t mute, const Guid* context) override;
    int32_t GetMute(int32_t* mute) override;
    int32_t GetVolumeStepInfo(uint32_t* step, uint32_t* stepCount) override;
    int32_t VolumeStepUp(const Guid* context) override;
    int32_t VolumeStepDown(const Guid* context) override;
    int32_t QueryHardwareSupport(uint32_t* mask) override;
    int32_t GetVolumeRange(float* minDB, float* maxDB, float* incrementDB) override;

  private:
    // Reads the sink, then gives what `use` makes of it; the reading's code when that fails.
    template <typename Use>
    int32_t withSink(Clock::time_point deadline, Use use);
    // The master volume is the loudest channel; setting it keeps the balance.
    // No volume (a level out of range) is refused.
    int32_t setMaster(std::optional<pa_volume_t> volume, const Guid* context,
                      Clock::time_point deadline);
    int32_t setChannel(uint32_t channel, std::optional<pa_volume_t> volume, const Guid* context);
    int32_t getMaster(float* level, float (*scale)(pa_volume_t));
    int32_t getChannel(uint32_t channel, float* level, float (*scale)(pa_volume_t));
    int32_t step(int direction, const Guid* context);
    // Records the request in the ledger, sends it, and forgets it if refused.
    int32_t sendVolume(const pa_cvolume& volume, const Guid* context, Clock::time_point deadline);

    std::shared_ptr<Session> m_session;
    std::string m_sink;
    std::shared_ptr<ChangeLedger> m_ledger;
    std::unique_ptr<ChangeWatcher> m_watcher;
};

}  // namespace pulse
