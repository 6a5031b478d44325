#pragma once
// A call that only later releases of Windows 10 have, looked up where it exists.

#include "app/win32/SystemHeaders.h"

template <typename Function>
Function systemCall(const wchar_t* module, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(module), name)));
}
