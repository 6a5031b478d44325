#pragma once
// The window's mouse messages in the window rules' terms. A press keeps the
// mouse (capture) until its release, so the release comes back to the window
// wherever it happens, and a mouse taken by another window is heard of.

#include "app/win32/SystemHeaders.h"

#include <functional>

#include "clock/FormWindow.h"

// An event for the window rules; empty when there is none.
using RulesEvent = std::function<Changes(FormWindow&)>;

class MouseInput {
  public:
    // A button pressed at a point of the design.
    RulesEvent down(HWND window, POINT at, int button) const;
    // A move to a point of the design, with the key flags of the message.
    RulesEvent move(POINT at, WPARAM keys) const;
    // A button released: the mouse is let go before the rules hear of it,
    // since a click may open a dialog.
    RulesEvent up(HWND window, POINT at, int button);
    // WM_CAPTURECHANGED: the press and any drag are over when another
    // window took the mouse, not when this window let it go.
    RulesEvent captureChanged(HWND window, HWND taker) const;

  private:
    bool m_releasing = false;
};
