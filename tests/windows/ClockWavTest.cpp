// The reader of the clock's own sounds: the one layout it keeps in memory,
// and every other file refused.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/win32/ClockWav.h"

namespace {

std::string le(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xff);
    return out;
}

std::string chunk(const std::string& id, const std::string& body) {
    return id + le(static_cast<std::uint32_t>(body.size()), 4) + body +
           (body.size() % 2 ? std::string(1, '\0') : std::string());
}

struct Fmt {
    std::uint32_t tag = 1, channels = 1, rate = 22050, byteRate = 44100, align = 2, bits = 16;
    std::string body() const {
        return le(tag, 2) + le(channels, 2) + le(rate, 4) + le(byteRate, 4) + le(align, 2) +
               le(bits, 2);
    }
};

std::string riff(const std::string& chunks) {
    return "RIFF" + le(static_cast<std::uint32_t>(4 + chunks.size()), 4) + "WAVE" + chunks;
}

// Three samples: 1, -2 and 0x1234.
const std::string kData = chunk("data", le(1, 2) + le(0xfffe, 2) + le(0x1234, 2));

TEST(ClockWav, ReadsOnlyTheClocksOwnLayout) {
    const Fmt good;
    Fmt stereo, rate, floatTag, bits8;
    stereo.channels = 2;
    rate.rate = 44100;
    floatTag.tag = 3;
    bits8.bits = 8;
    const std::string fmt = chunk("fmt ", good.body());
    const struct {
        const char* what;
        std::string file;
        bool read;
    } cases[] = {
        {"the clock's layout", riff(fmt + kData), true},
        {"a list chunk and an odd-sized one first, skipped with their padding",
         riff(chunk("LIST", "INFOabcd") + chunk("junk", "x") + fmt + kData), true},
        {"an 18-byte format chunk (cbSize)", riff(chunk("fmt ", good.body() + le(0, 2)) + kData),
         true},
        {"empty", "", false},
        {"not RIFF", "RIFX" + riff(fmt + kData).substr(4), false},
        {"not WAVE", riff(fmt + kData).replace(8, 4, "AVI "), false},
        {"no format before the data", riff(kData + fmt), false},
        {"no data", riff(fmt), false},
        {"empty data", riff(fmt + chunk("data", "")), false},
        {"an odd byte of data", riff(fmt + chunk("data", "abc")), false},
        {"stereo", riff(chunk("fmt ", stereo.body()) + kData), false},
        {"44100 Hz", riff(chunk("fmt ", rate.body()) + kData), false},
        {"floating point", riff(chunk("fmt ", floatTag.body()) + kData), false},
        {"8 bits", riff(chunk("fmt ", bits8.body()) + kData), false},
        {"a short format chunk", riff(chunk("fmt ", good.body().substr(0, 14)) + kData), false},
        {"data running past the end", riff(fmt + kData).substr(0, riff(fmt + kData).size() - 1),
         false},
        {"a chunk claiming 4 GB", riff(fmt + "data" + le(0xffffffff, 4) + "ab"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto samples = readClockWav(c.file);
        EXPECT_EQ(samples.has_value(), c.read);
        if (samples && c.read) {
            EXPECT_EQ(*samples, (std::vector<std::int16_t>{1, -2, 0x1234}));
        }
    }
}

}  // namespace
