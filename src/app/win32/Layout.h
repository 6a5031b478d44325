#pragma once
// Where each visible control sits in the 600 x 300 window, in pixels: the same
// rectangles, colours and font sizes as the Linux window's.

#include <cstdint>

#include "ui/WindowGeometry.h"

namespace layout {

struct Box {
    int x, y, width, height;
    bool contains(int px, int py) const {
        return px >= x && py >= y && px < x + width && py < y + height;
    }
};

inline constexpr Box lblTime{104, 144, 339, 97};
inline constexpr Box lblAMPM{456, 144, 105, 97};
inline constexpr Box lblAlarm{96, 112, 89, 25};
inline constexpr Box lblTrack{112, 72, 433, 16};
inline constexpr Box lblMinimize{560, 3, 16, 31};
inline constexpr Box lblClose{580, 3, 16, 31};
inline constexpr Box butOnOff{24, 64, 50, 25};
inline constexpr Box butSettings{48, 37, 27, 27};
inline constexpr Box butTrack{80, 64, 25, 25};
inline constexpr Box butBuzz{60, 129, 29, 46};
inline constexpr Box butSong{33, 128, 24, 47};
inline constexpr Box bg{0, 0, geometry::kWidthPx, geometry::kHeightPx};

// Font sizes in pixels: the design's points at 96 dots per inch.
inline constexpr int kDisplayPx = 96;  // 72 pt
inline constexpr int kCornerPx = 32;   // 24 pt
inline constexpr int kAlarmPx = 11;    // 8.25 pt
inline constexpr int kTrackPx = 12;    // 9 pt

// Colours as 0x00BBGGRR.
inline constexpr uint32_t kCyan = 0x00FFFF00;
inline constexpr uint32_t kBlack = 0x00000000;
inline constexpr uint32_t kGrey = 0x00A2A2A2;
// The corner marks in light grey, so they can be seen on their black boxes.
inline constexpr uint32_t kLightGrey = 0x00D0D0D0;

}  // namespace layout
