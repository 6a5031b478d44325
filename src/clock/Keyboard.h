#pragma once
// The keyboard's clicks and the screen reader's descriptions, read off frmMain.

#include "clock/frmMain.h"
#include "ui/AccessibleText.h"
#include "ui/Keyboard.h"

// Runs the handler a mouse click on the control runs.
void clickControl(frmMain& form, keyboard::Control control);

// A part of the window as a screen reader is told of it, now.
accessible::Description describePart(const frmMain& form, accessible::Part part);
