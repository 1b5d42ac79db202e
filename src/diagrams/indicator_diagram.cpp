// Indicator diagram: the ideal card of the front and the rear end for each reverse-arm position,
// absolute pressure against the volume in per cent of the swept volume (the clearance left of
// the dead centre), with a legend row per position under the two plots.
#include <algorithm>
#include <cmath>

#include "diagrams/diagram_canvas.hpp"
#include "model/text.hpp"

namespace mv {

using namespace diagram;

namespace {

constexpr int kPlotTop = 92, kPlotBottom = 332, kPlotWidth = 256;
constexpr std::array<int, 2> kPlotLeft = {44, 358};
constexpr int kLegendTop = 368, kLegendStep = 12;
// Points along each curved phase: at this size every chord lies within a pixel of its curve.
constexpr int kCardPoints = 48;
// A compression peak far above the steam-chest pressure is cut off rather than squeezing the
// cards into the bottom of the plot.
constexpr long double kHighestShown = 3;

constexpr std::array<QRgb, kRevArmPositions - 1> kCardColours = {
    kBlue, kRed, kGreen, kFuchsia, kTeal, kMaroon, 0xFF8000, 0x800080, 0x808000};

struct Plot {
    int left = 0;
    LD clearance = 8;  // per cent of the swept volume, left of the dead centre
    LD top = 100;      // pressure at the top edge

    int X(LD percent) const {
        return RoundToScreen(left + (percent + clearance) / (100 + clearance) * kPlotWidth);
    }
    int Y(LD pressure) const {
        return RoundToScreen(kPlotBottom - pressure / top * (kPlotBottom - kPlotTop));
    }
    QRect Area() const { return {left, kPlotTop, kPlotWidth + 1, kPlotBottom - kPlotTop + 1}; }
};

// 1, 2, 2.5 or 5 times a power of ten: about a fifth of the span.
LD TickStep(LD span) {
    const LD raw = span / 5;
    const LD decade = std::pow(10.0L, std::floor(std::log10(raw)));
    for (LD f : {1.0L, 2.0L, 2.5L, 5.0L})
        if (f * decade >= raw) return f * decade;
    return 10 * decade;
}

std::string Cell(const PerformanceRow& r, std::string_view key) {
    for (const PerformanceColumn& col : PerformanceColumns())
        if (key == col.key) return PerformanceCellText(col, r);
    return {};
}

void Axes(Canvas& c, const Plot& plot, LD step, const char* title) {
    c.Pen(kSilver);
    c.Line(plot.X(0), kPlotTop, plot.X(0), kPlotBottom);  // the dead centre
    c.Pen(kBlack);
    const int right = plot.left + kPlotWidth;
    c.Line(plot.left, kPlotTop, plot.left, kPlotBottom);
    c.Line(plot.left, kPlotBottom, right, kPlotBottom);
    for (int i = 0; i * step <= plot.top * (1 + 1e-9L); ++i) {
        const int y = plot.Y(i * step);
        c.Line(plot.left - 3, y, plot.left, y);
        const QString label = QString::fromStdString(FormatShortest(static_cast<float>(i * step)));
        c.Text(plot.left - 5 - c.TextWidth(label), y - 6, label);
    }
    auto xLabel = [&](LD percent, const std::string& text) {
        const int x = plot.X(percent);
        c.Line(x, kPlotBottom, x, kPlotBottom + 3);
        const QString label = QString::fromStdString(text);
        c.Text(x - c.TextWidth(label) / 2, kPlotBottom + 4, label);
    };
    for (int u = 0; u <= 100; u += 25) xLabel(u, std::to_string(u));
    // The clearance's own label where it has room beside the 0.
    if (plot.X(0) - plot.X(-plot.clearance) >= 16)
        xLabel(-plot.clearance,
               std::string("-").append(FormatShortest(static_cast<float>(plot.clearance))));
    c.Text(plot.left - 40, kPlotTop - 18, "Pressure");
    c.Bold(true);
    c.Text(plot.left + 90, kPlotTop - 18, title);
    c.Bold(false);
}

// One card in its plot, clipped to the plot, numbered after its position just above the
// release, where the cards of different positions part.
void Card(Canvas& c, const Plot& plot, const std::vector<CardPoint>& card, const EndCylinder& cyl,
          const EndEvents& e, LD pressure, int k) {
    if (card.size() < 2 || !e.cutoff || !e.release) return;
    const LD swept = cyl.area * cyl.stroke;
    auto percent = [&](float v) { return 100.0L * v / swept - plot.clearance; };
    c.p.save();
    c.p.setClipRect(plot.Area());
    c.Pen(kCardColours[k - 1]);
    for (std::size_t i = 0; i + 1 < card.size(); ++i)
        c.Line(plot.X(percent(card[i][0])), plot.Y(card[i][1]), plot.X(percent(card[i + 1][0])),
               plot.Y(card[i + 1][1]));
    c.p.restore();
    c.Pen(kBlack);
    const LD atRelease = pressure * (plot.clearance + *e.cutoff) / (plot.clearance + *e.release);
    const int x = std::clamp(plot.X(*e.release) + 2, plot.left + 2, plot.left + kPlotWidth - 8);
    const int y = std::clamp(plot.Y(atRelease) - 14, kPlotTop, kPlotBottom - 14);
    c.FontColour(kCardColours[k - 1]);
    c.Bold(true);
    c.Text(x, y, FormatFixed(k, 1, 0));
    c.Bold(false);
    c.FontColour(kBlack);
}

}  // namespace

DiagramTail DrawIndicatorDiagram(Model& m, QPainter& painter, const DiagramOptions& opt) {
    Canvas c(m, painter);
    const SavedGear saved(m);
    const SteamConditions& s = opt.steam;
    const char* problem = SteamConditionsProblem(s);
    const std::vector<EventRow> events = problem ? std::vector<EventRow>{} : PositionEventRows(m);
    const std::vector<PerformanceRow> rows = PerformanceRows(m, events, s, kCardPoints);

    c.Bold(true);
    c.Text(9, 4, "Indicator Cards");
    c.Bold(false);
    c.Text(9, 18, "Pressure " + FormatShortest(s.pressure) + " abs");
    c.Text(9, 32, "Back Pr. " + FormatShortest(s.backPressure) + " abs");
    c.Text(9, 46, "Clearance " + FormatShortest(s.clearance) + " %");

    // One pressure scale for both ends, so that their cards compare at a glance.
    LD highest = problem ? 100.0L : LD(s.pressure);
    for (const PerformanceRow& r : rows)
        for (const std::vector<CardPoint>* card : {&r.frontCard, &r.rearCard})
            for (const CardPoint& q : *card) highest = std::max(highest, LD(q[1]));
    highest = std::min(highest, kHighestShown * (problem ? 100.0L : LD(s.pressure)));
    const LD step = TickStep(highest * 1.05L);
    const LD top = std::ceil(highest * 1.05L / step) * step;
    const LD clearance = problem ? 8.0L : LD(s.clearance);
    const Plot front{kPlotLeft[0], clearance, top}, rear{kPlotLeft[1], clearance, top};
    Axes(c, front, step, "Front End");
    Axes(c, rear, step, "Rear End");
    c.Text(150, kPlotBottom + 18,
           "Volume, per cent of the swept volume from the end's dead centre (clearance left of 0)");

    if (problem) c.Text(front.left + 10, kPlotTop + 8, std::string("No cards: ") + problem);

    const EndCylinder frontCyl = FrontCylinder(m), rearCyl = RearCylinder(m, s.rodDia);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int k = static_cast<int>(i) + 1;
        Card(c, front, rows[i].frontCard, frontCyl, events[i].front, s.pressure, k);
        Card(c, rear, rows[i].rearCard, rearCyl, events[i].rear, s.pressure, k);
    }

    // The legend: a row per position in its cards' colour.
    static constexpr int kColumnX[] = {9, 34, 84, 128, 158, 248, 318, 388, 462, 536};
    static constexpr const char* kHeadings[] = {
        "No.",       "Rev Arm",  "Notch",       "Dir",       "Cut-off F / R %",
        "MEP Front", "MEP Rear", "Imbalance %", "Work/Turn", "Tr. Effort"};
    for (std::size_t j = 0; j < std::size(kColumnX); ++j)
        c.Text(kColumnX[j], kLegendTop, kHeadings[j]);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const PerformanceRow& r = rows[i];
        const EventRow& e = events[i];
        const int k = static_cast<int>(i) + 1;
        const int y = kLegendTop + kLegendStep * k + 2;
        c.FontColour(kCardColours[i]);
        c.Bold(true);
        c.Text(kColumnX[0] + 4, y, FormatFixed(k, 1, 0));
        c.Bold(false);
        c.FontColour(kBlack);
        c.Text(kColumnX[1], y, FormatFixed(r.revArm, 0, 3));
        c.Text(kColumnX[2], y, Cell(r, "notch"));
        c.Text(kColumnX[3], y, r.direction == SweepDirection::Forward ? "Fwd" : "Rev");
        c.Text(kColumnX[4], y,
               EventPercentText(e.front.cutoff) + " / " + EventPercentText(e.rear.cutoff));
        if (!r.front.work || !r.rear.work) {
            c.Text(kColumnX[5], y, PerformanceReasonText(r));
            continue;
        }
        c.Text(kColumnX[5], y, Cell(r, "front_mep"));
        c.Text(kColumnX[6], y, Cell(r, "rear_mep"));
        c.Text(kColumnX[7], y, Cell(r, "work_imbalance"));
        c.Text(kColumnX[8], y, Cell(r, "work_per_turn"));
        c.Text(kColumnX[9], y, Cell(r, "tractive_effort"));
    }
    return CommonTail(c, saved);
}

}  // namespace mv
