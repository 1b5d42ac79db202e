#include "diagrams/diagram_canvas.hpp"

#include <QFontMetrics>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <bit>
#include <cmath>

#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {
namespace diagram {

Canvas::Canvas(Model& model, QPainter& painter)
    : m(model),
      p(painter),
      regular_(DiagramFont(11, false)),
      bold_(DiagramFont(11, true)),
      sx_(model.display.textScaleX),
      sy_(model.display.textScaleY) {
    ascent_ = QFontMetrics(regular_, p.device()).ascent();
    boldAscent_ = QFontMetrics(bold_, p.device()).ascent();
    p.setFont(regular_);
    Pen(kBlack);
}

void Canvas::Text(int x, int y, const QString& s) {
    if (s.isEmpty()) return;
    // The text's box is filled here, as wide as the text's whole-pixel advance: the engines'
    // own opaque fill is a fraction of a pixel narrower, which lets a line under a label show
    // through at its last letter. Leading blanks of right-aligned numbers only clear the
    // background; leaving them out of the drawn text keeps the digits in place in vector files
    // whose viewers collapse blanks.
    qsizetype blanks = 0;
    while (blanks < s.size() && s.at(blanks) == QLatin1Char(' ')) ++blanks;
    const QFontMetrics fm(p.font(), p.device());
    if (p.backgroundMode() == Qt::OpaqueMode)
        p.fillRect(QRect(x, y, fm.horizontalAdvance(s), fm.ascent() + fm.descent()),
                   p.background());
    if (blanks == s.size()) return;
    if (blanks > 0) x += fm.horizontalAdvance(s.left(blanks));
    const QPen keep = p.pen();
    const Qt::BGMode mode = p.backgroundMode();
    p.setPen(fontColour_);
    p.setBackgroundMode(Qt::TransparentMode);
    p.drawText(x, y + (isBold_ ? boldAscent_ : ascent_), blanks > 0 ? s.mid(blanks) : s);
    p.setBackgroundMode(mode);
    p.setPen(keep);
}

int Canvas::TextWidth(const QString& s) const {
    return QFontMetrics(p.font(), p.device()).horizontalAdvance(s);
}

void Canvas::Line(int x1, int y1, int x2, int y2) {
    p.drawLine(x1, y1, x2, y2);
}

void Canvas::Pen(QRgb colour) {
    QPen pen{QColor(colour)};
    pen.setWidth(1);
    pen.setCapStyle(Qt::SquareCap);
    p.setPen(pen);
}

void Canvas::Bold(bool on) {
    isBold_ = on;
    p.setFont(on ? bold_ : regular_);
}

void SetDiagramSetting(Model& m, float p) {
    m.gear.revArmSetting = p;
    m.diagramSweepWord = std::bit_cast<std::uint32_t>(p);
}

void StepDriverAndSolve(Model& m, bool forward) {
    float a = m.gear.driverAngle;
    if (forward) {
        a += 4;
        while (a > 360) a -= 360;
    } else {
        a -= 4;
        while (a < 0) a += 360;
    }
    m.gear.driverAngle = a;
    SolveLinkage(m);
    SolvePistonAndPorts(m);
}

float ValveDisplacement(const Model& m) {
    return static_cast<float>(LD(m.pivots[pv::ValveJoint].x) + m.cyl.valveStem - m.cyl.cylCtr);
}

void ScaleHeading(Canvas& c, float scale) {
    c.Text(9, 46, "Front");
    c.Text(9, 374, "Rear");
    c.Text(9, 32, "Units Travel");
    c.Text(9, 18, "Scale =");
    c.Text(50, 18, FormatFixed(scale, 3, 1));
}

void LegendHeading(Canvas& c) {
    c.Text(c.SX(500), 0, "Reverse Arm Positions");
    c.Text(c.SX(520), 13, "Center");
    c.Text(c.SX(580), 13, FormatFixed(c.m.revArmPositions[0], 6, 3));
}

void LegendRow(Canvas& c, int k, float p) {
    const int y = RoundToScreen(k * c.sy() * 12) + 12;
    const float mid = c.m.revArmPositions[0];
    c.Text(c.SX(545), y, FormatFixed(k, 5, 0));
    c.Text(c.SX(580), y, FormatFixed(p, 6, 3));
    const char* dir = p > mid ? "Fwd" : "Rev";
    if (p == mid) dir = "Cen";
    c.Text(c.SX(533), y, dir);
}

namespace {

// Beyond this the ticks are far denser than pixels; a huge scale from a file must not hang the
// drawing.
constexpr int kMaxCoarse = 4000;

int CoarseTicks(LD scale) {
    const int g = RoundToScreen(4.0L * scale);
    return g > kMaxCoarse ? kMaxCoarse : g;
}

}  // namespace

void DisplacementAxis(Canvas& c, float s) {
    const LD ls = s;
    const int g = CoarseTicks(ls);
    const bool sparse = s > 3.75f;
    for (int h = -5 * g; h <= 5 * g; ++h) {
        if (sparse && h % 5 != 0) continue;
        const int y = RoundToScreen(215.0L + 7.5L * h / ls);
        c.Line(39, y, 44, y);
    }
    for (int l = -g; l <= g; ++l) {
        if (sparse && l % 5 != 0) continue;
        const int y = RoundToScreen(215.0L + 37.5L * l / ls);
        c.Line(36, y, 44, y);
    }
}

void DisplacementLabels(Canvas& c, float s, int labelX) {
    const LD ls = s;
    const int g = CoarseTicks(ls);
    const bool sparse = s > 3.75f;
    for (int l = -g; l <= g; ++l) {
        if (sparse && l % 5 != 0) continue;
        c.Text(labelX, RoundToScreen(210.0L - 37.5L * l / ls), FormatFixed(0.1 * l, 1, 1));
    }
}

void LegendRowsOnTop(Canvas& c, int count) {
    for (int k = 1; k <= count; ++k) LegendRow(c, k, c.m.revArmPositions[k]);
}

void PortLines(Canvas& c, float s, const PortLineLabels& at) {
    const ValveThresholds& t = c.m.thresholds;
    const LD ls = s;
    auto up = [&](LD o, LD base) { return RoundToScreen(base - o * 375.0L / ls); };
    auto down = [&](LD o, LD base) { return RoundToScreen(o * 375.0L / ls + base); };

    c.Pen(kLime);
    for (float o : {t.frontSteamEdge, t.frontSteamFull, t.frontExhaustEdge}) {
        const int y = up(o, 215);
        c.Line(15, y, at.xEnd, y);
    }
    c.Text(at.frontOpen, up(t.frontSteamEdge, 199), "Front Steam Port Open");
    c.Text(at.frontMax, up(t.frontSteamFull, 216), "Front Steam Port Max");
    c.Text(at.frontExhaust, up(t.frontExhaustEdge, 216), "Front Exhaust Port Open");

    c.Pen(kRed);
    for (float o : {t.rearSteamEdge, t.rearSteamFull, t.rearExhaustEdge}) {
        const int y = down(o, 215);
        c.Line(15, y, at.xEnd, y);
    }
    c.Text(at.rearOpen, down(t.rearSteamEdge, 216), "Rear Steam Port Open");
    c.Text(at.rearMax, down(t.rearSteamFull, 199), "Rear Steam Port Max");
    c.Text(at.rearExhaust, down(t.rearExhaustEdge, 199), "Rear Exhaust Port Open");
    c.Pen(kBlack);
}

bool NearMidGear(const Model& m, float p) {
    return std::fabs(LD(p) - LD(m.revArmPositions[0])) < 0.05L;
}

MidGearValues ComputeMidGearValues(const Model& m, float xmin, float xmax) {
    const ValveThresholds& t = m.thresholds;
    const CylinderDimensions& cy = m.cyl;
    MidGearValues v;
    v.rearLead = static_cast<float>(LD(t.rearSteamJointEdge) + xmax);
    v.frontLead = static_cast<float>(LD(t.frontSteamJointEdge) - xmin);
    if (cy.valveRearHalf > cy.steamPortRear) {
        v.frontLap = t.frontSteamLap;
        v.rearLap = t.rearSteamLap;
        v.frontExCl = t.frontExhaustLap;
        v.rearExCl = t.rearExhaustLap;
        return v;
    }
    // Measured from the valve's mean place over the sweep, as a displacement d (the extremes
    // are world x of the joint). The front port opens as the valve moves back and the rear
    // one as it moves forward, so a valve standing d forward covers the front port d more and
    // the rear port d less; its exhaust cavity clears the front port d more and the rear d less.
    const LD d = (LD(xmin) + xmax) / 2.0L + cy.valveStem - cy.cylCtr;
    v.frontLap = static_cast<float>(t.frontSteamLap + d);
    v.rearLap = static_cast<float>(t.rearSteamLap - d);
    v.frontExCl = static_cast<float>(t.frontExhaustLap + d);
    v.rearExCl = static_cast<float>(t.rearExhaustLap - d);
    return v;
}

void MidGearBlock(Canvas& c, float xmin, float xmax) {
    c.Text(595, 153, "Lead");
    c.Text(595, 182, "Lap");
    c.Text(595, 211, "ExCl");
    c.Text(595, 253, "Lap");
    c.Text(595, 282, "Lead");
    const MidGearValues v = ComputeMidGearValues(c.m, xmin, xmax);
    auto value = [&](int y, float f) { c.Text(592, y, FormatFixed(f, 6, 3)); };
    value(166, v.rearLead);
    value(295, v.frontLead);
    value(195, v.frontLap);
    value(266, v.rearLap);
    value(224, v.frontExCl);
    value(237, v.rearExCl);
}

std::unique_ptr<Model> ComparisonModel(const Model& m) {
    if (!m.comparison) return nullptr;
    auto cm = std::make_unique<Model>();
    static_cast<Gear&>(*cm) = m.comparison->gear;
    const LD midA = m.revArmPositions[0], maxA = m.frame.revArmMax;
    const LD midB = cm->revArmPositions[0], maxB = cm->frame.revArmMax;
    const LD ratio = maxA != 0 ? maxB / maxA : 1.0L;
    const int count = std::clamp(m.revArmPositionCount, 0, kRevArmPositions - 1);
    for (int k = 1; k < kRevArmPositions; ++k) {
        const LD offset = (LD(m.revArmPositions[k]) - midA) * (std::isfinite(ratio) ? ratio : 1);
        cm->revArmPositions[k] = k <= count ? static_cast<float>(midB + offset) : 0.0f;
    }
    cm->revArmPositionCount = count;
    cm->diagramVerticalScale = m.diagramVerticalScale;
    cm->portSelector = m.portSelector;
    cm->display = m.display;
    return cm;
}

QRgb ComparisonColour(QRgb c) {
    auto lift = [](int v) { return v + (255 - v) * 3 / 5; };
    return qRgb(lift(qRed(c)), lift(qGreen(c)), lift(qBlue(c))) & 0xFFFFFF;
}

void ComparisonLegend(Canvas& c, std::initializer_list<QRgb> colours) {
    const Model& m = c.m;
    if (!m.comparison) return;
    constexpr int kX = 330, kY = 382, kSample = 10;
    const std::string rows[2] = {m.dataSetName + " (working gear)",
                                 m.comparison->name + " (comparison)"};
    for (int r = 0; r < 2; ++r) {
        const int y = kY + 14 * r;
        int x = kX;
        for (QRgb colour : colours) {
            c.Pen(r == 0 ? colour : ComparisonColour(colour));
            c.Line(x, y + 6, x + kSample, y + 6);
            c.Line(x, y + 7, x + kSample, y + 7);
            x += kSample + 3;
        }
        c.Text(x + 2, y, rows[r]);
    }
    c.Pen(kBlack);
}

DiagramTail CommonTail(Canvas& c, const SavedGear& saved) {
    Model& m = c.m;
    DiagramTail out;
    if (m.display.dynamicVariablesVisible) {
        out.barsVisible = true;
        if (m.dynSlots[1].name == kEmptySlotName) {
            c.FontColour(kRed);
            c.Text(c.SX(235), 2, "*******************************");
            c.Text(c.SX(235), c.SY(12), "* First Select Dimensions *");
            c.Text(c.SX(235), c.SY(26), "*******************************");
            c.FontColour(kBlack);
        } else {
            static constexpr int kRows[4] = {2, 14, 26, 38};
            for (int k = 1; k <= 4; ++k) {
                const int y = k == 1 ? 2 : c.SY(kRows[k - 1]);
                c.Text(c.SX(235), y, m.dynSlots[k].name);
                c.Text(c.SX(363), y, FormatFixed(m.dynSlots[k].value, 6, 3));
            }
        }
        for (int k = 1; k <= 4; ++k) out.barEnabled[k - 1] = m.dynSlots[k].name != kEmptySlotName;
    }
    if (m.display.undoLineVisible) {
        // The line's trailing blanks are there to wipe a longer line written before; painted
        // as blanks they wiped the grid beyond the text as well. Only the text is written, and
        // a line that replaces a longer one clears just what the longer one covered.
        auto withoutPadding = [](const std::string& s) {
            QString q = QString::fromStdString(s);
            while (q.endsWith(QLatin1Char(' '))) q.chop(1);
            return q;
        };
        const int x = c.SX(150), y = c.SY(55);
        const QString before = withoutPadding(m.undoLineText);
        c.Text(x, y, before);
        out.undoButtonVisible = true;
        const UndoEntry& e = m.undo[1];
        m.undoLineText = FormatFixed(m.undoCount, 2, 0) + "- " + e.name + " " +
                         FormatFixed(e.newValue, 6, 3) + " to " + FormatFixed(e.oldValue, 6, 3) +
                         "." + std::string(46, ' ');
        if (m.display.dynamicVariablesVisible) {
            const QString now = withoutPadding(m.undoLineText);
            const int end = x + c.TextWidth(now), oldEnd = x + c.TextWidth(before);
            if (oldEnd > end && c.p.backgroundMode() == Qt::OpaqueMode) {
                const QFontMetrics fm(c.p.font(), c.p.device());
                c.p.fillRect(QRect(end, y, oldEnd - end, fm.ascent() + fm.descent()),
                             c.p.background());
            }
            c.Text(x, y, now);
        }
    }
    saved.Restore();
    return out;
}

}  // namespace diagram

void BeginDiagramPainting(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(Qt::white);
    p.setBrush(Qt::NoBrush);
    p.setPen(Qt::black);
}

bool ExportDrawing(const QString& path, QSize size, const std::function<void(QPainter&)>& paint,
                   QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    const QString lower = path.toLower();
    const bool png = lower.endsWith(QLatin1String(".png"));
    const bool svg = lower.endsWith(QLatin1String(".svg"));
    const bool pdf = lower.endsWith(QLatin1String(".pdf"));
    if (!png && !svg && !pdf)
        return fail(QStringLiteral("unknown file type (use .png, .svg or .pdf)"));
    if (size.isEmpty()) return fail(QStringLiteral("empty drawing size"));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    const QRect area(QPoint(0, 0), size);
    if (png) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            BeginDiagramPainting(p);
            paint(p);
        }
        if (!image.save(&file, "PNG")) {
            file.cancelWriting();
            return fail(QStringLiteral("cannot encode %1").arg(path));
        }
    } else if (svg) {
        QSvgGenerator gen;
        gen.setOutputDevice(&file);
        gen.setSize(size);
        gen.setViewBox(area);
        gen.setResolution(96);
        gen.setTitle(QStringLiteral("merrovan diagram"));
        QPainter p;
        if (!p.begin(&gen)) {
            file.cancelWriting();
            return fail(QStringLiteral("cannot start the SVG drawing"));
        }
        BeginDiagramPainting(p);
        p.fillRect(area, Qt::white);
        paint(p);
        p.end();
    } else {
        QPdfWriter writer(&file);
        writer.setResolution(96);
        writer.setPageSize(QPageSize(
            QSizeF(size.width() * 72.0 / 96.0, size.height() * 72.0 / 96.0), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setCreator(QStringLiteral("merrovan"));
        QPainter p;
        if (!p.begin(&writer)) {
            file.cancelWriting();
            return fail(QStringLiteral("cannot start the PDF drawing"));
        }
        BeginDiagramPainting(p);
        p.fillRect(area, Qt::white);
        paint(p);
        p.end();
    }
    if (!file.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return true;
}

}  // namespace mv
