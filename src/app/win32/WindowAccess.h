#pragma once
// The window's keyboard and screen-reader parts on Win32, from the core's
// tables: key messages in the core's terms, the parts as Active
// Accessibility children, and the focus mark.

#include "app/win32/SystemHeaders.h"

#include <vector>

#include "app/win32/AccessibleWindow.h"
#include "app/win32/Layout.h"
#include "ui/AccessibleText.h"
#include "ui/Keyboard.h"

class frmMain;

// A WM_KEYDOWN or WM_SYSKEYDOWN in the core's terms.
keyboard::KeyPress keyPressOf(WPARAM virtualKey);

// The parts a screen reader meets, in child order: the five controls in
// Tab's order, then the time, the alarm time and the track.
inline constexpr accessible::Part kAccessibleParts[] = {
    accessible::Part::OnOff,     accessible::Part::Track,     accessible::Part::Settings,
    accessible::Part::Minimize,  accessible::Part::Close,     accessible::Part::Time,
    accessible::Part::AlarmTime, accessible::Part::TrackLabel};

// Where a part sits in the window.
layout::Box boxOf(accessible::Part part);

std::vector<AccessibleControl> accessibleControls(const frmMain& form);

// The child id of a keyboard control (its place in kAccessibleParts, from 1).
inline long childOf(keyboard::Control control) {
    return static_cast<long>(control) + 1;
}

// A ring of the display's cyan between black lines around the box.
void drawFocusMark(HDC dc, const layout::Box& box);
