// Float-to-pixel conversion that is never undefined: NaN, infinities and values beyond the
// integer range saturate. Ties round half to even, as the picture's coordinates always have.
#pragma once

#include <cmath>
#include <limits>

namespace mv {

// Pixel coordinates far outside any surface; big enough to be clipped, small enough that
// adding a few pixels never overflows.
inline constexpr int kScreenLimit = 1 << 24;

inline int RoundToScreen(long double v) {
    if (std::isnan(v)) return 0;
    if (v >= kScreenLimit) return kScreenLimit;
    if (v <= -kScreenLimit) return -kScreenLimit;
    // nearbyint honours the default rounding mode: ties to even.
    return static_cast<int>(std::nearbyint(v));
}

// Truncation toward zero (integer division of screen values), saturating likewise.
inline int TruncToScreen(long double v) {
    if (std::isnan(v)) return 0;
    if (v >= kScreenLimit) return kScreenLimit;
    if (v <= -kScreenLimit) return -kScreenLimit;
    return static_cast<int>(v);
}

}  // namespace mv
