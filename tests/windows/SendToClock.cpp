// Sends a window message to the running clock's window, as the system would:
//   send-to-clock.exe MESSAGE [WPARAM]
// MESSAGE is a name (queryendsession, endsession, cancelmode) or a number.
// Prints what the window answered; exit status 1 when there is no clock.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    UINT message = static_cast<UINT>(std::strtoul(argv[1], nullptr, 0));
    if (std::strcmp(argv[1], "queryendsession") == 0) message = WM_QUERYENDSESSION;
    if (std::strcmp(argv[1], "endsession") == 0) message = WM_ENDSESSION;
    if (std::strcmp(argv[1], "cancelmode") == 0) message = WM_CANCELMODE;
    const WPARAM wParam = argc > 2 ? std::strtoull(argv[2], nullptr, 0) : 0;
    HWND window = FindWindowW(L"AlarmClockWindow", nullptr);
    if (!window) return 1;
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, wParam, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 10000,
                             &answer))
        return 3;
    std::printf("%llu\n", static_cast<unsigned long long>(answer));
    return 0;
}
