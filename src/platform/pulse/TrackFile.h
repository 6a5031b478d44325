#pragma once
// An alarm track decoded with libsndfile (WAV, FLAC, Ogg Vorbis, Opus, MP3 and
// more) as interleaved signed 16-bit samples at the file's own rate, read a
// block at a time and started over at its end when it loops.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct sf_private_tag;

class TrackFile {
  public:
    // The file when libsndfile decodes it, can go back to its start and gives
    // sound from the start; null otherwise.
    static std::unique_ptr<TrackFile> open(const std::string& path);
    ~TrackFile();
    TrackFile(const TrackFile&) = delete;
    TrackFile& operator=(const TrackFile&) = delete;

    int rate() const { return m_rate; }
    int channels() const { return m_channels; }
    std::size_t frameBytes() const { return static_cast<std::size_t>(m_channels) * 2; }

    // Fills `out` with up to `frames` frames. At the end of the file a looping
    // track goes on from its start, so fewer frames come back only at the end
    // of a track that does not loop, or when the file stops giving sound
    // (broken() tells which).
    std::size_t read(std::int16_t* out, std::size_t frames, bool loop);
    // True once the file gave no sound even from its start.
    bool broken() const { return m_broken; }
    // Back to the start.
    void rewind();

  private:
    TrackFile(sf_private_tag* file, int rate, int channels);

    sf_private_tag* m_file;
    int m_rate;
    int m_channels;
    bool m_broken = false;
};
