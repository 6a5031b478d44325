#pragma once
// The tray icon's notifications come to the window as mouse moves (its
// callback message), with the notification number for x.

#include "app/win32/SystemHeaders.h"

#include <optional>

// The tray's notification number when a WM_MOUSEMOVE is one: a move at a
// point where the pointer is not, while no button is held in the window.
std::optional<int> trayNotification(HWND window, LPARAM lParam);
