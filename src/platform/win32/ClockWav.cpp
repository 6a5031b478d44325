#include "platform/win32/ClockWav.h"

#include <cstddef>

namespace {

std::uint32_t littleEndian(std::string_view bytes, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The fields of the one format the clock's sounds have.
bool isClockFormat(std::string_view fmt) {
    return fmt.size() >= 16 && littleEndian(fmt, 0, 2) == 1  // PCM
           && littleEndian(fmt, 2, 2) == 1                   // mono
           && littleEndian(fmt, 4, 4) == kClockWavRate &&
           littleEndian(fmt, 8, 4) == kClockWavRate * 2  // bytes a second
           && littleEndian(fmt, 12, 2) == 2              // bytes a frame
           && littleEndian(fmt, 14, 2) == 16;            // bits a sample
}

}  // namespace

std::optional<std::vector<std::int16_t>> readClockWav(std::string_view file) {
    if (file.size() < 12 || file.substr(0, 4) != "RIFF" || file.substr(8, 4) != "WAVE")
        return std::nullopt;
    bool format = false;
    // Chunks: an id, a size, and the data, padded to an even length.
    for (std::size_t at = 12; file.size() - at >= 8;) {
        const std::string_view id = file.substr(at, 4);
        const std::size_t size = littleEndian(file, at + 4, 4);
        at += 8;
        if (size > file.size() - at) return std::nullopt;
        const std::string_view body = file.substr(at, size);
        if (id == "fmt ") {
            if (!isClockFormat(body)) return std::nullopt;
            format = true;
        } else if (id == "data") {
            if (!format || body.empty() || body.size() % 2 != 0) return std::nullopt;
            std::vector<std::int16_t> samples(body.size() / 2);
            for (std::size_t i = 0; i < samples.size(); ++i)
                samples[i] = static_cast<std::int16_t>(littleEndian(body, 2 * i, 2));
            return samples;
        }
        at += size + size % 2;
        if (at > file.size()) return std::nullopt;
    }
    return std::nullopt;
}
