#pragma once
// The mute the clock puts on the computer's outputs while an alarm waits,
// output by output. The default output is muted 1.5 s after arming; if the
// default changes while the alarm waits, the new one is muted too. Each muted
// output is remembered by its id with the mute the person had on it, and put
// back on that output, wherever the default has gone: as the person had it when
// the alarm is switched off or the clock closes before ringing; unmuted once the
// alarm has rung (the person has just been woken by it). While the clock holds a
// mute, a record of it is kept in the state folder, so that a start after a
// crash puts the outputs back.

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/CAudioEndpointVolume.h"
#include "clock/MuteRecord.h"
#include "clock/Services.h"

class OutputMute : private IMMNotificationClient {
  public:
    // `latest` is the window's volume object, replaced on every mute change.
    OutputMute(const Platform& platform, std::unique_ptr<CAudioEndpointVolume>& latest);
    ~OutputMute() override;
    OutputMute(const OutputMute&) = delete;
    OutputMute& operator=(const OutputMute&) = delete;

    // At start: the outputs a clock that did not end left muted are put back.
    void repairAfterCrash();
    // At arming: the default output's mute as the person has it.
    void noteAtArming();
    // The delayed mute: the default output, and any later default while it waits.
    void muteWhileWaiting();
    // Switched off or closed before ringing: each output gets the person's mute back.
    void putBack();
    // Ringing: every output it muted is unmuted, and the default output too.
    void unmute();
    // True while the clock holds a mute on some output.
    bool held() const { return !m_held.empty(); }
    // Why the record of the mute could not be written since arming (as the
    // system says it), once; empty when it was written or not tried.
    std::string takeRecordFailure() { return std::exchange(m_recordFailure, {}); }

  private:
    void OnDefaultDeviceChanged(const std::string& deviceId) override;
    void defaultChanged();
    // Mutes the default output of the moment unless it is muted by the clock already.
    void muteDefault();
    void release(bool rung);
    std::unique_ptr<CAudioEndpointVolume> outputOf(const std::string& id) const;
    void keepRecord();
    void listen(bool on);

    const Platform& m_platform;
    std::unique_ptr<CAudioEndpointVolume>& m_latest;
    std::optional<HeldOutput> m_atArming;
    std::vector<HeldOutput> m_held;
    long long m_since = 0;
    std::string m_recordFailure;
    // Registered for default-output changes while a mute is held.
    std::unique_ptr<EndpointEnumerator> m_listener;
    // Cleared when the object goes, for a change posted to the window meanwhile.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
