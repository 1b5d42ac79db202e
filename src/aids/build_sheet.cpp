#include "aids/build_sheet.hpp"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "analysis/cutoff_rows.hpp"
#include "mainwin/look.hpp"
#include "mainwin/view_fit.hpp"
#include "model/dimensions.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

using LD = long double;

// Millimetres on the page.
constexpr double kMargin = 12;
constexpr double kTitleHeight = 20;
constexpr double kHeadingHeight = 14;
constexpr double kLabelRoom = 5;  // around the drawing, for the labels beyond the mechanism

// Print colours of the rods: the picture's hues, dark enough for paper.
const QColor kInk(Qt::black);
const QColor kOutline(0x60, 0x60, 0x60);
const QColor kFaint(0x90, 0x90, 0x90);
const QColor kFixed(0xC0, 0x00, 0x00);

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
QString Fixed(double v, int decimals = 4) {
    return Q(FormatFixed(v, 0, decimals));
}

// Preferred numbers (R10): 1, 1.25, 1.6, 2, 2.5, 3.2, 4, 5, 6.3, 8 times a power of ten; the
// largest not above `limit`.
double PreferredScale(double limit) {
    if (!(limit > 0) || !std::isfinite(limit)) return 1;
    static constexpr double kSteps[] = {1, 1.25, 1.6, 2, 2.5, 3.2, 4, 5, 6.3, 8};
    const double decade = std::pow(10.0, std::floor(std::log10(limit)));
    double best = decade;
    for (double s : kSteps)
        if (s * decade <= limit * (1 + 1e-12)) best = s * decade;
    return best;
}

QString ScaleText(double mmPerUnit) {
    return QStringLiteral("1 unit = %1 mm on the sheet")
        .arg(Q(FormatShortest(static_cast<float>(mmPerUnit))));
}

// Drawing in millimetres from the page's top-left corner onto a device of any resolution.
class SheetPainter {
public:
    explicit SheetPainter(QPainter& painter)
        : p(painter), k(painter.device()->logicalDpiX() / 25.4) {}

    QPointF At(QPointF mm) const { return mm * k; }

    void Pen(const QColor& c, double widthMm, Qt::PenStyle style = Qt::SolidLine) {
        QPen pen(c);
        pen.setWidthF(widthMm * k);
        pen.setStyle(style);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
    }
    void Line(QPointF a, QPointF b) { p.drawLine(At(a), At(b)); }
    void Polyline(const std::vector<QPointF>& pts, bool closed) {
        QPolygonF poly;
        for (const QPointF& q : pts) poly << At(q);
        if (closed)
            p.drawPolygon(poly);
        else
            p.drawPolyline(poly);
    }
    void Circle(QPointF c, double r) { p.drawEllipse(At(c), r * k, r * k); }
    void Box(const QRectF& r) { p.drawRect(QRectF(At(r.topLeft()), At(r.bottomRight()))); }

    double Width(const QString& s, double size, bool bold = false) const {
        return QFontMetricsF(SheetFont(size, bold), p.device()).horizontalAdvance(s) / k;
    }
    // Text whose baseline starts at `at` (left), is centred on it or ends at it (right).
    void Text(QPointF at, const QString& s, double size, Qt::Alignment align = Qt::AlignLeft,
              bool bold = false, const QColor& colour = kInk, double angle = 0) {
        const QFont f = SheetFont(size, bold);
        const double w = Width(s, size, bold);
        double dx = 0;
        if (align & Qt::AlignHCenter) dx = -w / 2;
        if (align & Qt::AlignRight) dx = -w;
        p.save();
        p.setFont(f);
        p.setPen(colour);
        p.translate(At(at));
        p.rotate(angle);
        p.drawText(QPointF(dx * k, 0), s);
        p.restore();
    }

    QPainter& p;
    double k;  // device pixels per millimetre
};

// --- Page 1 ----------------------------------------------------------------------------------

// The view that fits a world box into a rectangle at a preferred scale, centred.
SheetView FitBox(const WorldBox& box, const QRectF& r) {
    SheetView v;
    const double bw = static_cast<double>(box.right - box.left);
    const double bh = static_cast<double>(box.top - box.bottom);
    double s = 1e9;
    if (bw > 0) s = std::min(s, r.width() / bw);
    if (bh > 0) s = std::min(s, r.height() / bh);
    v.scale = PreferredScale(s >= 1e9 ? 1 : s);
    const double ch = static_cast<double>(box.left + box.right) / 2;
    const double cv = static_cast<double>(box.bottom + box.top) / 2;
    v.ox = r.center().x() - ch * v.scale;
    v.oy = r.center().y() + cv * v.scale;
    if (!std::isfinite(v.ox) || !std::isfinite(v.oy)) v.ox = r.center().x(), v.oy = r.center().y();
    return v;
}

// Page 1: the mechanism as large as a preferred scale allows in the upper part of the page, the
// valve detail in what remains above the title block.
struct PageOne {
    QRectF mechanism, valve, title;
    SheetView view;
};

PageOne PageOneLayout(const SheetData& d, QSizeF page) {
    const double w = page.width() - 2 * kMargin;
    const double top = kMargin + kHeadingHeight;
    const double bottom = page.height() - kMargin - kTitleHeight - 4;
    const double avail = std::max(bottom - top, 60.0);
    const WorldBox box = MechanismBox(d.gear);
    PageOne l;
    const QRectF most(kMargin + kLabelRoom, top + kLabelRoom, w - 2 * kLabelRoom,
                      avail * 0.62 - 2 * kLabelRoom);
    l.view = FitBox(box, most);
    // The drawing's own height at that scale, with room for the labels below it.
    const double bh = static_cast<double>(box.top - box.bottom) * l.view.scale;
    const double height = std::clamp(std::isfinite(bh) ? bh + 2 * kLabelRoom + 6 : avail * 0.62,
                                     avail * 0.3, avail * 0.62);
    l.mechanism = QRectF(kMargin, top, w, height);
    l.view =
        FitBox(box, l.mechanism.adjusted(kLabelRoom, kLabelRoom, -kLabelRoom, -kLabelRoom - 6));
    l.valve = QRectF(kMargin, top + height + 4, w, avail - height - 4);
    l.title = QRectF(kMargin, page.height() - kMargin - kTitleHeight, w, kTitleHeight);
    return l;
}

std::vector<QPointF> Points(const SheetView& v, const WorldXY* pts, std::size_t from,
                            std::size_t to) {
    std::vector<QPointF> out;
    for (std::size_t k = from; k <= to; ++k) out.push_back(v.ToPage(pts[k].h, pts[k].v));
    return out;
}

QColor RodColour(const RodPiece& r) {
    const std::string n = r.name;
    if (n == "Main rod") return {0xC0, 0x00, 0x00};
    if (n == "Eccentric rod" || n == "Aux reach rod") return {0x00, 0x00, 0xC0};
    if (n == "Transmission yoke" || n == "Guide link") return {0x00, 0x80, 0x80};
    if (n == "Bell crank" || n == "Radius hanger") return {0x80, 0x00, 0x80};
    if (n == "Crank") return kInk;
    return {0x00, 0x80, 0x00};
}

const char* FixedPivotName(int n) {
    switch (n) {
        case pv::Origin: return "Driver centre";
        case pv::BellPivot: return "Bell crank pivot";
        case pv::GuideCentre: return "Guide link centre";
        case pv::RevArmPivot: return "Reverse arm pivot";
        default: return "";
    }
}

QString PivotCoordinates(const Gear& g, int n) {
    return QStringLiteral("%1: (%2, %3)").arg(n).arg(Fixed(g.pivots[n].x), Fixed(g.pivots[n].y));
}

void DrawMechanism(SheetPainter& sp, const SheetData& d, const SheetView& v, const QRectF& area) {
    const Gear& g = d.gear;
    const GearOutlines o = OutlinesOf(g);
    auto P = [&](int n) { return v.ToPage(g.pivots[n].x, g.pivots[n].y); };
    const LD D = std::fabs(LD(g.frame.driverDia));

    sp.p.save();
    sp.p.setClipRect(QRectF(sp.At(area.topLeft()), sp.At(area.bottomRight())));

    // Wheel and crank circle, the guide link's arc.
    sp.Pen(kInk, 0.35);
    sp.Circle(P(pv::Driver), static_cast<double>(D / 2) * v.scale);
    sp.Pen(kFaint, 0.2, Qt::DashLine);
    sp.Circle(P(pv::Driver), std::fabs(g.frame.stroke) / 2.0 * v.scale);
    const double R = std::fabs(g.frame.guideLinkRadius) * v.scale;
    const QPointF gc = sp.At(P(pv::GuideCentre));
    const double start = std::atan2(1.0, 0.5) * 180.0 / std::numbers::pi;
    sp.p.drawArc(QRectF(gc.x() - R * sp.k, gc.y() - R * sp.k, 2 * R * sp.k, 2 * R * sp.k),
                 static_cast<int>(std::lround(start * 16)),
                 static_cast<int>(std::lround((180.0 - 2 * start) * 16)));

    // Cylinder, port face, piston and valve.
    sp.Pen(kOutline, 0.3);
    sp.Polyline(Points(v, o.cylinder.data(), 0, 13), false);
    sp.Polyline(Points(v, o.cylinder.data(), 14, 23), false);
    sp.Pen(kInk, 0.3);
    sp.Polyline(Points(v, o.piston.data(), 1, 4), true);
    sp.Line(P(pv::Crosshead), v.ToPage(o.piston[0].h, o.piston[0].v));
    sp.Polyline(Points(v, o.valve.data(), 1, 8), true);
    sp.Line(P(pv::ValveJoint), v.ToPage(o.valve[0].h, o.valve[0].v));

    // Rods, then their pins.
    for (const RodPiece& r : RodPieces()) {
        sp.Pen(RodColour(r), 0.5);
        sp.Line(P(r.from), P(r.to));
    }
    sp.Pen(kInk, 0.25);
    for (int n : kPinPivots)
        sp.Circle(P(n), std::max(0.6, static_cast<double>(D * PinRadiusFactor(n)) * v.scale));

    // Each rod's length between pin centres, along the rod, above it.
    for (const RodPiece& r : RodPieces()) {
        const QPointF a = P(r.from), b = P(r.to);
        double angle = std::atan2(b.y() - a.y(), b.x() - a.x()) * 180.0 / std::numbers::pi;
        if (angle > 90) angle -= 180;
        if (angle < -90) angle += 180;
        const double rad = angle * std::numbers::pi / 180.0;
        const QPointF mid = (a + b) / 2 + QPointF(std::sin(rad), -std::cos(rad)) * 1.0;
        sp.Text(mid, Fixed(static_cast<double>(RodPieceLength(g, r))), 2.0, Qt::AlignHCenter, false,
                RodColour(r), angle);
    }
    // Pivot numbers, small, beside the pins.
    for (int n : kPinPivots)
        sp.Text(P(n) + QPointF(0.9, 2.6), QString::number(n), 1.8, Qt::AlignLeft, false, kFaint);

    // Fixed pivots: a cross and the coordinates from the driver centre.
    for (int n : kFixedPivots) {
        const QPointF c = P(n);
        sp.Pen(kFixed, 0.35);
        sp.Line(c + QPointF(-1.6, -1.6), c + QPointF(1.6, 1.6));
        sp.Line(c + QPointF(-1.6, 1.6), c + QPointF(1.6, -1.6));
        sp.Text(c + QPointF(2.0, 5.2), PivotCoordinates(g, n), 2.4, Qt::AlignLeft, true, kFixed);
    }
    sp.p.restore();
}

// One lap on the valve detail: extension lines up (or down) from the seat to a dimension line
// between the two edges, arrows at both ends, the value beside it.
void LapDimension(SheetPainter& sp, double x1, double x2, double ySeat, double yDim,
                  const QString& label) {
    sp.Pen(kInk, 0.15);
    const double over = yDim < ySeat ? -1.0 : 1.0;
    sp.Line({x1, ySeat}, {x1, yDim + over});
    sp.Line({x2, ySeat}, {x2, yDim + over});
    const double lo = std::min(x1, x2), hi = std::max(x1, x2);
    // Arrows inside a wide span, outside a narrow one.
    const bool inside = hi - lo >= 6;
    const double a = 1.4, h = 0.45;
    auto arrow = [&](double x, double dir) {
        sp.Line({x, yDim}, {x - dir * a, yDim - h});
        sp.Line({x, yDim}, {x - dir * a, yDim + h});
    };
    if (inside) {
        sp.Line({lo, yDim}, {hi, yDim});
        arrow(lo, -1);
        arrow(hi, 1);
    } else {
        sp.Line({lo - 4, yDim}, {hi + 4, yDim});
        arrow(lo, 1);
        arrow(hi, -1);
    }
    const double yText = yDim < ySeat ? yDim - 1.2 : yDim + 3.4;
    sp.Text({(lo + hi) / 2, yText}, label, 2.4, Qt::AlignHCenter);
}

void DrawValveDetail(SheetPainter& sp, const SheetData& d, const QRectF& area) {
    // The valve central: its centre over the cylinder's, whatever the gear does.
    Gear g = d.gear;
    const CylinderDimensions& c = g.cyl;
    g.pivots[pv::ValveJoint].x = static_cast<float>(LD(c.cylCtr) - c.valveStem);
    const GearOutlines o = OutlinesOf(g);
    const ValveThresholds t = ValveThresholdsOf(c);

    const LD C = c.cylCtr, seat = LD(g.pivots[pv::Crosshead].y) + c.valveSurface;
    const LD n = c.exhaustPort;
    const LD halfLen = std::max({LD(std::fabs(c.chamberLength)) / 2, LD(c.valveRearHalf),
                                 LD(c.valveFrontHalf), n / 2 + c.bridgeRear + c.steamPortRear,
                                 n / 2 + c.bridgeFront + c.steamPortFront});
    const LD top = seat + std::max(LD(c.chamberHeight), LD(c.valveHeight));
    const LD bottom = seat - std::max({n / 1.5L, LD(c.steamPortRear), LD(c.steamPortFront), LD(0)});
    WorldBox box{C - halfLen, C + halfLen, bottom, top};

    const QRectF inner = area.adjusted(14, 12, -14, -16);
    const SheetView v = FitBox(box, inner);
    sp.Text(area.topLeft() + QPointF(0, 4),
            QStringLiteral("Valve central on its port face, in section: the laps"), 3.2,
            Qt::AlignLeft, true);
    sp.Text(area.topLeft() + QPointF(0, 8.2), QStringLiteral("Scale ") + ScaleText(v.scale), 2.4);

    sp.p.save();
    sp.p.setClipRect(QRectF(sp.At(area.topLeft()), sp.At(area.bottomRight())));
    sp.Pen(kOutline, 0.35);
    sp.Polyline(Points(v, o.cylinder.data(), 0, 13), false);
    sp.Polyline(Points(v, o.cylinder.data(), 14, 23), false);
    sp.Pen(kInk, 0.45);
    sp.Polyline(Points(v, o.valve.data(), 1, 8), true);
    sp.Line(v.ToPage(LD(g.pivots[pv::ValveJoint].x), LD(g.pivots[pv::ValveJoint].y)),
            v.ToPage(o.valve[0].h, o.valve[0].v));
    sp.p.restore();

    // Steam laps above the valve, exhaust laps below the port face.
    const double ySeat = v.ToPage(0, seat).y();
    const double yTop = v.ToPage(0, seat + c.valveHeight).y() - 5;
    const double yLow = v.ToPage(0, bottom).y() + 5;
    auto x = [&v](LD h) { return v.ToPage(h, 0).x(); };
    const LD fPort = n / 2 + c.bridgeFront, rPort = n / 2 + c.bridgeRear;
    LapDimension(sp, x(C + fPort + c.steamPortFront), x(C + LD(c.valveFrontHalf)), ySeat, yTop,
                 QStringLiteral("front steam lap ") + Fixed(t.frontSteamLap));
    LapDimension(sp, x(C - rPort - c.steamPortRear), x(C - LD(c.valveRearHalf)), ySeat, yTop,
                 QStringLiteral("rear steam lap ") + Fixed(t.rearSteamLap));
    LapDimension(sp, x(C + fPort), x(C + LD(c.exhCavFront)), ySeat, yLow,
                 QStringLiteral("front exhaust lap ") + Fixed(t.frontExhaustLap));
    LapDimension(sp, x(C - rPort), x(C - LD(c.exhCavRear)), ySeat, yLow,
                 QStringLiteral("rear exhaust lap ") + Fixed(t.rearExhaustLap));
    sp.Text({area.left() + 2, ySeat}, QStringLiteral("REAR"), 2.6, Qt::AlignLeft, true);
    sp.Text({area.right() - 2, ySeat}, QStringLiteral("FRONT"), 2.6, Qt::AlignRight, true);
}

void DrawTitleBlock(SheetPainter& sp, const SheetData& d, const QRectF& r, int page) {
    sp.Pen(kInk, 0.35);
    sp.Box(r);
    const double w = r.width();
    const double cells[] = {0, w * 0.34, w * 0.52, w * 0.80, w};
    for (int k = 1; k < 4; ++k)
        sp.Line({r.left() + cells[k], r.top()}, {r.left() + cells[k], r.bottom()});
    auto cell = [&](int k, const QString& label, const QString& value, double size) {
        const double x = r.left() + cells[k] + 2;
        sp.Text({x, r.top() + 4.5}, label, 2.2, Qt::AlignLeft, false, kFaint);
        sp.Text({x, r.top() + 11.5}, value, size, Qt::AlignLeft, true);
    };
    cell(0, QStringLiteral("Gear"), Q(d.name), 4.2);
    cell(1, QStringLiteral("Date"), d.date.toString(Qt::ISODate), 3.2);
    cell(2, QStringLiteral("Units"), QStringLiteral("lengths in the unit of the dimensions"), 2.6);
    cell(3, QStringLiteral("Sheet"), QStringLiteral("%1 of %2").arg(page).arg(kSheetPages), 3.2);
    sp.Text({r.left() + cells[3] + 2, r.bottom() - 2.5},
            QStringLiteral("merrovan " MERROVAN_VERSION), 2.2, Qt::AlignLeft, false, kFaint);
}

void DrawPageOne(SheetPainter& sp, const SheetData& d, QSizeF page) {
    const PageOne l = PageOneLayout(d, page);
    const SheetView& v = l.view;
    sp.Text({kMargin, kMargin + 5},
            QStringLiteral("General arrangement at mid gear, driver angle 0"), 4.2, Qt::AlignLeft,
            true);
    sp.Text({kMargin, kMargin + 10},
            QStringLiteral("Scale ") + ScaleText(v.scale) +
                QStringLiteral(".  Fixed pivots (red) at their coordinates from the driver "
                               "centre; every rod marked with its length between pin centres."),
            2.4);
    sp.Pen(kFaint, 0.2);
    sp.Box(l.mechanism);
    sp.Box(l.valve);
    DrawMechanism(sp, d, v, l.mechanism);
    DrawValveDetail(sp, d, l.valve.adjusted(3, 1, -3, -2));
    DrawTitleBlock(sp, d, l.title, 1);
}

// --- Page 2 ----------------------------------------------------------------------------------

constexpr double kRow = 3.8;   // line pitch of the tables
constexpr double kCell = 2.7;  // their text size

QString EventText(const std::optional<float>& v, bool percent) {
    return Q(percent ? EventPercentText(v) : EventLengthText(v));
}

double DimensionColumn(SheetPainter& sp, double x, double y, const char* heading,
                       std::span<const DimensionInfo> dims, const Gear& g) {
    sp.Text({x, y}, QString::fromLatin1(heading), 3.0, Qt::AlignLeft, true);
    y += kRow * 1.3;
    for (const DimensionInfo& info : dims) {
        sp.Text({x + 7, y}, QString::number(info.id), kCell, Qt::AlignRight);
        sp.Text({x + 9, y}, QString::fromLatin1(info.shortName), kCell);
        sp.Text({x + 59, y}, Fixed(GetDimension(g, info.id)), kCell, Qt::AlignRight);
        y += kRow;
    }
    return y;
}

double PivotsAndRods(SheetPainter& sp, double x, double y, const Gear& g) {
    sp.Text({x, y}, QStringLiteral("Fixed pivots (x, y from the driver centre)"), 3.0,
            Qt::AlignLeft, true);
    y += kRow * 1.3;
    for (int n : kFixedPivots) {
        sp.Text({x + 4, y}, QString::number(n), kCell, Qt::AlignRight);
        sp.Text({x + 6, y}, QString::fromLatin1(FixedPivotName(n)), kCell);
        sp.Text({x + 46, y}, Fixed(g.pivots[n].x), kCell, Qt::AlignRight);
        sp.Text({x + 61, y}, Fixed(g.pivots[n].y), kCell, Qt::AlignRight);
        y += kRow;
    }
    y += kRow * 0.8;
    sp.Text({x, y}, QStringLiteral("Rods (length between pin centres)"), 3.0, Qt::AlignLeft, true);
    y += kRow * 1.3;
    for (const RodPiece& r : RodPieces()) {
        sp.Text({x, y}, QString::fromLatin1(r.name), kCell);
        sp.Text({x + 30, y}, QStringLiteral("%1\u2013%2").arg(r.from).arg(r.to), kCell);
        sp.Text({x + 61, y}, Fixed(static_cast<double>(RodPieceLength(g, r))), kCell,
                Qt::AlignRight);
        y += kRow;
    }
    return y;
}

void EventsTable(SheetPainter& sp, const SheetData& d, double x, double y, double width) {
    sp.Text({x, y},
            QStringLiteral("Valve events at mean cut-offs and full gear (per cent of the stroke "
                           "from each end's dead centre)"),
            3.0, Qt::AlignLeft, true);
    y += kRow * 1.5;
    // Column right edges as fractions of the width; the first two are left-aligned words.
    struct Col {
        const char* heading;
        double right;
    };
    static constexpr Col kCols[] = {{"Dir", 0.0},     {"Cut-off", 0.07}, {"Rev arm", 0.25},
                                    {"Notch", 0.33},  {"Travel", 0.42},  {"End", 0.44},
                                    {"Adm %", 0.56},  {"Cut %", 0.64},   {"Rel %", 0.72},
                                    {"Comp %", 0.80}, {"Lead", 0.88},    {"Max stm", 0.96}};
    auto colX = [&](std::size_t k) { return x + kCols[k].right * width; };
    for (std::size_t k = 0; k < std::size(kCols); ++k) {
        const bool left = k == 0 || k == 1 || k == 5;
        sp.Text({colX(k), y}, QString::fromLatin1(kCols[k].heading), kCell,
                left ? Qt::AlignLeft : Qt::AlignRight, true);
    }
    sp.Pen(kInk, 0.2);
    sp.Line({x, y + 1.2}, {x + width, y + 1.2});
    y += kRow * 1.2;
    for (const SheetEventRow& r : d.rows) {
        sp.Text({colX(0), y}, QString::fromLatin1(SweepDirectionText(r.direction)), kCell);
        sp.Text({colX(1), y},
                r.cutoff ? Fixed(*r.cutoff, 0) + QStringLiteral(" %") : QStringLiteral("full gear"),
                kCell);
        if (!r.events) {
            sp.Text({colX(2), y}, QStringLiteral("not reached between mid gear and full gear"),
                    kCell, Qt::AlignLeft, false, kFaint);
            y += kRow * 2;
            continue;
        }
        const EventRow& e = *r.events;
        sp.Text({colX(2), y}, Fixed(e.revArm), kCell, Qt::AlignRight);
        sp.Text({colX(3), y}, e.notch ? Fixed(*e.notch, 3) : Q(kAbsentText), kCell, Qt::AlignRight);
        sp.Text({colX(4), y}, EventText(e.travel, false), kCell, Qt::AlignRight);
        for (const auto* end : {&e.front, &e.rear}) {
            sp.Text({colX(5), y},
                    end == &e.front ? QStringLiteral("front") : QStringLiteral("rear"), kCell);
            const std::optional<float> values[] = {end->admission, end->cutoff, end->release,
                                                   end->compression};
            for (std::size_t k = 0; k < 4; ++k)
                sp.Text({colX(6 + k), y}, EventText(values[k], true), kCell, Qt::AlignRight);
            sp.Text({colX(10), y}, EventText(end->lead, false), kCell, Qt::AlignRight);
            sp.Text({colX(11), y}, EventText(end->maxSteam, false), kCell, Qt::AlignRight);
            y += kRow;
        }
        if (e.geometryError)
            sp.Text({colX(11) + 1, y - kRow}, QStringLiteral("!"), kCell, Qt::AlignLeft, true,
                    kFixed);
    }
}

void DrawPageTwo(SheetPainter& sp, const SheetData& d, QSizeF page) {
    const double w = page.width() - 2 * kMargin;
    sp.Text({kMargin, kMargin + 5},
            QStringLiteral("Dimensions, fixed pivots, rods and valve events"), 4.2, Qt::AlignLeft,
            true);
    const double top = kMargin + kHeadingHeight;
    const double col = w / 3;
    double y = DimensionColumn(sp, kMargin, top, "Frame dimensions", FrameDimensionInfo(), d.gear);
    y = std::max(y, DimensionColumn(sp, kMargin + col, top, "Cylinder dimensions",
                                    CylinderDimensionInfo(), d.gear));
    y = std::max(y, PivotsAndRods(sp, kMargin + 2 * col, top, d.gear));
    EventsTable(sp, d, kMargin, y + kRow, w);
    DrawTitleBlock(sp, d, QRectF(kMargin, page.height() - kMargin - kTitleHeight, w, kTitleHeight),
                   2);
}

QSizeF PaperMm(QPageSize::PageSizeId paper) {
    return QPageSize(paper).size(QPageSize::Millimeter);
}

bool Fail(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
}

// Both pages onto a paged device whose pages are `pageMm`, its margins zero.
bool PaintPages(QPainter& p, QPagedPaintDevice& device, const SheetData& d, QSizeF pageMm) {
    for (int page = 1; page <= kSheetPages; ++page) {
        if (page > 1 && !device.newPage()) return false;
        DrawSheetPage(p, d, page, pageMm);
    }
    return true;
}

QString HtmlText(const QString& s) {
    return s.toHtmlEscaped();
}

}  // namespace

QPointF SheetView::ToPage(long double h, long double v) const {
    return {ox + static_cast<double>(h) * scale, oy - static_cast<double>(v) * scale};
}

SheetData MakeSheetData(const Gear& g, const std::string& name, const QDate& date) {
    SheetData d;
    d.name = name;
    d.date = date;
    d.gear = g;
    ComputeMidGear(d.gear);  // also puts the reverse arm there
    d.gear.gear.driverAngle = 0;
    SolveLinkage(d.gear);
    SolvePistonAndPorts(d.gear);

    // The full-gear rows come with the search for the cut-offs.
    std::vector<NotchRow> full;
    const std::vector<NotchRow> at = CutoffRows(d.gear, kSheetCutoffs, Directions::Both, &full);
    for (SweepDirection dir : {SweepDirection::Forward, SweepDirection::Reverse}) {
        for (const NotchRow& r : at) {
            if (r.direction != dir) continue;
            std::optional<EventRow> events;
            if (r.Reachable()) events = r.events;
            d.rows.push_back({dir, r.cutoff, events});
        }
        for (const NotchRow& r : full)
            if (r.direction == dir) d.rows.push_back({dir, std::nullopt, r.events});
    }
    return d;
}

SheetView MechanismSheetView(const SheetData& d, QSizeF pageMm) {
    return PageOneLayout(d, pageMm).view;
}

void DrawSheetPage(QPainter& p, const SheetData& d, int page, QSizeF pageMm) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    SheetPainter sp(p);
    p.fillRect(QRectF(QPointF(0, 0), sp.At({pageMm.width(), pageMm.height()})), Qt::white);
    if (page == 1)
        DrawPageOne(sp, d, pageMm);
    else
        DrawPageTwo(sp, d, pageMm);
    p.restore();
}

bool WriteSheetPdf(const QString& path, const SheetData& d, QPageSize::PageSizeId paper,
                   QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(error, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(1200);
        pdf.setPageSize(QPageSize(paper));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QStringLiteral("Build sheet: ") + Q(d.name));
        pdf.setCreator(QStringLiteral("merrovan " MERROVAN_VERSION));
        QPainter p;
        if (!p.begin(&pdf)) {
            file.cancelWriting();
            return Fail(error, QStringLiteral("cannot start the PDF drawing for %1").arg(path));
        }
        const bool ok = PaintPages(p, pdf, d, PaperMm(paper));
        p.end();
        if (!ok) {
            file.cancelWriting();
            return Fail(error, QStringLiteral("cannot add a page to %1").arg(path));
        }
    }
    if (!file.commit())
        return Fail(error, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return true;
}

bool PrintSheet(QPrinter& printer, const SheetData& d) {
    printer.setFullPage(true);
    printer.setDocName(QStringLiteral("Build sheet: ") + Q(d.name));
    const QSizeF page = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    QPainter p;
    if (!p.begin(&printer)) return false;
    const bool ok = PaintPages(p, printer, d, page);
    p.end();
    return ok;
}

bool WriteSheetHtml(const QString& path, const SheetData& d, QPageSize::PageSizeId paper,
                    QString* error) {
    // Page 1 as an SVG picture inside the file.
    const QSizeF page = PaperMm(paper);
    QBuffer svgBytes;
    svgBytes.open(QIODevice::WriteOnly);
    {
        QSvgGenerator gen;
        gen.setOutputDevice(&svgBytes);
        gen.setResolution(300);
        const QSize px(static_cast<int>(std::lround(page.width() / 25.4 * 300)),
                       static_cast<int>(std::lround(page.height() / 25.4 * 300)));
        gen.setSize(px);
        gen.setViewBox(QRect(QPoint(0, 0), px));
        gen.setTitle(QStringLiteral("General arrangement"));
        QPainter p;
        if (!p.begin(&gen))
            return Fail(error, QStringLiteral("cannot draw the sheet's picture for %1").arg(path));
        DrawSheetPage(p, d, 1, page);
        p.end();
    }

    const QString name = HtmlText(Q(d.name));
    QString h;
    h += QStringLiteral(
             "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Build "
             "sheet: %1</title>\n<style>\n"
             "body { font-family: 'Liberation Sans', Arial, sans-serif; margin: 0; }\n"
             ".page { width: %2mm; margin: 0 auto; page-break-after: always; }\n"
             ".page img { width: 100%; display: block; }\n"
             "h1 { font-size: 15pt; } h2 { font-size: 11pt; margin: 1em 0 0.3em; }\n"
             "table { border-collapse: collapse; font-size: 9pt; }\n"
             "td, th { padding: 1px 6px; } td.n { text-align: right; }\n"
             "th { text-align: left; border-bottom: 1px solid #000; }\n"
             ".cols { display: flex; gap: 8mm; }\n"
             ".title td { border: 1px solid #000; padding: 3px 8px; }\n"
             "</style>\n</head>\n<body>\n")
             .arg(name)
             .arg(page.width());
    h += QStringLiteral(
             "<section class=\"page\">\n<img alt=\"General arrangement of %1\" "
             "src=\"data:image/svg+xml;base64,%2\">\n</section>\n")
             .arg(name, QString::fromLatin1(svgBytes.data().toBase64()));

    h += QStringLiteral(
        "<section class=\"page\">\n<h1>Dimensions, fixed pivots, rods and valve "
        "events</h1>\n<div class=\"cols\">\n");
    auto dims = [&](const char* heading, std::span<const DimensionInfo> list) {
        h += QStringLiteral(
                 "<div><h2>%1</h2><table>\n<tr><th>Id</th><th>Name</th><th>Value</th>"
                 "</tr>\n")
                 .arg(QString::fromLatin1(heading));
        for (const DimensionInfo& info : list)
            h += QStringLiteral(
                     "<tr><td class=\"n\">%1</td><td>%2</td><td class=\"n\">%3</td>"
                     "</tr>\n")
                     .arg(info.id)
                     .arg(HtmlText(QString::fromLatin1(info.shortName))
                              .replace(QLatin1String("  "), QStringLiteral(" &nbsp;")),
                          Fixed(GetDimension(d.gear, info.id)));
        h += QStringLiteral("</table></div>\n");
    };
    dims("Frame dimensions", FrameDimensionInfo());
    dims("Cylinder dimensions", CylinderDimensionInfo());
    h += QStringLiteral(
        "<div><h2>Fixed pivots (x, y from the driver centre)</h2><table>\n"
        "<tr><th>No.</th><th>Pivot</th><th>x</th><th>y</th></tr>\n");
    for (int n : kFixedPivots)
        h += QStringLiteral(
                 "<tr><td class=\"n\">%1</td><td>%2</td><td class=\"n\">%3</td>"
                 "<td class=\"n\">%4</td></tr>\n")
                 .arg(n)
                 .arg(QString::fromLatin1(FixedPivotName(n)), Fixed(d.gear.pivots[n].x),
                      Fixed(d.gear.pivots[n].y));
    h += QStringLiteral(
        "</table>\n<h2>Rods (length between pin centres)</h2><table>\n"
        "<tr><th>Rod</th><th>Pins</th><th>Length</th></tr>\n");
    for (const RodPiece& r : RodPieces())
        h += QStringLiteral("<tr><td>%1</td><td>%2&ndash;%3</td><td class=\"n\">%4</td></tr>\n")
                 .arg(QString::fromLatin1(r.name))
                 .arg(r.from)
                 .arg(r.to)
                 .arg(Fixed(static_cast<double>(RodPieceLength(d.gear, r))));
    h += QStringLiteral("</table></div>\n</div>\n");

    h += QStringLiteral(
        "<h2>Valve events at mean cut-offs and full gear (per cent of the stroke from each "
        "end's dead centre)</h2>\n<table>\n<tr><th>Dir</th><th>Cut-off</th><th>Rev arm</th>"
        "<th>Notch</th><th>Travel</th><th>End</th><th>Adm %</th><th>Cut %</th><th>Rel %</th>"
        "<th>Comp %</th><th>Lead</th><th>Max stm</th></tr>\n");
    for (const SheetEventRow& r : d.rows) {
        const QString dir = QString::fromLatin1(SweepDirectionText(r.direction));
        const QString at =
            r.cutoff ? Fixed(*r.cutoff, 0) + QStringLiteral(" %") : QStringLiteral("full gear");
        if (!r.events) {
            h += QStringLiteral(
                     "<tr><td>%1</td><td>%2</td><td colspan=\"10\">not reached "
                     "between mid gear and full gear</td></tr>\n")
                     .arg(dir, at);
            continue;
        }
        const EventRow& e = *r.events;
        for (const auto* end : {&e.front, &e.rear}) {
            const bool front = end == &e.front;
            h += QStringLiteral("<tr>");
            if (front)
                h += QStringLiteral(
                         "<td rowspan=\"2\">%1</td><td rowspan=\"2\">%2</td><td "
                         "rowspan=\"2\" class=\"n\">%3</td><td rowspan=\"2\" "
                         "class=\"n\">%4</td><td rowspan=\"2\" class=\"n\">%5</td>")
                         .arg(dir, at, Fixed(e.revArm),
                              e.notch ? Fixed(*e.notch, 3) : Q(kAbsentText),
                              EventText(e.travel, false));
            h += QStringLiteral("<td>%1</td>").arg(QLatin1String(front ? "front" : "rear"));
            for (const std::optional<float>& v :
                 {end->admission, end->cutoff, end->release, end->compression})
                h += QStringLiteral("<td class=\"n\">%1</td>").arg(EventText(v, true));
            h += QStringLiteral("<td class=\"n\">%1</td><td class=\"n\">%2</td></tr>\n")
                     .arg(EventText(end->lead, false), EventText(end->maxSteam, false));
        }
    }
    h += QStringLiteral("</table>\n");
    h += QStringLiteral(
             "<table class=\"title\"><tr><td>Gear<br><b>%1</b></td><td>Date<br><b>%2</b></td>"
             "<td>Units<br><b>lengths in the unit of the dimensions</b></td><td>Sheet<br><b>2 "
             "of 2</b><br>merrovan %3</td></tr></table>\n</section>\n</body>\n</html>\n")
             .arg(name, d.date.toString(Qt::ISODate), QStringLiteral(MERROVAN_VERSION));

    QSaveFile file(path);
    const QByteArray bytes = h.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return Fail(error, QStringLiteral("cannot write %1: %2").arg(path, why));
    }
    return true;
}

}  // namespace mv
