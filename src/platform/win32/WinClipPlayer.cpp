#include "platform/win32/WinClipPlayer.h"

// windows.h first: the system headers after it build on its types.
#include <windows.h>

#include <mmsystem.h>

#include "platform/win32/WideText.h"

void WinClipPlayer::play(const std::string& path) {
    PlaySoundW(widen(path).c_str(), nullptr, SND_SYNC);
}

void WinClipPlayer::stop() {
    PlaySoundW(nullptr, nullptr, SND_SYNC);
}
