#pragma once
// When an alarm text rings, and what a tick does about it.

#include <chrono>
#include <optional>
#include <string_view>

#include "clock/TimeText.h"

inline constexpr int kMinutesPerDay = 24 * 60;
// How late an alarm may still ring after the clock stepped over its minute.
inline constexpr int kLatestRingMinutes = 60;

// The minute of the day an alarm text stands for: "H:MM" or "HH:MM", minutes
// 00-59, the colon or any one punctuation mark or "h" between them ("7h30",
// "07.00"), then optionally AM or PM in any case with or without a blank (hour 1-12
// then), else a 24-hour time (hour 0-23). Blanks around the text are ignored.
// Nothing for any other text.
std::optional<int> parseAlarmTime(std::string_view text);

// The minute of the day a time text and its day half show ("7:05:09", "PM").
// A day half other than AM or PM leaves the hour as a 24-hour one.
std::optional<int> minuteOfDay(std::string_view timeText, std::string_view dayHalf);

// A moment of local time to the minute, counted from 1970-01-01 00:00 of the
// local calendar: later moments give larger numbers, whatever the digits.
long long localMinute(const LocalTime& time);

enum class AlarmCall {
    none,    // not this tick
    ring,    // on its minute, or late by at most kLatestRingMinutes
    missed,  // the clock stepped over its minute by more than that
};

// What a tick at `now` does about an alarm at minute `alarm` of the day, the
// previous tick having been at `previous` (local minutes). Going forward, the
// alarm's last minute in (previous, now] rings, late by up to
// kLatestRingMinutes, or is missed when later still. At the first tick, or
// when the clock was set back, only the alarm's minute itself rings.
AlarmCall alarmCall(int alarm, std::optional<long long> previous, long long now);

// When to wake the computer for an alarm at `alarmMinute` of the day: a
// minute before its next occurrence after `now`, the local time at the
// wall-clock moment `at`.
std::chrono::system_clock::time_point wakeTimeFor(int alarmMinute, LocalTime now,
                                                  std::chrono::system_clock::time_point at);
