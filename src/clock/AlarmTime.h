#pragma once
// When an alarm text rings, and whether this tick is the one to ring it.

#include <optional>
#include <string_view>

inline constexpr int kMinutesPerDay = 24 * 60;
// How late an alarm may still ring after the clock stepped over its minute.
inline constexpr int kLatestRingMinutes = 60;

// The minute of the day an alarm text stands for: "H:MM" or "HH:MM", minutes
// 00-59, then optionally AM or PM in any case with or without a blank (hour 1-12
// then), else a 24-hour time (hour 0-23). Blanks around the text are ignored.
// Nothing for any other text.
std::optional<int> parseAlarmTime(std::string_view text);

// The minute of the day a time text and its day half show ("7:05:09", "PM").
// A day half other than AM or PM leaves the hour as a 24-hour one.
std::optional<int> minuteOfDay(std::string_view timeText, std::string_view dayHalf);

// True when the alarm minute lies in (previous, now] going forward, at most
// kLatestRingMinutes behind now. Without a previous minute, only now counts.
bool alarmDue(int alarm, std::optional<int> previous, int now);
