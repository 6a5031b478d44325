#pragma once
// Makes a font file's faces available to this program only, from a copy of
// the file's bytes: the file itself is not held open, so an update or an
// uninstall can replace or remove it while the clock runs.

#include <string>

// False when the file at `path` (UTF-8) cannot be read or holds no font.
bool addFontFile(const std::string& path);
