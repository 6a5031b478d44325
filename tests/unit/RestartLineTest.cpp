// The restart command line: read back as written, every bad value refused with
// a reason; a clock started with it comes back armed (mute and clip as at
// arming), with its track and language; the line is registered anew only when
// what it carries changes.

#include <gtest/gtest.h>

#include "clock/FormWindow.h"
#include "clock/RestartLine.h"
#include "support/ClockRig.h"
#include "ui/Texts.h"

namespace {

using Args = std::vector<std::string>;

struct ParseCase {
    Args arguments;
    RestartState state;
    std::string error;  // empty: taken
};

class ParseRestart : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseRestart, TakesOrRefusesWithAReason) {
    const ParseCase& c = GetParam();
    const RestartParse parsed = parseRestartArguments(c.arguments);
    EXPECT_EQ(parsed.error, c.error);
    if (c.error.empty()) {
        EXPECT_EQ(parsed.state, c.state);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseRestart,
    testing::Values(
        ParseCase{{}, {}, ""},
        ParseCase{{"--alarm=07:00 AM", "--track=C:\\Music\\a b.mp3", "--language=fra"},
                  {"07:00 AM", "C:\\Music\\a b.mp3", "fra"},
                  ""},
        ParseCase{{"--language", "eng", "--alarm", "18:00"}, {"18:00", "", "eng"}, ""},
        // A value after "=" may hold "=" and start with "-".
        ParseCase{{"--track=-a=b.mp3"}, {"", "-a=b.mp3", ""}, ""},
        ParseCase{
            {"--alarm=25:00"}, {}, "option '--alarm': '25:00' is not a time (07:00 AM, 18:00)"},
        ParseCase{{"--alarm=7"}, {}, "option '--alarm': '7' is not a time (07:00 AM, 18:00)"},
        ParseCase{{"--language=de"}, {}, "option '--language': 'de' is not eng or fra"},
        ParseCase{{"--language=ENG"}, {}, "option '--language': 'ENG' is not eng or fra"},
        ParseCase{{"--alarm"}, {}, "option '--alarm' needs a value"},
        ParseCase{{"--track="}, {}, "option '--track' needs a value"},
        ParseCase{{"--track=a\nb"}, {}, "option '--track': the value holds a control character"},
        ParseCase{{"--alarm=07:00", "--alarm=08:00"}, {}, "option '--alarm' is given twice"},
        ParseCase{{"--volume=3"}, {}, "unknown option '--volume'"},
        ParseCase{{"--"}, {}, "unexpected argument '--'"},
        ParseCase{{"07:00"}, {}, "unexpected argument '07:00'"},
        ParseCase{{"-alarm=07:00"}, {}, "unexpected argument '-alarm=07:00'"}));

struct QuoteCase {
    Args arguments;
    std::string line;
};

class WindowsQuoting : public testing::TestWithParam<QuoteCase> {};

TEST_P(WindowsQuoting, QuotesAsCommandLineToArgvReads) {
    EXPECT_EQ(windowsCommandLine(GetParam().arguments), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Table, WindowsQuoting,
                         testing::Values(QuoteCase{{}, ""},
                                         QuoteCase{{"--language=eng"}, "--language=eng"},
                                         QuoteCase{{"--alarm=07:00 AM", "--language=fra"},
                                                   "\"--alarm=07:00 AM\" --language=fra"},
                                         QuoteCase{{"a\\b c\\"}, "\"a\\b c\\\\\""},
                                         QuoteCase{{"say \"hi\\\""}, "\"say \\\"hi\\\\\\\"\""},
                                         QuoteCase{{""}, "\"\""}));

TEST(RestartArguments, WrittenAndReadBackAreTheSame) {
    for (const RestartState& state :
         {RestartState{}, RestartState{"07:00 AM", "/m/-x.mp3", "fra"},
          RestartState{"18:00", "", "eng"}, RestartState{"", "C:\\a \"b\".wav", ""}}) {
        const RestartParse parsed = parseRestartArguments(restartArguments(state));
        EXPECT_EQ(parsed.error, "");
        EXPECT_EQ(parsed.state, state);
    }
}

TEST(Resume, ComesBackArmedMutedWithItsTrackAndLanguageAndRings) {
    ClockRig rig(6, 59, 50);
    rig.form.resume({"07:00", "/music/réveil.mp3", "fra"});
    EXPECT_TRUE(rig.form.armed());
    EXPECT_EQ(rig.form.lblAlarm.Caption, "07:00");
    EXPECT_EQ(rig.form.lblTrack.Caption, "/music/réveil.mp3");
    EXPECT_TRUE(rig.form.butSong.Visible);
    EXPECT_EQ(rig.clipsPlayed(), (std::vector<std::string>{"sonnerie_active.wav"}));
    ASSERT_TRUE(rig.form.tmrSet.Enabled);
    rig.form.tmrSet_Timer();
    EXPECT_EQ(rig.endpoints.muted, 1);
    EXPECT_TRUE(rig.wake.due);

    rig.log.clear();
    rig.runUntil(7, 0, 0);
    EXPECT_TRUE(rig.logged("track-open /music/réveil.mp3"));
    EXPECT_EQ(rig.clipsPlayed(),
              (std::vector<std::string>{"sept.wav", "heure.wav", "am.wav", "reveille.wav"}));
}

TEST(Resume, LanguageAloneLeavesTheAlarmOffAndNamesNoTrackInIt) {
    ClockRig rig;
    rig.form.resume({"", "", "fra"});
    EXPECT_FALSE(rig.form.armed());
    EXPECT_EQ(rig.form.strLang, "fra");
    EXPECT_EQ(rig.form.lblTrack.Caption, texts::noTrackText("fra"));
    EXPECT_TRUE(rig.log.empty());
}

TEST(RestartRegistration, FollowsTheAlarmTrackAndLanguageOnly) {
    ClockRig rig(6, 30, 0);
    FormWindow window(rig.form);
    window.load();
    window.tick();
    rig.dialogs.typed.push_back("07:00 AM");
    window.activate(face::Control::butOnOff);
    rig.clock.advance(2);
    window.timersDue();
    window.tick();
    rig.dialogs.files.push_back("/m/a b.mp3");
    window.activate(face::Control::butTrack);
    rig.dialogs.answers.push_back(Dialogs::Yes);
    window.activate(face::Control::butSettings);
    window.activate(face::Control::butOnOff);  // switched off
    window.unload();
    window.activate(face::Control::butTrack);  // after the end: nothing registered
    EXPECT_EQ(rig.restartLines,
              (std::vector<Args>{{"--language=eng"},
                                 {"--alarm=07:00 AM", "--language=eng"},
                                 {"--alarm=07:00 AM", "--track=/m/a b.mp3", "--language=eng"},
                                 {"--alarm=07:00 AM", "--track=/m/a b.mp3", "--language=fra"},
                                 {"--track=/m/a b.mp3", "--language=fra"}}));
}

}  // namespace
