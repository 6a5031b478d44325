#include "app/win32/SingleInstance.h"

#include <string>

#include "log/Log.h"

namespace {

std::wstring mutexName() {
    wchar_t user[256] = {};
    DWORD size = 256;
    if (!GetUserNameW(user, &size)) user[0] = L'\0';
    return std::wstring(L"Local\\AlarmClock-") + user;
}

}  // namespace

SingleInstance::SingleInstance() {
    m_mutex.reset(CreateMutexW(nullptr, FALSE, mutexName().c_str()));
    m_another = m_mutex && GetLastError() == ERROR_ALREADY_EXISTS;
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::wake(const wchar_t* windowClass, UINT message) const {
    // The first clock makes its window just after taking the mutex.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (HWND window = FindWindowW(windowClass, nullptr)) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            // The window may take the foreground from the start that asked.
            AllowSetForegroundWindow(process);
            const bool posted = PostMessageW(window, message, 0, 0) != FALSE;
            logDebug(LogCategory::ui, std::string("another clock runs: asked it to show (") +
                                          (posted ? "posted" : "not posted") + ")");
            return posted;
        }
        Sleep(100);
    }
    logDebug(LogCategory::ui, "another clock holds the mutex but has no window");
    return false;
}
