#include "audio/CAudioEndpointVolume.h"

namespace {

// The context this program's changes carry, so that notification clients can
// tell them from changes made elsewhere.
constexpr std::string_view eventContextText = "{5929DCA2-52B8-449B-8A58-FDF6750634DA}";

}  // namespace

CAudioEndpointVolume::CAudioEndpointVolume(EndpointSystem& system)
    : m_eventContext(guidFromString(eventContextText)) {
    // Enumerator, default device, endpoint volume: the first step that fails
    // ends construction and what was reached so far is kept.
    m_enumerator = system.createEnumerator();
    if (!m_enumerator) return;
    m_device = m_enumerator->defaultAudioEndpoint();
    if (!m_device) return;
    m_deviceId = m_device->id();
    m_endpoint = m_device->activate();
}

CAudioEndpointVolume::CAudioEndpointVolume(EndpointSystem& system, const std::string& deviceId)
    : m_eventContext(guidFromString(eventContextText)) {
    m_enumerator = system.createEnumerator();
    if (!m_enumerator) return;
    m_device = m_enumerator->device(deviceId);
    if (!m_device) return;
    m_deviceId = deviceId;
    m_endpoint = m_device->activate();
}

CAudioEndpointVolume::~CAudioEndpointVolume() {
    m_device.reset();
    m_endpoint.reset();
    m_enumerator.reset();
}

// Each operation forwards to the endpoint volume when there is one and drops
// its result code. Getters start from zero, so a failed or skipped call gives 0.

int32_t CAudioEndpointVolume::GetChannelCount() {
    uint32_t count = 0;
    if (m_endpoint) m_endpoint->GetChannelCount(&count);
    return static_cast<int32_t>(count);
}

float CAudioEndpointVolume::GetChannelVolumeLevel(int32_t nChannel) {
    float level = 0.0f;
    if (m_endpoint) m_endpoint->GetChannelVolumeLevel(static_cast<uint32_t>(nChannel), &level);
    return level;
}

float CAudioEndpointVolume::GetChannelVolumeLevelScalar(int32_t nChannel) {
    float level = 0.0f;
    if (m_endpoint)
        m_endpoint->GetChannelVolumeLevelScalar(static_cast<uint32_t>(nChannel), &level);
    return level;
}

float CAudioEndpointVolume::GetMasterVolumeLevel() {
    float level = 0.0f;
    if (m_endpoint) m_endpoint->GetMasterVolumeLevel(&level);
    return level;
}

float CAudioEndpointVolume::GetMasterVolumeLevelScalar() {
    float level = 0.0f;
    if (m_endpoint) m_endpoint->GetMasterVolumeLevelScalar(&level);
    return level;
}

int32_t CAudioEndpointVolume::GetMute() {
    int32_t mute = 0;
    if (m_endpoint) m_endpoint->GetMute(&mute);
    return mute;
}

void CAudioEndpointVolume::GetVolumeRange(float& pfLevelMinDB, float& pfLevelMaxDB,
                                          float& pfVolumeIncrementDB) {
    if (m_endpoint) m_endpoint->GetVolumeRange(&pfLevelMinDB, &pfLevelMaxDB, &pfVolumeIncrementDB);
}

void CAudioEndpointVolume::GetVolumeStepInfo(int32_t& pnStep, int32_t& pnStepCount) {
    if (!m_endpoint) return;
    // The outputs keep what the endpoint leaves in them, as the caller's own values.
    auto step = static_cast<uint32_t>(pnStep);
    auto count = static_cast<uint32_t>(pnStepCount);
    m_endpoint->GetVolumeStepInfo(&step, &count);
    pnStep = static_cast<int32_t>(step);
    pnStepCount = static_cast<int32_t>(count);
}

int32_t CAudioEndpointVolume::QueryHardwareSupport() {
    uint32_t mask = 0;
    if (m_endpoint) m_endpoint->QueryHardwareSupport(&mask);
    return static_cast<int32_t>(mask);
}

void CAudioEndpointVolume::RegisterControlChangeNotify(IAudioEndpointVolumeCallback* ptr) {
    if (m_endpoint) m_endpoint->RegisterControlChangeNotify(ptr);
}

void CAudioEndpointVolume::SetChannelVolumeLevel(int32_t nChannel, float fLevelDB) {
    if (m_endpoint)
        m_endpoint->SetChannelVolumeLevel(static_cast<uint32_t>(nChannel), fLevelDB,
                                          &m_eventContext);
}

void CAudioEndpointVolume::SetChannelVolumeLevelScalar(int32_t nChannel, float fLevel) {
    if (m_endpoint)
        m_endpoint->SetChannelVolumeLevelScalar(static_cast<uint32_t>(nChannel), fLevel,
                                                &m_eventContext);
}

void CAudioEndpointVolume::SetMasterVolumeLevel(float fLevelDB) {
    if (m_endpoint) m_endpoint->SetMasterVolumeLevel(fLevelDB, &m_eventContext);
}

void CAudioEndpointVolume::SetMasterVolumeLevelScalar(float fLevel) {
    if (m_endpoint) m_endpoint->SetMasterVolumeLevelScalar(fLevel, &m_eventContext);
}

void CAudioEndpointVolume::SetMute(int32_t bMute) {
    if (m_endpoint) m_endpoint->SetMute(bMute, &m_eventContext);
}

void CAudioEndpointVolume::UnregisterControlChangeNotify(IAudioEndpointVolumeCallback* ptr) {
    if (m_endpoint) m_endpoint->UnregisterControlChangeNotify(ptr);
}

void CAudioEndpointVolume::VolumeStepDown() {
    if (m_endpoint) m_endpoint->VolumeStepDown(&m_eventContext);
}

void CAudioEndpointVolume::VolumeStepUp() {
    if (m_endpoint) m_endpoint->VolumeStepUp(&m_eventContext);
}
