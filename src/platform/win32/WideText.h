#pragma once
// The program's text is UTF-8; the system's wide calls take UTF-16.

#include <string>
#include <string_view>

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);
