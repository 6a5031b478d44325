// The borderless window's own chrome: dragging by the background, hiding,
// closing, and the tray's notifications that arrive as mouse moves.

#include <cstdint>

#include "clock/frmMain.h"
#include "log/Log.h"
#include "ui/WindowGeometry.h"

using geometry::roundTwips;

void frmMain::handOnToTray(int button, float x) {
    if (!SysTray) return;
    int16_t state = static_cast<int16_t>(button);
    SysTray->MouseMove(state, roundTwips(x), m_platform.window);
}

void frmMain::Form_MouseMove(int Button, float X, float) {
    handOnToTray(Button, X);
}

void frmMain::pic_MouseMove(int Button, float X, float) {
    handOnToTray(Button, X);
}

void frmMain::bg_MouseDown(int, float, float) {
    blnMove = true;
}

void frmMain::bg_MouseMove(int Button, float X, float Y) {
    handOnToTray(Button, X);
    WindowHost& window = m_platform.window;
    if (blnMove)
        window.move(window.left() + roundTwips(X), window.top() + roundTwips(Y));
    else
        showWindow();
}

void frmMain::bg_MouseUp(int, float, float) {
    blnMove = false;
    WindowHost& window = m_platform.window;
    if (window.left() >= geometry::kHomeLeftLimit) window.move(0, 0);
    if (window.top() >= geometry::kHomeTopLimit) window.move(0, 0);
}

void frmMain::bg_Click() {
    showWindow();
}

void frmMain::lblMinimize_Click() {
    hideWindow();
}

void frmMain::lblClose_Click() {
    m_platform.window.close();
}

void frmMain::SysTray_LeftClick() {
    showWindow();
}

void frmMain::SysTray_DoubleClick() {
    showWindow();
}

void frmMain::SysTray_RightClick() {
    hideWindow();
}

void frmMain::showWindow() {
    m_hiddenToTray = false;
    m_platform.window.show();
}

void frmMain::hideWindow() {
    // Never hidden with nothing to bring it back: without a tray icon the
    // window goes to the task bar instead.
    if (m_platform.tray.iconShown()) {
        m_platform.window.hide();
        m_hiddenToTray = true;
    } else {
        logDebug(LogCategory::ui, "no tray icon: minimised instead of hidden");
        m_platform.window.minimize();
    }
}

void frmMain::trayChanged() {
    if (!m_hiddenToTray || m_platform.tray.iconShown()) return;
    logDebug(LogCategory::ui, "the tray icon went: the hidden window comes back minimised");
    m_hiddenToTray = false;
    m_platform.window.minimize();
}

void frmMain::SysTray_Notification(int number) {
    // The number is the x coordinate in pixels, y is 0, the left button is
    // down. A point inside the background lands on `bg`, any other on the form.
    constexpr int kLeftButton = 1;
    const float x = static_cast<float>(number * geometry::kTwipsPerPixel);
    if (number >= 0 && number < geometry::kWidthPx)
        bg_MouseMove(kLeftButton, x, 0.0f);
    else
        Form_MouseMove(kLeftButton, x, 0.0f);
}
