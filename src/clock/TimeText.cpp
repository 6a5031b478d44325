#include "clock/TimeText.h"

#include <cstdio>

std::string longTimeTextOf(LocalTime time) {
    const int hour = time.hour % 12 == 0 ? 12 : time.hour % 12;
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d %s", hour, time.minute, time.second,
                  time.hour < 12 ? "AM" : "PM");
    return text;
}

std::string timeTextOf(std::string_view rendering) {
    return std::string(rendering.substr(0, rendering.size() < 3 ? 0 : rendering.size() - 3));
}

std::string dayHalfOf(std::string_view rendering) {
    return std::string(rendering.substr(rendering.size() < 2 ? 0 : rendering.size() - 2));
}

std::string clockTextOf(std::string_view timeText) {
    return timeText.size() == 7 ? "0" + std::string(timeText) : std::string(timeText);
}

namespace {

// The characters of s from `offset` after its first colon, at most two.
std::string afterFirstColon(std::string_view s, std::size_t offset) {
    const auto colon = s.find(':');
    if (colon == std::string_view::npos || colon + offset >= s.size()) return {};
    return std::string(s.substr(colon + offset, 2));
}

}  // namespace

std::string getHourPart(std::string_view s) {
    const auto colon = s.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(s.substr(0, colon));
}

std::string getMinutePart(std::string_view s) {
    return afterFirstColon(s, 1);
}

std::string getSecondPart(std::string_view s) {
    return afterFirstColon(s, 4);
}
