#include "app/win32/WindowAccess.h"

#include <algorithm>

#include "platform/win32/Owned.h"
#include "platform/win32/WideText.h"

keyboard::KeyPress keyPressOf(WPARAM virtualKey) {
    using keyboard::Key;
    keyboard::KeyPress press;
    press.shift = GetKeyState(VK_SHIFT) < 0;
    press.ctrl = GetKeyState(VK_CONTROL) < 0;
    press.alt = GetKeyState(VK_MENU) < 0;
    switch (virtualKey) {
        case VK_TAB:
            press.key = Key::Tab;
            break;
        case VK_SPACE:
            press.key = Key::Space;
            break;
        case VK_RETURN:
            press.key = Key::Return;
            break;
        case VK_ESCAPE:
            press.key = Key::Escape;
            break;
        case 'A':
            press.key = Key::A;
            break;
        case 'M':
            press.key = Key::M;
            break;
        case 'L':
            press.key = Key::L;
            break;
        case VK_F4:
            press.key = Key::F4;
            break;
        default:
            press.key = Key::Other;
            break;
    }
    return press;
}

long childOf(face::Control control) {
    const auto& all = accessible::described;
    const auto found = std::find(all.begin(), all.end(), control);
    return found == all.end() ? 0 : static_cast<long>(found - all.begin()) + 1;
}

long alertChild() {
    return static_cast<long>(accessible::described.size()) + 1;
}

face::Control controlOfChild(long child) {
    return accessible::described.at(static_cast<size_t>(child - 1));
}

std::vector<AccessibleControl> accessibleControls(const FormWindow& rules,
                                                  const std::function<RECT(face::Control)>& place) {
    std::vector<AccessibleControl> controls;
    for (face::Control control : accessible::described) {
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
    // From the outside in: black, two lines of cyan, black; one line off the control.
    const COLORREF colours[] = {face::kBlack, face::kCyan, face::kCyan, face::kBlack};
    for (int i = 0; i < 4; ++i) {
        const OwnedBrush brush(CreateSolidBrush(colours[i]));
        const int out = (5 - i) * width;
        for (int line = 0; line < width; ++line) {
            RECT ring{box.left - out + line, box.top - out + line, box.right + out - line,
                      box.bottom + out - line};
            FrameRect(dc, &ring, brush.get());
        }
    }
}
