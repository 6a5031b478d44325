#pragma once
// The clock by keyboard, the same on every platform: the controls the focus
// moves through, in order, and what each key does. The front ends turn their
// key events into a KeyPress and carry out the Command.

#include <array>
#include <optional>

#include "ui/Face.h"

namespace keyboard {

using face::Control;

// The controls that take the keyboard focus, in Tab's order: the switch, the
// notes, the cog, "-", "X".
inline constexpr std::array<Control, 5> focusOrder{Control::butOnOff, Control::butTrack,
                                                   Control::butSettings, Control::lblMinimize,
                                                   Control::lblClose};

enum class Key { Tab, Space, Return, Enter, Escape, A, M, L, F4, Other };

struct KeyPress {
    Key key = Key::Other;
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

enum class Command {
    None,
    FocusNext,
    FocusPrevious,
    ActivateFocused,  // as a click on the focused control
    Alarm,            // as a click on the ON/OFF switch
    Music,            // ... on the notes
    Language,         // ... on the cog
    Hide,             // ... on "-"
    Close,            // ... on "X"
};

Command commandFor(const KeyPress& press);

// The control after (or before) `from` in Tab's order, round and round; with
// no control focused yet, the first (or the last).
Control nextFocus(std::optional<Control> from, bool backwards);

// The control a command clicks, given the focused one; none for the focus
// moves, and for ActivateFocused with nothing focused.
std::optional<Control> commandTarget(Command command, std::optional<Control> focused);

// What a key press does to the window: where the focus goes and which
// control it clicks (with the same handler as the mouse). `handled` is false
// for keys the clock leaves to the system.
struct Response {
    bool handled = false;
    std::optional<Control> focus;  // the focus after the key
    std::optional<Control> click;
};
Response respond(const KeyPress& press, std::optional<Control> focused);

// The key that clicks a control (shown in its tooltip); Other for none.
Key shortcutKey(Control control);

}  // namespace keyboard
