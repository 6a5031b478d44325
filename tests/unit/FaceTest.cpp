// The controls' rows and the form as a window: what lies under a point,
// when a release is a click, what each event leaves to redraw, and the
// window's own behaviour (hiding without a tray, a lost mouse, session end).

#include <gtest/gtest.h>

#include "clock/FormWindow.h"
#include "support/ClockRig.h"

namespace {

using face::Control;

struct HitCase {
    int x, y;
    Control expected;
};

class HitTest : public testing::TestWithParam<HitCase> {};

TEST_P(HitTest, FindsTheTopmostVisibleControl) {
    const HitCase& c = GetParam();
    // butSong is hidden, as it is while no track is chosen.
    const auto visible = [](Control control) { return control != Control::butSong; };
    EXPECT_EQ(face::controlAt(c.x, c.y, visible), c.expected) << c.x << "," << c.y;
}

INSTANTIATE_TEST_SUITE_P(
    Table, HitTest,
    testing::Values(HitCase{24, 64, Control::butOnOff},     // the top-left corner is inside
                    HitCase{73, 88, Control::butOnOff},     // so is the last pixel
                    HitCase{74, 64, Control::bg},           // the right edge is not
                    HitCase{24, 89, Control::bg},           // nor the bottom edge
                    HitCase{48, 63, Control::butSettings},  // the cog ends where the switch begins
                    HitCase{48, 64, Control::butOnOff},
                    HitCase{40, 140, Control::bg},  // butSong, hidden
                    HitCase{60, 129, Control::butBuzz}, HitCase{104, 144, Control::lblTime},
                    HitCase{443, 144, Control::bg}, HitCase{595, 3, Control::lblClose},
                    HitCase{596, 3, Control::bg}, HitCase{575, 33, Control::lblMinimize},
                    HitCase{0, 0, Control::bg}, HitCase{599, 299, Control::bg},
                    HitCase{-1, 10, Control::bg}));

struct ClickCase {
    const char* name;
    Control pressed;  // bg for no press at all when `press` is false
    bool press;
    bool lost;  // the mouse was lost between press and release
    Control released;
    int button;
    std::optional<Control> click;
    bool endsDrag;
};

class ClickRule : public testing::TestWithParam<ClickCase> {};

TEST_P(ClickRule, AClickIsALeftReleaseOverThePressedControl) {
    const ClickCase& c = GetParam();
    face::Pointer pointer;
    if (c.press) pointer.press(c.pressed);
    if (c.lost) pointer.lose();
    const face::Pointer::Release release = pointer.release(c.released, c.button);
    EXPECT_EQ(release.click, c.click) << c.name;
    EXPECT_EQ(release.endsDrag, c.endsDrag) << c.name;
    EXPECT_FALSE(pointer.dragging()) << c.name;
}

constexpr int kLeft = face::kLeftButton;
INSTANTIATE_TEST_SUITE_P(
    Table, ClickRule,
    testing::Values(ClickCase{"left on the switch", Control::butOnOff, true, false,
                              Control::butOnOff, kLeft, Control::butOnOff, false},
                    ClickCase{"right on the switch", Control::butOnOff, true, false,
                              Control::butOnOff, face::kRightButton, std::nullopt, false},
                    ClickCase{"pressed on one, released on another", Control::butOnOff, true, false,
                              Control::butTrack, kLeft, std::nullopt, false},
                    ClickCase{"released with no press in the window", Control::bg, false, false,
                              Control::butOnOff, kLeft, std::nullopt, false},
                    ClickCase{"the mouse lost in between", Control::butOnOff, true, true,
                              Control::butOnOff, kLeft, std::nullopt, false},
                    ClickCase{"a control without a handler", Control::lblTime, true, false,
                              Control::lblTime, kLeft, std::nullopt, false},
                    ClickCase{"a drag released over the switch", Control::bg, true, false,
                              Control::butOnOff, kLeft, std::nullopt, true},
                    ClickCase{"a drag with the middle button", Control::bg, true, false,
                              Control::bg, face::kMiddleButton, std::nullopt, true},
                    ClickCase{"a drag whose mouse was lost", Control::bg, true, true, Control::bg,
                              kLeft, std::nullopt, false}),
    [](const testing::TestParamInfo<ClickCase>& info) {
        return "case" + std::to_string(info.index);
    });

TEST(Face, TwipsAndTheTableInStackingOrder) {
    EXPECT_EQ(face::twipsOf(1), 15.0f);
    EXPECT_EQ(face::twipsOf(600), 9000.0f);
    for (size_t i = 0; i < face::controls().size(); ++i)
        EXPECT_EQ(static_cast<size_t>(face::controls()[i].id), i);
    EXPECT_EQ(face::rowOf(Control::lblTime).rect, (face::Rect{104, 144, 339, 97}));
    EXPECT_EQ(face::rgbOf(face::kCyan), 0x00FFFFu);
}

struct WindowRig : ClockRig {
    FormWindow rules{form};
    WindowRig() {
        rules.run([] {});
    }
};

TEST(FormWindow, ASecondRedrawsTheTimeAloneAndTheStateLineSaysIt) {
    WindowRig rig;
    rig.clock.advance(1);
    const Changes changes = rig.rules.tick();
    EXPECT_EQ(changes.controls.count(), 1u);
    EXPECT_TRUE(changes.changed(Control::lblTime));
    EXPECT_EQ(rig.rules.view(Control::lblTime).caption, "06:59:01");
    EXPECT_EQ(rig.rules.stateLine(),
              "lblTime \"06:59:01\" lblAMPM \"AM\" butOnOff 0 blnAlarm false");
}

TEST(FormWindow, TheRingIsAnAlertOnceAndTheSwitchSaysItRingsUntilSwitchedOff) {
    WindowRig rig;
    rig.arm("07:00 AM");
    EXPECT_EQ(rig.rules.run([] {}).alert, "");
    EXPECT_EQ(rig.rules.ringingAlert(), "");
    rig.clock.set(7, 0, 0);
    EXPECT_EQ(rig.rules.tick().alert, "Alarm 07:00 AM ringing");
    EXPECT_EQ(rig.rules.ringingAlert(), "Alarm 07:00 AM ringing");
    EXPECT_EQ(rig.rules.describe(Control::butOnOff).tooltip, "Ringing until you switch it off (A)");
    rig.clock.advance(1);
    EXPECT_EQ(rig.rules.tick().alert, "") << "told once";
    rig.rules.activate(Control::butOnOff);
    EXPECT_EQ(rig.rules.ringingAlert(), "");
    EXPECT_EQ(rig.rules.describe(Control::butOnOff).tooltip, "Switch the alarm on or off (A)");
}

TEST(FormWindow, ClicksReachTheirHandlers) {
    WindowRig rig;
    rig.dialogs.typed.push_back("7:00 AM");
    rig.rules.mouseDown(30, 70, face::kLeftButton);
    const Changes changes = rig.rules.mouseUp(30, 70, face::kLeftButton);
    EXPECT_TRUE(rig.form.armed());
    EXPECT_TRUE(changes.changed(Control::butOnOff));
    EXPECT_TRUE(changes.changed(Control::lblAlarm));
}

// When the front end's one timer is due, whatever the platform: the tick and
// the delayed mute, from the window's state and the time source. The last tick
// began at 06:59:30.250; times are in milliseconds after 06:59:30.
struct CadenceCase {
    const char* name;
    bool shownAtTick, shownAfter, ringing, muteWaits;
    long long later;  // seconds the clock moves after the tick
    long long due;
    bool ticks, mutes;  // what runs when it is due
};

class Cadence : public testing::TestWithParam<CadenceCase> {};

TEST_P(Cadence, TheFormSaysWhenItsTimersAreDue) {
    const CadenceCase& c = GetParam();
    WindowRig rig;
    const auto at = [&](long long ms) {
        const long long seconds = (ms - ((ms % 1000) + 1000) % 1000) / 1000;
        rig.clock.set(6, 59, 30);
        rig.clock.advance(seconds);
        rig.clock.millis = static_cast<int>(ms - seconds * 1000);
    };
    at(250);
    if (c.muteWaits) {
        rig.dialogs.typed.push_back("7:00 AM");
        rig.form.butOnOff_Click();
    }
    rig.window.visible = c.shownAtTick;
    rig.form.blnAlarm = c.ringing;
    rig.form.tmrTime_Timer();
    rig.window.visible = c.shownAfter;
    rig.clock.advance(c.later);
    const Instant now = rig.clock.instant();
    const std::optional<Instant> due = rig.rules.nextDue();
    ASSERT_TRUE(due) << c.name;
    at(c.due);
    EXPECT_EQ(*due, rig.clock.instant()) << c.name;
    if (*due < now) at(c.later * 1000 + 250);  // past: at once
    const int mutedBefore = rig.endpoints.muted;
    EXPECT_EQ(rig.form.timersDue(), c.ticks) << c.name;
    EXPECT_EQ(rig.endpoints.muted != mutedBefore, c.mutes) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Cadence,
    testing::Values(
        CadenceCase{"shown: the next second", true, true, false, false, 0, 1001, true, false},
        CadenceCase{"hidden: the next minute", false, false, false, false, 0, 30001, true, false},
        CadenceCase{"hidden and ringing: each second", false, false, true, false, 0, 1001, true,
                    false},
        CadenceCase{"shown again: at once", false, true, false, false, 5, 1001, true, false},
        CadenceCase{"hidden, the mute first", false, false, false, true, 0, 1750, false, true},
        CadenceCase{"shown, the tick first", true, true, false, true, 0, 1001, true, false},
        CadenceCase{"the clock set back: at once", true, true, false, false, -3600, -3599750, true,
                    false}),
    [](const testing::TestParamInfo<CadenceCase>& info) {
        return "case" + std::to_string(info.index);
    });

TEST(FormWindow, NothingIsDueOnceUnloaded) {
    WindowRig rig;
    rig.rules.unload();
    EXPECT_FALSE(rig.rules.nextDue());
}

TEST(FormWindow, ALostMouseEndsTheDrag) {
    WindowRig rig;
    rig.window.move(1500, 1500);
    rig.rules.mouseDown(300, 20, face::kLeftButton);
    EXPECT_TRUE(rig.form.blnMove);
    rig.rules.mouseLost();
    EXPECT_FALSE(rig.form.blnMove);
    rig.rules.mouseMove(310, 20, 0);  // the pointer moves on with no button held
    EXPECT_EQ(rig.window.x, 1500);
}

TEST(FormWindow, HidesToTheTrayOrMinimisesWithoutOne) {
    WindowRig rig;
    rig.rules.mouseDown(565, 10, face::kLeftButton);
    rig.rules.mouseUp(565, 10, face::kLeftButton);
    EXPECT_FALSE(rig.window.visible);
    EXPECT_FALSE(rig.window.minimized);
    // The tray host goes: the hidden window comes back, minimised.
    rig.tray.shown = false;
    rig.rules.trayChanged();
    EXPECT_TRUE(rig.window.minimized);

    WindowRig bare;
    bare.tray.shown = false;
    bare.rules.mouseDown(565, 10, face::kLeftButton);
    bare.rules.mouseUp(565, 10, face::kLeftButton);
    EXPECT_TRUE(bare.window.visible);
    EXPECT_TRUE(bare.window.minimized);
}

TEST(FormWindow, ASessionEndThatGoesOnKeepsTheClockAndItsMute) {
    WindowRig rig;
    rig.arm("7:00 AM");
    ASSERT_EQ(rig.endpoints.muted, 1);
    rig.rules.sessionQuery();
    EXPECT_EQ(rig.endpoints.muted, 0);  // the person's sound back while it may end
    rig.rules.sessionEnd(false);
    EXPECT_EQ(rig.endpoints.muted, 1);
    EXPECT_TRUE(rig.form.armed());
    EXPECT_TRUE(rig.form.tmrTime.Enabled);
    rig.runUntil(7, 0, 0);
    EXPECT_TRUE(rig.form.blnAlarm);

    WindowRig ending;
    ending.arm("7:00 AM");
    ending.rules.sessionQuery();
    ending.rules.sessionEnd(true);
    EXPECT_EQ(ending.endpoints.muted, 0);
    EXPECT_FALSE(ending.form.tmrTime.Enabled);
    EXPECT_EQ(ending.tray.messages.back(), NIM_DELETE);
}

}  // namespace
