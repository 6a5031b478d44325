#include "ui/Keyboard.h"

#include <algorithm>

namespace keyboard {

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
            return plain ? Command::Alarm : Command::None;
        case Key::M:
            return plain ? Command::Music : Command::None;
        case Key::L:
            return plain ? Command::Language : Command::None;
        case Key::Escape:
            return plain && !press.shift ? Command::Hide : Command::None;
        case Key::F4:
            return press.alt && !press.ctrl && !press.shift ? Command::Close : Command::None;
        case Key::Other:
            break;
    }
    return Command::None;
}

Control nextFocus(std::optional<Control> from, bool backwards) {
    const auto count = static_cast<long>(focusOrder.size());
    if (!from) return backwards ? focusOrder.back() : focusOrder.front();
    const auto found = std::find(focusOrder.begin(), focusOrder.end(), *from);
    if (found == focusOrder.end()) return backwards ? focusOrder.back() : focusOrder.front();
    const long at = found - focusOrder.begin();
    const long to = (at + (backwards ? count - 1 : 1)) % count;
    return focusOrder[static_cast<size_t>(to)];
}

std::optional<Control> commandTarget(Command command, std::optional<Control> focused) {
    switch (command) {
        case Command::ActivateFocused:
            return focused;
        case Command::Alarm:
            return Control::butOnOff;
        case Command::Music:
            return Control::butTrack;
        case Command::Language:
            return Control::butSettings;
        case Command::Hide:
            return Control::lblMinimize;
        case Command::Close:
            return Control::lblClose;
        case Command::None:
        case Command::FocusNext:
        case Command::FocusPrevious:
            break;
    }
    return std::nullopt;
}

Response respond(const KeyPress& press, std::optional<Control> focused) {
    const Command command = commandFor(press);
    switch (command) {
        case Command::None:
            return {false, focused, std::nullopt};
        case Command::FocusNext:
        case Command::FocusPrevious:
            return {true, nextFocus(focused, command == Command::FocusPrevious), std::nullopt};
        default:
            return {true, focused, commandTarget(command, focused)};
    }
}

Key shortcutKey(Control control) {
    switch (control) {
        case Control::butOnOff:
            return Key::A;
        case Control::butTrack:
            return Key::M;
        case Control::butSettings:
            return Key::L;
        case Control::lblMinimize:
            return Key::Escape;
        case Control::lblClose:
            return Key::F4;
        default:
            return Key::Other;
    }
}

}  // namespace keyboard
