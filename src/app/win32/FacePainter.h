#pragma once
// Paints the window's face from the rule book at the monitor's scale. Each
// picture is scaled once per screen density and kept; a paint draws only the
// controls that lie in the part of the window to be painted, so a tick costs
// the time's rectangle.

#include "app/win32/SystemHeaders.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "app/win32/WindowScale.h"
#include "clock/FormWindow.h"
#include "platform/win32/Owned.h"

namespace Gdiplus {
class Bitmap;
}

class FacePainter {
  public:
    FacePainter();
    ~FacePainter();
    FacePainter(const FacePainter&) = delete;
    FacePainter& operator=(const FacePainter&) = delete;

    // A new screen density: the pictures and fonts made for the old one go.
    void setScale(const WindowScale& scale);
    // Paints `area` (client pixels) of the face into `target`; with `rules`
    // null, black. `focusMark` rings the focused control.
    void paint(HDC target, const RECT& area, const FormWindow* rules, bool hasKeyboard);

  private:
    // A picture at the monitor's scale: premultiplied 32-bit pixels in a
    // device context of its own, ready to blend.
    struct Scaled;
    void drawPicture(HDC dc, const RECT& area, const FormWindow& rules, face::Control control);
    void drawLabel(HDC dc, const FormWindow& rules, face::Control control);
    HFONT font(const std::string& name, bool bold, int pixelSize);
    Gdiplus::Bitmap* picture(const std::string& name);
    const Scaled* scaledPicture(const std::string& name);

    WindowScale m_scale;
    // The pictures as read, at their own size.
    std::map<std::string, std::unique_ptr<Gdiplus::Bitmap>> m_pictures;
    // The pictures at this density (null where a picture is missing).
    std::map<std::string, std::unique_ptr<Scaled>> m_scaled;
    std::map<std::tuple<std::string, bool, int>, OwnedFont> m_fonts;
};
