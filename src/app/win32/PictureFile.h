#pragma once
// Loads a picture file into memory whole, so that no handle on the file
// remains: an update or an uninstall can replace or remove it while the clock
// runs.

#include <memory>
#include <string>

namespace Gdiplus {
class Bitmap;
}

// The picture at `path` (UTF-8) as a 32-bit premultiplied bitmap of its own
// size, or null if the file cannot be read or decoded.
std::unique_ptr<Gdiplus::Bitmap> loadPicture(const std::string& path);
