#pragma once
// The platform's audio endpoint service, as the three steps a volume object
// takes to reach the default output: an enumerator, the default device, and the
// device's endpoint volume. Each platform (PulseAudio, Core Audio, none)
// provides these. Methods give 0 on success and a non-zero code on failure,
// like the platform's HRESULTs; outputs are left alone on failure.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct Guid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    std::array<uint8_t, 8> data4{};
    friend bool operator==(const Guid&, const Guid&) = default;
};

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; a malformed text gives the null GUID.
Guid guidFromString(std::string_view text);

// What a change notification carries, shaped like the platform's.
struct AudioVolumeNotificationData {
    Guid guidEventContext;
    bool bMuted = false;
    float fMasterVolume = 0.0f;
    uint32_t nChannels = 0;
    std::vector<float> afChannelVolumes;
};

class IAudioEndpointVolumeCallback {
  public:
    virtual ~IAudioEndpointVolumeCallback() = default;
    // Called on a thread of the endpoint system; keep it short.
    virtual int32_t OnNotify(const AudioVolumeNotificationData& data) = 0;
};

class EndpointVolume {
  public:
    virtual ~EndpointVolume() = default;
    virtual int32_t RegisterControlChangeNotify(IAudioEndpointVolumeCallback* client) = 0;
    virtual int32_t UnregisterControlChangeNotify(IAudioEndpointVolumeCallback* client) = 0;
    virtual int32_t GetChannelCount(uint32_t* count) = 0;
    virtual int32_t SetMasterVolumeLevel(float levelDB, const Guid* context) = 0;
    virtual int32_t SetMasterVolumeLevelScalar(float level, const Guid* context) = 0;
    virtual int32_t GetMasterVolumeLevel(float* levelDB) = 0;
    virtual int32_t GetMasterVolumeLevelScalar(float* level) = 0;
    virtual int32_t SetChannelVolumeLevel(uint32_t channel, float levelDB, const Guid* context) = 0;
    virtual int32_t SetChannelVolumeLevelScalar(uint32_t channel, float level,
                                                const Guid* context) = 0;
    virtual int32_t GetChannelVolumeLevel(uint32_t channel, float* levelDB) = 0;
    virtual int32_t GetChannelVolumeLevelScalar(uint32_t channel, float* level) = 0;
    virtual int32_t SetMute(int32_t mute, const Guid* context) = 0;
    virtual int32_t GetMute(int32_t* mute) = 0;
    virtual int32_t GetVolumeStepInfo(uint32_t* step, uint32_t* stepCount) = 0;
    virtual int32_t VolumeStepUp(const Guid* context) = 0;
    virtual int32_t VolumeStepDown(const Guid* context) = 0;
    virtual int32_t QueryHardwareSupport(uint32_t* mask) = 0;
    virtual int32_t GetVolumeRange(float* minDB, float* maxDB, float* incrementDB) = 0;
};

// Told when the default output changes: the one event of the platform's
// IMMNotificationClient that the clock listens to.
class IMMNotificationClient {
  public:
    virtual ~IMMNotificationClient() = default;
    // Called on a thread of the endpoint system; keep it short. `deviceId` is
    // the new default render device of the console role, empty when there is none.
    virtual void OnDefaultDeviceChanged(const std::string& deviceId) = 0;
};

class EndpointDevice {
  public:
    virtual ~EndpointDevice() = default;
    // The device's lasting id (the sink's name, the endpoint's id string).
    virtual std::string id() = 0;
    // Activates the device's endpoint volume; null on failure.
    virtual std::unique_ptr<EndpointVolume> activate() = 0;
};

class EndpointEnumerator {
  public:
    virtual ~EndpointEnumerator() = default;
    // The default render device for the console role; null when there is none.
    virtual std::unique_ptr<EndpointDevice> defaultAudioEndpoint() = 0;
    // The active render device of that id; null when it is gone or disabled.
    virtual std::unique_ptr<EndpointDevice> device(const std::string& id) = 0;
    // The client hears of default-device changes until it is unregistered;
    // unregistering waits for a call in progress. 0 on success.
    virtual int32_t RegisterEndpointNotificationCallback(IMMNotificationClient* client) = 0;
    virtual int32_t UnregisterEndpointNotificationCallback(IMMNotificationClient* client) = 0;
};

class EndpointSystem {
  public:
    virtual ~EndpointSystem() = default;
    // A new enumerator; null when the audio service cannot be reached.
    virtual std::unique_ptr<EndpointEnumerator> createEnumerator() = 0;
};

// The system with no audio service: every enumerator fails.
EndpointSystem& nullEndpointSystem();
