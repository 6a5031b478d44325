// The Windows sound backend: voice clips through PlaySoundA, the alarm track
// through Media Foundation into a WASAPI stream, the output mute through Core Audio.

#include "audio/Endpoint.h"
#include "clock/Services.h"
#include "platform/win32/CoreAudioEndpoint.h"
#include "platform/win32/WinClipSound.h"
#include "platform/win32/WinTrackPlayer.h"
#include "speech/ClipQueue.h"

std::unique_ptr<ClipPlayer> makeClipPlayer(PostToWindow post) {
    return std::make_unique<ClipQueue>(std::make_unique<WinClipSound>(), std::move(post));
}

std::unique_ptr<TrackPlayer> makeTrackPlayer(std::function<void()> onError) {
    return std::make_unique<WinTrackPlayer>(std::move(onError));
}

EndpointSystem& soundEndpointSystem() {
    return coreAudioEndpointSystem();
}
