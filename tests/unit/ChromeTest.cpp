// Dragging the borderless window, hiding and closing it, and the tray's
// notifications arriving as mouse moves.

#include <gtest/gtest.h>

#include "support/ClockRig.h"
#include "tray/TrayBackend.h"

namespace {

struct ReleaseCase {
    int left, top;
    int endLeft, endTop;
};

class DragRelease : public testing::TestWithParam<ReleaseCase> {};

TEST_P(DragRelease, SendsTheWindowHomePastTheLimits) {
    ClockRig rig;
    const ReleaseCase& c = GetParam();
    rig.window.move(c.left, c.top);
    rig.form.bg_MouseDown(1, 0, 0);
    rig.form.bg_MouseUp(1, 0, 0);
    EXPECT_EQ(rig.window.x, c.endLeft);
    EXPECT_EQ(rig.window.y, c.endTop);
    EXPECT_FALSE(rig.form.blnMove);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DragRelease,
    testing::Values(ReleaseCase{23699, 500, 23699, 500}, ReleaseCase{23700, 500, 0, 0},
                    ReleaseCase{500, 10109, 500, 10109}, ReleaseCase{500, 10110, 0, 0},
                    ReleaseCase{30000, 20000, 0, 0}, ReleaseCase{-3000, -1500, -3000, -1500}));

TEST(Drag, TopLeftCornerJumpsToThePointerWithAnyButton) {
    for (int button : {1, 2, 4}) {
        ClockRig rig;
        rig.window.move(1500, 1500);
        rig.form.bg_MouseDown(button, 4500, 2250);  // grabbed in the middle
        rig.form.bg_MouseMove(button, 4515, 2250);  // moved by one pixel
        EXPECT_EQ(rig.window.x, 6015);
        EXPECT_EQ(rig.window.y, 3750);
        rig.form.bg_MouseMove(button, 15, -15);
        EXPECT_EQ(rig.window.x, 6030);
        EXPECT_EQ(rig.window.y, 3735);
    }
}

TEST(Chrome, MinimiseHidesAndMovesOverTheBackgroundShow) {
    ClockRig rig;
    rig.form.lblMinimize_Click();
    EXPECT_FALSE(rig.window.visible);
    EXPECT_FALSE(rig.form.blnMove);  // the corner labels never start a drag
    rig.form.bg_MouseMove(0, 100, 100);
    EXPECT_TRUE(rig.window.visible);
    rig.form.lblMinimize_Click();
    rig.form.bg_Click();
    EXPECT_TRUE(rig.window.visible);
}

TEST(Chrome, CloseUnloadsTheWindow) {
    ClockRig rig;
    rig.form.lblClose_Click();
    EXPECT_TRUE(rig.window.closed);
}

// Every tray click lands on the background (shown) and none hides the window;
// balloon notifications only reach the tray manager.
TEST(TrayNotifications, AnyClickShowsTheWindowAndNoneHidesIt) {
    for (int number : {512, 513, shell::WM_LBUTTONUP, shell::WM_LBUTTONDBLCLK, 516,
                       shell::WM_RBUTTONUP, shell::WM_MBUTTONUP}) {
        ClockRig rig;
        rig.form.lblMinimize_Click();
        rig.form.SysTray_Notification(number);
        EXPECT_TRUE(rig.window.visible) << number;
        EXPECT_EQ(rig.window.x, 0);
    }
}

TEST(TrayNotifications, BalloonClicksReachOnlyTheTrayManager) {
    ClockRig rig;
    int clicked = 0;
    rig.form.SysTray->BalloonClicked = [&] { ++clicked; };
    rig.form.lblMinimize_Click();
    rig.form.SysTray_Notification(shell::NIN_BALLOONUSERCLICK);
    EXPECT_FALSE(rig.window.visible);
    // Handed on in twips, the number no longer matches the decode table.
    EXPECT_EQ(clicked, 0);
    int16_t button = 1;
    rig.form.SysTray->MouseMove(button, shell::NIN_BALLOONUSERCLICK, rig.window);
    EXPECT_EQ(clicked, 1);
}

TEST(Startup, FontsThenFaceThenPresetsStateAndTray) {
    ClockRig rig;
    EXPECT_EQ(rig.fonts, (std::vector<std::string>{"/app/DS-DIGI.TTF", "/app/DS-DIGIB.TTF",
                                                   "/app/DS-DIGII.TTF", "/app/DS-DIGIT.TTF"}));
    EXPECT_EQ(rig.form.lblTime.FontName, "DS-DIGITAL");
    EXPECT_TRUE(rig.form.lblTime.FontBold);
    EXPECT_EQ(rig.form.lblAMPM.FontName, "DS-DIGITAL");
    EXPECT_EQ(rig.form.strLang, "eng");
    EXPECT_TRUE(rig.form.butBuzz.Visible);
    EXPECT_FALSE(rig.form.butSong.Visible);
    EXPECT_EQ(rig.form.butOnOff.Tag, "0");
    EXPECT_EQ(rig.form.lstHour.List.size(), 12u);
    ASSERT_TRUE(rig.form.SysTray);
    EXPECT_EQ(rig.form.SysTray->TooltipText(), "Alarm Clock");
    ASSERT_FALSE(rig.tray.messages.empty());
    EXPECT_EQ(rig.tray.messages.front(), NIM_ADD);
    rig.form.Form_Unload();
    EXPECT_EQ(rig.tray.messages.back(), NIM_DELETE);
}

TEST(Tick, FirstTickIsANewMinuteAndStoresTheParts) {
    ClockRig rig(7, 5, 9);  // the rig has run Form_Load and one tick
    EXPECT_EQ(rig.form.lblTime.Caption, "07:05:09");
    EXPECT_EQ(rig.form.lblAMPM.Caption, "AM");
    EXPECT_EQ(rig.form.strHour, "7");
    EXPECT_EQ(rig.form.strMinute, "05");
    EXPECT_EQ(rig.form.strSecond, "09");
    rig.clock.set(12, 30, 0);
    rig.form.tmrTime_Timer();
    EXPECT_EQ(rig.form.lblTime.Caption, "12:30:00");
    EXPECT_EQ(rig.form.lblAMPM.Caption, "PM");
}

}  // namespace
