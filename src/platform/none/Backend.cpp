// The silent sound backend, for machines without a sound system: no sound
// library is linked, nothing is played, the output mute is never touched.

#include "audio/Endpoint.h"
#include "clock/Services.h"
#include "platform/none/NullTrackPlayer.h"
#include "speech/ClipQueue.h"

namespace {

// Every clip is over as soon as it starts.
class SilentClipSound : public ClipSound {
  public:
    void play(const std::string&) override {}
    void interrupt() override {}
};

}  // namespace

std::unique_ptr<ClipPlayer> makeClipPlayer(PostToWindow post) {
    return std::make_unique<ClipQueue>(std::make_unique<SilentClipSound>(), std::move(post));
}

std::unique_ptr<TrackPlayer> makeTrackPlayer(std::function<void()> onError) {
    return std::make_unique<NullTrackPlayer>(std::move(onError));
}

EndpointSystem& soundEndpointSystem() {
    return nullEndpointSystem();
}
