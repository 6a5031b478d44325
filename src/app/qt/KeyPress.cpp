#include "app/qt/KeyPress.h"

keyboard::KeyPress keyPressOf(const QKeyEvent& event) {
    // Qt reports Shift+Tab as a key of its own (Backtab) on X.
    static constexpr keyboard::NativeKeys kQtKeys{Qt::Key_Tab,    Qt::Key_Backtab, Qt::Key_Space,
                                                  Qt::Key_Return, Qt::Key_Enter,   Qt::Key_Escape,
                                                  Qt::Key_F4};
    const Qt::KeyboardModifiers mods = event.modifiers();
    return keyboard::keyPressOf(event.key(), kQtKeys, mods & Qt::ShiftModifier,
                                mods & Qt::ControlModifier, mods & Qt::AltModifier);
}
