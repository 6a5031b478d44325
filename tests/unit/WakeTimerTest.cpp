// The timer that wakes the computer for the alarm: set a minute before the
// alarm at arming and re-arming, removed at switch-off, the ring and close;
// where nothing can wake the computer the person is told once.

#include <gtest/gtest.h>

#include "clock/AlarmTime.h"
#include "support/ClockRig.h"

namespace {

using std::chrono::seconds;
using Clock = std::chrono::system_clock;

TEST(WakeTimer, IsDueAMinuteBeforeTheNextAlarm) {
    const Clock::time_point at = Clock::time_point(seconds(1'800'000'000));
    struct Case {
        int alarmMinute;
        LocalTime now;
        long long after;  // seconds from `at`
    } const cases[] = {
        {7 * 60, {6, 50, 0}, 540},              // later today
        {7 * 60, {6, 59, 30}, -30},             // within the lead: at once
        {7 * 60, {7, 0, 0}, 24 * 3600 - 60},    // this very second: tomorrow's
        {7 * 60, {7, 0, 1}, 24 * 3600 - 61},    // just gone: tomorrow's
        {0, {23, 59, 0}, 0},                    // midnight, across the day
        {23 * 60 + 59, {0, 0, 0}, 86340 - 60},  // the last minute of the day
    };
    for (const Case& c : cases)
        EXPECT_EQ(wakeTimeFor(c.alarmMinute, c.now, at) - at, seconds(c.after))
            << c.alarmMinute << " at " << c.now.hour << ":" << c.now.minute << ":" << c.now.second;
}

TEST(WakeTimer, SetAtArmingMovedByReArmingRemovedBySwitchOffRingAndClose) {
    ClockRig rig(6, 50, 0);
    rig.arm("07:00 AM");
    ASSERT_TRUE(rig.wake.due);
    const auto inNineMinutes = rig.clock.instant() + seconds(540);
    EXPECT_EQ(*rig.wake.due, inNineMinutes);

    rig.form.butOnOff_Click();  // switched off
    EXPECT_FALSE(rig.wake.due);
    rig.arm("06:55 AM");  // re-armed: moved
    ASSERT_TRUE(rig.wake.due);
    EXPECT_EQ(*rig.wake.due, inNineMinutes - seconds(300));

    rig.runUntil(6, 55, 0);  // the ring
    EXPECT_TRUE(rig.form.blnAlarm);
    EXPECT_FALSE(rig.wake.due);
    rig.form.butOnOff_Click();

    rig.arm("07:00 AM");
    EXPECT_TRUE(rig.wake.due);
    rig.form.Form_Unload();  // closed
    EXPECT_FALSE(rig.wake.due);
    EXPECT_EQ(rig.wake.sets, 3);
    EXPECT_TRUE(rig.tray.balloons.empty());
}

TEST(WakeTimer, NothingToWakeTheComputerIsToldOnceAndTheAlarmStillRings) {
    ClockRig rig(6, 58, 0);
    rig.wake.canWake = false;
    rig.arm("07:00 AM");
    EXPECT_EQ(rig.tray.balloons,
              (std::vector<std::string>{
                  "The computer cannot be woken for the alarm: keep it awake until then."}));
    rig.form.butOnOff_Click();
    rig.arm("07:00 AM");
    EXPECT_EQ(rig.tray.balloons.size(), 1u);
    rig.runUntil(7, 0, 0);
    EXPECT_TRUE(rig.form.blnAlarm);
    EXPECT_EQ(rig.wake.sets, 2);
}

}  // namespace
