#pragma once
// The clip player of this platform: PulseAudio, which falls silent by itself
// when no sound server can be reached.

#include <memory>

#include "clock/Services.h"

std::unique_ptr<ClipPlayer> makeClipPlayer();
