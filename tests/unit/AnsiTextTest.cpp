// Conversion between the program's UTF-8 and the tray's single-byte text.

#include <gtest/gtest.h>

#include "tray/AnsiText.h"

namespace {

struct Conversion {
    const char* utf8;
    const char* ansi;
};

class ToAnsi : public testing::TestWithParam<Conversion> {};

TEST_P(ToAnsi, OneByteForEachCharacter) {
    EXPECT_EQ(toAnsi(GetParam().utf8), GetParam().ansi);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ToAnsi,
    testing::Values(Conversion{"", ""}, Conversion{"Alarm Clock", "Alarm Clock"},
                    Conversion{"S\xC3\xA9lection\xC3\xA9"
                               "e",
                               "S\xE9lection\xE9"
                               "e"},
                    Conversion{"\xC2\xA0\xC3\xBF", "\xA0\xFF"},  // U+00A0, U+00FF
                    Conversion{"\xE2\x82\xAC\xC5\x93\xE2\x84\xA2", "\x80\x9C\x99"},  // € œ ™
                    Conversion{"\xC2\x80\xC2\x9F", "??"},  // C1 controls are not in the page
                    Conversion{"\xE6\x97\xA5\xF0\x9F\x98\x80", "??"},  // 日 and an emoji
                    Conversion{"a\xFF"
                               "b",
                               "a?b"},                  // stray byte
                    Conversion{"a\xC3", "a?"},          // cut sequence
                    Conversion{"\xC3(", "?("},          // bad continuation
                    Conversion{"\xC0\xAF", "?"},        // overlong '/'
                    Conversion{"\xED\xA0\x80", "?"}));  // surrogate

TEST(AnsiText, BackToUtf8) {
    EXPECT_EQ(ansiToUtf8("Alarm Clock"), "Alarm Clock");
    EXPECT_EQ(ansiToUtf8("S\xE9lection\xE9"
                         "e"),
              "S\xC3\xA9lection\xC3\xA9"
              "e");
    EXPECT_EQ(ansiToUtf8("\x80\x9C\x99"), "\xE2\x82\xAC\xC5\x93\xE2\x84\xA2");
    EXPECT_EQ(ansiToUtf8("\x81\x8D\x8F\x90\x9D"), "?????");
    EXPECT_EQ(ansiToUtf8(std::string("a\0b", 3)), "a?b");
}

TEST(AnsiText, EveryDefinedByteSurvivesTheRoundTrip) {
    for (int b = 1; b < 256; ++b) {
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) continue;
        const std::string ansi(1, static_cast<char>(b));
        EXPECT_EQ(toAnsi(ansiToUtf8(ansi)), ansi) << b;
    }
}

}  // namespace
