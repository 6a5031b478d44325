#pragma once
// The window's rule book: every control's place, look and stacking, what lies
// under a point, how mouse buttons and pixels reach the form, and when a
// release is a click. Both front ends paint and route events from this alone.

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "ui/WindowGeometry.h"

namespace face {

// The controls, bottom-most first: later ones lie on top of earlier ones.
enum class Control : uint8_t {
    bg,
    lblTime,
    lblAMPM,
    lblClose,
    lblMinimize,
    butSong,
    butBuzz,
    butTrack,
    lblTrack,
    butSettings,
    butOnOff,
    lblAlarm,
};
inline constexpr int kControlCount = 12;

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

struct ControlFace {
    Control id;
    const char* name;  // the form's name of the control
    Kind kind;
    Rect rect;       // in pixels of the 600 x 300 window
    LabelLook look;  // labels only
    bool clickable;  // a click runs the control's handler
};

// Every control, bottom-most first.
const std::array<ControlFace, kControlCount>& controls();
const ControlFace& faceOf(Control control);

// Colours as 0x00BBGGRR, and the same as 0xRRGGBB for painters that want it.
inline constexpr uint32_t kCyan = 0x00FFFF00;
inline constexpr uint32_t kBlack = 0x00000000;
inline constexpr uint32_t kGrey = 0x00A2A2A2;
inline constexpr uint32_t kLightGrey = 0x00D0D0D0;
constexpr uint32_t rgbOf(uint32_t bgr) {
    return (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);
}

// The topmost control at a point whose `visible(control)` is true; the
// background when no other lies there.
template <typename Visible>
Control controlAt(int x, int y, Visible&& visible) {
    const auto& all = controls();
    const auto found = std::find_if(all.rbegin(), all.rend(), [&](const ControlFace& face) {
        return face.id != Control::bg && visible(face.id) && face.rect.contains(x, y);
    });
    return found == all.rend() ? Control::bg : found->id;
}

// Mouse buttons as the form's events carry them.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

inline float twipsOf(int px) {
    return static_cast<float>(px * geometry::kTwipsPerPixel);
}

// The click rule. A press remembers the control it began on; a later release
// is a click when it is the left button over that same control. A press on the
// background starts a drag, which its release (any button) ends. Losing the
// mouse (another window took it, a dialog popped up) forgets the press and
// ends the drag.
class Pointer {
  public:
    // A button went down over `control`: true when it starts a drag.
    bool press(Control control);
    struct Release {
        bool endsDrag = false;
        std::optional<Control> click;
    };
    Release release(Control under, int button);
    // True when this ends a drag.
    bool lose();
    bool dragging() const { return m_dragging; }

  private:
    std::optional<Control> m_pressed;
    bool m_dragging = false;
};

}  // namespace face
