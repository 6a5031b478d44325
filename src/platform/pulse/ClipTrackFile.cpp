#include "ClipTrackFile.h"

#include <algorithm>

ClipTrackFile::ClipTrackFile(std::shared_ptr<const ClipSamples> samples)
    : TrackFile(clipRate, 1), m_samples(std::move(samples)) {}

std::size_t ClipTrackFile::read(std::int16_t* out, std::size_t frames, bool loop) {
    const ClipSamples& samples = *m_samples;
    std::size_t done = 0;
    while (done < frames && !samples.empty()) {
        if (m_position == samples.size()) {
            if (!loop) {
                m_ended = true;
                break;
            }
            m_position = 0;
        }
        const std::size_t step = std::min(frames - done, samples.size() - m_position);
        std::copy_n(samples.begin() + static_cast<std::ptrdiff_t>(m_position), step, out + done);
        m_position += step;
        done += step;
    }
    return done;
}

void ClipTrackFile::rewind() {
    m_position = 0;
    m_ended = false;
}
