#include "app/win32/TrayCallback.h"

#include <windowsx.h>

#include <string>

#include "log/Log.h"

std::optional<int> trayNotification(HWND window, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    const DWORD where = GetMessagePos();
    POINT pointer{GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    ScreenToClient(window, &pointer);
    if (GetCapture() == window || (pointer.x == x && pointer.y == y)) return std::nullopt;
    logDebug(LogCategory::tray, "tray notification " + std::to_string(x));
    return x;
}
