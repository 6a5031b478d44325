#pragma once
// The tray record carries single-byte text (Windows-1252). The program's text is
// UTF-8; these convert between the two.

#include <string>
#include <string_view>

// UTF-8 to Windows-1252, one byte per character. A character the code page lacks,
// or a malformed UTF-8 sequence, becomes '?'.
std::string toAnsi(std::string_view utf8);

// Windows-1252 to UTF-8. The five bytes the code page leaves undefined become '?',
// and so does NUL: a field's text ends before its NUL, so one here is stray.
std::string ansiToUtf8(std::string_view ansi);
