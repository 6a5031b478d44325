#include "app/win32/WindowAccess.h"

#include "clock/Keyboard.h"
#include "clock/frmMain.h"
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

layout::Box boxOf(accessible::Part part) {
    using accessible::Part;
    switch (part) {
        case Part::OnOff:
            return layout::butOnOff;
        case Part::Track:
            return layout::butTrack;
        case Part::Settings:
            return layout::butSettings;
        case Part::Minimize:
            return layout::lblMinimize;
        case Part::Close:
            return layout::lblClose;
        case Part::Time:
            return layout::lblTime;
        case Part::AlarmTime:
            return layout::lblAlarm;
        case Part::TrackLabel:
            return layout::lblTrack;
    }
    return layout::bg;
}

std::vector<AccessibleControl> accessibleControls(const frmMain& form) {
    std::vector<AccessibleControl> controls;
    for (accessible::Part part : kAccessibleParts) {
        const accessible::Description d = describePart(form, part);
        const layout::Box box = boxOf(part);
        AccessibleControl c;
        c.name = widen(d.name);
        c.description = widen(d.tooltip);
        c.shortcut = widen(d.shortcut);
        c.action = widen(d.action);
        c.rect = RECT{box.x, box.y, box.x + box.width, box.y + box.height};
        if (d.role == accessible::Role::Label) {
            c.role = ROLE_SYSTEM_STATICTEXT;
            c.state = STATE_SYSTEM_READONLY;
            c.value = widen(d.text);
        } else {
            // A toggle button is a push button that is pressed while on.
            c.role = ROLE_SYSTEM_PUSHBUTTON;
            c.state =
                STATE_SYSTEM_FOCUSABLE | (d.checked.value_or(false) ? STATE_SYSTEM_PRESSED : 0);
        }
        controls.push_back(std::move(c));
    }
    return controls;
}

void drawFocusMark(HDC dc, const layout::Box& box) {
    // From the outside in: black, two lines of cyan, black; a pixel off the control.
    const COLORREF colours[] = {layout::kBlack, layout::kCyan, layout::kCyan, layout::kBlack};
    for (int i = 0; i < 4; ++i) {
        const int out = 5 - i;
        RECT ring{box.x - out, box.y - out, box.x + box.width + out, box.y + box.height + out};
        HBRUSH brush = CreateSolidBrush(colours[i]);
        FrameRect(dc, &ring, brush);
        DeleteObject(brush);
    }
}
