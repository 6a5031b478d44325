#include "ui/Keyboard.h"

namespace keyboard {

KeyPress keyPressOf(int code, const NativeKeys& keys, bool shift, bool ctrl, bool alt) {
    KeyPress press{Key::Other, shift, ctrl, alt};
    if (code < 0) return press;  // -1 names a key the platform lacks
    if (code == keys.backtab) {
        press.key = Key::Tab;
        press.shift = true;
    } else if (code == keys.tab) {
        press.key = Key::Tab;
    } else if (code == keys.space) {
        press.key = Key::Space;
    } else if (code == keys.returnKey) {
        press.key = Key::Return;
    } else if (code == keys.enter) {
        press.key = Key::Enter;
    } else if (code == keys.escape) {
        press.key = Key::Escape;
    } else if (code == keys.f4) {
        press.key = Key::F4;
    } else if (code == 'A') {
        press.key = Key::A;
    } else if (code == 'M') {
        press.key = Key::M;
    } else if (code == 'L') {
        press.key = Key::L;
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
