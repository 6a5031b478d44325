#pragma once
// A track decoded by Media Foundation's source reader: the file's first sound
// stream only, as 16-bit PCM at the file's own rate and channels. Pictures are
// never decoded, so a film gives its sound and no window. COM must be
// initialised on the thread that opens and reads it.

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/PcmSource.h"

// The file at `path` (UTF-8) when Media Foundation opens it and finds sound in
// it; null otherwise, with the reason logged.
std::unique_ptr<PcmSource> openMediaFoundationSource(const std::string& path);

// The file name patterns ("*.mp3", ...) of what the source reader opens on
// this machine: the formats Windows has decoded since Windows 7 (FLAC since
// Windows 10), and those of every decoder installed besides.
std::vector<std::string> mediaFoundationPatterns();
