#include "app/win32/Win32Log.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "log/Log.h"

void installWin32LogSink() {
    // The file named by ALARM_LOG lives as long as the sink that writes to it:
    // closed when the sink goes.
    std::shared_ptr<FILE> file;
    if (const char* path = std::getenv("ALARM_LOG"); path && *path)
        file.reset(std::fopen(path, "a"), [](FILE* opened) {
            if (opened) std::fclose(opened);
        });
    setLogSink([file](LogCategory category, std::string_view message) {
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
            std::fputs(line.c_str(), file.get());
            std::fflush(file.get());
        }
    });
}
