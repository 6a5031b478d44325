#pragma once
// An alarm track decoded, whatever its format (MP3, Ogg Vorbis and Opus, FLAC,
// WAV, AAC in MP4, WMA, the sound of a video file), as interleaved signed
// 16-bit frames: stereo at 48000 Hz from the decoder, the clip format for a
// sound kept in memory (ClipTrackFile). read() only takes what is ready and
// never waits, so the sound server's thread can call it.
//
// The decoder (GStreamer) lives in a module of its own, loaded at the first
// open() from modules/alarm-track-gst.so beside the program: most runs never
// play a track, and GStreamer's libraries would cost every start time and memory.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class TrackFile {
  public:
    // The local file at `path` when it gives sound within a moment; null
    // otherwise (missing, not a sound file, nothing to decode it, no sound,
    // no decoder module).
    static std::unique_ptr<TrackFile> open(const std::string& path);
    virtual ~TrackFile() = default;
    TrackFile(const TrackFile&) = delete;
    TrackFile& operator=(const TrackFile&) = delete;

    int rate() const { return m_rate; }
    int channels() const { return m_channels; }
    std::size_t frameBytes() const { return static_cast<std::size_t>(channels()) * 2; }

    // Copies up to `frames` decoded frames into `out` without waiting. Fewer
    // come back when the decoder is behind (the caller plays silence for the
    // rest), at the end of a track that does not loop (ended()) or once the
    // file stopped giving sound (broken()). A looping track goes on from its
    // start.
    virtual std::size_t read(std::int16_t* out, std::size_t frames, bool loop) = 0;
    // True once the decoder failed, or gave nothing for a while although it was read.
    virtual bool broken() const = 0;
    // True when read() stopped at the end of the file because it did not loop.
    virtual bool ended() const = 0;
    // Back to the start, waiting a moment at most for its first sound. The
    // caller never runs read() and rewind() at the same time.
    virtual void rewind() = 0;

  protected:
    explicit TrackFile(int rate = 48000, int channels = 2) : m_rate(rate), m_channels(channels) {}

  private:
    int m_rate;
    int m_channels;
};

// The decoder module's one entry point: open() for `path`, or null. The
// caller owns what it gives.
extern "C" TrackFile* alarmOpenTrack(const char* path);
