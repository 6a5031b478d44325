#include "ui/WindowGeometry.h"

#include <cmath>
#include <limits>

namespace geometry {

int32_t roundTwips(float x) {
    // Compared as double, where both limits are exact.
    const double value = x;
    if (!(value > std::numeric_limits<int32_t>::min() &&
          value < std::numeric_limits<int32_t>::max()))
        return 0;
    return static_cast<int32_t>(std::lrint(x));
}

}  // namespace geometry
