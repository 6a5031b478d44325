#include "platform/win32/CoreAudioEndpoint.h"

// windows.h first: the system headers after it build on its types. The core
// has callback types of the same names as Core Audio's; the system's are
// renamed while its headers are read.
#include <windows.h>

#define IAudioEndpointVolumeCallback ComAudioEndpointVolumeCallback
#define IMMNotificationClient ComMMNotificationClient
#include <endpointvolume.h>
#include <mmdeviceapi.h>
#undef IMMNotificationClient
#undef IAudioEndpointVolumeCallback

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "log/Log.h"
#include "platform/win32/ComObject.h"
#include "platform/win32/Owned.h"
#include "platform/win32/WideText.h"

namespace {

GUID toGuid(const Guid& guid) {
    GUID out{};
    out.Data1 = guid.data1;
    out.Data2 = guid.data2;
    out.Data3 = guid.data3;
    for (size_t i = 0; i < 8; ++i) out.Data4[i] = guid.data4[i];
    return out;
}

Guid fromGuid(const GUID& guid) {
    Guid out;
    out.data1 = guid.Data1;
    out.data2 = guid.Data2;
    out.data3 = guid.Data3;
    for (size_t i = 0; i < 8; ++i) out.data4[i] = guid.Data4[i];
    return out;
}

std::string hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

std::string levelText(float level) {
    char text[24];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(level));
    return text;
}

// Hands Core Audio's change notifications to a callback of the core.
class CallbackBridge : public ComObject<ComAudioEndpointVolumeCallback> {
  public:
    explicit CallbackBridge(IAudioEndpointVolumeCallback* client) : m_client(client) {}

    HRESULT STDMETHODCALLTYPE OnNotify(PAUDIO_VOLUME_NOTIFICATION_DATA data) override {
        if (!data) return E_POINTER;
        AudioVolumeNotificationData out;
        out.guidEventContext = fromGuid(data->guidEventContext);
        out.bMuted = data->bMuted != FALSE;
        out.fMasterVolume = data->fMasterVolume;
        out.nChannels = data->nChannels;
        out.afChannelVolumes.assign(data->afChannelVolumes,
                                    data->afChannelVolumes + data->nChannels);
        return m_client->OnNotify(out);
    }

  private:
    IAudioEndpointVolumeCallback* m_client;
};

// Hands Core Audio's news of a new default render device (console role) to a
// client of the core. Core Audio calls it on a thread of its own; detach()
// waits for a call in progress, so the client is never called after it.
class NotificationBridge : public ComObject<ComMMNotificationClient> {
  public:
    explicit NotificationBridge(IMMNotificationClient* client) : m_client(client) {}

    void detach() {
        std::lock_guard lock(m_mutex);
        m_client = nullptr;
    }

    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role,
                                                     LPCWSTR id) override {
        if (flow != eRender || role != eConsole) return S_OK;
        const std::string deviceId = id ? narrow(id) : std::string();
        logDebug(LogCategory::audio, "Core Audio: the default output is now " + deviceId);
        std::lock_guard lock(m_mutex);
        if (m_client) m_client->OnDefaultDeviceChanged(deviceId);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override {
        return S_OK;
    }

  private:
    std::mutex m_mutex;
    IMMNotificationClient* m_client;
};

class CoreAudioVolume : public EndpointVolume {
  public:
    explicit CoreAudioVolume(ComRef<IAudioEndpointVolume> volume) : m_volume(std::move(volume)) {}

    int32_t RegisterControlChangeNotify(IAudioEndpointVolumeCallback* client) override {
        if (!client) return m_volume->RegisterControlChangeNotify(nullptr);
        ComRef<CallbackBridge> bridge(new CallbackBridge(client));
        const HRESULT hr = m_volume->RegisterControlChangeNotify(bridge.get());
        if (hr == S_OK) m_bridges[client] = std::move(bridge);
        return hr;
    }
    int32_t UnregisterControlChangeNotify(IAudioEndpointVolumeCallback* client) override {
        const auto found = m_bridges.find(client);
        if (found == m_bridges.end()) return m_volume->UnregisterControlChangeNotify(nullptr);
        const HRESULT hr = m_volume->UnregisterControlChangeNotify(found->second.get());
        m_bridges.erase(found);
        return hr;
    }
    int32_t GetChannelCount(uint32_t* count) override {
        return m_volume->GetChannelCount(reinterpret_cast<UINT*>(count));
    }
    int32_t SetMasterVolumeLevel(float levelDB, const Guid* context) override {
        const GUID g = toGuid(*context);
        return m_volume->SetMasterVolumeLevel(levelDB, &g);
    }
    int32_t SetMasterVolumeLevelScalar(float level, const Guid* context) override {
        const GUID g = toGuid(*context);
        const HRESULT hr = m_volume->SetMasterVolumeLevelScalar(level, &g);
        // Logged, as the mute: Wine's endpoint does not implement the level.
        logDebug(LogCategory::audio,
                 "Core Audio SetMasterVolumeLevelScalar(" + levelText(level) + ") -> " + hex(hr));
        return hr;
    }
    int32_t GetMasterVolumeLevel(float* levelDB) override {
        return m_volume->GetMasterVolumeLevel(levelDB);
    }
    int32_t GetMasterVolumeLevelScalar(float* level) override {
        const HRESULT hr = m_volume->GetMasterVolumeLevelScalar(level);
        logDebug(LogCategory::audio,
                 "Core Audio GetMasterVolumeLevelScalar -> " + hex(hr) + " " + levelText(*level));
        return hr;
    }
    int32_t SetChannelVolumeLevel(uint32_t channel, float levelDB, const Guid* context) override {
        const GUID g = toGuid(*context);
        return m_volume->SetChannelVolumeLevel(channel, levelDB, &g);
    }
    int32_t SetChannelVolumeLevelScalar(uint32_t channel, float level,
                                        const Guid* context) override {
        const GUID g = toGuid(*context);
        return m_volume->SetChannelVolumeLevelScalar(channel, level, &g);
    }
    int32_t GetChannelVolumeLevel(uint32_t channel, float* levelDB) override {
        return m_volume->GetChannelVolumeLevel(channel, levelDB);
    }
    int32_t GetChannelVolumeLevelScalar(uint32_t channel, float* level) override {
        return m_volume->GetChannelVolumeLevelScalar(channel, level);
    }
    int32_t SetMute(int32_t mute, const Guid* context) override {
        const GUID g = toGuid(*context);
        const HRESULT hr = m_volume->SetMute(mute, &g);
        // Logged: Wine keeps the mute on this object and never passes it on.
        logDebug(LogCategory::audio,
                 "Core Audio SetMute(" + std::to_string(mute) + ") -> " + hex(hr));
        return hr;
    }
    int32_t GetMute(int32_t* mute) override {
        WINBOOL value = *mute;
        const HRESULT hr = m_volume->GetMute(&value);
        if (hr == S_OK) *mute = value;
        logDebug(LogCategory::audio,
                 "Core Audio GetMute -> " + hex(hr) + " " + std::to_string(value));
        return hr;
    }
    int32_t GetVolumeStepInfo(uint32_t* step, uint32_t* stepCount) override {
        return m_volume->GetVolumeStepInfo(reinterpret_cast<UINT*>(step),
                                           reinterpret_cast<UINT*>(stepCount));
    }
    int32_t VolumeStepUp(const Guid* context) override {
        const GUID g = toGuid(*context);
        return m_volume->VolumeStepUp(&g);
    }
    int32_t VolumeStepDown(const Guid* context) override {
        const GUID g = toGuid(*context);
        return m_volume->VolumeStepDown(&g);
    }
    int32_t QueryHardwareSupport(uint32_t* mask) override {
        return m_volume->QueryHardwareSupport(reinterpret_cast<DWORD*>(mask));
    }
    int32_t GetVolumeRange(float* minDB, float* maxDB, float* incrementDB) override {
        return m_volume->GetVolumeRange(minDB, maxDB, incrementDB);
    }

  private:
    ComRef<IAudioEndpointVolume> m_volume;
    // After the volume: released before it.
    std::map<IAudioEndpointVolumeCallback*, ComRef<CallbackBridge>> m_bridges;
};

class CoreAudioDevice : public EndpointDevice {
  public:
    explicit CoreAudioDevice(ComRef<IMMDevice> device) : m_device(std::move(device)) {}
    std::string id() override {
        LPWSTR given = nullptr;
        const HRESULT hr = m_device->GetId(&given);
        const TaskMem<wchar_t> text(given);
        std::string id = hr == S_OK && text ? narrow(text.get()) : std::string();
        if (hr != S_OK) logDebug(LogCategory::audio, "Core Audio GetId -> " + hex(hr));
        return id;
    }
    std::unique_ptr<EndpointVolume> activate() override {
        ComRef<IAudioEndpointVolume> volume;
        const HRESULT hr = m_device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
                                              volume.putVoid());
        if (hr != S_OK) {
            logDebug(LogCategory::audio, "Core Audio Activate -> " + hex(hr));
            return nullptr;
        }
        return std::make_unique<CoreAudioVolume>(std::move(volume));
    }

  private:
    ComRef<IMMDevice> m_device;
};

class CoreAudioEnumerator : public EndpointEnumerator {
  public:
    explicit CoreAudioEnumerator(IMMDeviceEnumerator* enumerator) : m_enumerator(enumerator) {}
    std::unique_ptr<EndpointDevice> defaultAudioEndpoint() override {
        ComRef<IMMDevice> device;
        const HRESULT hr = m_enumerator->GetDefaultAudioEndpoint(eRender, eConsole, device.put());
        if (hr != S_OK) {
            logDebug(LogCategory::audio, "Core Audio GetDefaultAudioEndpoint -> " + hex(hr));
            return nullptr;
        }
        return std::make_unique<CoreAudioDevice>(std::move(device));
    }

    std::unique_ptr<EndpointDevice> device(const std::string& id) override {
        ComRef<IMMDevice> device;
        HRESULT hr = m_enumerator->GetDevice(widen(id).c_str(), device.put());
        // A device Windows still knows but that is unplugged or disabled is gone for the clock.
        DWORD state = 0;
        if (hr == S_OK) hr = device->GetState(&state);
        if (hr != S_OK || state != DEVICE_STATE_ACTIVE) {
            logDebug(LogCategory::audio,
                     "Core Audio: no active device " + id + " (" + hex(hr) + ")");
            return nullptr;
        }
        return std::make_unique<CoreAudioDevice>(std::move(device));
    }

    int32_t RegisterEndpointNotificationCallback(IMMNotificationClient* client) override {
        if (!client) return E_POINTER;
        ComRef<NotificationBridge> bridge(new NotificationBridge(client));
        const HRESULT hr = m_enumerator->RegisterEndpointNotificationCallback(bridge.get());
        if (hr == S_OK) m_bridges[client] = std::move(bridge);
        return hr;
    }

    int32_t UnregisterEndpointNotificationCallback(IMMNotificationClient* client) override {
        const auto found = m_bridges.find(client);
        if (found == m_bridges.end()) return E_INVALIDARG;
        const ComRef<NotificationBridge> bridge = std::move(found->second);
        m_bridges.erase(found);
        const HRESULT hr = m_enumerator->UnregisterEndpointNotificationCallback(bridge.get());
        bridge->detach();
        return hr;
    }

    ~CoreAudioEnumerator() override {
        for (auto& [client, bridge] : m_bridges) {
            m_enumerator->UnregisterEndpointNotificationCallback(bridge.get());
            bridge->detach();
        }
    }

  private:
    ComRef<IMMDeviceEnumerator> m_enumerator;
    // After the enumerator: released before it.
    std::map<IMMNotificationClient*, ComRef<NotificationBridge>> m_bridges;
};

class CoreAudioSystem : public EndpointSystem {
  public:
    std::unique_ptr<EndpointEnumerator> createEnumerator() override {
        ComRef<IMMDeviceEnumerator> enumerator;
        const HRESULT hr =
            CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                             __uuidof(IMMDeviceEnumerator), enumerator.putVoid());
        if (hr != S_OK) {
            logDebug(LogCategory::audio, "Core Audio CoCreateInstance -> " + hex(hr));
            return nullptr;
        }
        return coreAudioEnumerator(enumerator.detach());
    }
};

}  // namespace

std::unique_ptr<EndpointEnumerator> coreAudioEnumerator(IMMDeviceEnumerator* enumerator) {
    return std::make_unique<CoreAudioEnumerator>(enumerator);
}

EndpointSystem& coreAudioEndpointSystem() {
    static CoreAudioSystem system;
    return system;
}
