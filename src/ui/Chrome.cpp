// The borderless window's own chrome: dragging by the background, hiding,
// closing, and the tray's notifications that arrive as mouse moves.

#include <cmath>
#include <cstdint>
#include <limits>

#include "clock/frmMain.h"

namespace {

// Past these edges (in twips) a dragged window is sent home to 0,0.
constexpr int kHomeLeftLimit = 23700;
constexpr int kHomeTopLimit = 10110;

int32_t roundToInt32(float x) {
    if (!(x > std::numeric_limits<int32_t>::min() && x < std::numeric_limits<int32_t>::max()))
        return 0;
    return static_cast<int32_t>(std::lrint(x));
}

void handOnToTray(frmMain& form, int button, float x) {
    if (!form.SysTray) return;
    int16_t state = static_cast<int16_t>(button);
    form.SysTray->MouseMove(state, roundToInt32(x), form.platform().window);
}

}  // namespace

void frmMain::Form_MouseMove(int Button, float X, float) {
    handOnToTray(*this, Button, X);
}

void frmMain::pic_MouseMove(int Button, float X, float) {
    handOnToTray(*this, Button, X);
}

void frmMain::bg_MouseDown(int, float, float) {
    blnMove = true;
}

void frmMain::bg_MouseMove(int Button, float X, float Y) {
    handOnToTray(*this, Button, X);
    WindowHost& window = m_platform.window;
    if (blnMove)
        window.move(window.left() + roundToInt32(X), window.top() + roundToInt32(Y));
    else
        window.show();
}

void frmMain::bg_MouseUp(int, float, float) {
    blnMove = false;
    WindowHost& window = m_platform.window;
    if (window.left() >= kHomeLeftLimit) window.move(0, 0);
    if (window.top() >= kHomeTopLimit) window.move(0, 0);
}

void frmMain::bg_Click() {
    m_platform.window.show();
}

void frmMain::lblMinimize_Click() {
    m_platform.window.hide();
}

void frmMain::lblClose_Click() {
    m_platform.window.close();
}

void frmMain::SysTray_LeftClick() {
    m_platform.window.show();
}

void frmMain::SysTray_DoubleClick() {
    m_platform.window.show();
}

void frmMain::SysTray_RightClick() {
    m_platform.window.hide();
}
