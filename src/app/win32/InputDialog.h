#pragma once
// The text prompt: a modal dialog built in code with the prompt, a text
// field, OK and Cancel. Gives the typed text, or "" on Cancel.

#include "app/win32/SystemHeaders.h"

#include <string>

std::string showInputDialog(HWND owner, const std::string& prompt, const std::string& title);
