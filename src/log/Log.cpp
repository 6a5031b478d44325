#include "log/Log.h"

#include <utility>

namespace {

LogSink& sink() {
    static LogSink current;
    return current;
}

}  // namespace

std::string_view logCategoryName(LogCategory category) {
    switch (category) {
        case LogCategory::clock:
            return "alarmclock.clock";
        case LogCategory::audio:
            return "alarmclock.audio";
        case LogCategory::tray:
            return "alarmclock.tray";
        case LogCategory::ui:
            return "alarmclock.ui";
    }
    return "alarmclock";
}

void setLogSink(LogSink newSink) {
    sink() = std::move(newSink);
}

void logDebug(LogCategory category, std::string_view message) {
    if (const LogSink& current = sink()) current(category, message);
}
