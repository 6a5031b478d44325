#include "platform/win32/WasapiOutput.h"

// windows.h first: the system headers after it build on its types.
#include <windows.h>

#include <audioclient.h>
#include <mmdeviceapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "log/Log.h"

std::unique_ptr<WasapiOutput> WasapiOutput::open(PcmFormat format,
                                                 std::chrono::milliseconds buffer) {
    std::unique_ptr<WasapiOutput> output(new WasapiOutput);
    ComRef<IMMDeviceEnumerator> enumerator;
    ComRef<IMMDevice> device;
    HRESULT result = CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                      __uuidof(IMMDeviceEnumerator), enumerator.putVoid());
    if (SUCCEEDED(result))
        result = enumerator->GetDefaultAudioEndpoint(eRender, eConsole, device.put());
    if (SUCCEEDED(result))
        result = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                  output->m_client.putVoid());
    if (!output->check(result, "no output device")) return nullptr;

    WAVEFORMATEX wave{};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = static_cast<WORD>(format.channels);
    wave.nSamplesPerSec = static_cast<DWORD>(format.rate);
    wave.wBitsPerSample = 16;
    wave.nBlockAlign = static_cast<WORD>(format.channels * 2);
    wave.nAvgBytesPerSec = wave.nSamplesPerSec * wave.nBlockAlign;
    output->m_frameBytes = wave.nBlockAlign;
    // REFERENCE_TIME counts 100 ns.
    const REFERENCE_TIME duration = buffer.count() * 10'000;
    result = output->m_client->Initialize(AUDCLNT_SHAREMODE_SHARED,
                                          AUDCLNT_STREAMFLAGS_EVENTCALLBACK |
                                              AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM |
                                              AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY,
                                          duration, 0, &wave, nullptr);
    if (!output->check(result, "the output refuses the track's format")) return nullptr;
    output->m_event.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!output->m_event) return nullptr;
    result = output->m_client->SetEventHandle(output->m_event.get());
    if (SUCCEEDED(result)) result = output->m_client->GetBufferSize(&output->m_bufferFrames);
    if (SUCCEEDED(result))
        result =
            output->m_client->GetService(__uuidof(IAudioRenderClient), output->m_render.putVoid());
    if (!output->check(result, "cannot set up the output stream")) return nullptr;
    return output;
}

WasapiOutput::~WasapiOutput() {
    if (m_started) m_client->Stop();
}

bool WasapiOutput::check(long result, const char* what) {
    if (SUCCEEDED(result)) return true;
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(result));
    logDebug(LogCategory::audio, std::string("WASAPI: ") + what + " (" + code + ")");
    m_failed = true;
    return false;
}

std::size_t WasapiOutput::queued() {
    UINT32 padding = 0;
    if (!check(m_client->GetCurrentPadding(&padding), "the output stream failed")) return 0;
    return padding;
}

std::size_t WasapiOutput::room() {
    const std::size_t held = queued();
    return m_failed ? 0 : m_bufferFrames - held;
}

bool WasapiOutput::write(const std::int16_t* frames, std::size_t count) {
    BYTE* data = nullptr;
    const auto frameCount = static_cast<UINT32>(count);
    if (!check(m_render->GetBuffer(frameCount, &data), "the output stream failed")) return false;
    std::memcpy(data, frames, count * m_frameBytes);
    return check(m_render->ReleaseBuffer(frameCount, 0), "the output stream failed");
}

bool WasapiOutput::start() {
    if (m_started) return true;
    m_started = check(m_client->Start(), "the output stream does not start");
    return m_started;
}

bool WasapiOutput::stop() {
    if (!m_started) return true;
    m_started = false;
    return check(m_client->Stop(), "the output stream does not stop");
}

bool WasapiOutput::flush() {
    return stop() && check(m_client->Reset(), "the output stream does not flush");
}
