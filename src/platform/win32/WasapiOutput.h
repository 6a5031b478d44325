#pragma once
// A shared-mode render stream on the default output device (WASAPI), in the
// format of the sound given to it: the audio engine converts the rate and the
// channels. Its event is signalled each time the device has taken sound, so a
// thread can wait on it and keep the buffer full. Stop keeps what the buffer
// holds, so a start goes on where the stop was. COM must be initialised on the
// thread that opens and drives it.

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/win32/Owned.h"
#include "platform/win32/PcmSource.h"

struct IAudioClient;
struct IAudioRenderClient;

class WasapiOutput {
  public:
    // A stream holding up to `buffer` of sound, stopped; null (the reason
    // logged) when there is no output device or it refuses the format.
    static std::unique_ptr<WasapiOutput> open(PcmFormat format, std::chrono::milliseconds buffer);
    ~WasapiOutput();
    WasapiOutput(const WasapiOutput&) = delete;
    WasapiOutput& operator=(const WasapiOutput&) = delete;

    HANDLE event() const { return m_event.get(); }
    // Frames that can be written now.
    std::size_t room();
    // Frames written and not yet played.
    std::size_t queued();
    // Copies `count` frames (no more than room()) into the buffer.
    bool write(const std::int16_t* frames, std::size_t count);
    bool start();
    // Holds the sound where it is.
    bool stop();
    // Stops and drops what the buffer holds.
    bool flush();
    // True once the device went away or refused a call.
    bool failed() const { return m_failed; }

  private:
    WasapiOutput() = default;
    bool check(long result, const char* what);

    ComRef<IAudioClient> m_client;
    ComRef<IAudioRenderClient> m_render;
    UniqueHandle m_event;
    std::uint32_t m_bufferFrames = 0;
    std::size_t m_frameBytes = 0;
    bool m_started = false;
    bool m_failed = false;
};
