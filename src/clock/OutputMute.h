#pragma once
// The mute the clock puts on the computer's outputs while an alarm waits,
// output by output. The default output is muted 1.5 s after arming; if the
// default changes while the alarm waits, the new one is muted too. Each muted
// output is remembered by its id with the mute the person had on it, and put
// back on that output, wherever the default has gone: as the person had it when
// the alarm is switched off or the clock closes before ringing; unmuted once the
// alarm has rung (the person has just been woken by it).
//
// When the alarm rings, the output it sounds on (the default) is raised to
// half its range if its level is below that, so that the alarm is heard; the
// alarm switched off or the clock closed, the person's level is put back,
// unless the person changed the level while it rang. A level at or above the
// floor is never touched.
//
// While the clock holds a mute or a raised level, a record of it is kept in
// the state folder, so that a start after a crash puts the outputs back.

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
    // Reaches the outputs through the platform's endpoint system; its time
    // comes from the platform's time source.
    explicit OutputMute(const Platform& platform);
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
    // Ringing: the default output raised to the floor when it is below it.
    void raiseLevel();
    // The alarm over: each raised output gets the person's level back.
    void restoreLevel();
    // The clock's end: the object of the latest change goes too.
    void releaseLatest() { m_latest.reset(); }
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
    // Sets a raised output's level back to the person's unless it was changed since.
    void putLevelBack(const RaisedLevel& raised, bool afterCrash);
    std::unique_ptr<CAudioEndpointVolume> defaultOutput() const;
    std::unique_ptr<CAudioEndpointVolume> outputOf(const std::string& id) const;
    // Keeps the object of the latest change (the form's `objVolume`): one
    // object per change, the one before released.
    void keepLatest(std::unique_ptr<CAudioEndpointVolume> volume) { m_latest = std::move(volume); }
    // Writes the record of what is held, or removes it when nothing is.
    void keepRecord();
    void listen(bool on);

    const Platform& m_platform;
    std::unique_ptr<CAudioEndpointVolume> m_latest;
    std::optional<HeldOutput> m_atArming;
    std::vector<HeldOutput> m_held;
    std::vector<RaisedLevel> m_raised;
    long long m_since = 0;
    std::string m_recordFailure;
    // Registered for default-output changes while a mute is held.
    std::unique_ptr<EndpointEnumerator> m_listener;
    // Cleared when the object goes, for a change posted to the window meanwhile.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
