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
                    AlarmTextCase{"\t6:45 PM\n", at(18, 45)}, AlarmTextCase{"7h30", at(7, 30)},
                    AlarmTextCase{"07H00", at(7, 0)}, AlarmTextCase{"07.00", at(7, 0)},
                    AlarmTextCase{"6-15 pm", at(18, 15)}));

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
                    AlarmTextCase{":00", std::nullopt}, AlarmTextCase{"7 30", std::nullopt},
                    AlarmTextCase{"7x30", std::nullopt}, AlarmTextCase{"7::30", std::nullopt},
                    AlarmTextCase{"0730", std::nullopt}, AlarmTextCase{"7h", std::nullopt},
                    AlarmTextCase{"7·30", std::nullopt}));

TEST(MinuteOfDay, ReadsTwelveAndTwentyFourHourTimes) {
    EXPECT_EQ(minuteOfDay("7:05:09", "AM"), at(7, 5));
    EXPECT_EQ(minuteOfDay("12:30:00", "AM"), at(0, 30));
    EXPECT_EQ(minuteOfDay("12:30:00", "PM"), at(12, 30));
    EXPECT_EQ(minuteOfDay("6:00:00", "PM"), at(18, 0));
    EXPECT_EQ(minuteOfDay("19:05", "09"), at(19, 5));
    EXPECT_EQ(minuteOfDay("", "AM"), std::nullopt);
    EXPECT_EQ(minuteOfDay("13:00:00", "PM"), std::nullopt);
}

TEST(LocalMinute, CountsMinutesAcrossDaysMonthsAndYears) {
    EXPECT_EQ(localMinute({0, 0, 0, 1970, 1, 1}), 0);
    EXPECT_EQ(localMinute({7, 0, 59, 1970, 1, 2}), kMinutesPerDay + at(7, 0));
    EXPECT_EQ(localMinute({0, 0, 0, 2027, 1, 1}) - localMinute({23, 59, 0, 2026, 12, 31}), 1);
    EXPECT_EQ(localMinute({0, 0, 0, 2028, 3, 1}) - localMinute({0, 0, 0, 2028, 2, 28}),
              2 * kMinutesPerDay);  // a leap year
    EXPECT_LT(localMinute({0, 0, 0, 1969, 12, 31}), 0);
}

// Minutes of 2026-12-08 (day 0) and the days around it.
long long on(int day, int hour, int minute) {
    return localMinute({hour, minute, 0, 2026, 12, 8}) + day * kMinutesPerDay;
}

struct CallCase {
    const char* what;
    long long previous;  // -1: the first tick
    long long now;
    AlarmCall call;
};

class Call : public testing::TestWithParam<CallCase> {};

TEST_P(Call, RingsOnTheMinuteOrLateOnceElseIsMissed) {
    const CallCase& c = GetParam();
    const std::optional<long long> previous =
        c.previous < 0 ? std::nullopt : std::optional<long long>(c.previous);
    EXPECT_EQ(alarmCall(at(7, 0), previous, c.now), c.call) << c.what;
}

constexpr AlarmCall ring = AlarmCall::ring, none = AlarmCall::none, missed = AlarmCall::missed;

INSTANTIATE_TEST_SUITE_P(
    Table, Call,
    testing::Values(CallCase{"on time", on(0, 6, 59), on(0, 7, 0), ring},
                    CallCase{"first tick, on the minute", -1, on(0, 7, 0), ring},
                    CallCase{"first tick, after it", -1, on(0, 7, 1), none},
                    CallCase{"within its minute", on(0, 7, 0), on(0, 7, 0), none},
                    CallCase{"armed inside the minute", on(0, 7, 0), on(0, 7, 1), none},
                    // Jumps landing 1, 20, 59, 60 and 61 minutes after the alarm's minute,
                    // leaving the minute's digits other than they were, or the same.
                    CallCase{"1 late", on(0, 6, 55), on(0, 7, 1), ring},
                    CallCase{"1 late, same digits", on(0, 6, 1), on(0, 7, 1), ring},
                    CallCase{"20 late", on(0, 6, 50), on(0, 7, 20), ring},
                    CallCase{"20 late, same digits", on(0, 6, 20), on(0, 7, 20), ring},
                    CallCase{"59 late", on(0, 6, 30), on(0, 7, 59), ring},
                    CallCase{"59 late, same digits", on(0, 6, 59), on(0, 7, 59), ring},
                    CallCase{"60 late", on(0, 6, 30), on(0, 8, 0), ring},
                    CallCase{"60 late, same digits", on(0, 6, 0), on(0, 8, 0), ring},
                    CallCase{"61 late", on(0, 6, 30), on(0, 8, 1), missed},
                    CallCase{"61 late, same digits", on(0, 6, 1), on(0, 8, 1), missed},
                    CallCase{"2 hours late", on(0, 6, 50), on(0, 9, 0), missed},
                    CallCase{"a day and 1 minute late", on(-1, 6, 59), on(0, 7, 1), ring},
                    CallCase{"over midnight, 30 late", on(-1, 23, 0), on(0, 7, 30), ring},
                    CallCase{"a whole day over, same digits", on(-1, 7, 30), on(0, 7, 30), ring},
                    CallCase{"set back an hour", on(0, 8, 10), on(0, 7, 10), none},
                    CallCase{"set back onto its minute", on(0, 8, 0), on(0, 7, 0), ring},
                    CallCase{"set back a day", on(0, 7, 30), on(-1, 7, 30), none}));
}  // namespace
