#pragma once
// The time text and its fields. The platform renders the time as "h:mm:ss AM";
// the time text drops the last three characters, the day half keeps the last two.

#include <string>
#include <string_view>

// A moment of local time, as the wall clock gives it: the time of day and the date.
struct LocalTime {
    int hour = 0;  // 0-23
    int minute = 0;
    int second = 0;
    int year = 1970;
    int month = 1;  // 1-12
    int day = 1;    // 1-31
};

// The 12-hour long time form of a moment, e.g. "7:05:09 AM".
std::string longTimeTextOf(LocalTime time);

std::string timeTextOf(std::string_view rendering);
std::string dayHalfOf(std::string_view rendering);
// The text shown in lblTime: "0" in front of a 7-character time text.
std::string clockTextOf(std::string_view timeText);

// Cut a time text at its first ":" (later colons are ignored).
std::string getHourPart(std::string_view s);
std::string getMinutePart(std::string_view s);
std::string getSecondPart(std::string_view s);
