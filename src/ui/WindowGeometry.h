#pragma once
// The window's size and the units its positions are given in.

#include <cstdint>

namespace geometry {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kWidthPx = 600;
inline constexpr int kHeightPx = 300;

// Past these edges (in twips) a dragged window is sent home to 0,0.
inline constexpr int kHomeLeftLimit = 23700;
inline constexpr int kHomeTopLimit = 10110;

// A coordinate in twips rounded to the nearest whole one; 0 for a value that
// does not fit in 32 bits (or is not a number).
int32_t roundTwips(float x);

}  // namespace geometry
