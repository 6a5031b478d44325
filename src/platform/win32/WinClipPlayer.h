#pragma once
// Voice clips through the waveform player of winmm: PlaySound with SND_SYNC
// returns once the clip has been played out. A file it cannot play gives the
// system's default sound in its place. Paths are UTF-8, handed on as UTF-16.

#include <string>

#include "clock/Services.h"

class WinClipPlayer : public ClipPlayer {
  public:
    void play(const std::string& path) override;
    void stop() override;
};
