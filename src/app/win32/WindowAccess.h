#pragma once
// The window's keyboard and screen-reader parts on Win32, from the rules:
// key messages in the core's terms, the described controls as Active
// Accessibility children, and the focus mark.

#include "app/win32/SystemHeaders.h"

#include <functional>
#include <vector>

#include "app/win32/AccessibleWindow.h"
#include "clock/FormWindow.h"

// A WM_KEYDOWN or WM_SYSKEYDOWN in the core's terms.
keyboard::KeyPress keyPressOf(WPARAM virtualKey);

// The child id of a control: its place in face::described(), from 1; 0 for none.
long childOf(face::Control control);
face::Control controlOfChild(long child);

// The child that tells the ringing alarm (ROLE_SYSTEM_ALERT, named with the
// alert's text; invisible while the alarm does not ring): after the described controls.
long alertChild();

// The described controls as children, then the alert, at the window's scale
// (`place` gives a control's rectangle in client pixels).
std::vector<AccessibleControl> accessibleControls(const FormWindow& rules,
                                                  const std::function<RECT(face::Control)>& place);

// A ring of the display's cyan between black lines around `box`, `width` pixels a line.
void drawFocusMark(HDC dc, const RECT& box, int width);
