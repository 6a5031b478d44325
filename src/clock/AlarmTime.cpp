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

// What may stand between the hour and the minute: a colon, a full stop, an "h"
// as French writes it, or any other ASCII punctuation mark.
bool isSeparator(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x80 && (std::ispunct(u) || c == 'h' || c == 'H');
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long daysFromCivil(long long year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153LL * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

std::optional<int> parseAlarmTime(std::string_view text) {
    std::string_view s = trimBlanks(text);
    if (s.empty() || !isDigit(s[0])) return std::nullopt;
    const std::size_t sep = s.size() > 1 && isDigit(s[1]) ? 2 : 1;
    if (s.size() <= sep || !isSeparator(s[sep])) return std::nullopt;
    if (s.size() < sep + 3 || !isDigit(s[sep + 1]) || !isDigit(s[sep + 2])) return std::nullopt;
    const int hour = sep == 1 ? s[0] - '0' : (s[0] - '0') * 10 + (s[1] - '0');
    const int minute = (s[sep + 1] - '0') * 10 + (s[sep + 2] - '0');
    if (minute > 59) return std::nullopt;

    std::string_view rest = s.substr(sep + 3);
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

long long localMinute(const LocalTime& time) {
    return daysFromCivil(time.year, time.month, time.day) * kMinutesPerDay + time.hour * 60LL +
           time.minute;
}

AlarmCall alarmCall(int alarm, std::optional<long long> previous, long long now) {
    // The alarm's latest minute at or before now.
    const long long sinceAlarm = ((now - alarm) % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay;
    const long long due = now - sinceAlarm;
    if (!previous || now < *previous) return sinceAlarm == 0 ? AlarmCall::ring : AlarmCall::none;
    if (due <= *previous) return AlarmCall::none;
    return sinceAlarm <= kLatestRingMinutes ? AlarmCall::ring : AlarmCall::missed;
}

namespace {

// The computer wakes one minute before the alarm: a resume and the sound
// server's return take seconds, and the clock ticks at once on waking, so a
// minute leaves room to spare while keeping the computer up only briefly
// before the alarm (at most two minutes are wanted).
constexpr std::chrono::seconds kWakeLead{60};
constexpr int kSecondsPerDay = kMinutesPerDay * 60;

}  // namespace

std::chrono::system_clock::time_point wakeTimeFor(int alarmMinute, LocalTime now,
                                                  std::chrono::system_clock::time_point at) {
    const int nowSecond = (now.hour * 60 + now.minute) * 60 + now.second;
    int untilAlarm = (alarmMinute * 60 - nowSecond) % kSecondsPerDay;
    if (untilAlarm <= 0) untilAlarm += kSecondsPerDay;
    return at + std::chrono::seconds(untilAlarm) - kWakeLead;
}
