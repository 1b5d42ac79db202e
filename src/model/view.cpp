#include "model/view.hpp"

#include <cmath>

#include "model/screen_math.hpp"

namespace mv {

using LD = long double;

ScreenPoint MapToScreen(const ViewTransform& view, long double h, long double v) {
    const LD s = view.scale;
    return {RoundToScreen(h * s + view.ox), RoundToScreen(-v * s + view.oy)};
}

WorldPoint ScreenToWorld(const ViewTransform& view, int x, int y) {
    return {static_cast<float>((static_cast<LD>(x) - view.ox) / view.scale),
            static_cast<float>(-(static_cast<LD>(y) - view.oy) / view.scale)};
}

ViewTransform ZoomedView(const ViewTransform& anchor, float d) {
    ViewTransform out = anchor;
    LD s = anchor.scale;
    if (s > kMaxScale) s = kMaxScale;
    s = s + s * d * 0.01L;
    // A view read from a file may carry a scale of 0 or worse; the offsets then stay put
    // rather than turning into NaN.
    if (std::isfinite(static_cast<LD>(anchor.scale)) && anchor.scale > 0 && std::isfinite(s)) {
        out.ox = static_cast<float>((anchor.ox - static_cast<LD>(kViewCentreX)) * s / anchor.scale +
                                    kViewCentreX);
        out.oy = static_cast<float>(s * (anchor.oy - static_cast<LD>(kViewCentreY)) / anchor.scale +
                                    kViewCentreY);
    }
    if (!(s <= kMaxScale)) s = std::isnan(s) ? kMinScale : kMaxScale;
    if (s < kMinScale) s = kMinScale;
    out.scale = static_cast<float>(s);
    return out;
}

ViewTransform CentredOn(const ViewTransform& view, float h, float v) {
    ViewTransform out = view;
    const LD s = view.scale;
    out.ox = static_cast<float>(kViewCentreX - static_cast<LD>(h) * s);
    out.oy = static_cast<float>(static_cast<LD>(v) * s + kViewCentreY);
    return out;
}

int NearestPivot(const Gear& g, WorldPoint p) {
    LD best = 10000;
    int found = -1;
    for (int i = pv::Driver; i <= pv::RevArmTop; ++i) {
        const LD dist = std::fabs(static_cast<LD>(p.v) - g.pivots[i].y) +
                        std::fabs(static_cast<LD>(p.h) - g.pivots[i].x);
        if (dist < best) {
            best = dist;
            found = i;
        }
    }
    return found;
}

int PickRowAt(int x, int y, float fx, float fy) {
    if (!(x > 0 && x < RoundToScreen(20.0L * fx))) return 0;
    for (int k = 1; k <= 6; ++k) {
        if (RoundToScreen((142 + 10 * k) * static_cast<LD>(fy)) < y &&
            y < RoundToScreen((151 + 10 * k) * static_cast<LD>(fy)))
            return k;
    }
    return 0;
}

}  // namespace mv
