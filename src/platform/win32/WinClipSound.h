#pragma once
// One voice clip through the waveform player of winmm: PlaySound with SND_SYNC
// returns once the clip has been played out, and PlaySound with no name, from
// any thread, cuts it. A file it cannot play gives the system's default sound
// in its place. Paths are UTF-8, handed on as UTF-16.

#include <string>

#include "speech/ClipPlayer.h"

class WinClipSound : public ClipSound {
  public:
    void play(const std::string& path) override;
    void interrupt() override;
};
