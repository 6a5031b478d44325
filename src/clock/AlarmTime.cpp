#include "clock/AlarmTime.h"

#include <cctype>
#include <string>

namespace {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int forwardDistance(int from, int to) {
    return ((to - from) % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay;
}

}  // namespace

std::optional<int> parseAlarmTime(std::string_view text) {
    std::string_view s = trimBlanks(text);
    const auto colon = s.find(':');
    if (colon != 1 && colon != 2) return std::nullopt;
    if (!isDigit(s[0]) || (colon == 2 && !isDigit(s[1]))) return std::nullopt;
    if (s.size() < colon + 3 || !isDigit(s[colon + 1]) || !isDigit(s[colon + 2]))
        return std::nullopt;
    const int hour = colon == 1 ? s[0] - '0' : (s[0] - '0') * 10 + (s[1] - '0');
    const int minute = (s[colon + 1] - '0') * 10 + (s[colon + 2] - '0');
    if (minute > 59) return std::nullopt;

    std::string_view rest = s.substr(colon + 3);
    if (rest.empty()) {
        if (hour > 23) return std::nullopt;
        return hour * 60 + minute;
    }
    if (rest.front() == ' ') rest.remove_prefix(1);
    if (rest.size() != 2 || std::toupper(static_cast<unsigned char>(rest[1])) != 'M')
        return std::nullopt;
    const char half = static_cast<char>(std::toupper(static_cast<unsigned char>(rest[0])));
    if ((half != 'A' && half != 'P') || hour < 1 || hour > 12) return std::nullopt;
    return (hour % 12 + (half == 'P' ? 12 : 0)) * 60 + minute;
}

std::optional<int> minuteOfDay(std::string_view timeText, std::string_view dayHalf) {
    const auto colon = timeText.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2) return std::nullopt;
    if (timeText.size() < colon + 3) return std::nullopt;
    int hour = 0;
    for (std::size_t i = 0; i < colon; ++i) {
        if (!isDigit(timeText[i])) return std::nullopt;
        hour = hour * 10 + (timeText[i] - '0');
    }
    if (!isDigit(timeText[colon + 1]) || !isDigit(timeText[colon + 2])) return std::nullopt;
    const int minute = (timeText[colon + 1] - '0') * 10 + (timeText[colon + 2] - '0');
    if (dayHalf == "AM" || dayHalf == "PM") {
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + (dayHalf == "PM" ? 12 : 0);
    }
    if (hour > 23 || minute > 59) return std::nullopt;
    return hour * 60 + minute;
}

bool alarmDue(int alarm, std::optional<int> previous, int now) {
    const int late = forwardDistance(alarm, now);
    if (!previous) return late == 0;
    return late <= kLatestRingMinutes && late < forwardDistance(*previous, now);
}
