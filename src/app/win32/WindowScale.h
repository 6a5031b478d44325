#pragma once
// The window's screen density: the monitor's pixels per pixel of the 600 x 300
// design (1 at 96 dots per inch), and the sums between the two.

#include "app/win32/SystemHeaders.h"

#include "ui/Face.h"

// The window's dots per inch; the screen's, or 96, where the window's cannot be read.
UINT windowDpi(HWND window);

class WindowScale {
  public:
    explicit WindowScale(UINT dpi = USER_DEFAULT_SCREEN_DPI);
    UINT dpi() const { return m_dpi; }
    double factor() const { return m_factor; }
    // A length of the design in the monitor's pixels.
    int pixels(double designPixels) const;
    // A rectangle of the design in client pixels.
    RECT scaled(const face::Rect& rect) const;
    // A mouse message's point in the design's pixels.
    POINT designPoint(LPARAM lParam) const;

  private:
    UINT m_dpi;
    double m_factor;
};
