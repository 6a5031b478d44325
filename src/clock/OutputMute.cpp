#include "clock/OutputMute.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "log/Log.h"

namespace {

long long secondsOf(Instant instant) {
    return std::chrono::duration_cast<std::chrono::seconds>(instant.time_since_epoch()).count();
}

// The level an alarm rings at, at the least: half the output's range, as the
// system's sound settings show it (PulseAudio's percent, Windows' scalar).
constexpr float kLevelFloor = 0.5f;
constexpr float kMillionths = 1000000.0f;

long millionths(float level) {
    return std::lround(std::clamp(level, 0.0f, 1.0f) * kMillionths);
}

float levelOf(long millionths) {
    return static_cast<float>(millionths) / kMillionths;
}

// Two readings of a level that differ by less than this are the same level:
// an output keeps its level in steps (PulseAudio's are 1/65536).
bool sameLevel(long a, long b) {
    return std::labs(a - b) <= 1000;
}

bool holds(const std::vector<HeldOutput>& held, const std::string& id) {
    return std::any_of(held.begin(), held.end(), [&](const HeldOutput& o) { return o.id == id; });
}

}  // namespace

OutputMute::OutputMute(const Platform& platform) : m_platform(platform) {}

OutputMute::~OutputMute() {
    *m_alive = false;
    listen(false);
}

void OutputMute::repairAfterCrash() {
    const std::filesystem::path& folder = m_platform.stateFolder;
    if (folder.empty()) return;
    const RecordReading reading = readRecord(folder);
    if (reading.found == RecordFound::none) return;
    if (reading.found == RecordFound::unreadable) {
        logDebug(LogCategory::audio, "a mute record that cannot be read was removed, not trusted");
        removeRecord(folder);
        return;
    }
    // With no sound service to ask, the record waits for a start that has one.
    if (!m_platform.endpoints.createEnumerator()) {
        logDebug(LogCategory::audio, "a mute record was left: no sound service to repair it");
        return;
    }
    for (const HeldOutput& output : reading.record.outputs) {
        const std::unique_ptr<CAudioEndpointVolume> volume = outputOf(output.id);
        if (!volume->complete() || volume->deviceId() != output.id) {
            logDebug(LogCategory::audio,
                     "muted by a clock that did not end, now gone: " + output.id);
            continue;
        }
        if (output.userMuted) continue;
        // Unmuted whatever the output reads now: a reading that fails gives 0,
        // and unmuting an output that is not muted changes nothing.
        volume->SetMute(0);
        logDebug(LogCategory::audio, "unmuted " + output.id +
                                         ", muted by a clock that did not end (since " +
                                         std::to_string(reading.record.since) + ")");
    }
    for (const RaisedLevel& raised : reading.record.levels) putLevelBack(raised, true);
    removeRecord(folder);
}

void OutputMute::noteAtArming() {
    m_atArming.reset();
    m_recordFailure.clear();
    const std::unique_ptr<CAudioEndpointVolume> volume = defaultOutput();
    // An output that cannot be reached reads 0: unmuted, as before.
    const bool muted = volume->GetMute() != 0;
    if (volume->complete()) m_atArming = HeldOutput{volume->deviceId(), muted};
    logDebug(LogCategory::audio,
             muted ? "the output was muted at arming" : "the output was not muted at arming");
}

void OutputMute::muteWhileWaiting() {
    muteDefault();
    if (held()) listen(true);
}

void OutputMute::muteDefault() {
    std::unique_ptr<CAudioEndpointVolume> volume = defaultOutput();
    if (!volume->complete()) return keepLatest(std::move(volume));
    const std::string id = volume->deviceId();
    if (holds(m_held, id)) return;
    // The mute noted at arming when it is the same output, else the one it has now.
    const bool userMuted =
        m_atArming && m_atArming->id == id ? m_atArming->userMuted : volume->GetMute() != 0;
    volume->SetMute(1);
    keepLatest(std::move(volume));
    if (m_held.empty()) m_since = secondsOf(m_platform.clock.instant());
    m_held.push_back({id, userMuted});
    logDebug(LogCategory::audio, "output muted: " + id);
    keepRecord();
}

void OutputMute::OnDefaultDeviceChanged(const std::string&) {
    // On a thread of the endpoint system: the window's thread does the work.
    m_platform.post([this, alive = m_alive] {
        if (*alive) defaultChanged();
    });
}

void OutputMute::defaultChanged() {
    // Only while the clock holds its mute: the person expects silence until the alarm.
    if (held()) muteDefault();
}

void OutputMute::putBack() {
    release(false);
}

void OutputMute::unmute() {
    release(true);
}

void OutputMute::release(bool rung) {
    listen(false);
    std::vector<std::string> done;
    for (const HeldOutput& output : m_held) {
        std::unique_ptr<CAudioEndpointVolume> volume = outputOf(output.id);
        if (!volume->complete()) {
            logDebug(LogCategory::audio, "output gone, its mute with it: " + output.id);
            continue;
        }
        const int mute = rung || !output.userMuted ? 0 : 1;
        volume->SetMute(mute);
        keepLatest(std::move(volume));
        done.push_back(output.id);
        logDebug(LogCategory::audio,
                 (mute ? "output muted again: " : "output unmuted: ") + output.id);
    }
    const bool wasHeld = held();
    m_held.clear();
    m_atArming.reset();
    if (wasHeld) keepRecord();
    if (!rung) return;
    // The alarm sounds on the default output: never muted by the clock when it rings.
    std::unique_ptr<CAudioEndpointVolume> volume = defaultOutput();
    if (volume->complete() && std::find(done.begin(), done.end(), volume->deviceId()) != done.end())
        return;
    volume->SetMute(0);
    keepLatest(std::move(volume));
    logDebug(LogCategory::audio, "output unmuted");
}

std::unique_ptr<CAudioEndpointVolume> OutputMute::defaultOutput() const {
    return std::make_unique<CAudioEndpointVolume>(m_platform.endpoints);
}

std::unique_ptr<CAudioEndpointVolume> OutputMute::outputOf(const std::string& id) const {
    return std::make_unique<CAudioEndpointVolume>(m_platform.endpoints, id);
}

void OutputMute::keepRecord() {
    if (m_platform.stateFolder.empty()) return;
    if (m_held.empty() && m_raised.empty()) return removeRecord(m_platform.stateFolder);
    const std::string failure =
        writeRecord(m_platform.stateFolder, MuteRecord{m_since, m_held, m_raised});
    if (failure.empty()) return;
    logDebug(LogCategory::audio, "the mute is held without a record");
    if (m_recordFailure.empty()) m_recordFailure = failure;
}

void OutputMute::raiseLevel() {
    std::unique_ptr<CAudioEndpointVolume> volume = defaultOutput();
    if (!volume->complete()) return;
    const std::string id = volume->deviceId();
    const float level = volume->GetMasterVolumeLevelScalar();
    if (level >= kLevelFloor || std::any_of(m_raised.begin(), m_raised.end(),
                                            [&](const RaisedLevel& r) { return r.id == id; }))
        return;
    volume->SetMasterVolumeLevelScalar(kLevelFloor);
    // What the output holds now, in its own steps: the level the person would change.
    const long set = millionths(volume->GetMasterVolumeLevelScalar());
    keepLatest(std::move(volume));
    if (m_raised.empty() && !held()) m_since = secondsOf(m_platform.clock.instant());
    m_raised.push_back({id, millionths(level), set});
    logDebug(LogCategory::audio, "level raised to the floor for the alarm: " + id + " from " +
                                     std::to_string(millionths(level)) + " millionths");
    keepRecord();
}

void OutputMute::restoreLevel() {
    if (m_raised.empty()) return;
    for (const RaisedLevel& raised : m_raised) putLevelBack(raised, false);
    m_raised.clear();
    keepRecord();
}

void OutputMute::putLevelBack(const RaisedLevel& raised, bool afterCrash) {
    std::unique_ptr<CAudioEndpointVolume> volume = outputOf(raised.id);
    if (!volume->complete()) {
        logDebug(LogCategory::audio, "output gone, its level with it: " + raised.id);
        return;
    }
    if (!sameLevel(millionths(volume->GetMasterVolumeLevelScalar()), raised.set)) {
        logDebug(LogCategory::audio, "level changed while it rang, kept: " + raised.id);
        return;
    }
    volume->SetMasterVolumeLevelScalar(levelOf(raised.before));
    if (!afterCrash) keepLatest(std::move(volume));
    logDebug(LogCategory::audio,
             std::string(afterCrash ? "level put back after a crash: " : "level put back: ") +
                 raised.id);
}

void OutputMute::listen(bool on) {
    if (on == (m_listener != nullptr)) return;
    if (!on) {
        m_listener->UnregisterEndpointNotificationCallback(this);
        m_listener.reset();
        return;
    }
    if (!m_platform.post) return;
    m_listener = m_platform.endpoints.createEnumerator();
    if (m_listener && m_listener->RegisterEndpointNotificationCallback(this) != 0) {
        logDebug(LogCategory::audio, "no news of a new default output");
        m_listener.reset();
    }
}
