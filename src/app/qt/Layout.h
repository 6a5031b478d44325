#pragma once
// Where each visible control sits in the 600 x 300 window, in pixels (the
// design's twips divided by 15, rounded so the pictures meet the background).

#include <QRect>

#include "ui/WindowGeometry.h"

namespace layout {

inline constexpr int kWidth = geometry::kWidthPx;
inline constexpr int kHeight = geometry::kHeightPx;
inline constexpr int kTwipsPerPixel = geometry::kTwipsPerPixel;

inline constexpr QRect lblTime{104, 144, 339, 97};
inline constexpr QRect lblAMPM{456, 144, 105, 97};
inline constexpr QRect lblAlarm{96, 112, 89, 25};
inline constexpr QRect lblTrack{112, 72, 433, 16};
inline constexpr QRect lblMinimize{560, 3, 16, 31};
inline constexpr QRect lblClose{580, 3, 16, 31};
inline constexpr QRect butOnOff{24, 64, 50, 25};
inline constexpr QRect butSettings{48, 37, 27, 27};
inline constexpr QRect butTrack{80, 64, 25, 25};
inline constexpr QRect butBuzz{60, 129, 29, 46};
inline constexpr QRect butSong{33, 128, 24, 47};
inline constexpr QRect bg{0, 0, 600, 300};

// Font sizes in pixels: the design's points at 96 dots per inch.
inline constexpr int kDisplayPx = 96;  // 72 pt
inline constexpr int kCornerPx = 32;   // 24 pt
inline constexpr int kAlarmPx = 11;    // 8.25 pt
inline constexpr int kTrackPx = 12;    // 9 pt

}  // namespace layout
