#pragma once
// The clip player for a machine without a sound system: silent, returns at once.

#include <string>

#include "clock/Services.h"

class NullClipPlayer : public ClipPlayer {
  public:
    void play(const std::string&) override {}
    void stop() override {}
};
