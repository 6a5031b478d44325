#pragma once
// What the window tells screen readers on its own: the focus, a control's
// changed name or state, and the ringing alarm's alert. The time's text
// changes every second and is read when asked for, not announced.

#include "app/win32/SystemHeaders.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "clock/FormWindow.h"

class AccessibleNews {
  public:
    // Tells what changed since the last call (nothing at the first: nothing was told yet).
    // `place` gives a control's rectangle in client pixels.
    void tell(HWND window, const FormWindow& rules,
              const std::function<RECT(face::Control)>& place);
    // The window lost or gained the keyboard: the focus is told again.
    void forgetFocus() { m_toldFocus = 0; }
    // The alarm started ringing: the alert child says so.
    static void alert(HWND window, const std::string& text);

  private:
    long m_toldFocus = 0;
    // Each child's name and state as last told.
    std::vector<std::pair<std::wstring, long>> m_told;
};
