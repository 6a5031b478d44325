#include "clock/frmMain.h"

#include <filesystem>

#include "clock/AlarmTime.h"
#include "clock/TimeText.h"
#include "log/Log.h"
#include "ui/Texts.h"

namespace {

constexpr char kSep = std::filesystem::path::preferred_separator;
constexpr const char* kFontFiles[] = {"DS-DIGI.TTF", "DS-DIGIB.TTF", "DS-DIGII.TTF",
                                      "DS-DIGIT.TTF"};
constexpr const char* kClockFace = "DS-DIGITAL";

// Clears a flag when the scope ends, however it ends.
struct FlagGuard {
    bool& flag;
    explicit FlagGuard(bool& f) : flag(f) { flag = true; }
    ~FlagGuard() { flag = false; }
};

}  // namespace

frmMain::frmMain(Platform platform) : m_platform(std::move(platform)) {}

frmMain::~frmMain() = default;

void frmMain::Form_Load() {
    // Before anything else: outputs a clock that did not end left muted.
    m_mute.repairAfterCrash();
    blnMove = false;
    strLang = "eng";
    for (const char* file : kFontFiles)
        m_platform.registerFont(m_platform.appFolder() + kSep + file);
    for (Label* label : {&lblTime, &lblAMPM}) {
        label->FontName = kClockFace;
        label->FontBold = true;
    }
    addAlarmPresets();
    strHour = strMinute = strSecond = "0";
    butBuzz.Visible = true;

    SysTray = std::make_unique<clsSysTray>(m_platform.tray);
    SysTray->LeftClick = [this] { SysTray_LeftClick(); };
    SysTray->RightClick = [this] { SysTray_RightClick(); };
    SysTray->DoubleClick = [this] { SysTray_DoubleClick(); };
    SysTray->Init(m_platform.window, texts::caption);
}

void frmMain::tell(const std::string& text) {
    logDebug(LogCategory::clock, "told: " + text);
    if (SysTray) SysTray->ShowBalloonTip(text, 0, texts::caption);
}

void frmMain::Form_Unload() {
    if (m_unloaded) return;
    m_unloaded = true;
    // Leave the outputs as the user had them: undo only a mute this clock holds.
    if (m_mute.held()) m_mute.putBack();
    m_mute.restoreLevel();
    m_mute.releaseLatest();
    allowSleep();
    removeWakeTimer();
    tmrTime.Enabled = false;
    tmrSet.Enabled = false;
    m_platform.clips.clear();
    m_platform.wmp.stop();
    SysTray.reset();
}

void frmMain::tmrTime_Timer() {
    // A tick never nests: events run inside an announcement must not start another.
    if (m_inTick) return;
    FlagGuard guard(m_inTick);
    m_lastTick = m_platform.clock.instant();

    // The time comes as a value: shown as text, compared as a number.
    const LocalTime time = m_platform.clock.now();
    const std::string rendering = longTimeTextOf(time);
    const std::string timeText = timeTextOf(rendering);
    lblTime.Caption = clockTextOf(timeText);
    lblAMPM.Caption = dayHalfOf(rendering);

    // A new minute is a new moment, whatever its digits: a jump of whole hours
    // shows the same minute digits yet is a new minute, whose words are spoken too.
    const long long now = localMinute(time);
    const bool newMinute = !lastMinute || now != *lastMinute;
    if (newMinute && getMinutePart(timeText) == strMinute) strMinute.clear();
    if (armed() && m_alarmMinute) {
        const AlarmCall call = alarmCall(*m_alarmMinute, lastMinute, now);
        if (call == AlarmCall::ring) startRinging();
        // A ringing alarm rings on until it is switched off.
        if (call == AlarmCall::missed && !blnAlarm) missAlarm();
    }
    if (newMinute && blnAlarm) announceTime(timeText);

    strHour = getHourPart(timeText);
    strMinute = getMinutePart(timeText);
    strSecond = getSecondPart(timeText);
    lastMinute = now;
    watchTrackSound();
}

std::string frmMain::beepPath() const {
    return m_platform.appFolder() + kSep + "sounds" + kSep + "beep.wav";
}

bool frmMain::trackChosen() const {
    return !texts::isNoTrackText(lblTrack.Caption);
}
