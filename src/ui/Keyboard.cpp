#include "ui/Keyboard.h"

#include <utility>

namespace keyboard {

KeyPress keyPressOf(int code, const NativeKeys& keys, bool shift, bool ctrl, bool alt) {
    KeyPress press{Key::Other, shift, ctrl, alt};
    if (code < 0) return press;  // -1 names a key the platform lacks
    if (code == keys.backtab) return {Key::Tab, true, ctrl, alt};
    const std::pair<int, Key> known[] = {
        {keys.tab, Key::Tab},
        {keys.space, Key::Space},
        {keys.returnKey, Key::Return},
        {keys.enter, Key::Enter},
        {keys.escape, Key::Escape},
        {keys.f4, Key::F4},
        {'A', Key::A},
        {'M', Key::M},
        {'L', Key::L},
    };
    for (const auto& [native, key] : known)
        if (code == native) {
            press.key = key;
            break;
        }
    return press;
}

Command commandFor(const KeyPress& press) {
    const bool plain = !press.ctrl && !press.alt;
    switch (press.key) {
        case Key::Tab:
            if (press.ctrl || press.alt) return Command::None;
            return press.shift ? Command::FocusPrevious : Command::FocusNext;
        case Key::Space:
        case Key::Return:
        case Key::Enter:
            return plain ? Command::ActivateFocused : Command::None;
        case Key::A:
        case Key::M:
        case Key::L:
            return plain ? Command::Shortcut : Command::None;
        case Key::Escape:
            return plain && !press.shift ? Command::Shortcut : Command::None;
        case Key::F4:
            return press.alt && !press.ctrl && !press.shift ? Command::Shortcut : Command::None;
        case Key::Other:
            break;
    }
    return Command::None;
}

}  // namespace keyboard
