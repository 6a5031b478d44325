#pragma once
// The endpoint system on Windows Core Audio: MMDeviceEnumerator, the default
// render endpoint of the console role, and its IAudioEndpointVolume. Every
// operation is forwarded as it comes, event context included. COM must be
// initialised on the calling thread.

#include <memory>

#include "audio/Endpoint.h"

struct IMMDeviceEnumerator;

EndpointSystem& coreAudioEndpointSystem();
// The enumerator step over a device enumerator already made, whose reference it
// takes over: what the system above makes of CoCreateInstance's (and tests of fakes).
std::unique_ptr<EndpointEnumerator> coreAudioEnumerator(IMMDeviceEnumerator* enumerator);
