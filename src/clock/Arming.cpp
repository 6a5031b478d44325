// Switching the alarm on and off, and the delayed mute after arming.

#include "clock/AlarmTime.h"
#include "clock/frmMain.h"
#include "lang/Languages.h"
#include "log/Log.h"
#include "ui/Texts.h"

namespace {

std::string switchedOnClip(const std::string& lang) {
    const Language* language = findLanguage(lang);
    return language ? std::string(language->switchedOnClip) : std::string();
}

std::string switchedOffClip(const std::string& lang) {
    const Language* language = findLanguage(lang);
    return language ? std::string(language->switchedOffClip) : std::string();
}

}  // namespace

void frmMain::butOnOff_Click() {
    if (butOnOff.Tag == onOffTag::off)
        arm();
    else
        switchOff();
}

void frmMain::arm() {
    strAlarm = m_platform.dialogs.inputBox(texts::alarmPrompt(strLang), texts::setAlarmTitle);
    if (!strAlarm.empty()) armFor(strAlarm);
}

void frmMain::armFor(const std::string& text) {
    if (&text != &strAlarm) strAlarm = text;
    // A text the alarm could never ring at is refused rather than shown as armed.
    // The minute is read once here; the tick compares it as a number.
    m_alarmMinute = parseAlarmTime(strAlarm);
    if (!m_alarmMinute) {
        m_platform.dialogs.message(texts::notATimeMessage(strLang), texts::setAlarmTitle);
        return;
    }
    lblAlarm.Caption = strAlarm;
    // The beep stands in for a track that fails while ringing: in memory by
    // then, it follows the words at once.
    m_platform.wmp.keepReady(beepPath());
    m_mute.noteAtArming();
    keepAwake();
    setWakeTimer();
    butOnOff.Tag = onOffTag::on;
    butOnOff.Picture = imgOn.Picture;
    playClip(strLang, switchedOnClip(strLang));
    // Enabled once the clip has been heard, so the mute follows its end; not
    // when the alarm was switched off or rang in the meantime.
    m_platform.clips.whenPlayed([this] {
        if (armed() && !blnAlarm) startMuteTimer();
    });
}

void frmMain::switchOff() {
    disarm();
    // Heard over the still-playing track (after the words of an announcement
    // under way, which keeps the track paused); the track stops after it.
    playClip(strLang, switchedOffClip(strLang));
    m_platform.clips.whenPlayed([this] {
        if (!blnAlarm) m_platform.wmp.stop();
    });
}

void frmMain::missAlarm() {
    logDebug(LogCategory::clock, "missed the alarm of " + strAlarm);
    // Nobody to hear a switch-off clip: the person is told in words instead,
    // and the switch shows OFF.
    disarm();
    tell(texts::missedAlarmText(strLang, strAlarm, kLatestRingMinutes));
}

void frmMain::disarm() {
    // A pending mute must not fire after the alarm is off.
    tmrSet.Enabled = false;
    // Before it rang: the outputs as the person had them; after: unmuted.
    if (blnAlarm)
        m_mute.unmute();
    else
        m_mute.putBack();
    m_mute.restoreLevel();
    m_trackHeld = m_beepAfterWords = false;
    allowSleep();
    removeWakeTimer();
    blnAlarm = false;
    butOnOff.Tag = onOffTag::off;
    butOnOff.Picture = imgOff.Picture;
}

void frmMain::tmrSet_Timer() {
    tmrSet.Enabled = false;
    // Mute only while the alarm still waits: not after a switch-off, not while ringing.
    if (!armed() || blnAlarm) return;
    m_mute.muteWhileWaiting();
    // Without its record a crash would leave the sound muted: the person is told why.
    const std::string failure = m_mute.takeRecordFailure();
    if (!failure.empty()) {
        const std::u8string folder = m_platform.stateFolder.u8string();
        tell(texts::noMuteRecordText(strLang, std::string(folder.begin(), folder.end()), failure));
    }
}
