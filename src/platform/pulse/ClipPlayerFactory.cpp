#include "ClipPlayerFactory.h"

#include "PulseClipPlayer.h"

std::unique_ptr<ClipPlayer> makeClipPlayer() {
    return std::make_unique<PulseClipPlayer>();
}
