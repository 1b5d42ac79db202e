// Port open/closed diagram: for 19 reverse-arm settings from mid gear to the maximum, the piston
// positions at which each port opens and closes, each kind of event joined across the rows.
#include <cmath>

#include "diagrams/diagram_canvas.hpp"
#include "model/port_events.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {

using namespace diagram;

namespace diagram {

bool IsFrontPortEvent(PortEvent e) {
    return e == PortEvent::FrontSteamOpen || e == PortEvent::FrontExhaustOpen ||
           e == PortEvent::FrontSteamClose || e == PortEvent::FrontExhaustClose;
}

int PortEventX(PortEvent e, float pe) {
    return IsFrontPortEvent(e) ? RoundToScreen(0.84375L * pe) + 9
                               : RoundToScreen(540.0L - 0.84375L * pe) + 9;
}

std::optional<QLine> PortEventLines::Add(PortEvent kind, float piston, int row) {
    const auto k = static_cast<std::size_t>(kind);
    std::optional<QLine> line;
    if (had_[k])
        line = QLine(PortEventX(kind, last_[k]), 359 - 16 * row, PortEventX(kind, piston),
                     343 - 16 * row);
    last_[k] = piston;
    had_[k] = true;
    return line;
}

}  // namespace diagram

namespace {

void Arrow(Canvas& c, int x1, int x2, int y) {
    c.Line(x1, y, x2, y);
    const int dir = x2 >= x1 ? 1 : -1;
    c.Line(x2, y, x2 - 5 * dir, y - 3);
    c.Line(x2, y, x2 - 5 * dir, y + 3);
}

// Arrows over the front-end events of row 13: admission and expansion on the outward stroke,
// exhaust and compression on the return stroke, each labelled in bold.
void LegendArrows(Canvas& c, const std::array<int, kPortEventKinds>& x,
                  const std::array<bool, kPortEventKinds>& seen) {
    const auto at = [](PortEvent e) { return static_cast<std::size_t>(e); };
    const std::size_t adm = at(PortEvent::FrontSteamOpen), cut = at(PortEvent::FrontSteamClose),
                      rel = at(PortEvent::FrontExhaustOpen), com = at(PortEvent::FrontExhaustClose);
    auto clampX = [](int v) { return std::clamp(v, 9, 549); };
    c.Pen(kBlack);
    c.Bold(true);
    // Admission starts around dead centre (its event may fall at the end of the previous stroke).
    const int xStart = 9, xEnd = 549;
    if (seen[cut]) {
        const int xc = clampX(x[cut]);
        const int x0 = seen[adm] && x[adm] < xc ? clampX(x[adm]) : xStart;
        c.Line(x0, 95, x0, 101);
        Arrow(c, x0, xc, 101);
        c.Text((x0 + xc) / 2 - 9, 88, "Adm");
        if (seen[rel]) {
            const int xr = clampX(x[rel]);
            Arrow(c, xc, xr, 101);
            c.Text((xc + xr) / 2 - 9, 88, "Exp");
            // End of the stroke, then back along the return stroke.
            c.Line(xr, 101, xEnd, 101);
            c.Line(xEnd, 101, xEnd, 135);
            if (seen[com]) {
                const int xm = clampX(x[com]);
                Arrow(c, xEnd, xm, 135);
                c.Text((xEnd + xm) / 2 - 9, 122, "Exh");
                c.Line(xm, 135, xm, 169);
                Arrow(c, xm, xStart, 169);
                c.Text((xm + xStart) / 2 - 9, 156, "Com");
            }
        }
    }
    c.Bold(false);
}

// Where the front end's events of row 13 fall, for the legend arrows.
struct PortLegend {
    std::array<int, kPortEventKinds> x{};
    std::array<bool, kPortEventKinds> seen{};
};

struct PortColours {
    QRgb front, rear;
};

// The 19 rows from mid gear to the largest setting, each kind of event joined across them;
// `marks` writes the rows' settings (the working gear's, not the comparison's).
PortLegend PortRows(Canvas& c, bool fwd, bool marks, PortColours colours) {
    Model& m = c.m;
    PortEventLines lines;
    PortLegend legend;
    const float max = m.frame.revArmMax;
    const float mid = m.revArmPositions[0];
    for (int i = 0; i <= 18; ++i) {
        const LD offset = LD(i) * max / 18.0L;
        const float setting = static_cast<float>(fwd ? mid + offset : mid - offset);
        m.gear.revArmSetting = setting;
        if (marks) {
            if (fwd)
                c.Text(554, 32, "Forward");
            else
                c.Text(605, 32, "Rev.");
            c.Text(fwd ? 556 : 596, 336 - 16 * i, FormatFixed(setting, 7, 3));
        }

        m.gear.driverAngle = 0;
        PortSample prev{};
        for (int j = 0; j <= 90; ++j) {
            StepDriverAndSolve(m, fwd);
            const PortSample cur = SampleOf(m.valve);
            if (j > 0) {
                std::array<PortCrossing, kPortEventKinds> found{};
                const int n = DetectCrossings(prev, cur, found);
                for (int e = 0; e < n; ++e) {
                    const auto kind = static_cast<std::size_t>(found[e].kind);
                    const bool front = IsFrontPortEvent(found[e].kind);
                    if (const auto line = lines.Add(found[e].kind, found[e].piston, i)) {
                        c.Pen(front ? colours.front : colours.rear);
                        c.Line(line->x1(), line->y1(), line->x2(), line->y2());
                    }
                    if (i == 13 && front) {
                        legend.x[kind] = PortEventX(found[e].kind, found[e].piston);
                        legend.seen[kind] = true;
                    }
                }
                c.FontColour(kBlack);
            }
            prev = cur;
        }
    }
    return legend;
}

DiagramTail DrawPortGraph(Model& m, QPainter& painter, const DiagramOptions& opt, char mode) {
    Canvas c(m, painter);
    const SavedGear saved(m);
    const bool fwd = mode == 'F';

    c.Pen(kBlack);
    c.Line(9, 42, 9, 353);
    c.Line(9, 343, 549, 343);
    c.Line(549, 353, 549, 42);
    for (int i = 0; i <= 9; ++i) {
        const int a = 32 * i;
        for (int j = 2; j <= 20; ++j) c.Line(27 * j - 18, a + 52, 27 * j - 18, a + 58);
        for (int k = 2; k <= 10; ++k) c.Line(54 * k - 45, a + 45, 54 * k - 45, a + 65);
        for (int l = 2; l <= 22; ++l) c.Line(27 * l - 49, a + 55, 27 * l - 40, a + 55);
    }

    const float norm = m.frame.revArmNorm, max = m.frame.revArmMax;
    c.FontColour(kRed);
    c.Text(420, 47, "Maximum");
    // With no travel at all every row is mid gear, and so is Normal.
    const LD ratio = max != 0.0f ? LD(norm) * 288.0L / max : 0.0L;
    const int yN = RoundToScreen(343.0L - (std::isfinite(ratio) ? ratio : 0.0L));
    c.Pen(kBlue);
    c.Line(59, yN, 650, yN);
    c.FontColour(kBlue);
    // The word stands on its line: a blank either side keeps the line from running into its
    // first and last letters, which read as struck through.
    c.Text(345 - c.TextWidth(QStringLiteral(" ")), yN - 7, " Normal ");
    c.FontColour(kBlack);
    c.Pen(kBlack);

    static constexpr struct {
        int x, y;
        const char* text;
    } kPercent[] = {{10, 353, "0"},   {56, 353, "10"},  {110, 353, "20"}, {164, 353, "30"},
                    {218, 353, "40"}, {272, 353, "50"}, {326, 353, "60"}, {380, 353, "70"},
                    {434, 353, "80"}, {488, 353, "90"}, {529, 350, "100"}};
    for (const auto& l : kPercent) c.Text(l.x, l.y, l.text);
    c.Text(200, 367, "Percent Piston Travel");
    c.Text(568, 350, "Center");

    static constexpr struct {
        char ch;
        int y;
    } kWords[] = {{'R', 76},  {'E', 90},  {'V', 104}, {'E', 118}, {'R', 132}, {'S', 146},
                  {'E', 160}, {'A', 178}, {'R', 192}, {'M', 206}, {'P', 224}, {'O', 238},
                  {'S', 252}, {'I', 266}, {'T', 280}, {'I', 294}, {'O', 308}, {'N', 322}};
    for (const auto& w : kWords) c.Text(w.ch == 'I' ? 537 : 535, w.y, QString(QChar(w.ch)));

    if (fwd) {
        c.Text(415, 290, "Fwd.");
        c.FontColour(kTeal);
        c.Text(446, 284, "Front Port");
        c.FontColour(kRed);
        c.Text(446, 296, "Rear Port");
    } else {
        c.Text(415, 321, "Rev.");
        c.FontColour(kGreen);
        c.Text(446, 315, "Front Port");
        c.FontColour(kMaroon);
        c.Text(446, 327, "Rear Port");
    }
    c.FontColour(kBlack);

    if (const std::unique_ptr<Model> cm = ComparisonModel(m)) {
        Canvas cc(*cm, painter);
        PortRows(cc, fwd, false,
                 {ComparisonColour(fwd ? kTeal : kGreen), ComparisonColour(fwd ? kRed : kMaroon)});
    }
    const PortLegend legend = PortRows(c, fwd, true, {fwd ? kTeal : kGreen, fwd ? kRed : kMaroon});
    c.Pen(kBlack);
    if (opt.portLegend) LegendArrows(c, legend.x, legend.seen);
    ComparisonLegend(c, {fwd ? kTeal : kGreen, fwd ? kRed : kMaroon});
    return CommonTail(c, saved);
}

}  // namespace

DiagramTail DrawPortDiagram(Model& m, QPainter& p, const DiagramOptions& opt) {
    if (m.portSelector == 'B') return DrawPortBothGraphs(m, p, opt);
    return DrawPortGraph(m, p, opt, m.portSelector == 'R' ? 'R' : 'F');
}

DiagramTail DrawPortBothGraphs(Model& m, QPainter& p, const DiagramOptions& opt) {
    p.fillRect(opt.clearRect.isEmpty() ? p.window() : opt.clearRect, Qt::white);
    m.portSelector = 'F';
    DrawPortGraph(m, p, opt, 'F');
    m.portSelector = 'R';
    DiagramOptions second = opt;
    second.portLegend = false;
    const DiagramTail tail = DrawPortGraph(m, p, second, 'R');
    m.portSelector = 'B';
    return tail;
}

}  // namespace mv
