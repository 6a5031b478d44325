#pragma once
// The window's controls, one row each: the form's name, the field of frmMain
// it shows, its place, look, what a screen reader is told of it in both
// languages, its key, its click handler and its place in the focus order.
// The rows are in stacking order (later ones lie on top), so a control is
// added by adding its name below and its row in ControlTable.cpp. The form as
// a window (FormWindow), the screen-reader texts, the keyboard and both
// painters read these rows and nothing else about a control.

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "clock/Controls.h"
#include "ui/AccessibleText.h"
#include "ui/Face.h"
#include "ui/Keyboard.h"

class frmMain;

namespace face {

// The controls, bottom-most first: the rows' order.
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
    count
};
inline constexpr int kControlCount = static_cast<int>(Control::count);

// What a screen reader is told of a control. The name and tooltip are the
// row's own; `adjust`, where given, then fits them to the form's state (the
// switch's on/off, the chosen track, the time's text).
struct Said {
    accessible::Role role = accessible::Role::None;
    accessible::Bilingual name{};
    accessible::Bilingual tip{};
    void (*adjust)(accessible::Description&, const frmMain&) = nullptr;
};

struct ControlRow {
    Control id;
    const char* name;  // the form's name of the control
    // The field of frmMain it shows: a label or a picture.
    Label frmMain::*label = nullptr;
    PictureControl frmMain::*picture = nullptr;
    Rect rect{};       // in pixels of the 600 x 300 window
    LabelLook look{};  // labels only
    Said said{};
    keyboard::Key key = keyboard::Key::Other;  // the key that clicks it
    void (frmMain::*click)() = nullptr;        // a click runs this; none: it cannot be pressed
    // Its place among the controls a screen reader meets, from 1 (0: none);
    // those that can be pressed take the keyboard focus in this order.
    int order = 0;

    Kind kind() const { return label ? Kind::label : Kind::picture; }
    bool pressable() const { return click != nullptr; }
};

// Every control, bottom-most first.
std::span<const ControlRow> controls();
const ControlRow& rowOf(Control control);

// The controls a screen reader meets, in its order.
std::span<const Control> described();

// The topmost control at a point whose `visible(control)` is true; the
// background when no other lies there.
template <typename Visible>
Control controlAt(int x, int y, Visible&& visible) {
    const auto all = controls();
    const auto found = std::find_if(all.rbegin(), all.rend(), [&](const ControlRow& row) {
        return row.id != Control::bg && visible(row.id) && row.rect.contains(x, y);
    });
    return found == all.rend() ? Control::bg : found->id;
}

// The click rule. A press remembers the control it began on; a later release
// is a click when it is the left button over that same control, and the
// control can be pressed. A press on the background starts a drag, which its
// release (any button) ends. Losing the mouse (another window took it, a
// dialog popped up) forgets the press and ends the drag.
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

namespace keyboard {

using face::Control;

// The controls that take the keyboard focus, in Tab's order.
std::span<const Control> focusOrder();

// The control after (or before) `from` in Tab's order, round and round; with
// no control focused yet, the first (or the last).
Control nextFocus(std::optional<Control> from, bool backwards);

// What a key press does to the window: where the focus goes and which
// control it clicks (with the same handler as the mouse). `handled` is false
// for keys the clock leaves to the system.
struct Response {
    bool handled = false;
    std::optional<Control> focus;  // the focus after the key
    std::optional<Control> click;
};
Response respond(const KeyPress& press, std::optional<Control> focused);

}  // namespace keyboard
