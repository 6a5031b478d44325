// The record of a mute the clock holds: its text, its life beside the mute,
// and the repair at the next start after a clock that did not end.

#include "clock/MuteRecord.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/ClockRig.h"

namespace {

namespace fs = std::filesystem;

// A fresh state folder for one test, removed afterwards.
struct StateFolder {
    fs::path path;
    StateFolder() {
        static int count = 0;
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        path = fs::temp_directory_path() /
               ("alarm-state-" + std::string(test->name()) + "-" + std::to_string(++count));
        fs::remove_all(path);
    }
    ~StateFolder() { fs::remove_all(path); }
    fs::path record() const { return recordFile(path); }
    void write(const std::string& text) const {
        fs::create_directories(path);
        std::ofstream(record(), std::ios::binary) << text;
    }
    std::string text() const {
        std::ostringstream out;
        out << std::ifstream(record(), std::ios::binary).rdbuf();
        return out.str();
    }
};

TEST(MuteRecordText, ReadsBackWhatItWritesAndNothingElse) {
    const MuteRecord record{
        1765263600,
        {{"alsa_output.pci.analog-stereo", false}, {"{0.0.0.00000000}.{a1b2} with spaces", true}},
        {}};
    EXPECT_EQ(recordText(record),
              "alarm-clock mute record 1\nsince 1765263600\n"
              "output 0 alsa_output.pci.analog-stereo\n"
              "output 1 {0.0.0.00000000}.{a1b2} with spaces\n");
    EXPECT_EQ(parseRecord(recordText(record)), record);
    const MuteRecord levels{5, {}, {{"usb dac", 50000, 500000}, {"speakers", 0, 1000000}}};
    EXPECT_EQ(recordText(levels),
              "alarm-clock mute record 1\nsince 5\n"
              "level 50000 500000 usb dac\nlevel 0 1000000 speakers\n");
    EXPECT_EQ(parseRecord(recordText(levels)), levels);
    const char* garbage[] = {
        "",
        "garbage\n",
        "alarm-clock mute record 1\nsince 1\n",  // no output
        "alarm-clock mute record 2\nsince 1\noutput 0 a\n",
        "alarm-clock mute record 1\nsince -1\noutput 0 a\n",
        "alarm-clock mute record 1\nsince 1x\noutput 0 a\n",
        "alarm-clock mute record 1\nsince 1\noutput 2 a\n",
        "alarm-clock mute record 1\nsince 1\noutput 0 \n",
        "alarm-clock mute record 1\nsince 1\noutput 0 a",  // cut short
        "alarm-clock mute record 1\nsince 1\n\noutput 0 a\n",
        "alarm-clock mute record 1\r\nsince 1\r\noutput 0 a\r\n",
        "alarm-clock mute record 1\nsince 1\nlevel 1 2\n",  // no id
        "alarm-clock mute record 1\nsince 1\nlevel 1 2 \n",
        "alarm-clock mute record 1\nsince 1\nlevel 1000001 2 a\n",  // beyond the range
        "alarm-clock mute record 1\nsince 1\nlevel 1 -2 a\n",
        "alarm-clock mute record 1\nsince 1\nlevel x 2 a\n",
    };
    for (const char* text : garbage) EXPECT_FALSE(parseRecord(text)) << text;
}

// While the clock holds a mute the record names every output it muted; it
// goes when the mute is let go, whichever way.
TEST(MuteRecordLife, KeptWhileTheMuteIsHeldAndGoneAfter) {
    for (const char* end : {"switched off", "closed", "rang"}) {
        StateFolder state;
        ClockRig rig(6, 59, 50, state.path);
        rig.arm("07:00 AM");
        std::optional<MuteRecord> record = parseRecord(state.text());
        ASSERT_TRUE(record) << end;
        EXPECT_EQ(record->outputs, (std::vector<HeldOutput>{{"speakers", false}}));
        EXPECT_GT(record->since, 1700000000);
        rig.endpoints.muteOf("headphones") = 1;
        rig.endpoints.setDefault("headphones");
        record = parseRecord(state.text());
        ASSERT_TRUE(record);
        EXPECT_EQ(record->outputs,
                  (std::vector<HeldOutput>{{"speakers", false}, {"headphones", true}}));
        if (end == std::string("switched off")) rig.form.butOnOff_Click();
        if (end == std::string("closed")) rig.form.Form_Unload();
        if (end == std::string("rang")) rig.runUntil(7, 0, 0);
        EXPECT_FALSE(fs::exists(state.record())) << end;
        EXPECT_FALSE(fs::exists(fs::path(state.record()) += ".new")) << end;
    }
}

// A level raised for the ring is recorded until the person's level is back.
TEST(MuteRecordLife, KeptWhileALevelIsRaised) {
    StateFolder state;
    ClockRig rig(6, 59, 50, state.path);
    rig.endpoints.levelOf("speakers") = 0.05f;
    rig.arm("07:00 AM");
    rig.runUntil(7, 0, 0);
    const std::optional<MuteRecord> record = parseRecord(state.text());
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->outputs.empty());
    EXPECT_EQ(record->levels, (std::vector<RaisedLevel>{{"speakers", 50000, 500000}}));
    rig.form.butOnOff_Click();
    EXPECT_FALSE(fs::exists(state.record()));
}

// A state folder that cannot be made (a file stands where it belongs): the
// person is told once at arming, with the system's reason, and the mute is
// held all the same.
TEST(MuteRecordLife, AFolderThatCannotBeWrittenIsToldOnceAtArming) {
    StateFolder state;
    std::ofstream(state.path, std::ios::binary) << "a file, not a folder";
    ClockRig rig(6, 30, 0, state.path / "alarm-clock");
    for (int arming = 1; arming <= 2; ++arming) {
        rig.arm("07:00 AM");
        EXPECT_EQ(rig.endpoints.muteOf(rig.endpoints.defaultId), 1);
        rig.endpoints.setDefault(arming == 1 ? "headphones" : "speakers");  // written again
        ASSERT_EQ(rig.tray.balloons.size(), static_cast<size_t>(arming));
        const std::string told = rig.tray.balloons.back();
        EXPECT_EQ(told.rfind("The clock cannot write to " + (state.path / "alarm-clock").string() +
                                 " (Not a directory). Should it stop unexpectedly",
                             0),
                  0u)
            << told;
        rig.form.butOnOff_Click();
    }
    fs::remove(state.path);
}

struct RepairCase {
    const char* name;
    std::string record;  // empty: none
    int speakersMute;    // as the start finds them
    int speakersAfter;
    bool unmutes;  // the start's first act is to unmute the speakers
    bool recordLeft = false;
    bool serviceDown = false;
    float speakersLevel = 1.0f;  // as the start finds it
    float levelAfter = 1.0f;
};

TEST(MuteRecordRepair, AtStartBeforeAnythingElse) {
    const std::string record = "alarm-clock mute record 1\nsince 5\n";
    const std::string left = record + "output 0 speakers\n";
    const RepairCase cases[] = {
        {"no record", {}, 1, 1, false},
        {"left muted by the clock", left, 1, 0, true},
        {"muted by the person before", record + "output 1 speakers\n", 1, 1, false},
        {"unmuted since", left, 0, 0, true},
        {"output gone", record + "output 0 usb-dac\n", 1, 1, false},
        {"two outputs", record + "output 0 usb-dac\noutput 0 speakers\n", 1, 0, true},
        {"garbage", "\x01\x02 not a record", 1, 1, false},
        {"no sound service yet", left, 1, 1, false, true, true},
        {"level raised for the ring", record + "level 50000 500000 speakers\n", 0, 0, false, false,
         false, 0.5f, 0.05f},
        {"level changed since", record + "level 50000 500000 speakers\n", 0, 0, false, false, false,
         0.8f, 0.8f},
        {"muted and raised", left + "level 50000 500000 speakers\n", 1, 0, true, false, false, 0.5f,
         0.05f},
        {"level of an output gone", record + "level 50000 500000 usb-dac\n", 0, 0, false, false,
         false, 0.5f, 0.5f},
    };
    for (const RepairCase& c : cases) {
        StateFolder state;
        if (!c.record.empty()) state.write(c.record);
        ClockRig rig(6, 0, 0, state.path, [&](ClockRig& r) {
            r.endpoints.muted = c.speakersMute;
            r.endpoints.available = !c.serviceDown;
            r.endpoints.levelOf("speakers") = c.speakersLevel;
        });
        EXPECT_EQ(rig.endpoints.muted, c.speakersAfter) << c.name;
        EXPECT_FLOAT_EQ(rig.endpoints.levelOf("speakers"), c.levelAfter) << c.name;
        EXPECT_EQ(fs::exists(state.record()), c.recordLeft) << c.name;
        if (c.unmutes) {
            // The first thing the start did.
            ASSERT_FALSE(rig.loadLog.empty());
            EXPECT_EQ(rig.loadLog.front(), "mute 0") << c.name;
        } else {
            EXPECT_EQ(std::count(rig.loadLog.begin(), rig.loadLog.end(), "mute 0"), 0) << c.name;
        }
        EXPECT_EQ(rig.form.lblTime.Caption, "06:00:00") << c.name << ": the clock goes on";
    }
}

}  // namespace
