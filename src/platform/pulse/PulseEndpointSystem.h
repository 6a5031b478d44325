#pragma once
// The endpoint system on PulseAudio (or PipeWire's PulseAudio server).
// Enumerator: a session with the server, made without spawning one and given
// up after a short deadline. Default device: the server's default sink, by the
// name the server gives at that moment. Endpoint volume: that sink's mute and
// volumes. Every request waits at most pulse::waitLimit for its answer.

#include <memory>

#include "audio/Endpoint.h"

namespace pulse {
class ChangeLedger;
}

class PulseEndpointSystem : public EndpointSystem {
  public:
    PulseEndpointSystem();
    ~PulseEndpointSystem() override;
    std::unique_ptr<EndpointEnumerator> createEnumerator() override;

  private:
    // Changes asked for by every object of this system, to name who made a change.
    std::shared_ptr<pulse::ChangeLedger> m_ledger;
};

// The process's PulseAudio endpoint system, which the program chooses at start.
EndpointSystem& pulseEndpointSystem();
