// Internal helpers shared by the diagram drawings: a thin canvas with top-left text positions,
// the legend, the sine/oval axes and port lines, the mid-gear block and the common tail.
#pragma once

#include <QColor>
#include <QFont>
#include <QLine>
#include <QPainter>
#include <QString>
#include <array>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "diagrams/draw_diagrams.hpp"
#include "mainwin/look.hpp"
#include "model/model.hpp"
#include "model/port_events.hpp"
#include "model/screen_math.hpp"

namespace mv::diagram {

using LD = long double;

class Canvas {
public:
    Canvas(Model& m, QPainter& p);

    // Text with its top-left corner at (x, y), on the opaque white text background.
    void Text(int x, int y, const QString& s);
    void Text(int x, int y, const std::string& s) { Text(x, y, QString::fromStdString(s)); }
    void Text(int x, int y, const char* s) { Text(x, y, QString::fromLatin1(s)); }
    int TextWidth(const QString& s) const;
    void Line(int x1, int y1, int x2, int y2);

    void Pen(QRgb colour);
    void FontColour(QRgb colour) { fontColour_ = QColor(colour); }
    void Bold(bool on);

    // Text positions scaled by the large-font factors.
    int SX(LD x) const { return RoundToScreen(sx_ * x); }
    int SY(LD y) const { return RoundToScreen(sy_ * y); }
    LD sx() const { return sx_; }
    LD sy() const { return sy_; }

    Model& m;
    QPainter& p;

private:
    QColor fontColour_{Qt::black};
    QFont regular_;
    QFont bold_;
    int ascent_ = 0;
    int boldAscent_ = 0;
    bool isBold_ = false;
    LD sx_ = 1, sy_ = 1;
};

// Saves the live reverse-arm setting and driver angle on construction; Restore() puts them back.
struct SavedGear {
    explicit SavedGear(Model& m) : m(m), setting(m.gear.revArmSetting), angle(m.gear.driverAngle) {}
    void Restore() const {
        m.gear.revArmSetting = setting;
        m.gear.driverAngle = angle;
    }
    Model& m;
    float setting;
    float angle;
};

// Makes p the live setting and records it as the last diagram setting of the dimension file.
void SetDiagramSetting(Model& m, float p);
// The steam and port sweeps' step: the driver 4 degrees on (forward) or back, kept in 0..360,
// then the linkage, piston and ports solved there.
void StepDriverAndSolve(Model& m, bool forward);

// Valve displacement of the solved linkage: x4 + J - C.
float ValveDisplacement(const Model& m);

// "Reverse Arm Positions", "Center" and mid gear.
void LegendHeading(Canvas& c);
// The Front/Rear words and the vertical scale of the displacement diagrams.
void ScaleHeading(Canvas& c, float scale);
// Row k: number, setting, "Fwd"/"Rev"/"Cen".
void LegendRow(Canvas& c, int k, float p);
// Rows 1..count again once the curves are drawn, so that no curve runs through the legend.
void LegendRowsOnTop(Canvas& c, int count);

// Vertical displacement axis of the sine and oval diagrams: the ticks, and their labels at
// labelX, written after the port lines so that a line at a label's level does not strike it.
void DisplacementAxis(Canvas& c, float s);
void DisplacementLabels(Canvas& c, float s, int labelX);

struct PortLineLabels {
    int frontOpen, frontMax, frontExhaust;
    int rearOpen, rearMax, rearExhaust;
    int xEnd;
};
void PortLines(Canvas& c, float s, const PortLineLabels& at);

// Lead, lap and exhaust clearance of a mid-gear sweep with the extreme x4 seen. A lap is how
// far the valve must move from its place to open that steam port; an exhaust clearance how far
// the port is open to exhaust there (negative: how far to move until it opens).
struct MidGearValues {
    float rearLead = 0, frontLap = 0, frontExCl = 0, rearExCl = 0, rearLap = 0, frontLead = 0;
};
MidGearValues ComputeMidGearValues(const Model& m, float xmin, float xmax);
void MidGearBlock(Canvas& c, float xmin, float xmax);
// True when the setting counts as mid gear for the block.
bool NearMidGear(const Model& m, float p);

// The comparison gear (when one is loaded) as a model of its own for a diagram's sweeps: its
// dimensions and mid gear, the working model's positions at the same notches of its own travel
// ((setting - mid gear) scaled by the ratio of the "Rev Arm to Cent Max"), and the working
// model's vertical scale, port mode and text switches. Nothing when none is loaded.
std::unique_ptr<Model> ComparisonModel(const Model& m);
// The lighter colour the comparison gear's curves take: 60 % of the way to white.
QRgb ComparisonColour(QRgb c);
// With a comparison gear loaded, two rows at the foot of the diagram naming the working gear
// beside its curve colours and the comparison gear beside the lighter ones.
void ComparisonLegend(Canvas& c, std::initializer_list<QRgb> colours);

// Dynamic-variable texts, the undo line and the restored gear.
DiagramTail CommonTail(Canvas& c, const SavedGear& saved);

// Tick rows of the oval and steam diagrams and the stroke-end lines from lineTop down.
void DrawOvalTicks(Canvas& c, int lineTop);
// "100" .. "10" at height y and "0" at (577, 348).
void DrawPercentLabels(Canvas& c, int y);

bool IsFrontPortEvent(PortEvent e);
// x of an event in the port diagram; the rear end's travel counts from the other side.
int PortEventX(PortEvent e, float piston);

// Joins the events of each kind across the rows of the port diagram: every event after the
// first of its kind gets a line from the last one (at the level of the row below) to itself,
// wherever the last one was, so rows without that event leave a gap that is bridged.
class PortEventLines {
public:
    std::optional<QLine> Add(PortEvent kind, float piston, int row);

private:
    std::array<float, kPortEventKinds> last_{};
    std::array<bool, kPortEventKinds> had_{};
};

inline int VY(LD v, LD s) {
    return RoundToScreen(215.0L - v * 375.0L / s);
}

}  // namespace mv::diagram
