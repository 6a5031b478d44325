// The user's own mute: noted when the alarm is armed and put back when the alarm
// is switched off before it rang or the clock closes while it waits. Once the
// alarm has rung the output stays unmuted: the person has just been woken by it.

#include "clock/frmMain.h"
#include "log/Log.h"

void frmMain::noteUserMute() {
    m_userMute = 0;
    if (!m_platform.newEndpointVolume) return;
    const std::unique_ptr<CAudioEndpointVolume> volume = m_platform.newEndpointVolume();
    // A volume object that reached no device reads 0: unmuted, as before.
    if (volume && volume->GetMute() != 0) m_userMute = 1;
    logDebug(LogCategory::audio,
             m_userMute ? "the output was muted at arming" : "the output was not muted at arming");
}

void frmMain::putBackMute() {
    setMute(blnAlarm ? 0 : m_userMute);
    // Whatever the output shows now is the user's, not this clock's.
    blnMutedByUs = false;
}

void frmMain::lendMuteBack() {
    if (!blnMutedByUs) return;
    putBackMute();
    m_muteLent = true;
}

void frmMain::takeMuteAgain() {
    if (!m_muteLent) return;
    m_muteLent = false;
    // Only while the alarm still waits, as the mute after arming.
    if (armed() && !blnAlarm) setMute(1);
}
