#include "app/win32/Win32Log.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "log/Log.h"

void installWin32LogSink() {
    static FILE* file = nullptr;
    if (const char* path = std::getenv("ALARM_LOG"); path && *path) file = std::fopen(path, "a");
    setLogSink([](LogCategory category, std::string_view message) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%02u:%02u:%02u.%03u ", now.wHour, now.wMinute,
                      now.wSecond, now.wMilliseconds);
        const std::string line =
            stamp + std::string(logCategoryName(category)) + ": " + std::string(message) + "\n";
        OutputDebugStringA(line.c_str());
        // Nowhere for a program started from the desktop; the terminal under Wine.
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
        if (file) {
            std::fputs(line.c_str(), file);
            std::fflush(file);
        }
    });
}
