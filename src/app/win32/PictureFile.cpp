#include "app/win32/PictureFile.h"

#include <shlwapi.h>
#include <windows.h>
// GDI+ needs min and max of its own headers' kind.
#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include "app/win32/FileBytes.h"
#include "platform/win32/Owned.h"

std::unique_ptr<Gdiplus::Bitmap> loadPicture(const std::string& path) {
    std::string bytes = fileBytes(path);
    if (bytes.empty()) return nullptr;
    // A stream over a copy of the bytes, which the decoder may read again later.
    const ComRef<IStream> stream(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                                   static_cast<UINT>(bytes.size())));
    if (!stream) return nullptr;
    // The bitmap holds a reference of its own while it lives.
    const std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream.get()));
    if (!decoded || decoded->GetLastStatus() != Gdiplus::Ok) return nullptr;

    // Its pixels copied once: the copy needs neither the stream nor a decoder,
    // and draws fastest in this format.
    const INT width = static_cast<INT>(decoded->GetWidth());
    const INT height = static_cast<INT>(decoded->GetHeight());
    auto copy = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppPARGB);
    if (copy->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Graphics graphics(copy.get());
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    if (graphics.DrawImage(decoded.get(), 0, 0, width, height) != Gdiplus::Ok) return nullptr;
    return copy;
}
