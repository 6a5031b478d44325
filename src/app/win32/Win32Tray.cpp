#include "app/win32/Win32Tray.h"

#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "log/Log.h"
#include "platform/win32/Owned.h"

namespace {

NOTIFYICONDATAA toShell(const NotifyIconData& record) {
    NOTIFYICONDATAA data{};
    // The record's size is its own 32-bit one; the shell gets this ABI's
    // size of the same (version 2) layout.
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = reinterpret_cast<HWND>(record.hWnd);
    data.uID = record.uID;
    data.uFlags = record.uFlags;
    data.uCallbackMessage = record.uCallbackMessage;
    data.hIcon = reinterpret_cast<HICON>(record.hIcon);
    std::copy(record.szTip.begin(), record.szTip.end(), data.szTip);
    data.dwState = record.dwState;
    data.dwStateMask = record.dwStateMask;
    std::copy(record.szInfo.begin(), record.szInfo.end(), data.szInfo);
    data.uTimeout = record.uTimeout;
    std::copy(record.szInfoTitle.begin(), record.szInfoTitle.end(), data.szInfoTitle);
    data.dwInfoFlags = record.dwInfoFlags;
    return data;
}

}  // namespace

void Win32Tray::notifyIcon(NotifyMessage message, const NotifyIconData& record) {
    NOTIFYICONDATAA data = toShell(record);
    const DWORD shellMessage = message == NIM_ADD      ? NIM_ADD
                               : message == NIM_MODIFY ? NIM_MODIFY
                                                       : NIM_DELETE;
    const BOOL ok = Shell_NotifyIconA(shellMessage, &data);
    logDebug(LogCategory::tray, "Shell_NotifyIconA(" + std::to_string(message) + ", flags " +
                                    std::to_string(record.uFlags) + ") -> " + std::to_string(ok));
    if (message == NIM_DELETE) {
        m_added = false;
        m_iconShown = false;
        return;
    }
    if (message == NIM_ADD) {
        m_added = true;
        m_iconShown = ok != FALSE;
        m_shown = record;
    }
    if (record.uFlags & NIF_ICON) m_shown.hIcon = record.hIcon;
    if (record.uFlags & NIF_TIP) m_shown.szTip = record.szTip;
}

void Win32Tray::restore() {
    if (!m_added) return;
    NotifyIconData record = m_shown;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    NOTIFYICONDATAA data = toShell(record);
    m_iconShown = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
    logDebug(LogCategory::tray, "tray icon added again");
}

UINT Win32Tray::taskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

uint64_t Win32Tray::createIcon(const IconImage& image) {
    const Picture& picture = image.colour;
    const size_t count = static_cast<size_t>(std::max(picture.width, 0)) *
                         static_cast<size_t>(std::max(picture.height, 0));
    if (count == 0 || picture.pixels.size() != count || image.mask.size() != count) return 0;

    // A 32-bit colour image and a 1-bit mask (rows padded to 16 bits).
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const OwnedBitmap colour(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour) return 0;
    auto* out = static_cast<uint32_t*>(bits);
    const size_t maskStride = static_cast<size_t>((picture.width + 15) / 16 * 2);
    std::vector<uint8_t> mask(maskStride * static_cast<size_t>(picture.height), 0);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const size_t i = static_cast<size_t>(y) * picture.width + x;
            const uint32_t bgr = picture.pixels[i];
            // 0x00BBGGRR to the bitmap's 0x00RRGGBB.
            out[i] = (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);
            if (image.mask[i]) mask[y * maskStride + x / 8] |= static_cast<uint8_t>(0x80 >> x % 8);
        }
    }
    // The icon keeps copies of both bitmaps.
    const OwnedBitmap maskBitmap(CreateBitmap(picture.width, picture.height, 1, 1, mask.data()));
    ICONINFO icon{TRUE, 0, 0, maskBitmap.get(), colour.get()};
    HICON handle = CreateIconIndirect(&icon);
    return reinterpret_cast<uint64_t>(handle);
}

void Win32Tray::destroyIcon(uint64_t hIcon) {
    DestroyIcon(reinterpret_cast<HICON>(hIcon));
}
