#include "app/qt/KeyPress.h"

keyboard::KeyPress keyPressOf(const QKeyEvent& event) {
    using keyboard::Key;
    keyboard::KeyPress press;
    const Qt::KeyboardModifiers mods = event.modifiers();
    press.shift = mods & Qt::ShiftModifier;
    press.ctrl = mods & Qt::ControlModifier;
    press.alt = mods & Qt::AltModifier;
    switch (event.key()) {
        case Qt::Key_Backtab:  // Shift+Tab, as X reports it
            press.key = Key::Tab;
            press.shift = true;
            break;
        case Qt::Key_Tab:
            press.key = Key::Tab;
            break;
        case Qt::Key_Space:
            press.key = Key::Space;
            break;
        case Qt::Key_Return:
            press.key = Key::Return;
            break;
        case Qt::Key_Enter:
            press.key = Key::Enter;
            break;
        case Qt::Key_Escape:
            press.key = Key::Escape;
            break;
        case Qt::Key_A:
            press.key = Key::A;
            break;
        case Qt::Key_M:
            press.key = Key::M;
            break;
        case Qt::Key_L:
            press.key = Key::L;
            break;
        case Qt::Key_F4:
            press.key = Key::F4;
            break;
        default:
            press.key = Key::Other;
            break;
    }
    return press;
}
