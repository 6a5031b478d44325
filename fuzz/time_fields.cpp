// Fuzzes the time-text fields: any text cut at its first colon, any rendering
// split into time text and day half, and renderings of real times read back.

#include <cstdio>
#include <string>

#include "FuzzCheck.h"
#include "clock/AlarmTime.h"
#include "clock/TimeText.h"

namespace {

void checkFields(std::string_view s) {
    const std::string hour = getHourPart(s), minute = getMinutePart(s), second = getSecondPart(s);
    const auto colon = s.find(':');
    if (colon == std::string_view::npos) {
        FUZZ_CHECK(hour.empty() && minute.empty() && second.empty());
        return;
    }
    const std::string_view after = s.substr(colon + 1);
    FUZZ_CHECK(hour == s.substr(0, colon));
    FUZZ_CHECK(minute == after.substr(0, 2));
    FUZZ_CHECK(second == (after.size() > 3 ? after.substr(3, 2) : std::string_view()));
}

void checkRendering(std::string_view rendering) {
    const std::string time = timeTextOf(rendering), half = dayHalfOf(rendering);
    if (rendering.size() >= 3) {
        FUZZ_CHECK(time.size() == rendering.size() - 3);
        FUZZ_CHECK(rendering.substr(0, time.size()) == time);
    } else {
        FUZZ_CHECK(time.empty());
    }
    FUZZ_CHECK(half.size() == std::min<std::size_t>(rendering.size(), 2));
    FUZZ_CHECK(rendering.substr(rendering.size() - half.size()) == half);

    const std::string shown = clockTextOf(time);
    FUZZ_CHECK(shown == (time.size() == 7 ? "0" + time : time));

    const std::optional<int> minute = minuteOfDay(time, half);
    if (minute) FUZZ_CHECK(*minute >= 0 && *minute < kMinutesPerDay);
}

// A real time of day rendered as the platform does, "h:mm:ss AM", read back.
void checkRealTime(uint32_t seconds) {
    seconds %= 86400;
    const int h = static_cast<int>(seconds / 3600), m = static_cast<int>(seconds / 60 % 60),
              s = static_cast<int>(seconds % 60);
    char rendering[16];
    std::snprintf(rendering, sizeof rendering, "%d:%02d:%02d %s", h % 12 == 0 ? 12 : h % 12, m, s,
                  h < 12 ? "AM" : "PM");
    const std::string time = timeTextOf(rendering);
    FUZZ_CHECK(std::stoi(getHourPart(time)) == (h % 12 == 0 ? 12 : h % 12));
    FUZZ_CHECK(std::stoi(getMinutePart(time)) == m && getMinutePart(time).size() == 2);
    FUZZ_CHECK(std::stoi(getSecondPart(time)) == s && getSecondPart(time).size() == 2);
    FUZZ_CHECK(clockTextOf(time).size() == 8);
    FUZZ_CHECK(minuteOfDay(time, dayHalfOf(rendering)) == h * 60 + m);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = asText(data, size);
    checkFields(text);
    checkRendering(text);
    // The text as a time text with each day half, and with none.
    for (std::string_view half : {"AM", "PM", "am", ""}) {
        const std::optional<int> minute = minuteOfDay(text, half);
        if (minute) FUZZ_CHECK(*minute >= 0 && *minute < kMinutesPerDay);
    }
    if (size >= 4) checkRealTime(data[0] | data[1] << 8 | data[2] << 16 | uint32_t{data[3]} << 24);
    return 0;
}
