#include "mainwin/view_fit.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mv {
namespace {

using LD = long double;

struct Extent {
    WorldBox box{std::numeric_limits<LD>::infinity(), -std::numeric_limits<LD>::infinity(),
                 std::numeric_limits<LD>::infinity(), -std::numeric_limits<LD>::infinity()};
    bool finite = true;

    void Add(LD h, LD v) {
        if (!std::isfinite(h) || !std::isfinite(v)) {
            finite = false;
            return;
        }
        box.left = std::min(box.left, h);
        box.right = std::max(box.right, h);
        box.bottom = std::min(box.bottom, v);
        box.top = std::max(box.top, v);
    }
};

// Offsets and scales beyond this stay where they were: no screen needs them and a float could
// not hold some of them.
constexpr LD kViewLimit = 1e30L;

bool Sane(LD v) {
    return std::isfinite(v) && std::fabs(v) <= kViewLimit;
}

}  // namespace

WorldBox MechanismBox(const Gear& g) {
    Extent e;
    for (int n = 0; n <= pv::RevArmTop; ++n) e.Add(g.pivots[n].x, g.pivots[n].y);

    const Pivot& wheel = g.pivots[pv::Driver];
    const LD r = std::fabs(LD(g.frame.driverDia)) / 2;
    e.Add(wheel.x - r, wheel.y - r);
    e.Add(wheel.x + r, wheel.y + r);

    // The guide link arc: the upper 53 degrees of its circle.
    const Pivot& gc = g.pivots[pv::GuideCentre];
    const LD R = std::fabs(LD(g.frame.guideLinkRadius));
    e.Add(gc.x, gc.y + R);
    e.Add(gc.x - R / std::sqrt(5.0L), gc.y + 2 * R / std::sqrt(5.0L));
    e.Add(gc.x + R / std::sqrt(5.0L), gc.y + 2 * R / std::sqrt(5.0L));

    // Cylinder, steam chest, ports, piston and valve, as the outlines place them.
    const CylinderDimensions& d = g.cyl;
    const LD E = d.cylCtr, c = g.pivots[pv::Crosshead].y, G = d.boreDia, H = d.boreLen;
    const LD L = d.valveSurface, n = d.exhaustPort, S = d.chamberHeight, T = d.chamberLength;
    const LD o = d.bridgeRear, p = d.bridgeFront, q = d.steamPortRear, rr = d.steamPortFront;
    const LD h3 = g.pivots[pv::Crosshead].x, j = d.pistonRod, k = d.pistonWidth;
    const LD valve = LD(g.pivots[pv::ValveJoint].x) + d.valveStem;
    for (LD h : {E - T / 2, E + T / 2, E - n / 2, E + n / 2}) {
        e.Add(h, c + L + S);
        e.Add(h, c + L);
    }
    e.Add(E - n / 2 - o - q, c + L - n / 3);
    e.Add(E + n / 2 + p + rr, c + L - n / 3);
    e.Add(E - n / 2 - o, c + L - n / 1.5L);
    e.Add(E + n / 2 + p, c + L - n / 1.5L);
    e.Add(E - n / 2, c + L - q);
    e.Add(E + n / 2, c + L - q);
    for (LD h : {E - H / 2, E + H / 2, h3 + j - k / 2, h3 + j + k / 2}) {
        e.Add(h, c + G / 2);
        e.Add(h, c - G / 2);
    }
    for (LD h : {valve - d.valveRearHalf, valve + d.valveFrontHalf}) {
        e.Add(h, c + L + d.valveHeight);
        e.Add(h, c + L);
    }
    e.Add(valve - d.valveRearHalf, g.pivots[pv::ValveJoint].y);

    if (!e.finite) {
        const LD inf = std::numeric_limits<LD>::infinity();
        return {-inf, inf, -inf, inf};
    }
    return e.box;
}

std::optional<ViewTransform> FitView(const WorldBox& box, const ScreenBox& area, int margin) {
    const LD w = LD(area.width) - 2 * LD(margin);
    const LD h = LD(area.height) - 2 * LD(margin);
    if (!(w >= 1 && h >= 1)) return std::nullopt;
    const LD bw = box.right - box.left;
    const LD bh = box.top - box.bottom;
    if (!std::isfinite(bw) || !std::isfinite(bh) || bw < 0 || bh < 0) return std::nullopt;
    LD s = kMaxScale;
    if (bw > 0) s = std::min(s, w / bw);
    if (bh > 0) s = std::min(s, h / bh);
    s = std::clamp(s, LD(kMinScale), LD(kMaxScale));
    // The box's centre goes to the area's centre.
    const LD ch = (box.left + box.right) / 2, cv = (box.bottom + box.top) / 2;
    const LD cx = area.x + LD(area.width) / 2, cy = area.y + LD(area.height) / 2;
    const LD ox = cx - ch * s, oy = cy + cv * s;
    if (!Sane(ox) || !Sane(oy)) return std::nullopt;
    return ViewTransform{static_cast<float>(s), static_cast<float>(ox), static_cast<float>(oy)};
}

ViewTransform ZoomAbout(const ViewTransform& view, long double factor, long double x,
                        long double y) {
    const LD s0 = view.scale;
    if (!(s0 > 0) || !std::isfinite(s0) || !(factor > 0) || !std::isfinite(factor)) {
        // A view from a damaged file: bring the scale into range, move nothing.
        ViewTransform v = view;
        v.scale = std::isfinite(s0) ? std::clamp(view.scale, kMinScale, kMaxScale) : kMaxScale;
        return v;
    }
    const LD s = std::clamp(s0 * factor, LD(kMinScale), LD(kMaxScale));
    const LD f = s / s0;
    // The world point under (x, y) stays under it: x = h s + ox before and after.
    const LD ox = x - (x - view.ox) * f;
    const LD oy = y - (y - view.oy) * f;
    ViewTransform v;
    v.scale = static_cast<float>(s);
    v.ox = Sane(ox) ? static_cast<float>(ox) : view.ox;
    v.oy = Sane(oy) ? static_cast<float>(oy) : view.oy;
    return v;
}

}  // namespace mv
