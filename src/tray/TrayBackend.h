#pragma once
// The notification area of the desktop, driven by the icon record that the tray
// manager keeps. Qt implements it with QSystemTrayIcon; tests record the calls.

#include <array>
#include <cstdint>
#include <vector>

// The icon record, field for field as the shell's single-byte NOTIFYICONDATA.
struct NotifyIconData {
    uint32_t cbSize = 0;
    uint64_t hWnd = 0;
    uint32_t uID = 0;
    uint32_t uFlags = 0;
    uint32_t uCallbackMessage = 0;
    uint64_t hIcon = 0;
    std::array<char, 128> szTip{};
    uint32_t dwState = 0;
    uint32_t dwStateMask = 0;
    std::array<char, 256> szInfo{};
    uint32_t uTimeout = 0;
    std::array<char, 64> szInfoTitle{};
    uint32_t dwInfoFlags = 0;
};

enum NotifyMessage : uint32_t { NIM_ADD = 0, NIM_MODIFY = 1, NIM_DELETE = 2 };
enum NotifyFlag : uint32_t { NIF_MESSAGE = 1, NIF_ICON = 2, NIF_TIP = 4, NIF_INFO = 16 };

// The shell's notification numbers: what the tray icon reports back, in the
// callback message's mouse-move form.
namespace shell {
inline constexpr int WM_MOUSEMOVE = 512;
inline constexpr int WM_LBUTTONDOWN = 513;
inline constexpr int WM_LBUTTONUP = 514;
inline constexpr int WM_LBUTTONDBLCLK = 515;
inline constexpr int WM_RBUTTONDOWN = 516;
inline constexpr int WM_RBUTTONUP = 517;
inline constexpr int WM_RBUTTONDBLCLK = 518;
inline constexpr int WM_MBUTTONUP = 520;
inline constexpr int NIN_BALLOONHIDE = 1027;
inline constexpr int NIN_BALLOONTIMEOUT = 1028;
inline constexpr int NIN_BALLOONUSERCLICK = 1029;
}  // namespace shell

// A picture as 24-bit colours 0x00BBGGRR, row by row from the top-left pixel.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// An icon image: a colour picture and a mask of the same size (true: transparent).
struct IconImage {
    Picture colour;
    std::vector<bool> mask;
};

class TrayBackend {
  public:
    virtual ~TrayBackend() = default;
    // Shell_NotifyIcon: add, modify or delete the icon the record describes.
    virtual void notifyIcon(NotifyMessage message, const NotifyIconData& record) = 0;
    // Makes an icon handle from an image; 0 on failure.
    virtual uint64_t createIcon(const IconImage& image) = 0;
    virtual void destroyIcon(uint64_t hIcon) = 0;
    // Whether a tray host shows the icon now, so that hiding to it can be undone.
    virtual bool iconShown() const = 0;
};
