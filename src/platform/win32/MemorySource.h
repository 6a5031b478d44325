#pragma once
// Sound already in memory as a source for the track player: nothing to
// decode and nothing to wait for. The samples are shared, never copied, so
// every open of a kept sound costs the same.

#include <algorithm>
#include <cstddef>
#include <memory>
#include <utility>

#include "platform/win32/PcmSource.h"

class MemorySource : public PcmSource {
  public:
    MemorySource(PcmFormat format, std::shared_ptr<const std::vector<std::int16_t>> samples)
        : m_format(format), m_samples(std::move(samples)) {}
    PcmFormat format() const override { return m_format; }
    Read read(std::vector<std::int16_t>& frames) override {
        // A tenth of a second at a time, as a decoder would give it.
        const std::size_t block = static_cast<std::size_t>(m_format.rate * m_format.channels / 10);
        const std::size_t count = std::min(block, m_samples->size() - m_at);
        if (count == 0) return Read::end;
        const auto from = m_samples->begin() + static_cast<std::ptrdiff_t>(m_at);
        frames.assign(from, from + static_cast<std::ptrdiff_t>(count));
        m_at += count;
        return Read::sound;
    }
    bool rewind() override {
        m_at = 0;
        return true;
    }

  private:
    PcmFormat m_format;
    std::shared_ptr<const std::vector<std::int16_t>> m_samples;
    std::size_t m_at = 0;
};
