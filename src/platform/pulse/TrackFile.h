#pragma once
// An alarm track decoded by GStreamer, whatever its format (MP3, Ogg Vorbis and
// Opus, FLAC, WAV, AAC in MP4, WMA, the sound of a video file), always as
// interleaved signed 16-bit stereo at 48000 Hz. GStreamer's own threads decode
// about a second ahead and go on from the start at the end of the file, without
// a gap; read() only takes what is ready and never waits, so the sound server's
// thread can call it. Memory stays the same however long the file is.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <thread>

#include "GstRef.h"

typedef struct _GstAppSink GstAppSink;

class TrackFile {
  public:
    // The local file at `path` when it gives sound within a moment; null
    // otherwise (missing, not a sound file, nothing to decode it, no sound).
    static std::unique_ptr<TrackFile> open(const std::string& path);
    ~TrackFile();
    TrackFile(const TrackFile&) = delete;
    TrackFile& operator=(const TrackFile&) = delete;

    int rate() const { return 48000; }
    int channels() const { return 2; }
    std::size_t frameBytes() const { return static_cast<std::size_t>(channels()) * 2; }

    // Copies up to `frames` decoded frames into `out` without waiting. Fewer
    // come back when the decoder is behind (the caller plays silence for the
    // rest), at the end of a track that does not loop (ended()) or once the
    // file stopped giving sound (broken()). A looping track goes on from its
    // start.
    std::size_t read(std::int16_t* out, std::size_t frames, bool loop);
    // True once the decoder failed, or gave nothing for a while although it was read.
    bool broken() const { return m_broken; }
    // True when read() stopped at the end of the file because it did not loop.
    bool ended() const { return m_ended; }
    // Back to the start, waiting a moment at most for its first sound. The
    // caller never runs read() and rewind() at the same time.
    void rewind();

  private:
    struct Block {
        gst::Ref<GstBuffer> buffer;
        bool startsTurn;  // the first sound from the start of the file again
    };

    TrackFile() = default;
    bool start(const std::string& uri);
    void watch();
    bool seekToStart(bool flush);
    void linkPad(GstPad* pad);
    void noMorePads();
    void takeDecoded();
    void fillAhead(std::size_t bytes, std::int64_t limitNs);
    void dropAhead();

    gst::Ref<GstBus> m_bus;
    gst::Ref<GstElement> m_pipeline;  // released before the bus
    // The pipeline's own elements.
    GstElement* m_decoder = nullptr;
    GstElement* m_convert = nullptr;
    GstAppSink* m_sink = nullptr;
    std::thread m_watcher;      // follows the decoder's news: end of file, errors
    bool m_endedEarly = false;  // the first turn ended before the watcher started

    // Shared with GStreamer's threads.
    std::atomic<bool> m_broken{false};
    std::atomic<bool> m_quitting{false};
    std::atomic<bool> m_linked{false};
    std::atomic<bool> m_flowing{false};  // sound came out of the decoder since the last seek

    // The reader's own: decoded sound taken from the sink, about a second of it.
    std::deque<Block> m_ahead;
    std::size_t m_aheadBytes = 0;
    std::size_t m_offset = 0;                      // bytes of the first block already read
    std::uint64_t m_lastTime = ~std::uint64_t{0};  // position in the file of the last sample
    bool m_ended = false;
    std::int64_t m_starvedSince = -1;  // when read() last started to find nothing, in ns
};
