// The mechanism picture: one tick's solve and mapping, and the drawing of the whole frame onto a
// QPainter. No widget is involved: the main window, merrovan-cli render and the tests all call
// these, on an image of at least kPictureWidth x kPictureHeight (the window's grows with it).
#pragma once

#include <QDateTime>
#include <QSize>
#include <QString>
#include <array>
#include <random>

#include "diagrams/diagram_kinds.hpp"
#include "model/model.hpp"
#include "model/view.hpp"

class QPainter;
class QPaintDevice;

namespace mv {

inline constexpr int kPictureWidth = 1280;
inline constexpr int kPictureHeight = 1024;

// Size of a paint device in the picture's pixels: device pixels divided by its pixel ratio.
QSize LogicalSize(const QPaintDevice* device);

// Steps 1..4 of a tick: solve the linkage and the valve, map pivots and outlines to the screen.
void TickSolve(Model& m);
// Steps 3 and 4 alone: pivots 0..20 and the cylinder, piston and valve outlines for the view.
void MapPivotsAndOutlines(Model& m);
// Step 5: advance the driver angle by the current step in the running direction and wrap it.
void AdvanceDriverAngle(Model& m);

struct PictureInput {
    QDateTime now;                // for the window captions
    std::mt19937* rng = nullptr;  // steam dots; nullptr draws none
    // The part of the device the user sees, from its top-left corner; texts that belong to the
    // edge of the view (the fault line) are placed by it. Empty: the whole device.
    QSize area;
};

// The captions the frame gives the windows: title + data-set name + date and time in the
// system locale + "Version " and the program's version. While a comparison gear is loaded the
// main window's and the four valve diagrams' name reads "NAME compared with OTHER". An empty
// caption leaves that window's title as it is.
struct WindowCaptions {
    bool comparing = false;
    QString main;
    std::array<QString, kDiagramKindCount> diagrams;  // by DiagramKind
    QString dataTable;
};
WindowCaptions MakeWindowCaptions(const Model& m, const QDateTime& now);

// What the frame asks of the windows; the main window acts on it after the frame.
struct PictureOutput {
    WindowCaptions captions;
    // Dimension graphic showing: 1 close the frame dialog, 2 the cylinder one. Set on every
    // frame of the graphic, so closing must do nothing when the dialog is already hidden.
    int closeDialog = 0;
    // Graphic ended this frame: 1 reopen the frame dialog, 2 the cylinder one. Post it to the
    // event loop; never open a modal dialog from inside the tick.
    int reopenDialog = 0;
    bool restoreCursor = false;  // back to the default arrow (the graphic ended)
    bool undoButtonVisible = false;
    int undoButtonTop = 127;
    std::array<bool, 4> dynBarEnabled{};
    bool errorItemVisible = false;
    bool playError = false;
    bool playExhaust = false;
    int exhaustVolume = -1;  // 0..0xFFFF, -1 leaves it unchanged
    bool beep = false;
};

// Draws layers 1..12 of the frame (white background first, over the whole device) for the
// model's current solution.
// Updates the model's per-frame state (graphic counters, cut-off measurement, steam, error
// indicator) exactly as one frame of the window would.
PictureOutput RenderPicture(Model& m, QPainter& painter, const PictureInput& in);

}  // namespace mv
