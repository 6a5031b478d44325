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

void frmMain::Form_Unload() {
    if (m_unloaded) return;
    m_unloaded = true;
    // Leave the output as the user had it: undo only a mute this clock set.
    if (blnMutedByUs) putBackMute();
    allowSleep();
    tmrTime.Enabled = false;
    tmrSet.Enabled = false;
    m_platform.clips.clear();
    m_platform.wmp.stop();
    SysTray.reset();
    objVolume.reset();
}

void frmMain::tmrTime_Timer() {
    // A tick never nests: events run inside an announcement must not start another.
    if (m_inTick) return;
    FlagGuard guard(m_inTick);

    const std::string rendering = m_platform.clock.longTimeText();
    const std::string timeText = timeTextOf(rendering);
    lblTime.Caption = clockTextOf(timeText);
    lblAMPM.Caption = dayHalfOf(rendering);

    const bool newMinute = getMinutePart(timeText) != strMinute;
    const std::optional<int> now = minuteOfDay(timeText, lblAMPM.Caption);
    if (newMinute && armed() && m_alarmMinute && now &&
        alarmDue(*m_alarmMinute, lastMinuteOfDay, *now))
        startRinging();
    if (newMinute && blnAlarm) announceTime(timeText);

    strHour = getHourPart(timeText);
    strMinute = getMinutePart(timeText);
    strSecond = getSecondPart(timeText);
    lastMinuteOfDay = now;
    watchTrackSound();
}

void frmMain::setMute(int bMute) {
    if (!m_platform.newEndpointVolume) return;
    objVolume = m_platform.newEndpointVolume();
    if (objVolume) objVolume->SetMute(bMute);
    blnMutedByUs = bMute != 0;
    logDebug(LogCategory::audio, bMute ? "output muted" : "output unmuted");
}

std::string frmMain::beepPath() const {
    return m_platform.appFolder() + kSep + "sounds" + kSep + "beep.wav";
}

bool frmMain::trackChosen() const {
    return !texts::isNoTrackText(lblTrack.Caption);
}
