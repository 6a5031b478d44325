#pragma once
// Paints the window's face from the rule book at the monitor's scale.

#include "app/win32/SystemHeaders.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "app/win32/Owned.h"
#include "app/win32/WindowScale.h"
#include "clock/FormWindow.h"

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
    // Paints the face, `client` pixels, into `target`; with `rules` null,
    // black. `focusMark` rings the focused control.
    void paint(HDC target, const RECT& client, const FormWindow* rules, bool focusMark);

  private:
    void drawPicture(HDC dc, const FormWindow& rules, face::Control control);
    void drawLabel(HDC dc, const FormWindow& rules, face::Control control);
    HFONT font(const std::string& name, bool bold, int pixelSize);
    Gdiplus::Bitmap* picture(const std::string& name);

    WindowScale m_scale;
    std::map<std::string, std::unique_ptr<Gdiplus::Bitmap>> m_pictures;
    std::map<std::tuple<std::string, bool, int>, OwnedFont> m_fonts;
};
