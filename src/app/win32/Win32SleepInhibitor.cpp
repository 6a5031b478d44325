#include "app/win32/Win32SleepInhibitor.h"

#include "app/win32/SystemHeaders.h"
#include "log/Log.h"

void Win32SleepInhibitor::inhibit(const std::string& reason) {
    if (m_held) return;
    // Windows lists no reason for this request; the log keeps it.
    m_held = SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) != 0;
    logDebug(LogCategory::clock, std::string("sleep inhibited (SetThreadExecutionState") +
                                     (m_held ? "" : " failed") + "): " + reason);
}

void Win32SleepInhibitor::release() {
    if (!m_held) return;
    m_held = false;
    SetThreadExecutionState(ES_CONTINUOUS);
    logDebug(LogCategory::clock, "sleep allowed again (SetThreadExecutionState)");
}

void Win32SleepInhibitor::keepDisplayOn() {
    // One request per thread: this one replaces the system-only one.
    m_held =
        SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED) != 0 ||
        m_held;
    logDebug(LogCategory::clock,
             "woken for the alarm: system and display kept on (SetThreadExecutionState)");
}
