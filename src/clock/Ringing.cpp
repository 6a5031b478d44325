// Ringing: the alarm track, and the spoken time at every new minute.

#include <exception>
#include <utility>

#include "clock/frmMain.h"
#include "lang/Languages.h"
#include "log/Log.h"

namespace {

// While ringing, a step that fails is skipped and the next one runs.
template <typename Step>
void skipOnFailure(Step&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

std::string wakeUpClip(const std::string& lang) {
    const Language* language = findLanguage(lang);
    return language ? std::string(language->wakeUpClip) : std::string();
}

}  // namespace

void frmMain::playTrackLooped(const std::string& path) {
    stopClip();
    m_trackHeld = false;
    m_beepAfterWords = false;
    m_platform.wmp.setLoop(true);
    m_platform.wmp.open(path);
}

void frmMain::startRinging() {
    const std::string path = trackChosen() ? lblTrack.Caption : beepPath();
    skipOnFailure([&] { removeWakeTimer(); });
    skipOnFailure([&] { m_mute.unmute(); });
    skipOnFailure([&] { m_mute.raiseLevel(); });
    skipOnFailure([&] { playTrackLooped(path); });
    blnAlarm = true;
}

void frmMain::announceTime(const std::string& timeText) {
    TrackPlayer& wmp = m_platform.wmp;
    ++m_wordsUnderWay;
    skipOnFailure([&] {
        if (wmp.playState() != TrackPlayer::Playing) return;
        wmp.pause();
        m_trackHeld = true;
    });
    skipOnFailure([&] { speakHour(timeText); });
    skipOnFailure([&] { speakMinutes(timeText); });
    skipOnFailure([&] { speakAmPm(lblAMPM.Caption); });
    skipOnFailure([&] {
        const std::string clip = wakeUpClip(strLang);
        if (!clip.empty()) playClip(strLang, clip);
    });
    // The track goes on once the words have been heard, unless the alarm was
    // switched off meanwhile.
    m_platform.clips.whenPlayed([this] {
        if (--m_wordsUnderWay > 0) return;
        TrackPlayer& player = m_platform.wmp;
        const bool held = std::exchange(m_trackHeld, false);
        if (std::exchange(m_beepAfterWords, false) && blnAlarm) return openBeep();
        skipOnFailure([&] {
            if (blnAlarm && (held || player.playState() == TrackPlayer::Paused)) player.play();
        });
    });
}

void frmMain::watchTrackSound() {
    // Three silent ticks in a row: at least two whole seconds without sound.
    constexpr int kSilentTicksAllowed = 3;
    const TrackPlayer& wmp = m_platform.wmp;
    const unsigned long long written = wmp.soundWritten();
    const bool silent = written == trackSoundSeen;
    trackSoundSeen = written;
    if (!blnAlarm || wmp.playState() != TrackPlayer::Playing || !silent) {
        trackSilentTicks = 0;
        return;
    }
    if (++trackSilentTicks < kSilentTicksAllowed) return;
    trackSilentTicks = 0;
    logDebug(LogCategory::clock, "the track gave no sound for 2 s: " + wmp.url());
    wmp_Error();
}

void frmMain::wmp_Error() {
    // A track that cannot be played gives way to the built-in beep: never a silent alarm.
    if (blnAlarm && m_platform.wmp.url() != beepPath()) fallBackToBeep();
}

void frmMain::fallBackToBeep() {
    logDebug(LogCategory::clock, "the track gives way to the beep");
    // No clip is stopped: a word being spoken is heard whole. While the time
    // is spoken the beep waits, and starts once the words have been heard.
    if (m_wordsUnderWay > 0) {
        m_beepAfterWords = true;
        return;
    }
    openBeep();
}

void frmMain::openBeep() {
    TrackPlayer& wmp = m_platform.wmp;
    skipOnFailure([&] {
        wmp.setLoop(true);
        wmp.open(beepPath());
    });
}
