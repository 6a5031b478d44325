#include "support/Fakes.h"

namespace {

class LoggingVolume : public EndpointVolume {
  public:
    LoggingVolume(FakeEndpointSystem& system, std::string id)
        : m_system(system), m_id(std::move(id)) {
        ++m_system.objectsAlive;
    }
    ~LoggingVolume() override { --m_system.objectsAlive; }
    int32_t SetMute(int32_t mute, const Guid*) override {
        if (!m_system.present(m_id)) return 1;
        m_system.log("mute " + std::to_string(mute) + (m_id == "speakers" ? "" : " " + m_id));
        m_system.muteOf(m_id) = mute;
        return 0;
    }
    int32_t GetMute(int32_t* mute) override {
        if (!m_system.present(m_id)) return 1;
        *mute = m_system.muteOf(m_id);
        return 0;
    }
    int32_t RegisterControlChangeNotify(IAudioEndpointVolumeCallback*) override { return 0; }
    int32_t UnregisterControlChangeNotify(IAudioEndpointVolumeCallback*) override { return 0; }
    int32_t GetChannelCount(uint32_t*) override { return 0; }
    int32_t SetMasterVolumeLevel(float, const Guid*) override { return 0; }
    int32_t SetMasterVolumeLevelScalar(float level, const Guid*) override {
        if (!m_system.present(m_id) || !(level >= 0.0f && level <= 1.0f)) return 1;
        char text[16];
        std::snprintf(text, sizeof text, "%g", level);
        m_system.log("level " + std::string(text) + (m_id == "speakers" ? "" : " " + m_id));
        m_system.levelOf(m_id) = level;
        return 0;
    }
    int32_t GetMasterVolumeLevel(float*) override { return 0; }
    int32_t GetMasterVolumeLevelScalar(float* level) override {
        if (!m_system.present(m_id)) return 1;
        *level = m_system.levelOf(m_id);
        return 0;
    }
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
    const std::string m_id;
};

class LoggingDevice : public EndpointDevice {
  public:
    LoggingDevice(FakeEndpointSystem& system, std::string id)
        : m_system(system), m_id(std::move(id)) {}
    std::string id() override { return m_id; }
    std::unique_ptr<EndpointVolume> activate() override {
        return std::make_unique<LoggingVolume>(m_system, m_id);
    }

  private:
    FakeEndpointSystem& m_system;
    const std::string m_id;
};

class LoggingEnumerator : public EndpointEnumerator {
  public:
    explicit LoggingEnumerator(FakeEndpointSystem& system) : m_system(system) {}
    std::unique_ptr<EndpointDevice> defaultAudioEndpoint() override {
        if (!m_system.present(m_system.defaultId)) return nullptr;
        return std::make_unique<LoggingDevice>(m_system, m_system.defaultId);
    }
    std::unique_ptr<EndpointDevice> device(const std::string& id) override {
        if (!m_system.present(id)) return nullptr;
        return std::make_unique<LoggingDevice>(m_system, id);
    }
    int32_t RegisterEndpointNotificationCallback(IMMNotificationClient* client) override {
        m_system.listeners.push_back(client);
        return 0;
    }
    int32_t UnregisterEndpointNotificationCallback(IMMNotificationClient* client) override {
        auto& listeners = m_system.listeners;
        listeners.erase(std::remove(listeners.begin(), listeners.end(), client), listeners.end());
        return 0;
    }

  private:
    FakeEndpointSystem& m_system;
};

}  // namespace

std::unique_ptr<EndpointEnumerator> FakeEndpointSystem::createEnumerator() {
    if (!available) return nullptr;
    return std::make_unique<LoggingEnumerator>(*this);
}
