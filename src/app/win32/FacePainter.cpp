#include "app/win32/FacePainter.h"

#include <algorithm>

#include "app/win32/GdiPlus.h"
#include "app/win32/PictureFile.h"
#include "app/win32/Win32Services.h"
#include "app/win32/WindowAccess.h"
#include "platform/win32/WideText.h"

using face::Control;

struct FacePainter::Scaled {
    Scaled(HDC like, int width, int height)
        : size{width, height},
          dc(CreateCompatibleDC(like)),
          bitmap(dib(width, height)),
          selected(dc.get(), bitmap.get()) {}

    // A top-down 32-bit bitmap, all transparent.
    static HBITMAP dib(int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    }

    SIZE size;
    OwnedDc dc;
    OwnedBitmap bitmap;
    SelectedObject selected;
};

FacePainter::FacePainter() = default;
FacePainter::~FacePainter() = default;

void FacePainter::setScale(const WindowScale& scale) {
    m_scale = scale;
    m_scaled.clear();
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

const FacePainter::Scaled* FacePainter::scaledPicture(const std::string& name) {
    auto found = m_scaled.find(name);
    if (found != m_scaled.end()) return found->second.get();
    std::unique_ptr<Scaled> made;
    if (Gdiplus::Bitmap* source = picture(name)) {
        const int width = m_scale.pixels(source->GetWidth());
        const int height = m_scale.pixels(source->GetHeight());
        made = std::make_unique<Scaled>(nullptr, width, height);
        if (made->bitmap) {
            // Drawn over transparency, so that its edges, blended with what
            // lies outside the picture, blend with what lies under it later.
            Gdiplus::Graphics graphics(made->dc.get());
            graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
            graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
            graphics.DrawImage(source, Gdiplus::Rect(0, 0, width, height));
        } else {
            made.reset();
        }
    }
    return m_scaled.emplace(name, std::move(made)).first->second.get();
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

void FacePainter::drawPicture(HDC dc, const RECT& area, const FormWindow& rules, Control control) {
    const ControlView& view = rules.view(control);
    if (!view.visible) return;
    const Scaled* scaled = scaledPicture(view.picture);
    if (!scaled) return;
    // Drawn at its own size (at the monitor's scale) from the control's corner,
    // cut to the control.
    const RECT box = m_scale.scaled(face::rowOf(control).rect);
    const RECT whole{box.left, box.top, box.left + scaled->size.cx, box.top + scaled->size.cy};
    RECT shown{};
    if (!IntersectRect(&shown, &box, &whole) || !IntersectRect(&shown, &shown, &area)) return;
    const int width = shown.right - shown.left, height = shown.bottom - shown.top;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, shown.left, shown.top, width, height, scaled->dc.get(), shown.left - box.left,
               shown.top - box.top, width, height, blend);
}

void FacePainter::drawLabel(HDC dc, const FormWindow& rules, Control control) {
    const ControlView& view = rules.view(control);
    if (!view.visible) return;
    const face::ControlRow& face = face::rowOf(control);
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

void FacePainter::paint(HDC target, const RECT& area, const FormWindow* rules, bool hasKeyboard) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return;
    // A canvas of the area alone, drawn on in client pixels.
    const OwnedDc dc(CreateCompatibleDC(target));
    const OwnedBitmap canvas(CreateCompatibleBitmap(target, width, height));
    const SelectedObject selected(dc.get(), canvas.get());
    SetViewportOrgEx(dc.get(), -area.left, -area.top, nullptr);
    FillRect(dc.get(), &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (rules) {
        // Bottom-most first, so later controls lie on top; those outside the area not at all.
        for (const face::ControlRow& row : face::controls()) {
            const RECT box = m_scale.scaled(row.rect);
            RECT overlap{};
            if (!IntersectRect(&overlap, &box, &area)) continue;
            if (row.kind() == face::Kind::picture)
                drawPicture(dc.get(), area, *rules, row.id);
            else
                drawLabel(dc.get(), *rules, row.id);
        }
        if (const std::optional<face::Rect> mark = rules->focusMark(hasKeyboard))
            drawFocusMark(dc.get(), m_scale.scaled(*mark), std::max(1, m_scale.pixels(1)));
    }
    BitBlt(target, area.left, area.top, width, height, dc.get(), area.left, area.top, SRCCOPY);
}
