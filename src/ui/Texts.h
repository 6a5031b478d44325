#pragma once
// Every text the program writes for the user, per language.

#include <string>
#include <string_view>

namespace texts {

inline constexpr const char* caption = "Alarm Clock";
inline constexpr const char* setAlarmTitle = "Set Alarm";
inline constexpr const char* optionsTitle = "Options";
inline constexpr const char* noTrackEng = "No Track Selected";
inline constexpr const char* noTrackFra = "Aucune Chanson S\u00e9lection\u00e9e";
inline constexpr const char* selectFileTitle = "Select A File";
inline constexpr const char* musicFilter = "Music (*.mp3, *.wmv)";
inline constexpr const char* crlf = "\r\n";

// The alarm prompt of a language; empty for an unknown code.
std::string alarmPrompt(std::string_view lang);
// The message shown when the typed text is no time; empty for an unknown code.
std::string notATimeMessage(std::string_view lang);
// The language question asked in `lang`, offering the other language.
std::string languageQuestion(std::string_view lang);
// The no-track caption of a language; empty for an unknown code.
std::string noTrackText(std::string_view lang);
bool isNoTrackText(std::string_view caption);

}  // namespace texts
