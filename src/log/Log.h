#pragma once
// Debug logging for every layer, without Qt. The front end installs a sink
// (Qt's categorised logging on Linux); without one, nothing is written.
// Messages are for diagnosis only ("I heard nothing"): silent by default.

#include <functional>
#include <string_view>

enum class LogCategory { clock, audio, tray, ui };

// The category's name as the front end shows it, e.g. "alarmclock.audio".
std::string_view logCategoryName(LogCategory category);

using LogSink = std::function<void(LogCategory, std::string_view message)>;
// Replaces the sink; an empty one drops every message. Set it before other
// threads log.
void setLogSink(LogSink sink);

void logDebug(LogCategory category, std::string_view message);
