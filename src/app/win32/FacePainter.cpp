#include "app/win32/FacePainter.h"

#include <algorithm>

#include "app/win32/GdiPlus.h"
#include "app/win32/PictureFile.h"
#include "app/win32/Win32Services.h"
#include "app/win32/WindowAccess.h"
#include "platform/win32/WideText.h"

using face::Control;

FacePainter::FacePainter() = default;
FacePainter::~FacePainter() = default;

void FacePainter::setScale(const WindowScale& scale) {
    m_scale = scale;
    m_fonts.clear();
}

Gdiplus::Bitmap* FacePainter::picture(const std::string& name) {
    if (name.empty()) return nullptr;
    auto found = m_pictures.find(name);
    if (found == m_pictures.end()) {
        // A missing picture leaves the control empty.
        std::unique_ptr<Gdiplus::Bitmap> loaded = loadPicture(appFolder() + '\\' + name);
        if (loaded && loaded->GetLastStatus() != Gdiplus::Ok) loaded.reset();
        found = m_pictures.emplace(name, std::move(loaded)).first;
    }
    return found->second.get();
}

HFONT FacePainter::font(const std::string& name, bool bold, int pixelSize) {
    const int size = m_scale.pixels(pixelSize);
    auto key = std::make_tuple(name, bold, size);
    auto found = m_fonts.find(key);
    if (found == m_fonts.end()) {
        OwnedFont made(CreateFontW(-size, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                   DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   ANTIALIASED_QUALITY, DEFAULT_PITCH, widen(name).c_str()));
        found = m_fonts.emplace(std::move(key), std::move(made)).first;
    }
    return found->second.get();
}

void FacePainter::drawPicture(HDC dc, const FormWindow& rules, Control control) {
    const ControlView& view = rules.view(control);
    Gdiplus::Bitmap* bitmap = picture(view.picture);
    if (!bitmap || !view.visible) return;
    const RECT box = m_scale.scaled(face::faceOf(control).rect);
    Gdiplus::Graphics graphics(dc);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    // Drawn at its own size (at the monitor's scale) from the control's corner,
    // cut to the control.
    graphics.SetClip(Gdiplus::Rect(box.left, box.top, box.right - box.left, box.bottom - box.top));
    const auto size = [this](UINT v) { return m_scale.pixels(v); };
    graphics.DrawImage(bitmap, Gdiplus::Rect(box.left, box.top, size(bitmap->GetWidth()),
                                             size(bitmap->GetHeight())));
}

void FacePainter::drawLabel(HDC dc, const FormWindow& rules, Control control) {
    const ControlView& view = rules.view(control);
    if (!view.visible) return;
    const face::ControlFace& face = face::faceOf(control);
    RECT rect = m_scale.scaled(face.rect);
    const OwnedBrush brush(CreateSolidBrush(face.look.box));
    FillRect(dc, &rect, brush.get());
    const SelectedObject selected(dc, font(view.fontName, view.bold, face.look.fontPx));
    SetTextColor(dc, face.look.text);
    SetBkMode(dc, TRANSPARENT);
    const std::wstring caption = widen(view.caption);
    const UINT align = face.look.align == face::Align::center ? DT_CENTER : DT_LEFT;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rect,
              align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void FacePainter::paint(HDC target, const RECT& client, const FormWindow* rules, bool focusMark) {
    const int width = client.right, height = client.bottom;
    const OwnedDc dc(CreateCompatibleDC(target));
    const OwnedBitmap canvas(CreateCompatibleBitmap(target, width, height));
    const SelectedObject selected(dc.get(), canvas.get());
    FillRect(dc.get(), &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (rules) {
        // Bottom-most first, so later controls lie on top.
        for (const face::ControlFace& face : face::controls()) {
            if (face.kind == face::Kind::picture)
                drawPicture(dc.get(), *rules, face.id);
            else
                drawLabel(dc.get(), *rules, face.id);
        }
        if (focusMark)
            drawFocusMark(dc.get(), m_scale.scaled(face::faceOf(rules->focused()).rect),
                          std::max(1, m_scale.pixels(1)));
    }
    BitBlt(target, 0, 0, width, height, dc.get(), 0, 0, SRCCOPY);
}
