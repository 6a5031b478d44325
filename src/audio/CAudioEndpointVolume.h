#pragma once
// Volume and mute of the default output device. A new object is made for every
// mute change; it reaches the device in three steps (enumerator, default device,
// endpoint volume) and forwards each operation to the endpoint it reached.
// An object that stopped early is partial: its operations give zeros and change
// nothing. Nothing is ever reported or thrown.

#include <cstdint>
#include <memory>
#include <string>

#include "audio/Endpoint.h"

class CAudioEndpointVolume {
  public:
    // On the default output of `system`, the endpoint system the program chose at start.
    explicit CAudioEndpointVolume(EndpointSystem& system);
    // On the output of that id instead of the default one; partial when it is gone.
    CAudioEndpointVolume(EndpointSystem& system, const std::string& deviceId);
    ~CAudioEndpointVolume();
    CAudioEndpointVolume(const CAudioEndpointVolume&) = delete;
    CAudioEndpointVolume& operator=(const CAudioEndpointVolume&) = delete;

    int32_t GetChannelCount();
    float GetChannelVolumeLevel(int32_t nChannel);
    float GetChannelVolumeLevelScalar(int32_t nChannel);
    float GetMasterVolumeLevel();
    float GetMasterVolumeLevelScalar();
    int32_t GetMute();
    void GetVolumeRange(float& pfLevelMinDB, float& pfLevelMaxDB, float& pfVolumeIncrementDB);
    void GetVolumeStepInfo(int32_t& pnStep, int32_t& pnStepCount);
    int32_t QueryHardwareSupport();
    void RegisterControlChangeNotify(IAudioEndpointVolumeCallback* ptr);
    void SetChannelVolumeLevel(int32_t nChannel, float fLevelDB);
    void SetChannelVolumeLevelScalar(int32_t nChannel, float fLevel);
    void SetMasterVolumeLevel(float fLevelDB);
    void SetMasterVolumeLevelScalar(float fLevel);
    void SetMute(int32_t bMute);
    void UnregisterControlChangeNotify(IAudioEndpointVolumeCallback* ptr);
    void VolumeStepDown();
    void VolumeStepUp();

    // True when construction reached the endpoint volume.
    bool complete() const { return m_endpoint != nullptr; }
    const Guid& eventContext() const { return m_eventContext; }
    // The id of the output reached, empty when no device was.
    const std::string& deviceId() const { return m_deviceId; }

  private:
    std::unique_ptr<EndpointVolume> m_endpoint;
    std::unique_ptr<EndpointEnumerator> m_enumerator;
    std::unique_ptr<EndpointDevice> m_device;
    Guid m_eventContext{};
    std::string m_deviceId;
};
