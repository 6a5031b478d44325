// The PulseAudio sound backend: clips, the alarm track and the output mute.

#include "clock/Services.h"
#include "platform/pulse/PulseClipPlayer.h"
#include "platform/pulse/PulseEndpointSystem.h"
#include "platform/pulse/PulseTrackPlayer.h"
#include "speech/ClipQueue.h"

std::unique_ptr<ClipPlayer> makeClipPlayer(PostToWindow post) {
    return std::make_unique<ClipQueue>(std::make_unique<PulseClipPlayer>(), std::move(post));
}

std::unique_ptr<TrackPlayer> makeTrackPlayer(std::function<void()> onError) {
    auto player = std::make_unique<PulseTrackPlayer>();
    player->onError = std::move(onError);
    return player;
}

EndpointSystem& soundEndpointSystem() {
    return pulseEndpointSystem();
}
