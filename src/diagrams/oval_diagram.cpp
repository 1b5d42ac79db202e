// Oval diagram: valve travel against piston position, one closed curve per reverse-arm position.
#include <cmath>
#include <numbers>

#include "diagrams/diagram_canvas.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {

using namespace diagram;

namespace {

// Piston place in its stroke with the main rod's angularity, +1 at driver angle 0 .. -1 at 180,
// mapped so that +1 falls at 584.5 and -1 at 43.5.
int OvalX(Model& m, int angle) {
    const LD a = LD(angle) * std::numbers::pi_v<LD> / 180.0L;
    const LD S = m.frame.stroke;
    const LD D = ClampDivisor(m, S);
    const LD L = m.frame.mainRod;
    const LD half = std::sin(a) * S / 2.0L;
    const LD u =
        2.0L * std::sqrt(ClampRadicand(m, L * L - half * half)) / D + std::cos(a) - 2.0L * L / D;
    return RoundToScreen(270.5L * u + 314.0L);
}

// One closed curve per position; `marks` adds the legend rows, the curve numbers and the
// mid-gear block (the working gear's, not the comparison's).
void OvalCurves(Canvas& c, float s, QRgb colour, bool marks) {
    Model& m = c.m;
    c.Pen(colour);
    const bool rearLonger = m.cyl.valveRearHalf > m.cyl.steamPortRear;
    const int count = std::clamp(m.revArmPositionCount, 0, kRevArmPositions - 1);
    for (int k = 1; k <= count; ++k) {
        const float p = m.revArmPositions[k];
        SetDiagramSetting(m, p);
        if (marks) LegendRow(c, k, p);
        const bool mid = marks && NearMidGear(m, p);
        float xmin = 1000, xmax = 0;
        float vPrev = 0;
        int aPrev = 0;
        for (int j = 7; j <= 52; ++j) {
            int a = 88 - 8 * j;
            while (a < 0) a += 360;
            m.gear.driverAngle = static_cast<float>(a);
            SolveLinkage(m);
            const float v = ValveDisplacement(m);
            if (mid) {
                xmin = std::min(xmin, m.pivots[pv::ValveJoint].x);
                xmax = std::max(xmax, m.pivots[pv::ValveJoint].x);
            }
            if (j > 7) {
                if (marks && (j == 22 || j == 46)) {
                    const bool high = (j == 22) == rearLonger;
                    const LD base = high ? 204.0L : 213.0L;
                    c.Bold(true);
                    c.Text(j == 22 ? 300 : 334, RoundToScreen(base - LD(vPrev) * 375.0L / s),
                           FormatFixed(k, 2, 0));
                    c.Bold(false);
                }
                c.Line(OvalX(m, aPrev), VY(vPrev, s), OvalX(m, a), VY(v, s));
            }
            vPrev = v;
            aPrev = a;
        }
        if (mid) MidGearBlock(c, xmin, xmax);
    }
}

}  // namespace

namespace diagram {

void DrawOvalTicks(Canvas& c, int lineTop) {
    for (int i = 1; i <= 9; ++i) {
        for (int j = 2; j <= 20; ++j) c.Line(27 * j + 17, 32 * i + 52, 27 * j + 17, 32 * i + 58);
        for (int k = 2; k <= 10; ++k) c.Line(54 * k - 10, 32 * i + 50, 54 * k - 10, 32 * i + 60);
    }
    c.Line(44, lineTop, 44, 346);
    c.Line(584, lineTop, 584, 346);
}

void DrawPercentLabels(Canvas& c, int y) {
    static constexpr struct {
        int x;
        const char* text;
    } kLabels[] = {{45, "100"}, {91, "90"},  {145, "80"}, {199, "70"}, {253, "60"},
                   {307, "50"}, {361, "40"}, {415, "30"}, {469, "20"}, {523, "10"}};
    for (const auto& l : kLabels) c.Text(l.x, y, l.text);
    c.Text(577, 348, "0");
}

}  // namespace diagram

DiagramTail DrawOvalDiagram(Model& m, QPainter& painter, const DiagramOptions&) {
    Canvas c(m, painter);
    const SavedGear saved(m);
    ComputeValveThresholds(m);
    const float s = m.diagramVerticalScale;

    DrawOvalTicks(c, 84);
    DrawPercentLabels(c, 353);
    c.Text(186, 367, "Percent Piston Travel");
    c.Text(386, 367, "Forward End --->");

    ScaleHeading(c, s);

    DisplacementAxis(c, s);
    LegendHeading(c);
    PortLines(c, s, PortLineLabels{430, 430, 75, 75, 75, 430, 584});
    DisplacementLabels(c, s, 15);

    if (const std::unique_ptr<Model> cm = ComparisonModel(m)) {
        Canvas cc(*cm, painter);
        OvalCurves(cc, s, ComparisonColour(kBlack), false);
    }
    OvalCurves(c, s, kBlack, true);
    const int count = std::clamp(m.revArmPositionCount, 0, kRevArmPositions - 1);
    LegendRowsOnTop(c, count);
    ComparisonLegend(c, {kBlack});
    return CommonTail(c, saved);
}

}  // namespace mv
