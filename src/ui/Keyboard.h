#pragma once
// The keys the clock knows, the same on every platform: a front end names
// its own codes for them once (NativeKeys) and hands each key event here. What
// a key does to the window (the focus, a click) is decided with the controls'
// rows, in clock/ControlTable.h.

namespace keyboard {

enum class Key { Tab, Space, Return, Enter, Escape, A, M, L, F4, Other };

struct KeyPress {
    Key key = Key::Other;
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// A platform's codes for the keys that are not letters; -1 where it has none.
// Letters are their upper-case ASCII codes on every platform the clock knows.
struct NativeKeys {
    int tab;
    int backtab;  // Shift+Tab, where the platform reports it as a key of its own
    int space;
    int returnKey;
    int enter;  // the keypad's
    int escape;
    int f4;
};

// A key event in the clock's terms.
KeyPress keyPressOf(int code, const NativeKeys& keys, bool shift, bool ctrl, bool alt);

enum class Command {
    None,
    FocusNext,
    FocusPrevious,
    ActivateFocused,  // as a click on the focused control
    Shortcut,         // as a click on the control whose key it is
};

Command commandFor(const KeyPress& press);

}  // namespace keyboard
