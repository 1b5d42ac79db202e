// Steam diagram: a simple indicator diagram per reverse-arm position, cylinder pressure of both
// ends against piston travel, with the cut-off of each end in per cent of the stroke.
#include <algorithm>

#include "diagrams/diagram_canvas.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {

using namespace diagram;

namespace {

enum Phase { kExhaust = 1, kCompression = 2, kAdmission = 3, kExpansion = 4 };

int PX(LD piston) {
    return RoundToScreen(584.0L - 0.84375L * piston);
}
int PY(LD pressure) {
    return RoundToScreen(343.0L - 0.9L * pressure);
}

// One cylinder end's pressure model; the front and rear ends differ only in their formulas.
struct End {
    bool front;
    int phase;
    int labelFlag = 1;
    LD pressure = 0, prevPressure = 0, releasePressure = 0;
    LD prevSteam = 0;

    void ExhaustDecay() { pressure = std::max(pressure - releasePressure / 15.0L, 5.0L); }
    void Compression(LD pPrev, LD p) {
        const LD c = front ? pPrev / (p + 1.0L) + 0.3L : (640.0L - pPrev) / (641.0L - p) + 0.3L;
        pressure += c * c * c * c;
    }
    void Admission(LD& steam, LD p) {
        steam = std::max(steam, 0.005L);
        pressure += front ? steam * 100000.0L / (p + 45.0L) : steam * 100000.0L / (685.0L - p);
        pressure = std::min(pressure, 303.0L);
    }
    void Expansion(LD pPrev, LD p) {
        pressure = front ? (pPrev + 100.0L) * pressure / (p + 100.0L) * 0.96L
                         : (740.0L - pPrev) * pressure / (740.0L - p) * 0.96L;
    }

    void Step(LD& steam, LD exhaust, LD pPrev, LD p) {
        switch (phase) {
            case kExhaust:
                if (exhaust > 0) {
                    ExhaustDecay();
                } else {
                    Compression(pPrev, p);
                    phase = kCompression;
                }
                break;
            case kCompression:
                if (steam > 0) {
                    Admission(steam, p);
                    phase = kAdmission;
                } else {
                    Compression(pPrev, p);
                }
                // The piston moving away from this end means admission has begun.
                if (front ? pPrev < p : pPrev > p) phase = kAdmission;
                break;
            case kAdmission:
                if (steam > 0) {
                    Admission(steam, p);
                } else {
                    Expansion(pPrev, p);
                    phase = kExpansion;
                }
                if (labelFlag == 2) labelFlag = 1;
                break;
            case kExpansion:
                if (exhaust > 0) {
                    releasePressure = pressure;
                    ExhaustDecay();
                    phase = kExhaust;
                } else {
                    Expansion(pPrev, p);
                }
                if (steam > 0) phase = kAdmission;
                break;
            default: break;
        }
    }
};

// The pressure curves of every position, front end then rear end at each step; `marks` adds
// the legend rows, the cut-off list and the curve numbers (the working gear's, not the
// comparison's).
void SteamCurves(Canvas& c, QRgb frontColour, QRgb rearColour, bool marks) {
    Model& m = c.m;
    m.gear.driverAngle = 96;
    End front{true, kExhaust};
    End rear{false, kAdmission};
    LD pistonPrev = 0;
    int n = 0;
    const float mid = m.revArmPositions[0];
    const int count = std::clamp(m.revArmPositionCount, 0, kRevArmPositions - 1);
    for (int k = 1; k <= count; ++k) {
        const float p = m.revArmPositions[k];
        SetDiagramSetting(m, p);
        ++n;
        if (front.labelFlag == 2) front.labelFlag = 1;
        if (rear.labelFlag == 2) rear.labelFlag = 1;
        if (marks) LegendRow(c, k, p);
        const bool forward = p >= mid;
        for (int r = 1; r <= 150; ++r) {
            StepDriverAndSolve(m, forward);
            const LD P = m.valve.piston;
            LD FS = m.valve.frontSteam, RS = m.valve.rearSteam;
            front.Step(FS, m.valve.frontExhaust, pistonPrev, P);
            rear.Step(RS, m.valve.rearExhaust, pistonPrev, P);

            if (front.prevPressure != 0) {
                // Front end.
                c.Pen(frontColour);
                if (front.prevSteam > 0 && FS <= 0) {
                    const LD t = front.prevSteam / (front.prevSteam - FS);
                    if (r > 60)
                        c.Line(PX(pistonPrev), PY(front.prevPressure),
                               RoundToScreen(584.0L - 0.84375L * pistonPrev +
                                             0.84375L * t * (pistonPrev - P)),
                               PY(front.prevPressure));
                    pistonPrev = pistonPrev + (P - pistonPrev) * t;
                    front.pressure = front.pressure - t * (front.pressure - front.prevPressure);
                    if (marks) {
                        c.FontColour(kGreen);
                        c.Text(587, 231, "%CutOff");
                        c.FontColour(kBlack);
                        c.Text(588, 13 * k + 233, FormatFixed(k, 1, 0));
                        c.Text(600, 13 * k + 233, FormatFixed(double(pistonPrev / 6.4L), 4, 1));
                    }
                }
                if (r > 60)
                    c.Line(PX(pistonPrev), PY(front.prevPressure), PX(P), PY(front.pressure));
                if (marks && front.phase == kExpansion && front.pressure > 150 &&
                    front.pressure < 250 && front.labelFlag == 1) {
                    front.labelFlag = 2;
                    c.Bold(true);
                    c.Text(RoundToScreen(568.0L - 0.84L * pistonPrev), 122, FormatFixed(n, 1, 0));
                    c.Bold(false);
                }

                // Rear end.
                c.Pen(rearColour);
                if (rear.prevSteam > 0 && RS <= 0) {
                    const LD t = rear.prevSteam / (rear.prevSteam - RS);
                    if (r > 60)
                        c.Line(PX(pistonPrev), PY(rear.prevPressure),
                               RoundToScreen(584.0L - 0.84375L * pistonPrev +
                                             0.84375L * t * (pistonPrev - P)),
                               PY(rear.prevPressure));
                    pistonPrev = pistonPrev + (P - pistonPrev) * t;
                    rear.pressure = rear.pressure - t * (rear.pressure - rear.prevPressure);
                    if (marks) {
                        c.FontColour(kRed);
                        c.Text(2, 231, "%CutOff");
                        c.FontColour(kBlack);
                        c.Text(3, 13 * k + 233, FormatFixed(k, 1, 0));
                        c.Text(15, 13 * k + 233,
                               FormatFixed(double((640.0L - pistonPrev) / 6.4L), 4, 1));
                    }
                }
                if (r > 60) c.Line(PX(pistonPrev), PY(rear.prevPressure), PX(P), PY(rear.pressure));
                if (marks && rear.phase == kExpansion && rear.pressure > 150 &&
                    rear.pressure < 250 && rear.labelFlag == 1) {
                    rear.labelFlag = 2;
                    c.Bold(true);
                    c.Text(RoundToScreen(600.0L - 0.84L * pistonPrev), 135, FormatFixed(n, 1, 0));
                    c.Bold(false);
                }
                c.Pen(kBlack);
            }

            pistonPrev = P;
            front.prevPressure = front.pressure;
            rear.prevPressure = rear.pressure;
            front.prevSteam = FS;
            rear.prevSteam = RS;
        }
    }
}

}  // namespace

DiagramTail DrawSteamDiagram(Model& m, QPainter& painter, const DiagramOptions&) {
    Canvas c(m, painter);
    const SavedGear saved(m);
    m.gear.driverAngle = 96;

    c.Pen(kBlack);
    DrawOvalTicks(c, 70);

    c.Text(24, 77, "/");
    c.Text(29, 77, "\\");
    c.Text(28, 81, "|");
    c.Text(28, 94, "|");
    static constexpr int kLetterY[8] = {108, 123, 136, 149, 162, 175, 188, 201};
    static constexpr char kCylinder[] = "CYLINDER";
    static constexpr char kPressure[] = "PRESSURE";
    for (int i = 0; i < 8; ++i) {
        c.Text(kCylinder[i] == 'I' ? 22 : 20, kLetterY[i], QString(QChar(kCylinder[i])));
        c.Text(32, kLetterY[i], QString(QChar(kPressure[i])));
    }

    DrawPercentLabels(c, 350);
    c.Text(186, 364, "Percent Piston Travel");
    c.Text(386, 364, "Forward End --->");
    c.Line(45, 343, 585, 343);

    LegendHeading(c);

    if (const std::unique_ptr<Model> cm = ComparisonModel(m)) {
        Canvas cc(*cm, painter);
        SteamCurves(cc, ComparisonColour(kGreen), ComparisonColour(kRed), false);
    }
    SteamCurves(c, kGreen, kRed, true);
    const int count = std::clamp(m.revArmPositionCount, 0, kRevArmPositions - 1);
    LegendRowsOnTop(c, count);
    ComparisonLegend(c, {kGreen, kRed});
    return CommonTail(c, saved);
}

}  // namespace mv
