// Journeys through the talking alarm, from arming to switching off, with a fake
// clock that moves one tick at a time.

#include <gtest/gtest.h>

#include "support/ClockRig.h"

namespace {

using Clips = std::vector<std::string>;

TEST(AlarmJourney, EnglishFromArmingToSwitchingOff) {
    ClockRig rig(6, 59, 58);
    rig.dialogs.typed.push_back("07:00 AM");
    rig.form.butOnOff_Click();
    EXPECT_EQ(rig.form.lblAlarm.Caption, "07:00 AM");
    EXPECT_EQ(rig.form.butOnOff.Tag, "1");
    EXPECT_EQ(rig.form.butOnOff.Picture, rig.form.imgOn.Picture);
    EXPECT_EQ(rig.log, (EventLog{"clip /app/sounds/en/alarm_set.wav"}));
    // The mute timer starts only once the clip has been played out.
    EXPECT_TRUE(rig.form.tmrSet.Enabled);
    EXPECT_EQ(rig.form.tmrSet.Interval, 1500);
    rig.form.tmrSet_Timer();
    EXPECT_FALSE(rig.form.tmrSet.Enabled);
    EXPECT_EQ(rig.endpoints.muted, 1);
    // Armed: one lock keeps the computer awake until the alarm is switched off.
    EXPECT_TRUE(rig.sleep.held);
    EXPECT_EQ(rig.sleep.reasons, (std::vector<std::string>{"An alarm is set for 07:00 AM"}));

    rig.log.clear();
    rig.run(1);  // 6:59:59
    EXPECT_TRUE(rig.log.empty());
    rig.run(1);  // 7:00:00
    EXPECT_TRUE(rig.form.blnAlarm);
    EXPECT_EQ(rig.form.lblTime.Caption, "07:00:00");
    EXPECT_EQ(rig.log,
              (EventLog{"mute 0", "clip-stop", "track-open /app/sounds/beep.wav", "track-pause",
                        "clip /app/sounds/en/seven.wav", "clip /app/sounds/en/am.wav",
                        "clip /app/sounds/en/wake_up.wav", "track-play"}));
    EXPECT_TRUE(rig.wmp.looping);

    rig.log.clear();
    rig.run(59);  // nothing more within the minute
    EXPECT_TRUE(rig.log.empty());

    // At 7:01 a click during the announcement switches the alarm off.
    rig.onEvents = [&] { rig.form.butOnOff_Click(); };
    rig.run(1);
    EXPECT_EQ(rig.log, (EventLog{"track-pause", "mute 0", "clip /app/sounds/en/alarm_off.wav",
                                 "track-stop", "clip /app/sounds/en/seven.wav",
                                 "clip /app/sounds/en/zero.wav", "clip /app/sounds/en/one.wav",
                                 "clip /app/sounds/en/am.wav", "clip /app/sounds/en/wake_up.wav"}));
    EXPECT_FALSE(rig.form.blnAlarm);
    EXPECT_EQ(rig.form.butOnOff.Tag, "0");
    EXPECT_EQ(rig.form.butOnOff.Picture, rig.form.imgOff.Picture);
    EXPECT_EQ(rig.endpoints.muted, 0);
    EXPECT_EQ(rig.form.strAlarm, "07:00 AM");
    EXPECT_FALSE(rig.sleep.held);
    EXPECT_EQ(rig.sleep.taken, 1);

    // Switched off, the same time of day does not ring again.
    rig.log.clear();
    rig.run(24 * 3600);
    EXPECT_TRUE(rig.log.empty());
}

TEST(AlarmJourney, FrenchWithAChosenTrack) {
    ClockRig rig(6, 59, 50);
    rig.dialogs.answers.push_back(Dialogs::Yes);
    rig.form.butSettings_Click();
    rig.dialogs.files.push_back("/music/réveil.mp3");
    rig.form.butTrack_Click();
    rig.log.clear();

    rig.arm("07:00");
    EXPECT_EQ(rig.dialogs.asked.back().text,
              "Entrez l'heure pour sonnerie:\r\n\r\nex: 07:00 AM, 12:00 PM, 18:00 (aucun AM / PM)");
    EXPECT_EQ(rig.dialogs.asked.back().title, "Set Alarm");
    EXPECT_EQ(rig.clipsPlayed(), (Clips{"sonnerie_active.wav"}));

    rig.log.clear();
    rig.runUntil(7, 0, 0);
    EXPECT_TRUE(rig.logged("track-open /music/réveil.mp3"));
    EXPECT_EQ(rig.clipsPlayed(), (Clips{"sept.wav", "heure.wav", "am.wav", "reveille.wav"}));

    rig.runUntil(7, 20, 59);
    rig.log.clear();
    rig.run(1);
    EXPECT_EQ(rig.clipsPlayed(), (Clips{"sept.wav", "heure.wav", "vingt.wav", "et.wav", "un.wav",
                                        "am.wav", "reveille.wav"}));
    EXPECT_EQ(rig.form.strMinute, "21");
}

// Clips play off the window's thread: the window goes on while the clock speaks,
// and what follows a clip waits for the clip to be heard.
TEST(AlarmJourney, TheWindowGoesOnWhileTheClockSpeaks) {
    ClockRig rig(6, 59, 58);
    rig.clips.holdCompletions = true;
    rig.dialogs.typed.push_back("07:00 AM");
    rig.form.butOnOff_Click();
    EXPECT_FALSE(rig.form.tmrSet.Enabled) << "the mute timer must wait for the switch-on clip";
    rig.clips.finishClips();
    ASSERT_TRUE(rig.form.tmrSet.Enabled);
    rig.form.tmrSet_Timer();

    rig.run(2);  // 7:00:00 rings, and the track is paused for the words
    EXPECT_EQ(rig.wmp.state, TrackPlayer::Paused);
    rig.run(1);
    EXPECT_EQ(rig.form.lblTime.Caption, "07:00:01");
    EXPECT_EQ(rig.wmp.state, TrackPlayer::Paused);
    rig.clips.finishClips();
    EXPECT_EQ(rig.wmp.state, TrackPlayer::Playing);

    // Switched off during the next announcement: the track stays silent while
    // the words under way and the switch-off clip are heard, then it stops.
    rig.runUntil(7, 1, 0);
    rig.log.clear();
    rig.form.butOnOff_Click();
    EXPECT_EQ(rig.wmp.state, TrackPlayer::Paused);
    rig.clips.finishClips();
    EXPECT_EQ(rig.wmp.state, TrackPlayer::Stopped);
    EXPECT_FALSE(rig.logged("track-play"));

    rig.form.Form_Unload();
    EXPECT_TRUE(rig.logged("clip-clear")) << "clips still queued at shut-down are dropped";
}

TEST(AlarmJourney, AnnouncementLeavesAStillOpeningTrackAlone) {
    ClockRig rig(6, 59, 58);
    rig.wmp.opensPaused = true;
    rig.arm("7:00 AM");
    rig.log.clear();
    rig.run(2);
    EXPECT_FALSE(rig.logged("track-pause"));
    EXPECT_FALSE(rig.logged("track-play"));
    EXPECT_EQ(rig.clipsPlayed(), (Clips{"seven.wav", "am.wav", "wake_up.wav"}));
}

TEST(AlarmJourney, UnknownLanguageRingsWithoutSpeaking) {
    ClockRig rig(6, 59, 58);
    rig.arm("07:00 AM");
    rig.form.strLang = "deu";
    rig.log.clear();
    rig.run(2);
    EXPECT_TRUE(rig.form.blnAlarm);
    EXPECT_TRUE(rig.logged("track-open /app/sounds/beep.wav"));
    EXPECT_TRUE(rig.clipsPlayed().empty());
}

TEST(Arming, CancelLeavesTheAlarmOffAndSilent) {
    ClockRig rig;
    rig.form.strAlarm = "old";
    rig.form.lblAlarm.Caption = "06:00 AM";
    rig.form.butOnOff_Click();  // no text typed: Cancel
    EXPECT_EQ(rig.form.strAlarm, "");
    EXPECT_EQ(rig.form.lblAlarm.Caption, "06:00 AM");
    EXPECT_EQ(rig.form.butOnOff.Tag, "0");
    EXPECT_FALSE(rig.form.tmrSet.Enabled);
    EXPECT_TRUE(rig.log.empty());
    EXPECT_EQ(rig.sleep.taken, 0);
}

TEST(Arming, TextThatIsNoTimeIsRefusedWithAMessage) {
    for (const char* lang : {"eng", "fra"}) {
        for (const char* text : {"abc", "7", "25:00", "13:00 PM", " "}) {
            ClockRig rig;
            rig.form.strLang = lang;
            rig.form.lblAlarm.Caption = "before";
            rig.dialogs.typed.push_back(text);
            rig.form.butOnOff_Click();
            EXPECT_EQ(rig.form.strAlarm, text);
            EXPECT_EQ(rig.form.butOnOff.Tag, "0") << text;
            EXPECT_EQ(rig.form.lblAlarm.Caption, "before");
            EXPECT_FALSE(rig.form.tmrSet.Enabled);
            EXPECT_TRUE(rig.clipsPlayed().empty());
            EXPECT_EQ(rig.sleep.taken, 0);
            ASSERT_EQ(rig.dialogs.messages.size(), 1u);
            EXPECT_EQ(rig.dialogs.messages[0].title, "Set Alarm");
            const std::string example = std::string(lang) == "eng"
                                            ? "ex: 07:00 AM, 12:00 PM, 18:00 (no AM / PM)"
                                            : "ex: 07:00 AM, 12:00 PM, 18:00 (aucun AM / PM)";
            EXPECT_NE(rig.dialogs.messages[0].text.find(example), std::string::npos);
        }
    }
}

struct RingCase {
    const char* alarm;
    int hour, minute;  // when it must ring (24-hour)
};

class RingsAt : public testing::TestWithParam<RingCase> {};

TEST_P(RingsAt, OnlyInItsOwnDayHalf) {
    const RingCase& c = GetParam();
    ClockRig rig(c.hour, c.minute, 0);
    rig.clock.advance(-60 * 60 * 12 - 30);  // twelve hours and 30 s before
    rig.form.tmrTime_Timer();
    rig.arm(c.alarm);
    rig.run(60);
    EXPECT_FALSE(rig.form.blnAlarm) << "rang twelve hours early";
    const int before = ((c.hour * 60 + c.minute) * 60 + 86399) % 86400;
    rig.runUntil(before / 3600, before / 60 % 60, before % 60);
    EXPECT_FALSE(rig.form.blnAlarm);
    rig.run(1);
    EXPECT_TRUE(rig.form.blnAlarm);
}

INSTANTIATE_TEST_SUITE_P(Table, RingsAt,
                         testing::Values(RingCase{"12:00 AM", 0, 0}, RingCase{"12:00 PM", 12, 0},
                                         RingCase{"18:00", 18, 0}, RingCase{"07:00", 7, 0},
                                         RingCase{"7:00 pm", 19, 0},
                                         RingCase{" 06:30 AM ", 6, 30}));

TEST(Arming, DuringTheAlarmMinuteWaitsForTheNextDay) {
    ClockRig rig(7, 0, 10);
    rig.arm("07:00 AM");
    rig.run(23 * 3600 + 59 * 60 + 49);  // up to 6:59:59 the next day
    EXPECT_FALSE(rig.form.blnAlarm);
    rig.run(1);
    EXPECT_TRUE(rig.form.blnAlarm);
}

// The clock jumps from a time before a 07:00 AM alarm (a resume, a clock set
// forward) and lands some minutes after its minute.
struct LateCase {
    const char* what;
    int hour, minute, second;  // before the jump
    int jump;                  // seconds
    const char* lastWord;      // the clip before "am.wav" when it rings; null: missed
};

class JumpedOver : public testing::TestWithParam<LateCase> {};

TEST_P(JumpedOver, RingsOnceUpToAnHourLateElseIsMissedUnmutedOffAndTold) {
    const LateCase& c = GetParam();
    ClockRig rig(c.hour, c.minute, c.second);
    rig.arm("07:00 AM");
    ASSERT_EQ(rig.endpoints.muted, 1);
    rig.log.clear();
    rig.clock.advance(c.jump);
    rig.form.tmrTime_Timer();
    const Clips words = rig.clipsPlayed();
    rig.run(90);  // and on, over the next minute's first tick
    const auto opened =
        std::count(rig.log.begin(), rig.log.end(), std::string("track-open /app/sounds/beep.wav"));
    EXPECT_EQ(rig.endpoints.muted, 0) << "muted";
    if (c.lastWord) {
        EXPECT_TRUE(rig.form.blnAlarm) << "did not ring";
        EXPECT_EQ(opened, 1) << "rang " << opened << " times";
        ASSERT_GE(words.size(), 3u);
        EXPECT_EQ(words[words.size() - 3], c.lastWord);
        EXPECT_TRUE(rig.tray.balloons.empty());
        return;
    }
    EXPECT_EQ(opened, 0) << "rang";
    EXPECT_FALSE(rig.form.blnAlarm);
    EXPECT_FALSE(rig.form.armed());
    EXPECT_EQ(rig.form.butOnOff.Picture, rig.form.imgOff.Picture);
    EXPECT_FALSE(rig.sleep.held);
    EXPECT_TRUE(rig.clipsPlayed().empty()) << "nobody is there to hear a clip";
    EXPECT_EQ(rig.tray.balloons,
              (std::vector<std::string>{"Alarm 07:00 AM missed: the clock reached it more than "
                                        "60 minutes late. The alarm is off."}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, JumpedOver,
    testing::Values(LateCase{"1", 6, 55, 0, 6 * 60, "one.wav"},
                    LateCase{"1_same_digits", 6, 1, 30, 3600, "one.wav"},
                    LateCase{"20", 6, 50, 0, 30 * 60, "twenty.wav"},
                    LateCase{"20_same_digits", 6, 20, 10, 3600, "twenty.wav"},
                    LateCase{"59", 6, 30, 0, 89 * 60, "nine.wav"},
                    LateCase{"59_same_digits", 6, 59, 50, 3605, "nine.wav"},
                    LateCase{"60", 6, 30, 0, 90 * 60 + 30, "eight.wav"},
                    LateCase{"60_same_digits", 6, 0, 5, 2 * 3600, "eight.wav"},
                    LateCase{"over_midnight", 23, 10, 0, 8 * 3600 + 20 * 60, "thirty.wav"},
                    LateCase{"61", 6, 30, 0, 91 * 60, nullptr},
                    LateCase{"61_same_digits", 6, 1, 0, 2 * 3600, nullptr},
                    LateCase{"the_next_day", 6, 59, 50, 26 * 3600, nullptr}),
    [](const testing::TestParamInfo<LateCase>& info) { return std::string(info.param.what); });

TEST(MissedAlarm, PutsThePersonsOwnMuteBackAndTellsInTheClocksLanguage) {
    ClockRig rig(6, 30, 0);
    rig.endpoints.muted = 1;  // muted by the person before arming
    rig.dialogs.answers.push_back(Dialogs::Yes);
    rig.form.butSettings_Click();
    rig.arm("07:00");
    rig.clock.advance(2 * 3600);
    rig.form.tmrTime_Timer();
    EXPECT_FALSE(rig.form.armed());
    EXPECT_EQ(rig.endpoints.muted, 1);
    ASSERT_EQ(rig.tray.balloons.size(), 1u);
    EXPECT_EQ(rig.tray.balloons[0].rfind("Alarme de 07:00 manqu", 0), 0u) << rig.tray.balloons[0];
}

TEST(MissedAlarm, NeverCutsAnAlarmThatRings) {
    ClockRig rig(6, 59, 50);
    rig.arm("07:00 AM");
    rig.runUntil(7, 0, 0);
    ASSERT_TRUE(rig.form.blnAlarm);
    rig.clock.advance(26 * 3600);  // asleep past the next morning's alarm
    rig.form.tmrTime_Timer();
    EXPECT_TRUE(rig.form.blnAlarm);
    EXPECT_TRUE(rig.form.armed());
    EXPECT_TRUE(rig.tray.balloons.empty());
}

TEST(LateAlarm, ClockSetBackRingsWhenTheTimeComesRoundAgain) {
    ClockRig rig(7, 10, 0);
    rig.arm("07:30 AM");
    rig.clock.advance(-3600);
    rig.run(1);
    EXPECT_FALSE(rig.form.blnAlarm);
    rig.runUntil(7, 30, 0);
    EXPECT_TRUE(rig.form.blnAlarm);

    // Set back an hour while ringing: the announcements go on (the minute the
    // clock lands in is a new one, though its digits are the same), and the
    // track starts over when the alarm time comes round again.
    rig.clock.advance(-3600);
    rig.log.clear();
    rig.runUntil(6, 31, 0);
    EXPECT_EQ(rig.clipsPlayed(), (Clips{"six.wav", "thirty.wav", "am.wav", "wake_up.wav", "six.wav",
                                        "thirty.wav", "one.wav", "am.wav", "wake_up.wav"}));
    rig.log.clear();
    rig.runUntil(7, 30, 0);
    EXPECT_TRUE(rig.logged("track-open /app/sounds/beep.wav"));
}

TEST(Ringing, UnplayableTrackGivesWayToTheBeep) {
    ClockRig rig(6, 59, 58);
    rig.dialogs.files.push_back("/gone/song.mp3");
    rig.form.butTrack_Click();
    rig.arm("07:00 AM");
    rig.run(2);
    rig.log.clear();
    rig.form.wmp_Error();
    EXPECT_EQ(rig.log, (EventLog{"track-open /app/sounds/beep.wav"}));
    // The beep failing too does not loop forever.
    rig.log.clear();
    rig.form.wmp_Error();
    EXPECT_TRUE(rig.log.empty());
    // Announcements go on every minute.
    rig.run(60);
    EXPECT_EQ(rig.clipsPlayed(),
              (Clips{"seven.wav", "zero.wav", "one.wav", "am.wav", "wake_up.wav"}));
}

// The track fails, or the person drops it, while the words are heard: no clip
// is cut, and the beep starts once they have been heard.
TEST(Ringing, TheBeepNeitherCutsTheWordsNorSoundsUnderThem) {
    enum How { failed, failedWhileOpening, dropped };
    for (const How how : {failed, failedWhileOpening, dropped}) {
        ClockRig rig(6, 59, 59);
        rig.dialogs.files.push_back("/gone/song.mp3");
        rig.form.butTrack_Click();
        rig.arm("07:00 AM");
        rig.clips.holdCompletions = true;
        // A player that reports the failed file only after the words began.
        rig.wmp.opensPaused = how == failedWhileOpening;
        rig.run(1);
        rig.wmp.opensPaused = false;
        rig.log.clear();
        if (how == dropped) {
            rig.form.butTrack_Click();
            EXPECT_EQ(rig.log, (EventLog{"track-stop"}));
        } else {
            rig.form.wmp_Error();
            EXPECT_TRUE(rig.log.empty()) << how;
        }
        rig.log.clear();
        rig.clips.finishClips();
        EXPECT_EQ(rig.log, (EventLog{"track-open /app/sounds/beep.wav"})) << how;
        EXPECT_EQ(rig.wmp.state, TrackPlayer::Playing);
        if (how == dropped) continue;
        // Between announcements the beep takes over at once.
        rig.form.lblTrack.Caption = "/gone/other.mp3";
        rig.runUntil(7, 1, 0);
        rig.clips.finishClips();
        rig.log.clear();
        rig.wmp.open("/gone/other.mp3");
        rig.form.wmp_Error();
        EXPECT_EQ(rig.wmp.state, TrackPlayer::Playing);
        EXPECT_FALSE(rig.logged("track-pause"));
    }
}

TEST(Ringing, ATrackThatGivesNoSoundGivesWayToTheBeep) {
    ClockRig rig(6, 59, 59);
    rig.dialogs.files.push_back("/music/stalls.m4a");
    rig.form.butTrack_Click();
    rig.arm("07:00 AM");
    rig.wmp.silent = true;
    rig.run(1);  // 7:00:00 rings; after the announcement the track plays, silent
    ASSERT_EQ(rig.wmp.url(), "/music/stalls.m4a");
    rig.run(1);
    EXPECT_EQ(rig.wmp.url(), "/music/stalls.m4a") << "a moment of silence is allowed";
    rig.run(1);  // 7:00:02
    EXPECT_EQ(slashed(rig.wmp.url()), "/app/sounds/beep.wav");
    EXPECT_EQ(rig.wmp.state, TrackPlayer::Playing);
    // The beep silent too: nothing more to try, and nothing loops.
    rig.log.clear();
    rig.run(10);
    EXPECT_FALSE(rig.logged("track-open /app/sounds/beep.wav"));
}

TEST(Ringing, PlayerErrorWhileNotRingingIsIgnored) {
    ClockRig rig;
    rig.form.wmp_Error();
    EXPECT_TRUE(rig.log.empty());
}

TEST(NeverLeftMuted, SwitchingOffBeforeTheDelayedMuteCancelsIt) {
    ClockRig rig;
    rig.dialogs.typed.push_back("07:00 AM");
    rig.form.butOnOff_Click();
    rig.form.butOnOff_Click();  // off again within 1.5 s
    EXPECT_FALSE(rig.form.tmrSet.Enabled);
    rig.form.tmrSet_Timer();  // a late timer event changes nothing
    EXPECT_EQ(rig.endpoints.muted, 0);
    EXPECT_FALSE(rig.logged("mute 1"));
}

TEST(NeverLeftMuted, DelayedMuteDoesNotFireIntoRinging) {
    ClockRig rig(6, 59, 59);
    rig.dialogs.typed.push_back("07:00 AM");
    rig.form.butOnOff_Click();
    rig.run(1);  // rings before the 1.5 s are up
    ASSERT_TRUE(rig.form.blnAlarm);
    rig.form.tmrSet_Timer();
    EXPECT_FALSE(rig.logged("mute 1"));
}

TEST(NeverLeftMuted, ShutDownClearsOnlyTheClocksOwnMute) {
    {
        ClockRig rig;  // never armed: the user's own mute is left alone
        rig.endpoints.muted = 1;
        rig.form.Form_Unload();
        EXPECT_EQ(rig.endpoints.muted, 1);
        EXPECT_FALSE(rig.logged("mute 0"));
    }
    {
        ClockRig rig;  // waiting and muted by the clock
        rig.arm("07:00 AM");
        rig.form.Form_Unload();
        EXPECT_EQ(rig.endpoints.muted, 0);
        EXPECT_FALSE(rig.sleep.held);
        rig.form.Form_Unload();  // runs once
        EXPECT_EQ(std::count(rig.log.begin(), rig.log.end(), "mute 0"), 1);
    }
    {
        ClockRig rig(6, 59, 59);  // ringing: the track stops, the mute was cleared
        rig.arm("07:00 AM");
        rig.run(1);
        rig.log.clear();
        rig.form.Form_Unload();
        EXPECT_EQ(rig.endpoints.muted, 0);
        EXPECT_TRUE(rig.logged("track-stop"));
        EXPECT_EQ(rig.endpoints.objectsAlive, 0);
    }
}

struct MuteCase {
    const char* name;
    int userMute;  // the output's mute before arming
    bool rings;    // the alarm rings before the end
    bool closes;   // the clock closes instead of being switched off
    int after;     // the output's mute at the end
    // Headphones become the default while the alarm waits, with the person's
    // mute on them, and their mute at the end (-1: none plugged in).
    int headphonesMute = -1;
    int headphonesAfter = -1;
    bool unplugged = false;  // and are unplugged again before the end
};

TEST(UsersOwnMute, IsPutBackOnEachOutputUnlessTheAlarmRang) {
    const MuteCase cases[] = {
        {"muted, switched off while waiting", 1, false, false, 1},
        {"unmuted, switched off while waiting", 0, false, false, 0},
        {"muted, closed while waiting", 1, false, true, 1},
        {"unmuted, closed while waiting", 0, false, true, 0},
        {"muted, switched off after ringing", 1, true, false, 0},
        {"muted, closed while ringing", 1, true, true, 0},
        {"new default, switched off while waiting", 0, false, false, 0, 0, 0},
        {"new default, muted first output, switched off", 1, false, false, 1, 0, 0},
        {"new default muted by the person, closed while waiting", 0, false, true, 0, 1, 1},
        {"new default, rings", 1, true, false, 0, 1, 0},
        {"new default unplugged, switched off", 0, false, false, 0, 0, -1, true},
        {"new default unplugged, rings", 0, true, false, 0, 0, -1, true},
    };
    for (const MuteCase& c : cases) {
        ClockRig rig(6, 59, 50);
        rig.endpoints.muted = c.userMute;
        rig.arm("07:00 AM");
        ASSERT_EQ(rig.endpoints.muted, 1) << c.name;
        if (c.headphonesMute >= 0) {
            rig.endpoints.muteOf("headphones") = c.headphonesMute;
            rig.endpoints.setDefault("headphones");
            EXPECT_EQ(rig.endpoints.muteOf("headphones"), 1) << c.name << ": muted too";
            EXPECT_EQ(rig.endpoints.muted, 1) << c.name;
        }
        if (c.unplugged) {
            rig.endpoints.unplug("headphones");
            rig.endpoints.setDefault("speakers");
        }
        if (c.rings) rig.runUntil(7, 0, 0);
        ASSERT_EQ(rig.form.blnAlarm, c.rings) << c.name;
        if (c.closes)
            rig.form.Form_Unload();
        else
            rig.form.butOnOff_Click();
        EXPECT_EQ(rig.endpoints.muted, c.after) << c.name;
        if (c.headphonesAfter >= 0) {
            EXPECT_EQ(rig.endpoints.muteOf("headphones"), c.headphonesAfter) << c.name;
        }
        EXPECT_TRUE(rig.endpoints.listeners.empty()) << c.name << ": still listening";
        // A later change of default is none of the clock's business.
        rig.endpoints.setDefault("speakers");
        rig.endpoints.setDefault("hdmi");
        EXPECT_EQ(rig.endpoints.muteOf("hdmi"), 0) << c.name;
    }
}

struct LevelCase {
    const char* name;
    float level;              // the output's level before arming
    const char* end;          // "switched off", "closed", or "before the ring"
    float changedTo = -1;     // the person's level while it rings (-1: left alone)
    float atRing;             // the level while it rings
    float after;              // the level at the end
    bool headphones = false;  // headphones are the default by the ring
};

TEST(LevelFloor, AnOutputTurnedDownRingsAtHalfAndGetsThePersonsLevelBack) {
    const LevelCase cases[] = {
        {"turned down, switched off", 0.05f, "switched off", -1, 0.5f, 0.05f},
        {"turned down, closed while ringing", 0.05f, "closed", -1, 0.5f, 0.05f},
        {"silent, switched off", 0.0f, "switched off", -1, 0.5f, 0.0f},
        {"changed by the person while ringing", 0.05f, "switched off", 0.3f, 0.3f, 0.3f},
        {"at the floor: untouched", 0.5f, "switched off", -1, 0.5f, 0.5f},
        {"above the floor: untouched", 0.8f, "switched off", -1, 0.8f, 0.8f},
        {"switched off before the ring: untouched", 0.05f, "before the ring", -1, 0.05f, 0.05f},
        {"the new default is raised", 0.05f, "switched off", -1, 0.5f, 0.05f, true},
    };
    for (const LevelCase& c : cases) {
        ClockRig rig(6, 59, 50);
        const std::string output = c.headphones ? "headphones" : "speakers";
        rig.endpoints.levelOf(output) = c.level;
        rig.endpoints.levelOf("speakers") = c.headphones ? 0.05f : c.level;
        rig.arm("07:00 AM");
        if (c.headphones) rig.endpoints.setDefault("headphones");
        if (std::string(c.end) == "before the ring") {
            rig.form.butOnOff_Click();
            rig.runUntil(7, 0, 0);
        } else {
            rig.runUntil(7, 0, 0);
            ASSERT_TRUE(rig.form.blnAlarm) << c.name;
            if (c.changedTo >= 0) rig.endpoints.levelOf(output) = c.changedTo;
        }
        EXPECT_FLOAT_EQ(rig.endpoints.levelOf(output), c.atRing) << c.name;
        if (std::string(c.end) == "switched off" && rig.form.blnAlarm) rig.form.butOnOff_Click();
        if (std::string(c.end) == "closed") rig.form.Form_Unload();
        EXPECT_FLOAT_EQ(rig.endpoints.levelOf(output), c.after) << c.name;
        if (c.headphones) {
            EXPECT_FLOAT_EQ(rig.endpoints.levelOf("speakers"), 0.05f) << c.name << ": not rung on";
        }
        const bool raised = c.atRing != c.level && c.changedTo < 0;
        EXPECT_EQ(std::count_if(rig.log.begin(), rig.log.end(),
                                [](const std::string& e) { return e.rfind("level", 0) == 0; }),
                  raised             ? 2
                  : c.changedTo >= 0 ? 1
                                     : 0)
            << c.name;
    }
}

TEST(Ringing, NoAudioDeviceStillRingsAndAnnounces) {
    ClockRig rig(6, 59, 58);
    rig.endpoints.available = false;
    rig.arm("07:00 AM");
    rig.run(2);
    EXPECT_TRUE(rig.form.blnAlarm);
    EXPECT_EQ(rig.clipsPlayed().size(), 4u);  // alarm_set, seven, am, wake_up
    EXPECT_EQ(rig.form.strSecond, "00");
}

TEST(Tick, NestedTickInsideAnAnnouncementIsRefused) {
    ClockRig rig(6, 59, 59);
    rig.arm("07:00 AM");
    rig.onEvents = [&] {
        rig.clock.advance(1);
        rig.form.tmrTime_Timer();
    };
    rig.log.clear();
    rig.run(1);
    // One announcement only, and the tick still stored its parts.
    EXPECT_EQ(rig.clipsPlayed(), (Clips{"seven.wav", "am.wav", "wake_up.wav"}));
    EXPECT_EQ(rig.form.strMinute, "00");
}

}  // namespace
