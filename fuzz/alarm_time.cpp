// Fuzzes the alarm-time rule with any typed text: what it accepts is a minute of
// the day that reads back the same in every form the clock itself writes, and
// that rings exactly once in a day of minute-by-minute ticks, and once late or
// missed after a jump over it.

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
    long long previous = start;
    for (int step = 1; step <= kMinutesPerDay; ++step) {
        const long long now = start + step;
        if (alarmCall(alarm, previous, now) == AlarmCall::ring) ++rings;
        previous = now;
    }
    return rings;
}

// A jump forward landing `late` minutes after the alarm's minute rings up to
// the late limit and is missed beyond it, from wherever it started.
bool jumpRightly(int alarm, long long from, int late) {
    const long long due = (from / kMinutesPerDay + 2) * kMinutesPerDay + alarm;
    const AlarmCall call = alarmCall(alarm, from < due ? from : due - 1, due + late);
    return call == (late <= kLatestRingMinutes ? AlarmCall::ring : AlarmCall::missed);
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
    FUZZ_CHECK(alarmCall(*alarm, std::nullopt, *alarm) == AlarmCall::ring);
    FUZZ_CHECK(alarmCall(*alarm, std::nullopt, *alarm + 1) == AlarmCall::none);
    unsigned sum = 0;
    for (uint8_t byte : text) sum = sum * 31 + byte;
    FUZZ_CHECK(ringsInADay(*alarm, static_cast<int>(sum % kMinutesPerDay)) == 1);
    const int late = static_cast<int>(sum % (kMinutesPerDay - 1));
    FUZZ_CHECK(jumpRightly(*alarm, sum % (3 * kMinutesPerDay), late));
    return 0;
}
