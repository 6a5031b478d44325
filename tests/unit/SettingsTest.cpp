// The language switch, the track choice and the preset lists.

#include <gtest/gtest.h>

#include "support/ClockRig.h"

namespace {

const std::string kToFrench =
    "Change language to French?\r\n\r\nChangez de Language \u00e0 Fran\u00e7ais?";
const std::string kToEnglish =
    "Change language to English?\r\n\r\nChangez de Language \u00e0 Anglais?";
const std::string kNoTrackFra = "Aucune Chanson S\u00e9lection\u00e9e";

TEST(Language, YesSwitchesBothWaysAndTranslatesTheNoTrackText) {
    ClockRig rig;
    rig.dialogs.answers = {Dialogs::Yes, Dialogs::Yes};
    rig.form.butSettings_Click();
    EXPECT_EQ(rig.dialogs.asked[0].text, kToFrench);
    EXPECT_EQ(rig.dialogs.asked[0].title, "Options");
    EXPECT_EQ(rig.form.strLang, "fra");
    EXPECT_EQ(rig.form.lblTrack.Caption, kNoTrackFra);
    EXPECT_EQ(rig.form.lstHour.Text, "Heure");
    EXPECT_EQ(rig.form.lstMin.Text, "Minute");

    rig.form.butSettings_Click();
    EXPECT_EQ(rig.dialogs.asked[1].text, kToEnglish);
    EXPECT_EQ(rig.form.strLang, "eng");
    EXPECT_EQ(rig.form.lblTrack.Caption, "No Track Selected");
    EXPECT_EQ(rig.form.lstHour.Text, "Hour");
}

TEST(Language, NoKeepsTheLanguageButRefillsTheLists) {
    ClockRig rig;
    rig.form.lstHour.Text = "07";
    rig.form.lstMin.List.push_back("picked");
    rig.dialogs.answers = {Dialogs::No};
    rig.form.butSettings_Click();
    EXPECT_EQ(rig.form.strLang, "eng");
    EXPECT_EQ(rig.form.lstHour.Text, "Hour");
    EXPECT_EQ(rig.form.lstMin.List.size(), 60u);
}

TEST(Language, ChosenTrackIsLeftAlone) {
    ClockRig rig;
    rig.dialogs.files.push_back("/music/a.mp3");
    rig.form.butTrack_Click();
    rig.dialogs.answers = {Dialogs::Yes};
    rig.form.butSettings_Click();
    EXPECT_EQ(rig.form.lblTrack.Caption, "/music/a.mp3");
    // Dropped now, the track gives way to the no-track text of the language in force.
    rig.form.butTrack_Click();
    EXPECT_EQ(rig.form.lblTrack.Caption, kNoTrackFra);
}

TEST(Language, UnknownCodeAsksNothing) {
    ClockRig rig;
    rig.form.strLang = "deu";
    rig.form.lstHour.Text = "kept";
    rig.form.butSettings_Click();
    EXPECT_TRUE(rig.dialogs.asked.empty());
    EXPECT_EQ(rig.form.strLang, "deu");
    EXPECT_EQ(rig.form.lstHour.Text, "kept");
    EXPECT_EQ(rig.form.lstHour.List.size(), 12u);
}

TEST(Language, PromptAndClipsFollowTheNewLanguage) {
    ClockRig rig;
    rig.dialogs.answers = {Dialogs::Yes};
    rig.form.butSettings_Click();
    rig.arm("07:00");
    EXPECT_EQ(rig.dialogs.asked.back().title, "Set Alarm");
    EXPECT_EQ(rig.clipsPlayed(), (std::vector<std::string>{"sonnerie_active.wav"}));
    rig.form.butOnOff_Click();
    EXPECT_EQ(rig.clipsPlayed().back(), "sonnerie_deactive.wav");
}

TEST(Track, ChoosingAndDroppingSwapsTheIndicators) {
    ClockRig rig;
    EXPECT_TRUE(rig.form.butBuzz.Visible);
    EXPECT_FALSE(rig.form.butSong.Visible);

    rig.form.butTrack_Click();  // cancelled
    EXPECT_EQ(rig.dialogs.asked.back().title, "Select A File");
    EXPECT_EQ(rig.dialogs.asked.back().text, "Music (*.mp3, *.wmv)");
    EXPECT_EQ(rig.dialogs.lastDefaultExt, "mp3");
    EXPECT_EQ(rig.form.lblTrack.Caption, "No Track Selected");
    EXPECT_TRUE(rig.form.butBuzz.Visible);

    rig.dialogs.files.push_back("/music/wake me up.mp3");
    rig.form.butTrack_Click();
    EXPECT_EQ(rig.form.lblTrack.Caption, "/music/wake me up.mp3");
    EXPECT_FALSE(rig.form.butBuzz.Visible);
    EXPECT_TRUE(rig.form.butSong.Visible);
    EXPECT_FALSE(rig.logged("track-open /music/wake me up.mp3"));  // only stored

    rig.form.butTrack_Click();  // dropped at once, no dialog
    EXPECT_EQ(rig.form.lblTrack.Caption, "No Track Selected");
    EXPECT_TRUE(rig.form.butBuzz.Visible);
    EXPECT_FALSE(rig.form.butSong.Visible);
    EXPECT_TRUE(rig.logged("track-stop"));

    // The dialog opens again on the last chosen file.
    rig.form.butTrack_Click();
    EXPECT_EQ(rig.dialogs.lastInitialPath, "/music/wake me up.mp3");
}

TEST(Track, EitherNoTrackTextCountsAsNoTrack) {
    ClockRig rig;
    rig.form.lblTrack.Caption = kNoTrackFra;  // while the language is English
    rig.dialogs.files.push_back("/a.wmv");
    rig.form.butTrack_Click();
    EXPECT_EQ(rig.form.lblTrack.Caption, "/a.wmv");
}

TEST(Track, DroppingWhileRingingGivesWayToTheBeep) {
    ClockRig rig(6, 59, 59);
    rig.dialogs.files.push_back("/music/a.mp3");
    rig.form.butTrack_Click();
    rig.arm("07:00 AM");
    rig.run(1);
    ASSERT_EQ(rig.wmp.url(), "/music/a.mp3");
    rig.log.clear();
    rig.form.butTrack_Click();
    EXPECT_EQ(rig.log, (EventLog{"track-stop", "track-open /app/sounds/beep.wav"}));
    EXPECT_EQ(rig.wmp.playState(), TrackPlayer::Playing);
    EXPECT_TRUE(rig.wmp.looping);
    EXPECT_TRUE(rig.form.butBuzz.Visible);
    // The next minute announces over the beep, which goes on after it.
    rig.log.clear();
    rig.run(60);
    EXPECT_TRUE(rig.logged("track-play"));
    EXPECT_FALSE(rig.clipsPlayed().empty());
    // Switched off, dropping a track again stays silent.
    rig.form.butOnOff_Click();
    rig.dialogs.files.push_back("/music/a.mp3");
    rig.form.butTrack_Click();
    rig.log.clear();
    rig.form.butTrack_Click();
    EXPECT_FALSE(rig.logged("track-open /app/sounds/beep.wav"));
}

class PresetClock : public FakeClock {
  public:
    std::string text;
    std::string dateTimeText() override { return text; }
};

struct PresetCase {
    const char* dateTime;
    std::size_t hours;
    const char* first;
    const char* last;
};

class Presets : public testing::TestWithParam<PresetCase> {};

TEST_P(Presets, FollowTheClockConventionOfTheMoment) {
    ClockRig rig;
    PresetClock clock;
    clock.text = GetParam().dateTime;
    frmMain form(Platform{clock, rig.clips, rig.wmp, rig.dialogs, rig.window, rig.tray,
                          nullEndpointSystem(), [](const std::string&) {}, [] { return "/app"; },
                          [] {}});
    form.strLang = "eng";
    form.addAlarmPresets();
    form.addAlarmPresets();  // rebuilt, never doubled
    ASSERT_EQ(form.lstHour.List.size(), GetParam().hours);
    EXPECT_EQ(form.lstHour.List.front(), GetParam().first);
    EXPECT_EQ(form.lstHour.List.back(), GetParam().last);
    ASSERT_EQ(form.lstMin.List.size(), 60u);
    EXPECT_EQ(form.lstMin.List.front(), "00");
    EXPECT_EQ(form.lstMin.List[9], "09");
    EXPECT_EQ(form.lstMin.List.back(), "59");
    EXPECT_EQ(form.lstHour.Text, "Hour");
}

INSTANTIATE_TEST_SUITE_P(Table, Presets,
                         testing::Values(PresetCase{"12/8/26 7:05 AM", 12, "01", "12"},
                                         PresetCase{"12/8/26 7:05 PM", 12, "01", "12"},
                                         PresetCase{"08/12/2026 19:05", 24, "00", "23"},
                                         PresetCase{"12/8/26 7:05 a.m.", 24, "00", "23"},
                                         PresetCase{"12/8/26 7:05 pm", 24, "00", "23"},
                                         PresetCase{"", 24, "00", "23"}));

}  // namespace
