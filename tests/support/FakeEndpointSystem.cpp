#include "support/Fakes.h"

namespace {

class LoggingVolume : public EndpointVolume {
  public:
    explicit LoggingVolume(FakeEndpointSystem& system, EventLog& log)
        : m_system(system), m_log(log) {
        ++m_system.objectsAlive;
    }
    ~LoggingVolume() override { --m_system.objectsAlive; }
    int32_t SetMute(int32_t mute, const Guid*) override {
        m_log.push_back("mute " + std::to_string(mute));
        m_system.muted = mute;
        return 0;
    }
    int32_t GetMute(int32_t* mute) override {
        *mute = m_system.muted;
        return 0;
    }
    int32_t RegisterControlChangeNotify(IAudioEndpointVolumeCallback*) override { return 0; }
    int32_t UnregisterControlChangeNotify(IAudioEndpointVolumeCallback*) override { return 0; }
    int32_t GetChannelCount(uint32_t*) override { return 0; }
    int32_t SetMasterVolumeLevel(float, const Guid*) override { return 0; }
    int32_t SetMasterVolumeLevelScalar(float, const Guid*) override { return 0; }
    int32_t GetMasterVolumeLevel(float*) override { return 0; }
    int32_t GetMasterVolumeLevelScalar(float*) override { return 0; }
    int32_t SetChannelVolumeLevel(uint32_t, float, const Guid*) override { return 0; }
    int32_t SetChannelVolumeLevelScalar(uint32_t, float, const Guid*) override { return 0; }
    int32_t GetChannelVolumeLevel(uint32_t, float*) override { return 0; }
    int32_t GetChannelVolumeLevelScalar(uint32_t, float*) override { return 0; }
    int32_t GetVolumeStepInfo(uint32_t*, uint32_t*) override { return 0; }
    int32_t VolumeStepUp(const Guid*) override { return 0; }
    int32_t VolumeStepDown(const Guid*) override { return 0; }
    int32_t QueryHardwareSupport(uint32_t*) override { return 0; }
    int32_t GetVolumeRange(float*, float*, float*) override { return 0; }

  private:
    FakeEndpointSystem& m_system;
    EventLog& m_log;
};

class LoggingDevice : public EndpointDevice {
  public:
    LoggingDevice(FakeEndpointSystem& system, EventLog& log) : m_system(system), m_log(log) {}
    std::unique_ptr<EndpointVolume> activate() override {
        return std::make_unique<LoggingVolume>(m_system, m_log);
    }

  private:
    FakeEndpointSystem& m_system;
    EventLog& m_log;
};

class LoggingEnumerator : public EndpointEnumerator {
  public:
    LoggingEnumerator(FakeEndpointSystem& system, EventLog& log) : m_system(system), m_log(log) {}
    std::unique_ptr<EndpointDevice> defaultAudioEndpoint() override {
        return std::make_unique<LoggingDevice>(m_system, m_log);
    }

  private:
    FakeEndpointSystem& m_system;
    EventLog& m_log;
};

}  // namespace

std::unique_ptr<EndpointEnumerator> FakeEndpointSystem::createEnumerator() {
    if (!available) return nullptr;
    return std::make_unique<LoggingEnumerator>(*this, m_log);
}
