// The wake timer's due time across a daylight-saving change: the clock counts
// the time to its alarm on the local clock's face, and the Linux wake timer
// takes the change of the local offset from UTC off it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "app/qt/LinuxWakeTimer.h"

namespace {

// Runs with the local zone set to `zone`, then puts the old one back.
struct LocalZone {
    std::string old;
    bool had;
    explicit LocalZone(const char* zone) : had(std::getenv("TZ") != nullptr) {
        if (had) old = std::getenv("TZ");
        setenv("TZ", zone, 1);
        tzset();
    }
    ~LocalZone() {
        if (had)
            setenv("TZ", old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
};

TEST(WakeTimerOffset, ADaylightSavingChangeMovesTheWakeByTheHourItChanges) {
    const LocalZone paris("Europe/Paris");
    // 2026-03-28 22:00 CET and 2026-03-29 06:59 CEST; 2026-10-24 22:00 CEST and
    // 2026-10-25 06:59 CET; two moments of one summer night.
    const long long springEvening = 1774731600, springMorning = 1774760340;
    const long long autumnEvening = 1792872000, autumnMorning = 1792907940;
    const long long summerEvening = 1783195200, summerMorning = 1783227540;
    EXPECT_EQ(localOffsetChange(springEvening, springMorning), 3600);
    EXPECT_EQ(localOffsetChange(autumnEvening, autumnMorning), -3600);
    EXPECT_EQ(localOffsetChange(summerEvening, summerMorning), 0);
    const LocalZone utc("UTC");
    EXPECT_EQ(localOffsetChange(springEvening, springMorning), 0);
}

}  // namespace
