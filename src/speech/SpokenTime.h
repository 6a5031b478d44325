#pragma once
// The clip tables that turn an hour, a minute and a day half into voice clips.
// Pure functions: no sound is played here.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

using ClipList = std::vector<std::string>;

// The clip folder of a language code ("eng" -> "sounds/en/", "fra" ->
// "sounds/fr/", with the platform's separator before, between and after);
// nothing for any other code, compared exactly.
std::optional<std::string> clipFolder(std::string_view lang);

// Reads a number leniently (leading blanks and zeros skipped, digits read up to
// the first character that cannot continue a number, empty or non-numeric: 0)
// and writes it back as plain decimal text: "07" -> "7", "abc" -> "0",
// "1.5" -> "1.5", "-1" -> "-1".
std::string numberKey(std::string_view text);

// The hour key of a 12-hour clock's hour text and day half. French hours are
// said on the 24-hour clock, where 12 in the morning is midnight: "0" then.
std::string hourKey(std::string_view hourText, std::string_view dayHalf, std::string_view lang);
// The clips of an hour key "0" to "24"; empty for any other key or language.
ClipList hourClips(std::string_view key, std::string_view lang);
// The clips of a minute key "1" to "59"; empty for any other key or language.
ClipList minuteClips(std::string_view key, std::string_view lang);
// "am.wav" or "pm.wav" for a day half that lower-cases to "am" or "pm"; else empty.
std::string amPmClip(std::string_view dayHalf);
