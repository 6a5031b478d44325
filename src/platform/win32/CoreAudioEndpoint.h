#pragma once
// The endpoint system on Windows Core Audio: MMDeviceEnumerator, the default
// render endpoint of the console role, and its IAudioEndpointVolume. Every
// operation is forwarded as it comes, event context included. COM must be
// initialised on the calling thread.

#include "audio/Endpoint.h"

EndpointSystem& coreAudioEndpointSystem();
