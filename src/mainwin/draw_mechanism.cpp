// The mechanism itself: wheel, links, cylinder and valve, and the user's construction lines.
#include <cmath>
#include <numbers>

#include "mainwin/picture_layers.hpp"
#include "model/screen_math.hpp"

namespace mv::picture {
namespace {

using LD = long double;
constexpr LD kRad = std::numbers::pi_v<long double> / 180.0L;

struct View {
    LD s, ox, oy;
    int X(LD h) const { return RoundToScreen(h * s + ox); }
    int Y(LD v) const { return RoundToScreen(-v * s + oy); }
};

View ViewOf(const Model& m) {
    return {m.view.scale, m.view.ox, m.view.oy};
}

// Circle of world radius r about pivot n, boxed the way the wheel and pins always were.
void PivotCircle(PictureCanvas& c, const Model& m, const View& v, int n, LD r) {
    const LD h = m.pivots[n].x, vv = m.pivots[n].y;
    c.Ellipse(v.X(h - r), v.Y(vv - r), v.X(h + r), v.Y(vv + r));
}

void MoveToPivot(PictureCanvas& c, const Model& m, int n) {
    c.MoveTo(m.pivots[n].sx, m.pivots[n].sy);
}
void LineToPivot(PictureCanvas& c, const Model& m, int n) {
    c.LineTo(m.pivots[n].sx, m.pivots[n].sy);
}

template <std::size_t N>
void Polyline(PictureCanvas& c, const std::array<ScreenPoint, N>& pts, std::size_t from,
              std::size_t to) {
    c.MoveTo(pts[from].x, pts[from].y);
    for (std::size_t k = from + 1; k <= to; ++k) c.LineTo(pts[k].x, pts[k].y);
}

void WheelAndPins(PictureCanvas& c, Model& m, const View& v) {
    const LD D = m.frame.driverDia;
    PivotCircle(c, m, v, pv::Driver, 0.5L * D);

    // Counterweight: 140 degrees of a circle about the axle, opposite the crank.
    const LD a = m.gear.driverAngle;
    const LD w = 0.35L * D * v.s;
    const LD big = D * v.s;
    c.Arc(RoundToScreen(-w + v.ox), RoundToScreen(w + v.oy), RoundToScreen(w + v.ox),
          RoundToScreen(-w + v.oy), RoundToScreen(std::cos((a - 110.0L) * kRad) * big + v.ox),
          RoundToScreen(std::sin((a - 110.0L) * kRad) * big + v.oy),
          RoundToScreen(std::cos((a + 110.0L) * kRad) * big + v.ox),
          RoundToScreen(std::sin((a + 110.0L) * kRad) * big + v.oy));

    PivotCircle(c, m, v, pv::Driver, 0.08L * D);
    PivotCircle(c, m, v, pv::CrankPin, 0.05L * D);
    PivotCircle(c, m, v, pv::Crosshead, 0.04L * D);
    for (int n : {pv::ValveJoint, pv::BellVertPin, pv::BellPivot, pv::BellPivot2, pv::BellHorzPin,
                  pv::EccRodEnd, pv::HangerPin})
        PivotCircle(c, m, v, n, 0.02L * D);
    PivotCircle(c, m, v, pv::EccCrankPin, 0.04L * D);
    // The reverse arm's top follows the setting even if it moved since the solve.
    m.pivots[pv::RevArmTop].x = m.gear.revArmSetting;
    for (int n : {pv::GuideEnd, pv::RevArmPin, pv::RevArmPivot, pv::RevArmPivot2, pv::RevArmTop})
        PivotCircle(c, m, v, n, 0.02L * D);
}

void CylinderPistonValve(PictureCanvas& c, const Model& m, int width) {
    c.SetPen(kGrey, width);
    Polyline(c, m.outlineC, 0, 13);
    Polyline(c, m.outlineC, 14, 23);

    c.SetPen(kBlack, width);
    const auto& P = m.outlineP;
    MoveToPivot(c, m, pv::Crosshead);
    c.LineTo(P[0].x, P[0].y);  // piston rod
    c.MoveTo(P[4].x, P[4].y);
    for (int k : {1, 2, 3, 4}) c.LineTo(P[k].x, P[k].y);
    const auto& V = m.outlineV;
    MoveToPivot(c, m, pv::ValveJoint);
    c.LineTo(V[0].x, V[0].y);  // valve stem
    c.MoveTo(V[8].x, V[8].y);
    for (int k = 1; k <= 8; ++k) c.LineTo(V[k].x, V[k].y);
}

void FixedPivotsAndGuideArc(PictureCanvas& c, const Model& m, const View& v, int width) {
    c.SetPen(kRed, width);
    for (int n : {pv::Origin, pv::BellPivot, pv::GuideCentre, pv::RevArmPivot}) {
        const int x = m.pivots[n].sx, y = m.pivots[n].sy;
        c.Line(x + 5, y + 5, x - 6, y - 6);
        c.Line(x + 5, y - 5, x - 6, y + 6);
    }
    // The upper 53 degrees of the guide link's circle.
    const LD R = m.frame.guideLinkRadius;
    const LD h = m.pivots[pv::GuideCentre].x, vv = m.pivots[pv::GuideCentre].y;
    c.Arc(v.X(h - R), v.Y(vv - R), v.X(h + R), v.Y(vv + R), v.X(h + R / 2), v.Y(vv + R),
          v.X(h - R / 2), v.Y(vv + R));
}

void RodsAndLinks(PictureCanvas& c, const Model& m) {
    MoveToPivot(c, m, pv::Crosshead);
    c.SetPenColour(kRed);
    LineToPivot(c, m, pv::CrankPin);  // main rod
    c.SetPenColour(kLime);
    LineToPivot(c, m, pv::EccCrankPin);  // eccentric crank
    c.SetPenColour(kBlue);
    LineToPivot(c, m, pv::EccRodEnd);  // eccentric rod
    c.SetPenColour(kAqua);
    LineToPivot(c, m, pv::BellHorzPin);  // transmission yoke
    c.SetPenColour(kFuchsia);
    LineToPivot(c, m, pv::BellPivot);  // bell crank
    LineToPivot(c, m, pv::BellVertPin);
    c.SetPenColour(kLime);
    LineToPivot(c, m, pv::ValveJoint);  // valve connecting rod

    MoveToPivot(c, m, pv::HangerPin);
    c.SetPenColour(kFuchsia);
    LineToPivot(c, m, pv::GuideEnd);  // radius hanger
    c.SetPenColour(kBlue);
    LineToPivot(c, m, pv::ReachCorner);  // auxiliary reach rod
    LineToPivot(c, m, pv::RevArmPin);

    MoveToPivot(c, m, pv::RevArmPivot);
    c.SetPenColour(kLime);
    LineToPivot(c, m, pv::RevArmTop);  // reverse arm
    c.SetPenColour(kBlack);
    c.LineTo(m.pivots[pv::Driver].sx, m.pivots[pv::RevArmTop].sy);  // reach rod
}

bool ValidPivot(int n) {
    return n >= 0 && n < kPivotCount;
}

void LinesAndCircles(PictureCanvas& c, const Model& m, const View& v) {
    for (const LineEntry& e : m.lines.entries) {
        c.SetPenColour(OverlayColour(e.colour));
        // A record from a damaged file may name any pivot; such a record draws nothing.
        const bool needsP = e.reference >= 1;
        const bool needsQ = e.kind == 0 && e.reference == 3;
        if ((needsP && !ValidPivot(e.p)) || (needsQ && !ValidPivot(e.q))) continue;
        const LD hp = needsP ? m.pivots[e.p].x : 0.0f, vp = needsP ? m.pivots[e.p].y : 0.0f;
        if (e.kind == 0) {
            LD x1 = e.h1, y1 = e.v1, x2 = e.h2, y2 = e.v2;
            switch (e.reference) {
                case 0: break;
                case 1: x1 += hp, y1 += vp, x2 += hp, y2 += vp; break;
                case 2: x1 += hp, y1 += vp; break;
                case 3: x1 += hp, y1 += vp, x2 += m.pivots[e.q].x, y2 += m.pivots[e.q].y; break;
                default: continue;
            }
            c.Line(v.X(x1), v.Y(y1), v.X(x2), v.Y(y2));
        } else if (e.kind == 1) {
            if (e.reference != 0 && e.reference != 1) continue;
            LD hc = e.h1, vc = e.v1;
            if (e.reference == 1) hc += hp, vc += vp;
            const LD r = e.h2;
            // One pixel more to the right and below, so the circle is as wide as it is high
            // around its centre pixel.
            const int l = v.X(hc - r), t = v.Y(vc + r);
            const int rr = v.X(hc + r) + 1, b = v.Y(vc - r) + 1;
            c.Ellipse(l, t, rr, b);
        }
    }
}

}  // namespace

QRgb OverlayColour(int selector) {
    switch (selector) {
        case 1: return kRed;
        case 2: return kGreen;
        case 3: return kYellow;
        case 4: return kBlue;
        case 5: return kGrey;
        default: return kBlack;
    }
}

void DrawMechanism(Model& m, PictureCanvas& c) {
    const View v = ViewOf(m);
    const int width = m.display.lineWidth;
    c.SetPen(kBlack, width);
    WheelAndPins(c, m, v);
    CylinderPistonValve(c, m, width);
    FixedPivotsAndGuideArc(c, m, v, width);
    RodsAndLinks(c, m);
    LinesAndCircles(c, m, v);
}

}  // namespace mv::picture
