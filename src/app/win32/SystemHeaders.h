#pragma once
// The system's headers for the front end. The core's tray names (NIM_ADD,
// NIF_ICON, shell::WM_MOUSEMOVE, ...) are spelt like the system's macros, so
// the core's headers are read first; the macros that follow have the same values.

#include "clock/frmMain.h"

#include <windows.h>
