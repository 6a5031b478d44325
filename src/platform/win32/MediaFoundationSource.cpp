#include "platform/win32/MediaFoundationSource.h"

// windows.h first: the system headers after it build on its types.
#include <windows.h>

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <memory>
#include <type_traits>

#include "log/Log.h"
#include "platform/win32/Owned.h"
#include "platform/win32/WideText.h"

namespace {

constexpr DWORD kAudio = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);

std::string hresult(HRESULT result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(result));
    return text;
}

// Media Foundation's entry points, loaded when the first track opens: the
// program starts no slower for them, and runs on a Windows without Media
// Foundation (the N editions without their media pack), where every track
// then gives way to the beep. Loaded once, for the rest of the process.
struct MediaFoundationApi {
    struct LibraryFree {
        void operator()(HMODULE module) const { FreeLibrary(module); }
    };
    using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFree>;

    Library platform{LoadLibraryW(L"mfplat.dll")};
    Library readWrite{LoadLibraryW(L"mfreadwrite.dll")};
    decltype(&MFStartup) startup = find<decltype(&MFStartup)>(platform, "MFStartup");
    decltype(&MFShutdown) shutdown = find<decltype(&MFShutdown)>(platform, "MFShutdown");
    decltype(&MFCreateMediaType) createMediaType =
        find<decltype(&MFCreateMediaType)>(platform, "MFCreateMediaType");
    decltype(&MFCreateSourceReaderFromURL) createSourceReader =
        find<decltype(&MFCreateSourceReaderFromURL)>(readWrite, "MFCreateSourceReaderFromURL");

    bool complete() const { return startup && shutdown && createMediaType && createSourceReader; }

  private:
    template <typename Function>
    static Function find(const Library& library, const char* name) {
        if (!library) return nullptr;
        return reinterpret_cast<Function>(
            reinterpret_cast<void (*)()>(GetProcAddress(library.get(), name)));
    }
};

const MediaFoundationApi* mediaFoundationApi() {
    // C++ makes the first caller load it and any other wait.
    static const MediaFoundationApi api;
    return api.complete() ? &api : nullptr;
}

// Media Foundation started for as long as it lives (it counts its starts).
class MediaFoundation {
  public:
    MediaFoundation()
        : m_api(mediaFoundationApi()),
          m_ready(m_api && SUCCEEDED(m_api->startup(MF_VERSION, MFSTARTUP_LITE))) {}
    ~MediaFoundation() {
        if (m_ready) m_api->shutdown();
    }
    const MediaFoundationApi& api() const { return *m_api; }
    MediaFoundation(const MediaFoundation&) = delete;
    MediaFoundation& operator=(const MediaFoundation&) = delete;
    bool ready() const { return m_ready; }

  private:
    const MediaFoundationApi* m_api;
    bool m_ready;
};

// A media buffer's bytes, locked for as long as it lives.
class LockedBuffer {
  public:
    explicit LockedBuffer(IMFMediaBuffer* buffer) : m_buffer(buffer) {
        if (FAILED(buffer->Lock(&m_bytes, nullptr, &m_size))) m_bytes = nullptr;
    }
    ~LockedBuffer() {
        if (m_bytes) m_buffer->Unlock();
    }
    LockedBuffer(const LockedBuffer&) = delete;
    LockedBuffer& operator=(const LockedBuffer&) = delete;
    const BYTE* bytes() const { return m_bytes; }
    DWORD size() const { return m_size; }

  private:
    IMFMediaBuffer* m_buffer;
    BYTE* m_bytes = nullptr;
    DWORD m_size = 0;
};

class MediaFoundationSource : public PcmSource {
  public:
    explicit MediaFoundationSource(const std::string& path) : m_path(path) {}

    // Opens the reader on the first sound stream, decoding to 16-bit PCM.
    bool open() {
        if (!m_startup.ready()) return failed("Media Foundation did not start", S_OK);
        HRESULT result =
            m_startup.api().createSourceReader(widen(m_path).c_str(), nullptr, m_reader.put());
        if (FAILED(result)) return failed("cannot open", result);
        m_reader->SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE);
        result = m_reader->SetStreamSelection(kAudio, TRUE);
        if (FAILED(result)) return failed("no sound in", result);
        ComRef<IMFMediaType> wanted;
        result = m_startup.api().createMediaType(wanted.put());
        if (SUCCEEDED(result)) result = wanted->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
        if (SUCCEEDED(result)) result = wanted->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM);
        if (SUCCEEDED(result)) result = wanted->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
        if (SUCCEEDED(result))
            result = m_reader->SetCurrentMediaType(kAudio, nullptr, wanted.get());
        if (FAILED(result)) return failed("no decoder to PCM for", result);
        if (!readFormat()) return failed("no usable sound format in", S_OK);
        return true;
    }

    PcmFormat format() const override { return m_format; }

    Read read(std::vector<std::int16_t>& frames) override {
        frames.clear();
        if (m_endDue) {
            m_endDue = false;
            return Read::end;
        }
        DWORD stream = 0, flags = 0;
        LONGLONG time = 0;
        ComRef<IMFSample> sample;
        const HRESULT result =
            m_reader->ReadSample(kAudio, 0, &stream, &flags, &time, sample.put());
        if (FAILED(result) || (flags & MF_SOURCE_READERF_ERROR)) {
            failed("decoding failed in", result);
            return Read::failed;
        }
        if (flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) {
            const PcmFormat before = m_format;
            if (!readFormat() || m_format.rate != before.rate ||
                m_format.channels != before.channels) {
                failed("the sound format changed in", S_OK);
                return Read::failed;
            }
        }
        if (sample && !copy(sample.get(), frames)) return Read::failed;
        // The last block may come with the end: it is given first, the end next time.
        if (flags & MF_SOURCE_READERF_ENDOFSTREAM) {
            if (frames.empty()) return Read::end;
            m_endDue = true;
        }
        return Read::sound;
    }

    bool rewind() override {
        PropVariant start;
        start.get().vt = VT_I8;
        start.get().hVal.QuadPart = 0;
        const HRESULT result = m_reader->SetCurrentPosition(GUID_NULL, start.get());
        m_endDue = false;
        return SUCCEEDED(result) || failed("cannot go back to the start of", result);
    }

  private:
    bool readFormat() {
        ComRef<IMFMediaType> type;
        if (FAILED(m_reader->GetCurrentMediaType(kAudio, type.put()))) return false;
        UINT32 rate = 0, channels = 0, bits = 0;
        type->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
        type->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
        type->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits);
        m_format = {static_cast<int>(rate), static_cast<int>(channels)};
        return bits == 16 && rate > 0 && channels > 0 && channels <= 8;
    }

    bool copy(IMFSample* sample, std::vector<std::int16_t>& frames) {
        ComRef<IMFMediaBuffer> buffer;
        if (FAILED(sample->ConvertToContiguousBuffer(buffer.put())))
            return failed("cannot read the sound of", S_OK);
        const LockedBuffer locked(buffer.get());
        if (!locked.bytes()) return failed("cannot read the sound of", S_OK);
        const std::size_t frameBytes = static_cast<std::size_t>(m_format.channels) * 2;
        const std::size_t whole = locked.size() / frameBytes * frameBytes;
        frames.resize(whole / 2);
        std::memcpy(frames.data(), locked.bytes(), whole);
        return true;
    }

    bool failed(const char* what, HRESULT result) {
        logDebug(LogCategory::audio, std::string("Media Foundation: ") + what + " " + m_path +
                                         (result != S_OK ? " (" + hresult(result) + ")" : ""));
        return false;
    }

    std::string m_path;
    // Started before the reader is made and shut down after it is released.
    MediaFoundation m_startup;
    ComRef<IMFSourceReader> m_reader;
    PcmFormat m_format;
    bool m_endDue = false;  // the reader gave its last block together with the end
};

// The extensions of the byte-stream handlers registered with Media Foundation
// (".mp3", ...); none where the system keeps no such list.
std::vector<std::wstring> registeredExtensions() {
    std::vector<std::wstring> found;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                      L"SOFTWARE\\Microsoft\\Windows Media Foundation\\ByteStreamHandlers", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return found;
    const std::unique_ptr<std::remove_pointer_t<HKEY>, decltype(&RegCloseKey)> owned(key,
                                                                                     RegCloseKey);
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        if (name[0] == L'.') found.emplace_back(name);
    }
    return found;
}

}  // namespace

std::unique_ptr<PcmSource> openMediaFoundationSource(const std::string& path) {
    auto source = std::make_unique<MediaFoundationSource>(path);
    if (!source->open()) return nullptr;
    return source;
}

std::vector<std::string> mediaFoundationPatterns() {
    std::vector<std::string> patterns{"*.mp3", "*.wma", "*.wmv", "*.asf", "*.wav",
                                      "*.m4a", "*.mp4", "*.aac", "*.flac"};
    for (std::wstring extension : registeredExtensions()) {
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
        const std::string pattern = "*" + narrow(extension);
        if (std::find(patterns.begin(), patterns.end(), pattern) == patterns.end())
            patterns.push_back(pattern);
    }
    return patterns;
}
