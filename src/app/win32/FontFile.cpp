#include "app/win32/FontFile.h"

#include <windows.h>

#include "app/win32/FileBytes.h"

bool addFontFile(const std::string& path) {
    std::string bytes = fileBytes(path);
    if (bytes.empty()) return false;
    // The system copies the font; it stays until the program ends.
    DWORD faces = 0;
    return AddFontMemResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &faces) !=
               nullptr &&
           faces > 0;
}
