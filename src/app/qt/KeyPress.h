#pragma once
// Qt's key events in the core's terms.

#include <QKeyEvent>

#include "ui/Keyboard.h"

keyboard::KeyPress keyPressOf(const QKeyEvent& event);
