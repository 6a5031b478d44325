#pragma once
// Every text the program writes for the user, per language.

#include <array>
#include <string>
#include <string_view>

namespace texts {

inline constexpr const char* caption = "Alarm Clock";  // window title and tray tooltip
inline constexpr const char* setAlarmTitle = "Set Alarm";
inline constexpr const char* optionsTitle = "Options";
inline constexpr const char* selectFileTitle = "Select A File";
inline constexpr const char* musicFilter = "Music (*.mp3, *.wmv)";
inline constexpr const char* musicDefaultExt = "mp3";
// The files the track dialog lists under its filter (any letter case): the
// music the player plays.
inline constexpr std::array<const char*, 12> musicPatterns{"*.mp3", "*.wmv",  "*.wma",  "*.ogg",
                                                           "*.oga", "*.opus", "*.flac", "*.wav",
                                                           "*.m4a", "*.aac",  "*.mp4",  "*.asf"};
inline constexpr const char* crlf = "\r\n";

// The alarm prompt of a language; empty for an unknown code.
std::string alarmPrompt(std::string_view lang);
// The message shown when the typed text is no time; empty for an unknown code.
std::string notATimeMessage(std::string_view lang);
// Said once at arming where nothing can wake the computer; empty for an unknown code.
std::string cannotWakeMessage(std::string_view lang);
// The language question asked in `lang`, offering the other language.
std::string languageQuestion(std::string_view lang);
// The no-track caption of a language; empty for an unknown code.
std::string noTrackText(std::string_view lang);
// True for the no-track caption of any language.
bool isNoTrackText(std::string_view caption);

// What the person is told, in French for "fra" and in English for any other
// code: the alarm `alarm` was stepped over by more than `lateMinutes` and is off;
std::string missedAlarmText(std::string_view lang, std::string_view alarm, int lateMinutes);
// at arming, the record of the mute cannot be kept in `folder`, for `reason`.
std::string noMuteRecordText(std::string_view lang, std::string_view folder,
                             std::string_view reason);

}  // namespace texts
