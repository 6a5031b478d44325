#include "app/win32/MouseInput.h"

#include <string>

#include "log/Log.h"

namespace {

// The button state of a mouse message's key flags.
int heldButtons(WPARAM keys) {
    return (keys & MK_LBUTTON ? face::kLeftButton : 0) |
           (keys & MK_RBUTTON ? face::kRightButton : 0) |
           (keys & MK_MBUTTON ? face::kMiddleButton : 0);
}

}  // namespace

RulesEvent MouseInput::down(HWND window, POINT at, int button) const {
    SetCapture(window);
    return [at, button](FormWindow& rules) { return rules.mouseDown(at.x, at.y, button); };
}

RulesEvent MouseInput::move(POINT at, WPARAM keys) const {
    return [at, held = heldButtons(keys)](FormWindow& rules) {
        return rules.mouseMove(at.x, at.y, held);
    };
}

RulesEvent MouseInput::up(HWND window, POINT at, int button) {
    if (GetCapture() == window) {
        m_releasing = true;  // the WM_CAPTURECHANGED of this release is no loss
        ReleaseCapture();
        m_releasing = false;
    }
    logDebug(LogCategory::ui, "button " + std::to_string(button) + " released at " +
                                  std::to_string(at.x) + "," + std::to_string(at.y));
    return [at, button](FormWindow& rules) { return rules.mouseUp(at.x, at.y, button); };
}

RulesEvent MouseInput::captureChanged(HWND window, HWND taker) const {
    if (m_releasing || taker == window) return {};
    return &FormWindow::mouseLost;
}
