#include <gtest/gtest.h>

#include <optional>

#include "clock/AlarmTime.h"

namespace {

constexpr int at(int hour, int minute) {
    return hour * 60 + minute;
}

struct AlarmTextCase {
    const char* text;
    std::optional<int> minute;
};

class AlarmText : public testing::TestWithParam<AlarmTextCase> {};

TEST_P(AlarmText, GivesTheMinuteOfTheDayItRingsAt) {
    EXPECT_EQ(parseAlarmTime(GetParam().text), GetParam().minute) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, AlarmText,
    testing::Values(AlarmTextCase{"07:00 AM", at(7, 0)}, AlarmTextCase{"7:00 AM", at(7, 0)},
                    AlarmTextCase{"7:00am", at(7, 0)}, AlarmTextCase{"07:30 pM", at(19, 30)},
                    AlarmTextCase{"12:00 AM", at(0, 0)}, AlarmTextCase{"12:00 PM", at(12, 0)},
                    AlarmTextCase{"12:59 am", at(0, 59)}, AlarmTextCase{"11:59 PM", at(23, 59)},
                    AlarmTextCase{"18:00", at(18, 0)}, AlarmTextCase{"07:00", at(7, 0)},
                    AlarmTextCase{"0:00", at(0, 0)}, AlarmTextCase{"00:00", at(0, 0)},
                    AlarmTextCase{"23:59", at(23, 59)}, AlarmTextCase{"  06:45  ", at(6, 45)},
                    AlarmTextCase{"\t6:45 PM\n", at(18, 45)}));

INSTANTIATE_TEST_SUITE_P(
    Refused, AlarmText,
    testing::Values(AlarmTextCase{"abc", std::nullopt}, AlarmTextCase{"", std::nullopt},
                    AlarmTextCase{"   ", std::nullopt}, AlarmTextCase{"24:00", std::nullopt},
                    AlarmTextCase{"7:60", std::nullopt}, AlarmTextCase{"13:00 PM", std::nullopt},
                    AlarmTextCase{"0:30 AM", std::nullopt}, AlarmTextCase{"7", std::nullopt},
                    AlarmTextCase{"7:0", std::nullopt}, AlarmTextCase{"123:00", std::nullopt},
                    AlarmTextCase{"07:00 XM", std::nullopt},
                    AlarmTextCase{"07:00  AM", std::nullopt},
                    AlarmTextCase{"07:00 A.M.", std::nullopt},
                    AlarmTextCase{"07:00:00", std::nullopt}, AlarmTextCase{"-7:00", std::nullopt},
                    AlarmTextCase{"07:00 AMX", std::nullopt}, AlarmTextCase{"٠٧:٠٠", std::nullopt},
                    AlarmTextCase{":00", std::nullopt}));

TEST(MinuteOfDay, ReadsTwelveAndTwentyFourHourTimes) {
    EXPECT_EQ(minuteOfDay("7:05:09", "AM"), at(7, 5));
    EXPECT_EQ(minuteOfDay("12:30:00", "AM"), at(0, 30));
    EXPECT_EQ(minuteOfDay("12:30:00", "PM"), at(12, 30));
    EXPECT_EQ(minuteOfDay("6:00:00", "PM"), at(18, 0));
    EXPECT_EQ(minuteOfDay("19:05", "09"), at(19, 5));
    EXPECT_EQ(minuteOfDay("", "AM"), std::nullopt);
    EXPECT_EQ(minuteOfDay("13:00:00", "PM"), std::nullopt);
}

struct DueCase {
    int alarm;
    std::optional<int> previous;
    int now;
    bool due;
};

class Due : public testing::TestWithParam<DueCase> {};

TEST_P(Due, RingsOnTheMinuteOrLateButNeverTwice) {
    const DueCase& c = GetParam();
    EXPECT_EQ(alarmDue(c.alarm, c.previous, c.now), c.due);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Due,
    testing::Values(DueCase{at(7, 0), at(6, 59), at(7, 0), true},      // on time
                    DueCase{at(7, 0), std::nullopt, at(7, 0), true},   // first tick after start
                    DueCase{at(7, 0), std::nullopt, at(7, 1), false},  // started after it
                    DueCase{at(7, 0), at(7, 0), at(7, 1), false},      // armed inside the minute
                    DueCase{at(7, 0), at(6, 55), at(7, 5), true},      // clock jumped 10 minutes
                    DueCase{at(7, 0), at(6, 30), at(8, 0), true},     // 60 minutes late still rings
                    DueCase{at(7, 0), at(6, 30), at(8, 1), false},    // further behind: missed
                    DueCase{at(7, 0), at(6, 50), at(8, 50), false},   // jumped 2 hours
                    DueCase{at(7, 30), at(7, 10), at(6, 10), false},  // set back an hour
                    DueCase{at(7, 30), at(7, 29), at(7, 30), true},   // ...then on time
                    DueCase{at(0, 0), at(23, 59), at(0, 0), true},    // midnight
                    DueCase{at(23, 50), at(23, 45), at(0, 10), true},  // late across midnight
                    DueCase{at(2, 30), at(1, 59), at(3, 0),
                            true}));  // skipped daylight-saving hour

}  // namespace
