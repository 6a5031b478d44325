#include "app/win32/WindowAccess.h"

#include <algorithm>

#include "platform/win32/Owned.h"
#include "platform/win32/WideText.h"

keyboard::KeyPress keyPressOf(WPARAM virtualKey) {
    // Windows has no key of its own for Shift+Tab, and the keypad's Enter is VK_RETURN.
    static constexpr keyboard::NativeKeys kVirtualKeys{VK_TAB, -1,        VK_SPACE, VK_RETURN,
                                                       -1,     VK_ESCAPE, VK_F4};
    return keyboard::keyPressOf(static_cast<int>(virtualKey), kVirtualKeys,
                                GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0,
                                GetKeyState(VK_MENU) < 0);
}

long childOf(face::Control control) {
    const auto all = face::described();
    const auto found = std::find(all.begin(), all.end(), control);
    return found == all.end() ? 0 : static_cast<long>(found - all.begin()) + 1;
}

long alertChild() {
    return static_cast<long>(face::described().size()) + 1;
}

face::Control controlOfChild(long child) {
    return face::described()[static_cast<size_t>(child - 1)];
}

std::vector<AccessibleControl> accessibleControls(const FormWindow& rules,
                                                  const std::function<RECT(face::Control)>& place) {
    std::vector<AccessibleControl> controls;
    for (face::Control control : face::described()) {
        const accessible::Description d = rules.describe(control);
        AccessibleControl c;
        c.name = widen(d.name);
        c.description = widen(d.tooltip);
        c.shortcut = widen(d.shortcut);
        c.action = widen(d.action);
        c.rect = place(control);
        if (!rules.view(control).visible) c.state |= STATE_SYSTEM_INVISIBLE;
        if (d.role == accessible::Role::Label) {
            c.role = ROLE_SYSTEM_STATICTEXT;
            c.state |= STATE_SYSTEM_READONLY;
            c.value = widen(d.text);
        } else {
            // A toggle button is a push button that is pressed while on.
            c.role = ROLE_SYSTEM_PUSHBUTTON;
            c.state |= STATE_SYSTEM_FOCUSABLE;
            if (d.checked.value_or(false)) c.state |= STATE_SYSTEM_PRESSED;
        }
        controls.push_back(std::move(c));
    }
    AccessibleControl alert;
    alert.name = widen(rules.ringingAlert());
    alert.role = ROLE_SYSTEM_ALERT;
    alert.state = STATE_SYSTEM_READONLY | (alert.name.empty() ? STATE_SYSTEM_INVISIBLE : 0);
    controls.push_back(std::move(alert));
    return controls;
}

void drawFocusMark(HDC dc, const RECT& box, int width) {
    // From the outside in, `width` pixels a line, face::kFocusGap lines off the control.
    const int lines = static_cast<int>(face::kFocusRing.size());
    for (int i = 0; i < lines; ++i) {
        const OwnedBrush brush(CreateSolidBrush(face::kFocusRing[static_cast<size_t>(i)]));
        const int out = (lines + face::kFocusGap - i) * width;
        for (int line = 0; line < width; ++line) {
            RECT ring{box.left - out + line, box.top - out + line, box.right + out - line,
                      box.bottom + out - line};
            FrameRect(dc, &ring, brush.get());
        }
    }
}
