#pragma once
// The hour and minute preset lists, as two-digit texts.

#include <string>
#include <string_view>
#include <vector>

// "01" to "12" when the locale's date-and-time text ends in AM or PM, else
// "00" to "23".
std::vector<std::string> hourPresets(std::string_view dateTimeText);
// "00" to "59".
std::vector<std::string> minutePresets();
