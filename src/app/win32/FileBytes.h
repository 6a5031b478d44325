#pragma once
// A whole file read into memory, its handle closed at once.

#include <string>

// The bytes of the file at `path` (UTF-8); empty when it cannot be read.
std::string fileBytes(const std::string& path);
