#pragma once
// The decoded sound of one file, as interleaved signed 16-bit frames: what the
// track player loops, whatever decodes it (Media Foundation in the program,
// sources of their own in tests).

#include <cstdint>
#include <vector>

struct PcmFormat {
    int rate = 0;
    int channels = 0;
};

class PcmSource {
  public:
    enum class Read { sound, end, failed };
    virtual ~PcmSource() = default;
    virtual PcmFormat format() const = 0;
    // The next decoded block, replacing what `frames` held. `sound` may come
    // with an empty block when the decoder had nothing this time; `end` once the
    // file has been read to its end. It may take as long as decoding takes.
    virtual Read read(std::vector<std::int16_t>& frames) = 0;
    // Back to the start of the file; false when it cannot go there.
    virtual bool rewind() = 0;
};
