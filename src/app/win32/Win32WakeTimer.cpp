#include "app/win32/Win32WakeTimer.h"

#include <cstdio>
#include <string>

#include "app/win32/SystemHeaders.h"
#include "log/Log.h"

#include <powrprof.h>

namespace {

// FILETIME counts 100 ns from 1601-01-01 UTC.
constexpr long long kFileTimeOf1970 = 116444736000000000LL;
constexpr long long kTicksPerSecond = 10000000LL;

// The power plan's "Allow wake timers" (sleep settings): 0 is off.
constexpr GUID kSleepSettings = {
    0x238c9fa8, 0x0aad, 0x41ed, {0x83, 0xf4, 0x97, 0xbe, 0x24, 0x2c, 0x8f, 0x20}};
constexpr GUID kAllowWakeTimers = {
    0xbd3b718a, 0x0680, 0x4d9d, {0x8a, 0xb2, 0xe1, 0xd2, 0xb4, 0xac, 0x80, 0x6d}};

// False only when the active power plan turns wake timers off for the
// present power source; a plan that cannot be read is taken to allow them.
bool planAllowsWakeTimers() {
    GUID* given = nullptr;
    if (PowerGetActiveScheme(nullptr, &given) != ERROR_SUCCESS || !given) return true;
    const LocalMem<GUID> scheme(given);
    SYSTEM_POWER_STATUS power{};
    const bool onBattery = GetSystemPowerStatus(&power) && power.ACLineStatus == 0;
    DWORD allowed = 1;
    const DWORD read = onBattery ? PowerReadDCValueIndex(nullptr, scheme.get(), &kSleepSettings,
                                                         &kAllowWakeTimers, &allowed)
                                 : PowerReadACValueIndex(nullptr, scheme.get(), &kSleepSettings,
                                                         &kAllowWakeTimers, &allowed);
    return read != ERROR_SUCCESS || allowed != 0;
}

// The local clock's offset from UTC at a moment, in FILETIME ticks.
long long utcOffsetAt(long long fileTime) {
    const FILETIME utcTime{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    FILETIME localTime{};
    if (!FileTimeToSystemTime(&utcTime, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) ||
        !SystemTimeToFileTime(&local, &localTime))
        return 0;
    const long long localTicks =
        static_cast<long long>((static_cast<unsigned long long>(localTime.dwHighDateTime) << 32) |
                               localTime.dwLowDateTime);
    return localTicks - fileTime;
}

std::string utcText(long long fileTime) {
    FILETIME time{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    SYSTEMTIME utc{};
    if (!FileTimeToSystemTime(&time, &utc)) return "?";
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u UTC", utc.wYear, utc.wMonth,
                  utc.wDay, utc.wHour, utc.wMinute, utc.wSecond);
    return text;
}

}  // namespace

Win32WakeTimer::Win32WakeTimer(PostToWindow post, std::function<void()> onWake)
    : m_post(std::move(post)), m_onWake(std::move(onWake)) {}

Win32WakeTimer::~Win32WakeTimer() {
    cancel();
}

bool Win32WakeTimer::set(std::chrono::system_clock::time_point due) {
    cancel();
    if (!planAllowsWakeTimers()) {
        logDebug(LogCategory::clock, "no wake timer: the power plan has wake timers off");
        return false;
    }
    if (!m_timer)
        m_timer.reset(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_MANUAL_RESET,
                                             TIMER_ALL_ACCESS));
    if (!m_timer) return false;
    const long long seconds =
        std::chrono::duration_cast<std::chrono::seconds>(due.time_since_epoch()).count();
    LARGE_INTEGER when{};
    when.QuadPart = kFileTimeOf1970 + seconds * kTicksPerSecond;  // positive: absolute, UTC
    // The clock counts the time to its alarm on the local clock's face: a
    // daylight-saving change on the way moves the wake by the hour it changes.
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    long long nowTicks = static_cast<long long>(
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    nowTicks -= nowTicks % kTicksPerSecond;  // whole seconds, as the local time has them
    when.QuadPart -= utcOffsetAt(when.QuadPart) - utcOffsetAt(nowTicks);
    SetLastError(ERROR_SUCCESS);
    const BOOL setDone = SetWaitableTimer(m_timer.get(), &when, 0, nullptr, nullptr, TRUE);
    const DWORD error = GetLastError();
    if (!setDone || error == ERROR_NOT_SUPPORTED) {
        logDebug(LogCategory::clock,
                 "no wake timer: SetWaitableTimer " +
                     std::string(setDone ? "cannot resume the system" : "failed") + " (" +
                     std::to_string(error) + ")");
        CancelWaitableTimer(m_timer.get());
        return false;
    }
    if (!RegisterWaitForSingleObject(&m_wait, m_timer.get(), fired, this, INFINITE,
                                     WT_EXECUTEONLYONCE))
        m_wait = nullptr;
    logDebug(LogCategory::clock,
             "wake timer set for " + utcText(when.QuadPart) + " (SetWaitableTimer, resume)");
    return true;
}

void Win32WakeTimer::cancel() {
    ++m_setting;
    if (m_wait) {
        // Waits for a callback under way.
        UnregisterWaitEx(m_wait, INVALID_HANDLE_VALUE);
        m_wait = nullptr;
    }
    if (!m_timer) return;
    if (WaitForSingleObject(m_timer.get(), 0) == WAIT_TIMEOUT) {
        CancelWaitableTimer(m_timer.get());
        logDebug(LogCategory::clock, "wake timer removed (CancelWaitableTimer)");
    }
    // Unsignalled for the next set().
    m_timer.reset();
}

void __stdcall Win32WakeTimer::fired(void* self, unsigned char) {
    auto* timer = static_cast<Win32WakeTimer*>(self);
    const unsigned setting = timer->m_setting.load();
    timer->m_post([timer, setting] {
        if (setting != timer->m_setting.load()) return;
        logDebug(LogCategory::clock, "the wake timer fired");
        if (timer->m_onWake) timer->m_onWake();
    });
}
