#pragma once
// Tray notifications reach the window as mouse moves: the notification number
// is the x coordinate in pixels, y is 0, the left button is down. A point inside
// the 600-pixel-wide background lands on `bg`, any other on the window itself.

class frmMain;

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kWindowWidthPx = 600;
inline constexpr int kLeftButton = 1;

// Shell notification numbers the front end maps its tray activations to.
namespace shell {
inline constexpr int WM_LBUTTONUP = 514;
inline constexpr int WM_LBUTTONDBLCLK = 515;
inline constexpr int WM_RBUTTONUP = 517;
inline constexpr int WM_MBUTTONUP = 520;
inline constexpr int NIN_BALLOONUSERCLICK = 1029;
}  // namespace shell

void deliverTrayNotification(frmMain& form, int number);
