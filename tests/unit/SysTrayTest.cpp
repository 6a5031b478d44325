// The tray manager: the icon record it sends, the text limits of its fields, the
// notification decode table, and the icon it builds from a picture.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/FakeTray.h"
#include "tray/clsSysTray.h"

namespace {

template <std::size_t N>
std::string field(const std::array<char, N>& f) {
    return std::string(f.begin(), f.end());
}

// A text of `n` characters that differ along its length, so a shifted cut shows.
std::string textOf(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += static_cast<char>('a' + i % 26);
    return s;
}

// The field a text should fill: the text, one NUL if it fits, spaces after.
std::string filled(const std::string& ansi, std::size_t width) {
    std::string f = ansi.substr(0, width);
    if (f.size() < width) f += '\0';
    f.resize(width, ' ');
    return f;
}

struct TrayRig {
    FakeTrayBackend backend;
    FakeWindowHost window;
    clsSysTray tray{backend};
    std::vector<std::string> events;

    TrayRig() {
        tray.LeftClick = [this] { events.push_back("LeftClick"); };
        tray.RightClick = [this] { events.push_back("RightClick"); };
        tray.DoubleClick = [this] { events.push_back("DoubleClick"); };
        tray.BalloonHide = [this] { events.push_back("BalloonHide"); };
        tray.BalloonTimeOut = [this] { events.push_back("BalloonTimeOut"); };
        tray.BalloonClicked = [this] { events.push_back("BalloonClicked"); };
    }
    void init() {
        tray.Init(window, "Alarm Clock");
        backend.sent.clear();
        backend.calls.clear();
    }
};

// ---- notification decode ----

struct Decode {
    int32_t x;
    const char* event;  // nullptr: nothing is raised
};

class MouseMoveDecode : public testing::TestWithParam<Decode> {};

TEST_P(MouseMoveDecode, RaisesTheEventOfTheNumberOrNothing) {
    TrayRig rig;
    rig.init();
    int16_t button = 1;
    rig.tray.MouseMove(button, GetParam().x, rig.window);
    if (GetParam().event)
        EXPECT_EQ(rig.events, std::vector<std::string>{GetParam().event});
    else
        EXPECT_TRUE(rig.events.empty()) << rig.events.front();
    EXPECT_TRUE(rig.backend.calls.empty());
    EXPECT_EQ(button, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MouseMoveDecode,
    testing::Values(Decode{514, "LeftClick"}, Decode{515, "DoubleClick"}, Decode{517, "RightClick"},
                    Decode{1027, "BalloonHide"}, Decode{1028, "BalloonTimeOut"},
                    Decode{1029, "BalloonClicked"},
                    // pointer moved, left down, right down, right double, middle
                    // buttons, balloon shown: not decoded
                    Decode{512, nullptr}, Decode{513, nullptr}, Decode{516, nullptr},
                    Decode{518, nullptr}, Decode{519, nullptr}, Decode{520, nullptr},
                    Decode{521, nullptr}, Decode{1024, nullptr}, Decode{1026, nullptr},
                    Decode{1030, nullptr}, Decode{0, nullptr}, Decode{-1, nullptr},
                    Decode{-514, nullptr},
                    // the same numbers handed on in twips
                    Decode{7710, nullptr}, Decode{7725, nullptr}, Decode{7755, nullptr},
                    Decode{15405, nullptr}, Decode{15420, nullptr}, Decode{15435, nullptr},
                    Decode{std::numeric_limits<int32_t>::min(), nullptr},
                    Decode{std::numeric_limits<int32_t>::max(), nullptr}));

TEST(SysTray, EventsWithoutHandlersAreIgnored) {
    FakeTrayBackend backend;
    FakeWindowHost window;
    clsSysTray tray(backend);
    int16_t button = 0;
    for (int32_t x : {514, 515, 517, 1027, 1028, 1029}) tray.MouseMove(button, x, window);
    SUCCEED();
}

TEST(SysTray, HandlersRunBeforeMouseMoveReturns) {
    TrayRig rig;
    bool inside = false, seen = false;
    rig.tray.LeftClick = [&] { seen = inside; };
    int16_t button = 1;
    inside = true;
    rig.tray.MouseMove(button, 514, rig.window);
    inside = false;
    EXPECT_TRUE(seen);
}

// ---- Init, SetIcon, destruction ----

TEST(SysTray, InitAddsWithTheCallbackThenSetsIconThenTooltip) {
    TrayRig rig;
    rig.tray.Init(rig.window, "Alarm Clock");
    ASSERT_EQ(rig.backend.calls, (std::vector<std::string>{"add", "modify", "modify"}));

    const NotifyIconData& add = rig.backend.sent[0].record;
    EXPECT_EQ(add.cbSize, 488u);
    EXPECT_EQ(add.hWnd, 0x1234u);
    EXPECT_EQ(add.uID, 1u);
    EXPECT_EQ(add.uFlags, uint32_t{NIF_MESSAGE});
    EXPECT_EQ(add.uCallbackMessage, 512u);
    EXPECT_EQ(add.hIcon, 0x77u);
    EXPECT_EQ(field(add.szTip), std::string(128, '\0'));

    const NotifyIconData& icon = rig.backend.sent[1].record;
    EXPECT_EQ(icon.uFlags, uint32_t{NIF_ICON});
    EXPECT_EQ(icon.hIcon, 0x77u);

    const NotifyIconData& tip = rig.backend.sent[2].record;
    EXPECT_EQ(tip.uFlags, uint32_t{NIF_TIP});
    EXPECT_EQ(field(tip.szTip), filled("Alarm Clock", 128));
    EXPECT_EQ(tip.cbSize, 488u);
    EXPECT_EQ(tip.uID, 1u);
    EXPECT_EQ(tip.dwState, 0u);
    EXPECT_EQ(tip.dwStateMask, 0u);
    EXPECT_EQ(rig.tray.TooltipText(), "Alarm Clock");
}

TEST(SysTray, InitStartsFromAClearRecord) {
    TrayRig rig;
    rig.tray.ShowBalloonTip("left over", 2, "old", 5000);
    rig.tray.Init(rig.window, "Alarm Clock");
    const NotifyIconData& add = rig.backend.sent[1].record;
    EXPECT_EQ(add.uTimeout, 0u);
    EXPECT_EQ(add.dwInfoFlags, 0u);
    EXPECT_EQ(field(add.szInfo), std::string(256, '\0'));
}

TEST(SysTray, SetIconSendsTheWindowsCurrentIconOnly) {
    TrayRig rig;
    rig.init();
    rig.window.icon = 0x99;
    rig.tray.SetIcon(rig.window);
    ASSERT_EQ(rig.backend.sent.size(), 1u);
    EXPECT_EQ(rig.backend.sent[0].message, NIM_MODIFY);
    EXPECT_EQ(rig.backend.last().uFlags, uint32_t{NIF_ICON});
    EXPECT_EQ(rig.backend.last().hIcon, 0x99u);
}

TEST(SysTray, BeforeInitTheRecordGoesOutAsItIs) {
    FakeTrayBackend backend;
    clsSysTray tray(backend);
    tray.TooltipText("x");
    ASSERT_EQ(backend.sent.size(), 1u);
    EXPECT_EQ(backend.last().cbSize, 0u);
    EXPECT_EQ(backend.last().uID, 0u);
    EXPECT_EQ(backend.last().uFlags, uint32_t{NIF_TIP});
}

TEST(SysTray, DestructionDeletesTheIcon) {
    FakeTrayBackend backend;
    FakeWindowHost window;
    {
        clsSysTray tray(backend);
        tray.Init(window, "Alarm Clock");
        backend.sent.clear();
    }
    ASSERT_EQ(backend.sent.size(), 1u);
    EXPECT_EQ(backend.sent[0].message, NIM_DELETE);
    EXPECT_EQ(backend.last().hWnd, 0x1234u);
    EXPECT_EQ(backend.last().uID, 1u);
}

// ---- tooltip ----

class TooltipLength : public testing::TestWithParam<std::size_t> {};

TEST_P(TooltipLength, CutTo128WithTheNulOnlyWhenItFits) {
    TrayRig rig;
    rig.init();
    const std::string text = textOf(GetParam());
    rig.tray.TooltipText(text);
    ASSERT_EQ(rig.backend.sent.size(), 1u);
    EXPECT_EQ(rig.backend.sent[0].message, NIM_MODIFY);
    EXPECT_EQ(rig.backend.last().uFlags, uint32_t{NIF_TIP});
    EXPECT_EQ(field(rig.backend.last().szTip), filled(text, 128));
    EXPECT_EQ(rig.tray.TooltipText(), text);
}

INSTANTIATE_TEST_SUITE_P(Lengths, TooltipLength,
                         testing::Values(0u, 1u, 126u, 127u, 128u, 129u, 300u));

TEST(SysTray, TooltipOf127HasItsNulLastAnd128HasNone) {
    TrayRig rig;
    rig.init();
    rig.tray.TooltipText(std::string(127, 'x'));
    EXPECT_EQ(rig.backend.last().szTip[126], 'x');
    EXPECT_EQ(rig.backend.last().szTip[127], '\0');
    rig.tray.TooltipText(std::string(128, 'y'));
    EXPECT_EQ(field(rig.backend.last().szTip), std::string(128, 'y'));
    rig.tray.TooltipText(std::string(129, 'z'));
    EXPECT_EQ(field(rig.backend.last().szTip), std::string(128, 'z'));
    EXPECT_EQ(rig.tray.TooltipText(), std::string(129, 'z'));
}

TEST(SysTray, TooltipGoesOutInTheSingleByteCodePage) {
    TrayRig rig;
    rig.init();
    // 127 accented letters: one byte each, so the NUL still fits.
    std::string accented;
    for (int i = 0; i < 127; ++i) accented += "\xC3\xA9";  // é
    rig.tray.TooltipText(accented);
    EXPECT_EQ(field(rig.backend.last().szTip), filled(std::string(127, '\xE9'), 128));
    EXPECT_EQ(rig.tray.TooltipText(), accented);

    rig.tray.TooltipText("Aucune Chanson S\xC3\xA9lectionée \xE2\x82\xAC \xE6\x97\xA5");
    EXPECT_EQ(field(rig.backend.last().szTip), filled("Aucune Chanson S\xE9lection\xE9"
                                                      "e \x80 ?",
                                                      128));
}

// ---- balloon ----

TEST(SysTray, BalloonDefaults) {
    TrayRig rig;
    rig.init();
    rig.tray.ShowBalloonTip("Wake up");
    ASSERT_EQ(rig.backend.sent.size(), 1u);
    EXPECT_EQ(rig.backend.sent[0].message, NIM_MODIFY);
    const NotifyIconData& r = rig.backend.last();
    EXPECT_EQ(r.uFlags, uint32_t{NIF_INFO});
    EXPECT_EQ(r.dwInfoFlags, 0u);
    EXPECT_EQ(r.uTimeout, 30000u);
    EXPECT_EQ(field(r.szInfo), filled("Wake up", 256));
    EXPECT_EQ(field(r.szInfoTitle), filled("", 64));
    // The tooltip is still in the record.
    EXPECT_EQ(field(r.szTip), filled("Alarm Clock", 128));
}

TEST(SysTray, BalloonIconFlagsAndTimeOutAreSentUnchanged) {
    TrayRig rig;
    rig.init();
    rig.tray.ShowBalloonTip("m", 0x12, "t", 0);
    EXPECT_EQ(rig.backend.last().dwInfoFlags, 0x12u);
    EXPECT_EQ(rig.backend.last().uTimeout, 0u);
    rig.tray.ShowBalloonTip("m", 3, "t", std::numeric_limits<int32_t>::max());
    EXPECT_EQ(rig.backend.last().dwInfoFlags, 3u);
    EXPECT_EQ(rig.backend.last().uTimeout, 0x7FFFFFFFu);
    rig.tray.ShowBalloonTip("m", 1, "t", std::numeric_limits<int32_t>::min());
    EXPECT_EQ(rig.backend.last().uTimeout, 0x80000000u);
}

struct BalloonSizes {
    std::size_t message;
    std::size_t title;
};

class BalloonLength : public testing::TestWithParam<BalloonSizes> {};

TEST_P(BalloonLength, MessageCutTo256AndTitleTo64) {
    TrayRig rig;
    rig.init();
    const std::string message = textOf(GetParam().message);
    const std::string title = textOf(GetParam().title);
    rig.tray.ShowBalloonTip(message, 1, title, 5000);
    EXPECT_EQ(field(rig.backend.last().szInfo), filled(message, 256));
    EXPECT_EQ(field(rig.backend.last().szInfoTitle), filled(title, 64));
    const bool messageHasNul = GetParam().message < 256;
    const bool titleHasNul = GetParam().title < 64;
    EXPECT_EQ(field(rig.backend.last().szInfo).find('\0') != std::string::npos, messageHasNul);
    EXPECT_EQ(field(rig.backend.last().szInfoTitle).find('\0') != std::string::npos, titleHasNul);
}

INSTANTIATE_TEST_SUITE_P(Lengths, BalloonLength,
                         testing::Values(BalloonSizes{255, 63}, BalloonSizes{256, 64},
                                         BalloonSizes{257, 65}, BalloonSizes{0, 0},
                                         BalloonSizes{400, 100}));

TEST(SysTray, TooltipAfterBalloonSendsOnlyTheTooltipAndKeepsTheBalloon) {
    TrayRig rig;
    rig.init();
    rig.tray.ShowBalloonTip("Wake up", 1, "Alarm", 4000);
    rig.tray.TooltipText("Ringing");
    ASSERT_EQ(rig.backend.sent.size(), 2u);
    const NotifyIconData& r = rig.backend.last();
    EXPECT_EQ(r.uFlags, uint32_t{NIF_TIP});
    EXPECT_EQ(field(r.szTip), filled("Ringing", 128));
    EXPECT_EQ(field(r.szInfo), filled("Wake up", 256));
    EXPECT_EQ(field(r.szInfoTitle), filled("Alarm", 64));
    EXPECT_EQ(r.uTimeout, 4000u);
    EXPECT_EQ(r.dwInfoFlags, 1u);
}

class BalloonTimeOutRange : public testing::TestWithParam<int64_t> {};

TEST_P(BalloonTimeOutRange, TooLargeFailsBeforeAnythingIsSent) {
    TrayRig rig;
    rig.init();
    rig.tray.ShowBalloonTip("first", 1, "one", 1000);
    rig.backend.sent.clear();
    EXPECT_THROW(rig.tray.ShowBalloonTip("second", 2, "two", GetParam()), std::out_of_range);
    EXPECT_TRUE(rig.backend.sent.empty());
    // The texts already stand in the record; the rest is untouched.
    const NotifyIconData& r = rig.tray.record();
    EXPECT_EQ(field(r.szInfo), filled("second", 256));
    EXPECT_EQ(field(r.szInfoTitle), filled("two", 64));
    EXPECT_EQ(r.uTimeout, 1000u);
    EXPECT_EQ(r.dwInfoFlags, 1u);
}

INSTANTIATE_TEST_SUITE_P(OutOf32Bits, BalloonTimeOutRange,
                         testing::Values(int64_t{1} << 31, (int64_t{1} << 31) + 30000,
                                         -(int64_t{1} << 31) - 1,
                                         std::numeric_limits<int64_t>::max()));

// ---- icon from a picture ----

constexpr uint32_t kMagenta = 0x00FF00FF;
constexpr uint32_t kGrey = 0x00808080;

Picture pictureOf(int width, int height, uint32_t colour) {
    return Picture{width, height,
                   std::vector<uint32_t>(static_cast<std::size_t>(width) * height, colour)};
}

void setPixel(Picture& p, int x, int y, uint32_t colour) {
    p.pixels[static_cast<std::size_t>(y) * p.width + x] = colour;
}

TEST(DrawIcon, DefaultColourGivesTheWholePictureOpaque) {
    for (int32_t colour : {-1, -2, std::numeric_limits<int32_t>::min()}) {
        TrayRig rig;
        rig.init();
        Picture picture = pictureOf(32, 32, 0);
        setPixel(picture, 5, 6, kMagenta);
        rig.tray.DrawIcon(picture, colour);
        ASSERT_EQ(rig.backend.images.size(), 1u);
        EXPECT_EQ(rig.backend.images[0].colour.pixels, picture.pixels);
        EXPECT_EQ(rig.backend.images[0].mask, std::vector<bool>(32 * 32, false));
    }
    TrayRig rig;
    rig.init();
    rig.tray.DrawIcon(pictureOf(16, 24, 0));  // the default argument
    ASSERT_EQ(rig.backend.images.size(), 1u);
    EXPECT_EQ(rig.backend.images[0].mask, std::vector<bool>(16 * 24, false));
    EXPECT_EQ(rig.backend.images[0].colour.width, 16);
    EXPECT_EQ(rig.backend.images[0].colour.height, 24);
}

TEST(DrawIcon, AppliesTheIconThenDestroysItsOwnHandle) {
    TrayRig rig;
    rig.init();
    rig.tray.DrawIcon(pictureOf(32, 32, kGrey));
    EXPECT_EQ(rig.backend.calls, (std::vector<std::string>{"create", "modify", "destroy"}));
    EXPECT_EQ(rig.backend.last().uFlags, uint32_t{NIF_ICON});
    EXPECT_EQ(rig.backend.last().hIcon, 0x5000u);
    EXPECT_EQ(rig.backend.destroyed, std::vector<uint64_t>{0x5000});
    EXPECT_EQ(rig.tray.record().hIcon, 0x5000u);
}

TEST(DrawIcon, BlackCountsAsATransparentColour) {
    TrayRig rig;
    rig.init();
    Picture picture = pictureOf(32, 32, kGrey);
    setPixel(picture, 0, 0, 0);
    setPixel(picture, 31, 31, 0);
    setPixel(picture, 10, 20, 0);
    setPixel(picture, 11, 20, 0x00010000);  // almost black
    rig.tray.DrawIcon(picture, 0);
    ASSERT_EQ(rig.backend.images.size(), 1u);
    const IconImage& image = rig.backend.images[0];
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * 32 + x;
            const bool black = (x == 0 && y == 0) || (x == 31 && y == 31) || (x == 10 && y == 20);
            EXPECT_EQ(image.mask[i], black) << x << "," << y;
            EXPECT_EQ(image.colour.pixels[i], picture.pixels[i]) << x << "," << y;
        }
    }
}

TEST(DrawIcon, TransparentPixelsTurnBlackInTheIconOnly) {
    TrayRig rig;
    rig.init();
    Picture picture = pictureOf(32, 32, kGrey);
    for (int x = 0; x < 32; ++x) setPixel(picture, x, 3, kMagenta);
    const Picture before = picture;
    rig.tray.DrawIcon(picture, static_cast<int32_t>(kMagenta));
    const IconImage& image = rig.backend.images.at(0);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * 32 + x;
            EXPECT_EQ(image.mask[i], y == 3);
            EXPECT_EQ(image.colour.pixels[i], y == 3 ? 0u : kGrey);
        }
    }
    EXPECT_EQ(picture.pixels, before.pixels);
    EXPECT_EQ(picture.width, 32);
    EXPECT_EQ(picture.height, 32);
}

TEST(DrawIcon, OnlyTheTopLeft32By32TakePart) {
    TrayRig rig;
    rig.init();
    const Picture picture = pictureOf(40, 40, kMagenta);
    rig.tray.DrawIcon(picture, static_cast<int32_t>(kMagenta));
    const IconImage& image = rig.backend.images.at(0);
    ASSERT_EQ(image.colour.width, 40);
    ASSERT_EQ(image.colour.height, 40);
    ASSERT_EQ(image.mask.size(), 40u * 40u);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * 40 + x;
            const bool corner = x < 32 && y < 32;
            EXPECT_EQ(image.mask[i], corner) << x << "," << y;
            EXPECT_EQ(image.colour.pixels[i], corner ? 0u : kMagenta) << x << "," << y;
        }
    }
    EXPECT_EQ(picture.pixels, pictureOf(40, 40, kMagenta).pixels);
}

TEST(DrawIcon, ASmallerPictureIsMaskedWhereItHasPixels) {
    TrayRig rig;
    rig.init();
    Picture picture = pictureOf(8, 4, kGrey);
    setPixel(picture, 7, 3, kMagenta);
    rig.tray.DrawIcon(picture, static_cast<int32_t>(kMagenta));
    const IconImage& image = rig.backend.images.at(0);
    std::vector<bool> mask(32, false);
    mask[31] = true;
    EXPECT_EQ(image.mask, mask);
}

TEST(DrawIcon, AFailedIconLeavesTheTrayImageUnchanged) {
    TrayRig rig;
    rig.init();
    rig.backend.nextIcon = 0;
    rig.tray.DrawIcon(pictureOf(32, 32, kGrey), 0);
    EXPECT_EQ(rig.backend.calls, std::vector<std::string>{"create"});
    EXPECT_EQ(rig.tray.record().hIcon, 0u);
}

TEST(DrawIcon, AnEmptyPictureGivesNoIcon) {
    const Picture broken[] = {Picture{}, Picture{0, 32, {}}, Picture{32, 0, {}},
                              Picture{32, 32, std::vector<uint32_t>(10, 0)},
                              Picture{-4, -4, std::vector<uint32_t>(16, 0)}};
    for (const Picture& picture : broken) {
        for (int32_t colour : {-1, 0}) {
            TrayRig rig;
            rig.init();
            rig.tray.DrawIcon(picture, colour);
            EXPECT_TRUE(rig.backend.calls.empty());
            EXPECT_EQ(rig.tray.record().hIcon, 0u);
        }
    }
}

}  // namespace
