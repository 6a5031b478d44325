#include <gtest/gtest.h>

#include "clock/TimeText.h"

namespace {

struct FieldCase {
    const char* text;
    const char* hour;
    const char* minute;
    const char* second;
};

class TimeFields : public testing::TestWithParam<FieldCase> {};

TEST_P(TimeFields, CutAtTheFirstColon) {
    const FieldCase& c = GetParam();
    EXPECT_EQ(getHourPart(c.text), c.hour);
    EXPECT_EQ(getMinutePart(c.text), c.minute);
    EXPECT_EQ(getSecondPart(c.text), c.second);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TimeFields,
    testing::Values(FieldCase{"7:05:09", "7", "05", "09"}, FieldCase{"12:30:00", "12", "30", "00"},
                    FieldCase{"19:05", "19", "05", ""}, FieldCase{"7:5:09", "7", "5:", "9"},
                    FieldCase{"7", "", "", ""}, FieldCase{"", "", "", ""},
                    FieldCase{":30", "", "30", ""}, FieldCase{"12:3", "12", "3", ""},
                    // Later colons are never looked for.
                    FieldCase{"1:2:3:4", "1", "2:", ":4"}, FieldCase{"::::::", "", "::", "::"},
                    FieldCase{"12:34:5", "12", "34", "5"}));

struct DisplayCase {
    const char* rendering;
    const char* timeText;
    const char* clock;
    const char* dayHalf;
};

class TickDisplay : public testing::TestWithParam<DisplayCase> {};

TEST_P(TickDisplay, ShowsTheClockTextAndDayHalf) {
    const DisplayCase& c = GetParam();
    EXPECT_EQ(timeTextOf(c.rendering), c.timeText);
    EXPECT_EQ(clockTextOf(timeTextOf(c.rendering)), c.clock);
    EXPECT_EQ(dayHalfOf(c.rendering), c.dayHalf);
}

INSTANTIATE_TEST_SUITE_P(Table, TickDisplay,
                         testing::Values(DisplayCase{"7:05:09 AM", "7:05:09", "07:05:09", "AM"},
                                         DisplayCase{"12:30:00 PM", "12:30:00", "12:30:00", "PM"},
                                         DisplayCase{"19:05:09", "19:05", "19:05", "09"},
                                         DisplayCase{"1:00:00 AM", "1:00:00", "01:00:00", "AM"},
                                         DisplayCase{"AM", "", "", "AM"},
                                         DisplayCase{"", "", "", ""}));

TEST(LongTimeText, RendersTheTwelveHourFormAroundMidnightAndNoon) {
    EXPECT_EQ(longTimeTextOf({0, 0, 0}), "12:00:00 AM");
    EXPECT_EQ(longTimeTextOf({7, 5, 9}), "7:05:09 AM");
    EXPECT_EQ(longTimeTextOf({11, 59, 59}), "11:59:59 AM");
    EXPECT_EQ(longTimeTextOf({12, 0, 0}), "12:00:00 PM");
    EXPECT_EQ(longTimeTextOf({23, 59, 59}), "11:59:59 PM");
}

}  // namespace
