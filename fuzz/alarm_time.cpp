// Fuzzes the alarm-time rule with any typed text: what it accepts is a minute of
// the day that reads back the same in every form the clock itself writes, and
// that rings exactly once in a day of minute-by-minute ticks.

#include <cstdio>
#include <string>

#include "FuzzCheck.h"
#include "clock/AlarmTime.h"

namespace {

// A minute written as the 12-hour time text and day half of the display.
std::optional<int> asDisplayed(int minute) {
    const int hour = minute / 60;
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d:00", hour % 12 == 0 ? 12 : hour % 12, minute % 60);
    return minuteOfDay(text, hour < 12 ? "AM" : "PM");
}

std::optional<int> as24Hour(int minute) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", minute / 60, minute % 60);
    return parseAlarmTime(text);
}

int ringsInADay(int alarm, int start) {
    int rings = 0;
    int previous = start;
    for (int step = 1; step <= kMinutesPerDay; ++step) {
        const int now = (start + step) % kMinutesPerDay;
        if (alarmDue(alarm, previous, now)) ++rings;
        previous = now;
    }
    return rings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = asText(data, size);
    const std::optional<int> alarm = parseAlarmTime(text);
    if (!alarm) {
        // Blanks around a refused text do not make it a time.
        FUZZ_CHECK(!parseAlarmTime(" " + std::string(text) + " "));
        return 0;
    }
    FUZZ_CHECK(*alarm >= 0 && *alarm < kMinutesPerDay);
    FUZZ_CHECK(parseAlarmTime("\t" + std::string(text) + " ") == alarm);
    FUZZ_CHECK(as24Hour(*alarm) == alarm);
    FUZZ_CHECK(asDisplayed(*alarm) == alarm);

    // Without a previous minute only the alarm minute itself rings.
    FUZZ_CHECK(alarmDue(*alarm, std::nullopt, *alarm));
    FUZZ_CHECK(!alarmDue(*alarm, std::nullopt, (*alarm + 1) % kMinutesPerDay));
    unsigned sum = 0;
    for (uint8_t byte : text) sum = sum * 31 + byte;
    FUZZ_CHECK(ringsInADay(*alarm, static_cast<int>(sum % kMinutesPerDay)) == 1);
    return 0;
}
