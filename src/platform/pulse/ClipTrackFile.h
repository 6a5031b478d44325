#pragma once
// A short sound read whole into memory (the beep), played as a track: it
// starts at once, with no decoder to start, and loops without a gap.

#include <memory>

#include "platform/pulse/ClipAudio.h"
#include "platform/pulse/TrackFile.h"

class ClipTrackFile : public TrackFile {
  public:
    explicit ClipTrackFile(std::shared_ptr<const ClipSamples> samples);

    std::size_t read(std::int16_t* out, std::size_t frames, bool loop) override;
    bool broken() const override { return false; }
    bool ended() const override { return m_ended; }
    void rewind() override;

  private:
    std::shared_ptr<const ClipSamples> m_samples;
    std::size_t m_position = 0;
    bool m_ended = false;
};
