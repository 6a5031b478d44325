#pragma once
// The main window: the whole clock state, its controls as data, and every
// handler the front end calls. Nothing here knows Qt or the operating system.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "clock/Controls.h"
#include "clock/OutputMute.h"
#include "clock/Services.h"
#include "tray/clsSysTray.h"

struct RestartState;

class frmMain {
  public:
    explicit frmMain(Platform platform);
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // --- fields, in declaration order ---
    std::string strHour;
    std::string strMinute;
    std::string strSecond;
    bool blnMove = false;
    bool blnAlarm = false;
    std::string strAlarm;
    std::string strLang;
    std::unique_ptr<clsSysTray> SysTray;

    // The moment (local minutes, AlarmTime.h) seen by the previous tick, so that
    // an alarm whose minute was stepped over (suspend, clock set forward) still
    // rings late, or is known to be missed.
    std::optional<long long> lastMinute;
    // Ticks in a row for which the playing track gave no sound, and how much
    // it had given at the last tick.
    int trackSilentTicks = 0;
    unsigned long long trackSoundSeen = 0;

    // --- controls ---
    Label lblTime{"", "DS-Digital"};
    Label lblAMPM{"", "DS-Digital"};
    Label lblAlarm{"", "Verdana"};
    Label lblTrack{"No Track Selected", "Verdana"};
    Label lblMinimize{"-", "DS-Digital"};
    Label lblClose{"X", "DS-Digital"};
    PictureControl bg{pictures::bg};
    PictureControl imgOn{pictures::on, "", false};
    PictureControl imgOff{pictures::off, "", false};
    PictureControl butOnOff{pictures::off, onOffTag::off};
    PictureControl butSettings{pictures::settings};
    PictureControl butTrack{pictures::track};
    PictureControl butBuzz{pictures::buzz, "", false};
    PictureControl butSong{pictures::song, "", false};
    PictureControl pic{"", "", false};
    ComboList lstHour;
    ComboList lstMin;
    Timer tmrTime{true, 1000};
    Timer tmrSet{false, 1500};
    // The file dialog's file name, kept for the life of the window.
    std::string browseFileName;

    // --- events ---
    void Form_Load();
    void Form_Unload();
    void tmrTime_Timer();
    void tmrSet_Timer();
    void butOnOff_Click();
    void butSettings_Click();
    void butTrack_Click();
    // Mouse events carry the button state and coordinates in twips.
    void Form_MouseMove(int Button, float X, float Y);
    void pic_MouseMove(int Button, float X, float Y);
    void bg_MouseDown(int Button, float X, float Y);
    void bg_MouseMove(int Button, float X, float Y);
    void bg_MouseUp(int Button, float X, float Y);
    void bg_Click();
    void lblMinimize_Click();
    void lblClose_Click();
    void SysTray_LeftClick();
    void SysTray_RightClick();
    void SysTray_DoubleClick();
    // The media player could not play the file it was given.
    void wmp_Error();
    // A notification of the tray icon, delivered as the mouse move the shell makes of it.
    void SysTray_Notification(int number);
    // The tray host came or went: a window hidden to an icon that is gone comes back minimised.
    void trayChanged();
    // Session end: a query puts the person's mute back for the while; a session
    // that goes on after all has the clock's mute taken again.
    void lendMuteBack();
    void takeMuteAgain();

    // --- the timers (Timers.cpp) ---
    // When the front end must next call timersDue(): the tick (each second
    // while the window is shown or the alarm rings, at the minute otherwise,
    // at once when the window is shown again or the clock was set back) or
    // the delayed mute, whichever is first; none once the clock is unloaded.
    std::optional<Instant> nextDue();
    // Runs what has fallen due by the time source: the delayed mute, then the
    // tick. True when it ticked.
    bool timersDue();

    // --- window procedures ---
    void addAlarmPresets();

    bool trackChosen() const;
    bool armed() const { return butOnOff.Tag == onOffTag::on; }
    std::string beepPath() const;
    // Restart.cpp: the clock as a restart command line sets it (armed as by the
    // switch), and the line registered anew whenever it would change.
    void resume(const RestartState& state);
    void noteRestartLine();

  private:
    // The form's own steps.
    void playClip(const std::string& lang, const std::string& clip);
    void stopClip();
    void speakHour(const std::string& timeText);
    void speakMinutes(const std::string& timeText);
    void speakAmPm(const std::string& dayHalf);
    void playTrackLooped(const std::string& path);
    void startRinging();
    // Gives way to the beep when the playing track has given no sound for 2 s.
    void watchTrackSound();
    void announceTime(const std::string& timeText);
    void handOnToTray(int button, float x);
    // Hides the window to the tray icon, or minimises it where no icon is shown.
    void hideWindow();
    void showWindow();
    void switchOff();
    // The alarm off, its mute let go and the computer free to sleep, without a word.
    void disarm();
    // The clock stepped over the alarm by more than the late limit: it is off,
    // and the person is told.
    void missAlarm();
    void arm();
    void armFor(const std::string& text);
    // The track that failed gives way to the beep, never cutting the words (Ringing.cpp).
    void fallBackToBeep();
    void openBeep();
    // Tells the person something that matters to the alarm: a tray balloon
    // and the log.
    void tell(const std::string& text);
    // The computer kept awake from arming to switching off (SleepLock.cpp).
    void keepAwake();
    void allowSleep();
    // The computer woken shortly before the alarm, from arming to the ring (WakeUp.cpp).
    void setWakeTimer();
    void removeWakeTimer();
    // The delayed mute, due its interval from now (Timers.cpp).
    void startMuteTimer();
    std::optional<Instant> tickDue(Instant now) const;

    Platform m_platform;
    bool m_inTick = false;
    // When the last tick began, and when the delayed mute falls due.
    std::optional<Instant> m_lastTick;
    Instant m_muteDue{};
    bool m_unloaded = false;
    std::optional<int> m_alarmMinute;  // the armed alarm's minute of the day
    bool m_hiddenToTray = false;
    bool m_muteLent = false;        // a session-end query put the person's mute back
    bool m_toldCannotWake = false;  // said once a run, at the first arming it applies to
    // Announcements whose words are still being heard, and whether the track
    // was held for them (paused, to go on once they have been heard).
    int m_wordsUnderWay = 0;
    bool m_trackHeld = false;
    // The track failed while the time was spoken: the beep starts after the words.
    bool m_beepAfterWords = false;
    // The mute on the outputs while the alarm waits (OutputMute.h).
    OutputMute m_mute{m_platform};
    std::vector<std::string> m_restartLine;  // as last registered
};
