#include "platform/win32/WinClipSound.h"

// windows.h first: the system headers after it build on its types.
#include <windows.h>

#include <mmsystem.h>

#include "platform/win32/WideText.h"

void WinClipSound::play(const std::string& path) {
    PlaySoundW(widen(path).c_str(), nullptr, SND_SYNC);
}

void WinClipSound::interrupt() {
    PlaySoundW(nullptr, nullptr, 0);
}
