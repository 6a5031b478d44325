#include <optional>

#include "audio/Endpoint.h"

namespace {

std::optional<uint8_t> hexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
    return std::nullopt;
}

// Reads `digits` hex digits from text at pos, moving pos past them.
std::optional<uint64_t> hexField(std::string_view text, size_t& pos, size_t digits) {
    if (pos + digits > text.size()) return std::nullopt;
    uint64_t value = 0;
    for (size_t i = 0; i < digits; ++i) {
        const auto d = hexDigit(text[pos + i]);
        if (!d) return std::nullopt;
        value = value << 4 | *d;
    }
    pos += digits;
    return value;
}

bool expect(std::string_view text, size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

}  // namespace

Guid guidFromString(std::string_view text) {
    // Layout: {8-4-4-4-12}; the fourth group holds the first two bytes of data4.
    size_t pos = 0;
    if (text.size() != 38 || !expect(text, pos, '{')) return {};
    const auto d1 = hexField(text, pos, 8);
    if (!d1 || !expect(text, pos, '-')) return {};
    const auto d2 = hexField(text, pos, 4);
    if (!d2 || !expect(text, pos, '-')) return {};
    const auto d3 = hexField(text, pos, 4);
    if (!d3 || !expect(text, pos, '-')) return {};
    Guid guid;
    guid.data1 = static_cast<uint32_t>(*d1);
    guid.data2 = static_cast<uint16_t>(*d2);
    guid.data3 = static_cast<uint16_t>(*d3);
    for (size_t i = 0; i < 8; ++i) {
        if (i == 2 && !expect(text, pos, '-')) return {};
        const auto byte = hexField(text, pos, 2);
        if (!byte) return {};
        guid.data4[i] = static_cast<uint8_t>(*byte);
    }
    if (!expect(text, pos, '}')) return {};
    return guid;
}
