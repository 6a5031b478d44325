#include "app/win32/WindowScale.h"

#include <windowsx.h>

#include <cmath>

#include "app/win32/SystemCall.h"
#include "platform/win32/Owned.h"

UINT windowDpi(HWND window) {
    static const auto getDpiForWindow =
        systemCall<UINT(WINAPI*)(HWND)>(L"user32", "GetDpiForWindow");
    // A call that fails gives 0 (seen under Wine): then the screen's, or 96,
    // so that the window never takes a size of nothing.
    if (const UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0) return dpi;
    const WindowDc screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSX);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

WindowScale::WindowScale(UINT dpi)
    : m_dpi(dpi), m_factor(static_cast<double>(dpi) / USER_DEFAULT_SCREEN_DPI) {}

int WindowScale::pixels(double designPixels) const {
    return static_cast<int>(std::lround(designPixels * m_factor));
}

RECT WindowScale::scaled(const face::Rect& r) const {
    return {pixels(r.x), pixels(r.y), pixels(r.x + r.width), pixels(r.y + r.height)};
}

POINT WindowScale::designPoint(LPARAM lParam) const {
    return {static_cast<LONG>(std::floor(GET_X_LPARAM(lParam) / m_factor)),
            static_cast<LONG>(std::floor(GET_Y_LPARAM(lParam) / m_factor))};
}
