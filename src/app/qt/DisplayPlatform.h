#pragma once
// Which of Qt's display platforms the clock runs on. The borderless window
// places itself (the drag, the return home), which only an X server lets a
// program do: under a Wayland session with XWayland the clock runs through X,
// and natively only where Wayland alone is there.

// Sets QT_QPA_PLATFORM to xcb when DISPLAY is set and the user chose no platform
// (with QT_QPA_PLATFORM or -platform, which Qt puts first); to wayland when only
// WAYLAND_DISPLAY is set. Call before QApplication.
void chooseDisplayPlatform();

// True on a platform where the compositor, not the program, places windows.
bool compositorPlacesWindows();
