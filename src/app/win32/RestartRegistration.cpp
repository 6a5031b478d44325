#include "app/win32/RestartRegistration.h"

#include <shellapi.h>

#include "log/Log.h"
#include "platform/win32/WideText.h"

RestartParse restartFromCommandLine() {
    int count = 0;
    const LocalMem<LPWSTR> argv(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!argv) return {.state = {}, .error = "the command line cannot be read"};
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(narrow(argv.get()[i]));
    return parseRestartArguments(arguments);
}

RestartRegistration::RestartRegistration(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
    m_window.reset(CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   instance, nullptr));
}

void RestartRegistration::set(const std::vector<std::string>& arguments) {
    std::wstring line = widen(windowsCommandLine(arguments));
    // Windows keeps at most RESTART_MAX_CMD_LINE characters with the final
    // null: a track too long to fit is left out rather than the alarm.
    if (line.size() >= RESTART_MAX_CMD_LINE) {
        std::vector<std::string> shorter;
        for (const std::string& argument : arguments)
            if (!argument.starts_with("--track=")) shorter.push_back(argument);
        line = widen(windowsCommandLine(shorter));
        logDebug(LogCategory::clock, "restart line too long for Windows: the track is left out");
    }
    // Restarted after an update, a reboot for one, a crash or a hang (Windows
    // restarts only a process that ran for 60 s, and asks the user after a
    // crash or a hang).
    const HRESULT registered = RegisterApplicationRestart(line.c_str(), 0);
    if (m_window) SetWindowTextW(m_window.get(), line.c_str());
    logDebug(LogCategory::clock, "restart registered (RegisterApplicationRestart " +
                                     std::string(SUCCEEDED(registered) ? "ok" : "failed") +
                                     "): " + narrow(line));
}
