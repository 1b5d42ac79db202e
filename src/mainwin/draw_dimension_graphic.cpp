// The dimension position graphic: when a dimension's button in a dimension dialog is pressed,
// the dialog steps aside, the picture zooms to the part concerned and a blinking line shows
// what the dimension measures, for 1000 frames or until a mouse click.
#include <cmath>

#include "mainwin/picture_layers.hpp"
#include "model/dimensions.hpp"
#include "model/screen_math.hpp"

namespace mv::picture {
namespace {

using LD = long double;

struct RowView {
    int n = 28;            // scale = n / GraphicZoomFactor x 7.5
    bool offsets = false;  // false keeps the offsets
    float ox = 0, oy = 0;
};

RowView ViewForRow(int k) {
    auto fixed = [](int n, float ox, float oy) { return RowView{n, true, ox, oy}; };
    switch (k) {
        case 1:
        case 2:
        case 4:
        case 5: return fixed(30, 290, 212);
        case 3:
        case 6:
        case 11:
        case 23:
        case 24:
        case 25: return RowView{28, false};
        case 7: return fixed(62, -150, 212);
        case 14: return fixed(40, 50, 300);
        case 26:
        case 27: return fixed(28, 200, 300);
        case 101: return RowView{28, false};
        case 102: return fixed(55, -600, 295);
        case 103:
        case 104:
        case 105: return fixed(55, -600, 250);
        case 106: return fixed(40, -200, 260);
        default: break;
    }
    if ((k >= 8 && k <= 22)) return fixed(40, -50, 300);
    if (k >= 107 && k <= 122) return fixed(55, -600, 295);
    return RowView{0, false};  // not a dimension: the view stays
}

// Draws the highlight of row k from this frame's screen points; `v` is the view they were
// mapped with.
class Highlight {
public:
    Highlight(PictureCanvas& c, const Model& m, const ViewTransform& v) : c_(c), m_(m), v_(v) {}

    void Draw(int k) {
        const FrameDimensions& f = m_.frame;
        const CylinderDimensions& d = m_.cyl;
        const auto& C = m_.outlineC;
        const auto& P = m_.outlineP;
        const auto& V = m_.outlineV;
        switch (k) {
            case 1: {  // across the wheel through its centre
                const int r = Len(f.driverDia / 2.0L);
                Seg(X(pv::Driver), Y(pv::Driver) - r, X(pv::Driver), Y(pv::Driver) + r);
                break;
            }
            case 2:
                Seg(X(pv::CrankPin), Y(pv::CrankPin), 2 * X(pv::Driver) - X(pv::CrankPin),
                    2 * Y(pv::Driver) - Y(pv::CrankPin));
                break;
            case 3: Piv(pv::CrankPin, pv::Crosshead); break;
            case 4:
                Seg(X(pv::EccCrankPin), Y(pv::EccCrankPin), 2 * X(pv::Origin) - X(pv::EccCrankPin),
                    2 * Y(pv::Origin) - Y(pv::EccCrankPin));
                break;
            case 5: Piv(pv::CrankPin, pv::EccCrankPin); break;
            case 6: Piv(pv::HangerPin, pv::EccCrankPin); break;
            case 7: Piv(pv::EccRodEnd, pv::HangerPin); break;
            case 8: Piv(pv::HangerPin, pv::GuideEnd); break;
            case 9:
                Seg(X(pv::GuideCentre), Y(pv::GuideCentre), X(pv::GuideCentre),
                    Y(pv::GuideCentre) - Len(f.guideLinkRadius));
                break;
            case 10:
                Seg(X(pv::GuideCentre), Y(pv::GuideCentre), X(pv::GuideCentre), Y(pv::Origin));
                break;
            case 11:
                Seg(X(pv::GuideCentre), Y(pv::GuideCentre), X(pv::Origin), Y(pv::GuideCentre));
                break;
            case 12: Piv(pv::BellHorzPin, pv::EccRodEnd); break;
            case 13:
                Seg(X(pv::BellPivot), Y(pv::BellPivot), X(pv::BellPivot), Y(pv::Origin));
                break;
            case 14:
                Seg(X(pv::BellPivot), Y(pv::BellPivot), X(pv::Origin), Y(pv::BellPivot));
                break;
            case 15: {  // the vertical arm: from the pivot square to the horizontal arm
                const ScreenPoint q = BellCrankCorner();
                Seg(X(pv::BellPivot), Y(pv::BellPivot), q.x, q.y);
                break;
            }
            case 16: {  // the backset: from that corner along the horizontal arm to the pin
                const ScreenPoint q = BellCrankCorner();
                Seg(q.x, q.y, X(pv::BellVertPin), Y(pv::BellVertPin));
                break;
            }
            case 17: Piv(pv::BellPivot, pv::BellHorzPin); break;
            case 18: Piv(pv::ValveJoint, pv::BellVertPin); break;
            case 19: Piv(pv::GuideEnd, pv::ReachCorner); break;
            case 20: Piv(pv::ReachCorner, pv::RevArmPin); break;
            case 21: Piv(pv::RevArmPin, pv::RevArmTop); break;
            case 22: Piv(pv::RevArmPin, pv::RevArmPivot); break;
            case 23:
                Seg(X(pv::RevArmPivot), Y(pv::RevArmPivot), X(pv::RevArmPivot), Y(pv::Origin));
                break;
            case 24:
                Seg(X(pv::RevArmPivot), Y(pv::RevArmPivot), X(pv::Origin), Y(pv::RevArmPivot));
                break;
            case 25: {  // the radius straight up, then to where the offset angle puts the link
                const int top = Y(pv::GuideCentre) - Len(f.guideLinkRadius);
                Seg(X(pv::GuideCentre), top, X(pv::GuideCentre), Y(pv::GuideCentre));
                c_.LineTo(X(pv::GuideEnd), Y(pv::GuideEnd));
                break;
            }
            case 26:
            case 27: RevArmSpan(k == 26 ? f.revArmNorm : f.revArmMax); break;
            case 101: {
                const ScreenPoint e = W(LD(m_.pivots[pv::Driver].x) + d.cylCtr, 0);
                Seg(X(pv::Driver), Y(pv::Driver), e.x, Y(pv::Driver));
                break;
            }
            case 102: {
                const int x = W(d.cylCtr, 0).x;
                Seg(x, Y(pv::Driver), x, Y(pv::Crosshead));
                break;
            }
            case 103: Seg(C[5], C[6]); break;   // bore across its rear end
            case 104: Seg(C[6], C[7]); break;   // bore along its floor
            case 105: Seg(C[5], C[18]); break;  // the port into the bore
            case 106: {
                const ScreenPoint e = W(LD(m_.pivots[pv::Crosshead].x) + d.pistonRod, 0);
                Seg(X(pv::Crosshead), Y(pv::Crosshead), e.x, Y(pv::Crosshead));
                break;
            }
            case 107: Seg(P[1], P[4]); break;
            case 108: {
                const int x = W(d.cylCtr, 0).x;
                Seg(x, Y(pv::Crosshead), x, C[2].y);
                break;
            }
            case 109:
                Seg(X(pv::ValveJoint), Y(pv::Crosshead), X(pv::ValveJoint), Y(pv::ValveJoint));
                break;
            case 110: Seg(C[15], C[22]); break;
            case 111: Seg(C[16], C[15]); break;
            case 112: Seg(C[22], C[21]); break;
            case 113: Seg(C[3], C[16]); break;
            case 114: Seg(C[21], C[10]); break;
            case 115: Seg(C[1], C[2]); break;
            case 116: Seg(C[1], C[12]); break;
            case 117: Seg(V[8], V[1]); break;
            case 118: Seg(ValveCentreX(), V[1].y, V[1].x, V[1].y); break;
            case 119: Seg(ValveCentreX(), V[2].y, V[2].x, V[2].y); break;
            case 120: Seg(ValveCentreX(), V[5].y, V[6].x, V[6].y); break;
            case 121: Seg(ValveCentreX(), V[5].y, V[5].x, V[5].y); break;
            case 122:
                Seg(X(pv::ValveJoint), Y(pv::ValveJoint), ValveCentreX(), Y(pv::ValveJoint));
                break;
            default: break;
        }
    }

private:
    int X(int n) const { return m_.pivots[static_cast<std::size_t>(n)].sx; }
    int Y(int n) const { return m_.pivots[static_cast<std::size_t>(n)].sy; }
    ScreenPoint W(LD h, LD v) const { return MapToScreen(v_, h, v); }
    int Len(LD world) const { return RoundToScreen(world * v_.scale); }
    int ValveCentreX() const { return W(LD(m_.pivots[pv::ValveJoint].x) + m_.cyl.valveStem, 0).x; }

    void Seg(int x1, int y1, int x2, int y2) { c_.Line(x1, y1, x2, y2); }
    void Seg(ScreenPoint a, ScreenPoint b) { c_.Line(a.x, a.y, b.x, b.y); }
    void Piv(int a, int b) { Seg(X(a), Y(a), X(b), Y(b)); }

    // End of the bell crank's vertical arm before its backset: square to the horizontal arm
    // from the pivot, at the vertical arm's length.
    ScreenPoint BellCrankCorner() const {
        const auto& p = m_.pivots;
        const LD ux = LD(p[pv::BellHorzPin].x) - p[pv::BellPivot2].x,
                 uy = LD(p[pv::BellHorzPin].y) - p[pv::BellPivot2].y;
        LD len = std::sqrt(ux * ux + uy * uy);
        if (!(len > 0.0L)) len = 1.0L;
        const LD bcv = m_.frame.bcVert;
        return W(p[pv::BellPivot2].x + bcv * (-uy / len), p[pv::BellPivot2].y + bcv * (ux / len));
    }

    // Mid gear minus the distance to mid gear, then on to mid gear plus it, just below the
    // reverse arm's top; each half in its own colour.
    void RevArmSpan(LD dist) {
        const LD mid = m_.revArmPositions[0];
        const int y = Y(pv::RevArmTop) + 5;
        Seg(W(mid - dist, 0).x, y, W(mid, 0).x, y);
        Toggle();
        c_.LineTo(W(mid + dist, 0).x, y);
        Toggle();
    }
    void Toggle() { c_.SetPenColour(c_.PenColour() != kBlack ? kBlack : kRed); }

    PictureCanvas& c_;
    const Model& m_;
    const ViewTransform v_;
};

void Hourglass(PictureCanvas& c) {
    struct Pt {
        int x, y;
    };
    auto poly = [&c](std::initializer_list<Pt> pts) {
        const Pt* p = pts.begin();
        c.MoveTo(p->x, p->y);
        for (++p; p != pts.end(); ++p) c.LineTo(p->x, p->y);
    };
    c.SetPen(kBlack, 2);
    poly({{20, 100}, {44, 100}, {44, 104}, {20, 104}, {20, 100}});
    poly({{22, 100}, {22, 112}, {30, 120}, {30, 122}, {22, 130}, {22, 142}});
    poly({{42, 100}, {42, 112}, {34, 120}, {34, 122}, {42, 130}, {42, 142}});
    poly({{20, 142}, {44, 142}, {44, 138}, {20, 138}, {20, 142}});
    c.SetPenWidth(1);
    poly({{24, 136}, {32, 127}});
    poly({{39, 136}, {31, 127}});
    poly({{31, 117}, {26, 111}, {37, 111}, {31, 118}});
}

}  // namespace

void DrawDimensionGraphic(Model& m, PictureCanvas& c, PictureOutput& out) {
    const int k = m.dimensionGraphicId;
    const int dialog = k > 99 ? 2 : 1;
    // The dialog that asked steps aside while the picture explains.
    out.closeDialog = dialog;
    Hourglass(c);
    if (m.graphicFrameCounter == 0) m.previousView = m.view;

    c.SetPenWidth(3);
    c.SetFontSize(14);
    ++m.graphicFrameCounter;
    ++m.graphicBlinkCounter;
    c.SetPenColour(m.graphicBlinkCounter < 4 ? kRed : kBlack);

    const ViewTransform mapped = m.view;  // this frame's screen points were mapped with it
    const RowView row = ViewForRow(k);
    if (row.n > 0) {
        float zoom = m.graphicZoomFactor;
        if (!(zoom > 0.0f) || !std::isfinite(zoom)) zoom = 7.5f;
        m.view.scale = static_cast<float>(row.n / static_cast<double>(zoom) * 7.5);
        if (row.offsets) {
            m.view.ox = row.ox;
            m.view.oy = row.oy;
        }
    }
    Highlight(c, m, mapped).Draw(k);
    if (const DimensionInfo* info = FindDimension(static_cast<DimensionId>(k))) {
        c.SetFontColour(kBlack);
        c.Text(RoundToScreen(30.0L * m.display.textScaleX),
               RoundToScreen(75.0L * m.display.textScaleY), info->shortName);
    }

    if (m.graphicBlinkCounter > 5) m.graphicBlinkCounter = 0;
    if (m.graphicFrameCounter > 1000) {
        m.dimensionGraphicId = 0;
        m.graphicFrameCounter = 0;
        m.graphicBlinkCounter = 0;
        m.view = m.previousView;
        c.SetFontSize(8);
        out.closeDialog = 0;
        out.reopenDialog = dialog;
    }
    if (m.graphicFrameCounter == 0) out.restoreCursor = true;
}

}  // namespace mv::picture
