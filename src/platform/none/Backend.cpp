// The silent sound backend, for machines without a sound system: no sound
// library is linked, nothing is played, the output mute is never touched.

#include "audio/Endpoint.h"
#include "clock/Services.h"
#include "platform/none/NullClipPlayer.h"
#include "platform/none/NullTrackPlayer.h"

std::unique_ptr<ClipPlayer> makeClipPlayer() {
    return std::make_unique<NullClipPlayer>();
}

std::unique_ptr<TrackPlayer> makeTrackPlayer(std::function<void()> onError) {
    return std::make_unique<NullTrackPlayer>(std::move(onError));
}

EndpointSystem& soundEndpointSystem() {
    return nullEndpointSystem();
}
