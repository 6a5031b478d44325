#pragma once
// The alarm track decoded by GStreamer: the decoder module's own TrackFile.
// GStreamer's threads decode about a second ahead and go on from the start at
// the end of the file, without a gap; read() only takes what is ready and
// never waits, so the sound server's thread can call it. Memory stays the same
// however long the file is.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <thread>

#include "GstRef.h"
#include "TrackFile.h"

typedef struct _GstAppSink GstAppSink;

class GstTrackFile final : public TrackFile {
  public:
    // The local file at `path` when it gives sound within a moment; null otherwise.
    static std::unique_ptr<GstTrackFile> open(const std::string& path);
    ~GstTrackFile() override;

    std::size_t read(std::int16_t* out, std::size_t frames, bool loop) override;
    bool broken() const override { return m_broken; }
    bool ended() const override { return m_ended; }
    void rewind() override;

  private:
    struct Block {
        gst::Ref<GstBuffer> buffer;
        bool startsTurn;  // the first sound from the start of the file again
    };

    GstTrackFile() = default;
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
