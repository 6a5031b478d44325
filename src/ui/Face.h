#pragma once
// The window's measures and looks: rectangles, label looks, colours, the
// focus mark, mouse buttons and twips. The controls themselves, one row each,
// are in clock/ControlTable.h.

#include <array>
#include <cstdint>

#include "ui/WindowGeometry.h"

namespace face {

// A control of the window; its names and rows are in clock/ControlTable.h.
enum class Control : uint8_t;

struct Rect {
    int x, y, width, height;
    bool contains(int px, int py) const {
        return px >= x && py >= y && px < x + width && py < y + height;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

enum class Kind : uint8_t { picture, label };
enum class Align : uint8_t { left, center };

// A label's look: font size in pixels at 96 dots per inch, colours as 0x00BBGGRR.
struct LabelLook {
    int fontPx;
    uint32_t text;
    uint32_t box;
    Align align;
};

// Colours as 0x00BBGGRR, and the same as 0xRRGGBB for painters that want it.
inline constexpr uint32_t kCyan = 0x00FFFF00;
inline constexpr uint32_t kBlack = 0x00000000;
inline constexpr uint32_t kGrey = 0x00A2A2A2;
inline constexpr uint32_t kLightGrey = 0x00D0D0D0;
constexpr uint32_t rgbOf(uint32_t bgr) {
    return (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);
}

// The mark around the control with the keyboard focus: a ring of the
// display's cyan between black lines, seen on the black panel and on the grey
// housing alike. Its lines from the outside in, each one pixel of the design,
// the innermost `kFocusGap` pixels off the control.
inline constexpr std::array<uint32_t, 4> kFocusRing{kBlack, kCyan, kCyan, kBlack};
inline constexpr int kFocusGap = 1;

// Mouse buttons as the form's events carry them.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

inline float twipsOf(int px) {
    return static_cast<float>(px * geometry::kTwipsPerPixel);
}

}  // namespace face
