// Sine diagram: valve travel against driver rotation, one curve per reverse-arm position.
#include "diagrams/diagram_canvas.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {

using namespace diagram;

namespace {

// One curve per position; `marks` adds the legend rows, the curve numbers and the mid-gear
// block (the working gear's, not the comparison's).
void SineCurves(Canvas& c, float s, QRgb colour, bool marks) {
    Model& m = c.m;
    c.Pen(colour);
    const int count = std::clamp(m.revArmPositionCount, 0, kRevArmPositions - 1);
    for (int k = 1; k <= count; ++k) {
        const float p = m.revArmPositions[k];
        SetDiagramSetting(m, p);
        if (marks) LegendRow(c, k, p);
        const bool mid = marks && NearMidGear(m, p);
        float xmin = 1000, xmax = 0;
        float vPrev = 0;
        for (int j = 7; j <= 73; ++j) {
            int a = 8 * j + 272;
            while (a > 360) a -= 360;
            m.gear.driverAngle = static_cast<float>(a);
            SolveLinkage(m);
            const float v = ValveDisplacement(m);
            if (mid) {
                xmin = std::min(xmin, m.pivots[pv::ValveJoint].x);
                xmax = std::max(xmax, m.pivots[pv::ValveJoint].x);
            }
            if (j > 7) {
                if (marks && j == 8) {
                    c.Bold(true);
                    c.Text(45, VY(vPrev, s), FormatFixed(k, 2, 0));
                    c.Bold(false);
                }
                c.Line(8 * (j - 1) + 2, VY(vPrev, s), 8 * j + 2, VY(v, s));
            }
            vPrev = v;
        }
        if (mid) MidGearBlock(c, xmin, xmax);
    }
}

}  // namespace

DiagramTail DrawSineDiagram(Model& m, QPainter& painter, const DiagramOptions&) {
    Canvas c(m, painter);
    const SavedGear saved(m);
    ComputeValveThresholds(m);
    const float s = m.diagramVerticalScale;

    for (int i = 1; i <= 9; ++i) {
        for (int x = 60; x <= 580; x += 10) c.Line(x, 32 * i + 53, x, 32 * i + 57);
        for (int x = 90; x <= 540; x += 90) c.Line(x, 32 * i + 50, x, 32 * i + 60);
    }

    c.Text(86, 353, "0");
    c.Text(173, 353, "90");
    c.Text(260, 353, "180");
    c.Text(350, 353, "270");
    c.Text(446, 353, "0");
    c.Text(533, 353, "90");
    c.Text(86, 367, "Driver Clockwise Rotation --->");

    ScaleHeading(c, s);

    DisplacementAxis(c, s);
    LegendHeading(c);
    PortLines(c, s, PortLineLabels{60, 60, 230, 230, 230, 60, 583});
    DisplacementLabels(c, s, 14);

    if (const std::unique_ptr<Model> cm = ComparisonModel(m)) {
        Canvas cc(*cm, painter);
        SineCurves(cc, s, ComparisonColour(kBlack), false);
    }
    SineCurves(c, s, kBlack, true);
    const int count = std::clamp(m.revArmPositionCount, 0, kRevArmPositions - 1);
    LegendRowsOnTop(c, count);
    ComparisonLegend(c, {kBlack});
    return CommonTail(c, saved);
}

}  // namespace mv
