// Voice clips and the spoken hour, minutes and day half.

#include "clock/TimeText.h"
#include "clock/frmMain.h"
#include "speech/SpokenTime.h"

void frmMain::playClip(const std::string& lang, const std::string& clip) {
    const std::optional<std::string> folder = clipFolder(lang);
    if (!folder) return;
    // The application folder is read afresh for every clip.
    m_platform.clips.play(m_platform.appFolder() + *folder + clip);
}

void frmMain::stopClip() {
    m_platform.clips.stop();
}

void frmMain::speakHour(const std::string& timeText) {
    const std::string key = hourKey(getHourPart(timeText), lblAMPM.Caption, strLang);
    m_platform.doEvents();
    for (const std::string& clip : hourClips(key, strLang)) playClip(strLang, clip);
}

void frmMain::speakMinutes(const std::string& timeText) {
    if (getMinutePart(timeText) == strMinute) return;
    const std::string key = numberKey(getMinutePart(timeText));
    m_platform.doEvents();
    for (const std::string& clip : minuteClips(key, strLang)) playClip(strLang, clip);
}

void frmMain::speakAmPm(const std::string& dayHalf) {
    if (!clipFolder(strLang)) return;
    const std::string clip = amPmClip(dayHalf);
    if (!clip.empty()) playClip(strLang, clip);
}
