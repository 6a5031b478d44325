// Two days of the clock on the fake clock, one tick a second: 500 alarms armed,
// rung, announced and switched off, alternating English and French, some with a
// chosen track, some cancelled or refused at the prompt, some switched off
// while they wait. Built with the
// sanitizers, a leak fails the run; here the volume objects held, the balance of
// the mute changes and the alarm state after each switch-off are checked.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "support/ClockRig.h"

namespace {

constexpr int kRunSeconds = 48 * 3600;
constexpr int kCycles = 500;
constexpr int kStart = 6 * 3600;  // the clock starts at 6:00:00 AM

enum class Prompt { Armed, Cancelled, Refused, OffWhileWaiting };

// Reads the mute changes of each stretch of log: every "mute 1" is followed by a
// "mute 0" before the next "mute 1".
class MuteBalance {
  public:
    void read(const EventLog& log) {
        for (const std::string& entry : log) {
            if (entry == "mute 1") {
                EXPECT_FALSE(m_muted) << "muted twice without an unmute between";
                m_muted = true;
                ++m_mutes;
            } else if (entry == "mute 0") {
                m_muted = false;
            }
        }
    }
    bool muted() const { return m_muted; }
    int mutes() const { return m_mutes; }

  private:
    bool m_muted = false;
    int m_mutes = 0;
};

class LongRun {
  public:
    LongRun() : m_rig(kStart / 3600, 0, 0) {}

    // Ticks until `t` seconds after the start of the run.
    void runTo(int t) {
        EXPECT_GE(t, m_elapsed) << "a cycle ran into the next one";
        m_rig.run(t - m_elapsed);
        m_elapsed = t;
    }
    void runFor(int seconds) { runTo(m_elapsed + seconds); }

    int minuteOfDayNow() const { return m_rig.clock.secondsOfDay() / 60; }
    int secondsIntoMinute() const { return m_rig.clock.secondsOfDay() % 60; }

    void cycle(int i) {
        const bool french = i % 2 == 1;
        const bool track = i % 4 == 1 || i % 4 == 2;
        const Prompt prompt = i % 10 == 3   ? Prompt::Cancelled
                              : i % 10 == 7 ? Prompt::Refused
                              : i % 10 == 5 ? Prompt::OffWhileWaiting
                                            : Prompt::Armed;
        chooseLanguage(french);
        chooseTrack(track, i);

        const int alarm = (minuteOfDayNow() + 2) % (24 * 60);
        m_rig.arm(prompt == Prompt::Cancelled ? ""
                  : prompt == Prompt::Refused ? refusedText(i)
                                              : alarmText(alarm, i));
        if (prompt == Prompt::OffWhileWaiting) {
            EXPECT_EQ(m_rig.endpoints.muted, 1) << "cycle " << i;
            runFor(30);
            m_rig.form.butOnOff_Click();
            EXPECT_EQ(m_rig.endpoints.muted, 0) << "cycle " << i;
            runFor(150);
            EXPECT_FALSE(m_rig.form.blnAlarm) << "cycle " << i;
            EXPECT_TRUE(
                std::none_of(m_rig.log.begin(), m_rig.log.end(),
                             [](const std::string& e) { return e.rfind("track-open", 0) == 0; }))
                << "cycle " << i;
        } else if (prompt != Prompt::Armed) {
            EXPECT_EQ(m_rig.form.butOnOff.Tag, "0") << "cycle " << i;
            EXPECT_EQ(m_rig.dialogs.messages.size(), prompt == Prompt::Refused ? 1u : 0u);
            runFor(150);  // past the minute it would have rung at
            EXPECT_FALSE(m_rig.form.blnAlarm) << "cycle " << i;
        } else {
            ring(i, alarm, french, track);
        }
        endCycle(i);
    }

    void finish() {
        runTo(kRunSeconds);
        m_rig.form.Form_Unload();
        m_mutes.read(m_rig.log);
        EXPECT_FALSE(m_mutes.muted());
        EXPECT_EQ(m_rig.endpoints.muted, 0);
        EXPECT_EQ(m_rig.endpoints.objectsAlive, 0);
    }

    int elapsed() const { return m_elapsed; }
    int rings() const { return m_rings; }
    int mutes() const { return m_mutes.mutes(); }

  private:
    void chooseLanguage(bool french) {
        if ((m_rig.form.strLang == "fra") == french) return;
        m_rig.dialogs.answers.push_back(Dialogs::Yes);
        m_rig.form.butSettings_Click();
        ASSERT_EQ(m_rig.form.strLang, french ? "fra" : "eng");
    }

    void chooseTrack(bool wanted, int i) {
        if (m_rig.form.trackChosen() == wanted) return;
        if (wanted) m_rig.dialogs.files.push_back("/music/track" + std::to_string(i % 3) + ".mp3");
        m_rig.form.butTrack_Click();
        ASSERT_EQ(m_rig.form.trackChosen(), wanted);
    }

    // The forms a user types: "07:05", "07:05 AM", "7:05pm".
    static std::string alarmText(int minute, int i) {
        const int h = minute / 60, m = minute % 60, h12 = h % 12 == 0 ? 12 : h % 12;
        const char* half = h < 12 ? "AM" : "PM";
        char text[16];
        switch (i % 3) {
            case 0:
                std::snprintf(text, sizeof text, "%02d:%02d", h, m);
                break;
            case 1:
                std::snprintf(text, sizeof text, "%02d:%02d %s", h12, m, half);
                break;
            default:
                std::snprintf(text, sizeof text, "%d:%02d%s", h12, m, h < 12 ? "am" : "pm");
        }
        return text;
    }

    static std::string refusedText(int i) {
        const char* texts[] = {"25:00", "abc", "7h30", "12:60 PM"};
        return texts[i % 4];
    }

    void ring(int i, int alarm, bool french, bool track) {
        ASSERT_EQ(m_rig.form.butOnOff.Tag, "1") << "cycle " << i;
        EXPECT_EQ(m_rig.endpoints.muted, 1) << "cycle " << i;

        // Up to the last second before the alarm minute: waiting, muted.
        runFor(((alarm - minuteOfDayNow() + 1440) % 1440) * 60 - secondsIntoMinute() - 1);
        EXPECT_FALSE(m_rig.form.blnAlarm) << "cycle " << i;
        runFor(1);
        ASSERT_TRUE(m_rig.form.blnAlarm) << "cycle " << i;
        ++m_rings;
        EXPECT_EQ(m_rig.endpoints.muted, 0);
        EXPECT_TRUE(m_rig.logged("track-open " + (track ? m_rig.form.lblTrack.Caption
                                                        : std::string("/app/sounds/beep.wav"))))
            << "cycle " << i;

        // Two more announcements, then switched off: from inside the third
        // announcement in one cycle of three, else between ticks.
        runFor(2 * 60 - 1);
        if (i % 3 == 0) m_rig.onEvents = [this] { m_rig.form.butOnOff_Click(); };
        runFor(1);
        if (i % 3 != 0) {
            runFor(10);
            m_rig.form.butOnOff_Click();
        }
        const std::string wakeUp = french ? "reveille.wav" : "wake_up.wav";
        const auto clips = m_rig.clipsPlayed();
        EXPECT_EQ(std::count(clips.begin(), clips.end(), wakeUp), 3) << "cycle " << i;
        for (const std::string& path : m_rig.clips.played)
            EXPECT_NE(path.find(french ? "/sounds/fr/" : "/sounds/en/"), std::string::npos);

        EXPECT_FALSE(m_rig.form.blnAlarm) << "cycle " << i;
        EXPECT_EQ(m_rig.form.butOnOff.Tag, "0");
        EXPECT_EQ(m_rig.endpoints.muted, 0);
        EXPECT_NE(m_rig.wmp.state, TrackPlayer::Playing);
        runFor(5);
        EXPECT_FALSE(m_rig.form.blnAlarm) << "cycle " << i;
    }

    // What is held at the end of a cycle does not grow; the log of the cycle is
    // read and dropped, so that the run does not measure the test itself.
    void endCycle(int i) {
        EXPECT_LE(m_rig.endpoints.objectsAlive, 1) << "cycle " << i;
        EXPECT_EQ(m_rig.endpoints.muted, 0) << "cycle " << i;
        EXPECT_LE(m_rig.form.lstHour.List.size(), 24u);
        EXPECT_EQ(m_rig.form.lstMin.List.size(), 60u);
        EXPECT_EQ(m_rig.tray.messages.size(), m_trayMessages);
        m_mutes.read(m_rig.log);
        EXPECT_FALSE(m_mutes.muted()) << "cycle " << i;
        m_rig.log.clear();
        m_rig.clips.played.clear();
        m_rig.dialogs.asked.clear();
        m_rig.dialogs.messages.clear();
    }

    ClockRig m_rig;
    MuteBalance m_mutes;
    int m_elapsed = 0;
    int m_rings = 0;
    std::size_t m_trayMessages = m_rig.tray.messages.size();
};

TEST(LongRun, TwoDaysOfFiveHundredAlarmsHoldNothingAndLeaveTheOutputUnmuted) {
    LongRun run;
    for (int i = 0; i < kCycles; ++i) {
        run.runTo(static_cast<int>(static_cast<long long>(i) * kRunSeconds / kCycles));
        run.cycle(i);
        if (::testing::Test::HasFailure()) break;
    }
    run.finish();
    EXPECT_EQ(run.elapsed(), kRunSeconds);
    EXPECT_EQ(run.rings(), kCycles * 7 / 10);
    EXPECT_EQ(run.mutes(), kCycles * 8 / 10);
}

}  // namespace
