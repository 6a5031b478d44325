#pragma once
// The controls' tooltips: one tool per keyboard control, its text asked for
// in the clock's language when it shows. None shows while a dialog of the
// clock is open (the window is disabled then), where it would hide the
// dialog's text.

#include "app/win32/SystemHeaders.h"

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "clock/FormWindow.h"

class Tooltips {
  public:
    // `place` gives a control's rectangle in client pixels.
    Tooltips(HWND owner, HINSTANCE instance, std::function<RECT(face::Control)> place);
    // The tools' rectangles again, after a change of screen density.
    void place();
    // A WM_NOTIFY of the tooltips asking for a text; false for any other.
    bool answer(NMHDR* header, const FormWindow& rules);
    // The window was disabled (a dialog opened): the tooltip shown goes.
    void disabled();

  private:
    HWND m_owner;
    // Destroyed with its owner, the window.
    HWND m_tooltips = nullptr;
    std::function<RECT(face::Control)> m_place;
    // The texts, kept alive for the tooltip control.
    std::vector<std::wstring> m_tips;
};
