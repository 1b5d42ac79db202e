// The valve diagrams (sine, oval, steam, port open/closed) and the indicator cards. Each drawing
// sweeps the solver over the chosen reverse-arm settings, paints onto any QPainter (window image,
// PNG, SVG, PDF, printer) and puts the live driver angle and reverse-arm setting back afterwards.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <functional>

#include "analysis/performance.hpp"
#include "model/model.hpp"

class QPainter;

namespace mv {

// Client sizes of the diagram windows.
inline constexpr int kDiagramWidth = 632;
inline constexpr int kDiagramHeight = 414;
inline constexpr int kOvalDiagramHeight = 426;
// The indicator cards keep a legend row per position under the plots.
inline constexpr int kIndicatorDiagramHeight = 496;

// The windows of the Draw&Graphs menu; diagrams/diagram_kinds.hpp describes each.
enum class DiagramKind { Sine, Oval, Steam, Port, Indicator, ValveEvents };

struct DiagramOptions {
    // Port diagram: the legend arrows (off for the overlaid reverse pass of "BothGraphs").
    bool portLegend = true;
    // Area a clearing step paints white ("BothGraphs"); empty: the painter's window.
    QRect clearRect;
    // Indicator cards: pressures, clearance (the window's fields; the defaults elsewhere).
    SteamConditions steam;
};

// What the window has to do with its own controls after a drawing.
struct DiagramTail {
    bool barsVisible = false;
    std::array<bool, 4> barEnabled{};  // meaningful while barsVisible
    bool undoButtonVisible = false;
};

// Sets up a painter for diagram drawing: no antialiasing, opaque text on white, black pen.
void BeginDiagramPainting(QPainter& p);

DiagramTail DrawSineDiagram(Model& m, QPainter& p, const DiagramOptions& opt = {});
DiagramTail DrawOvalDiagram(Model& m, QPainter& p, const DiagramOptions& opt = {});
DiagramTail DrawSteamDiagram(Model& m, QPainter& p, const DiagramOptions& opt = {});
// The ideal indicator cards of both ends for each reverse-arm position, with their legend.
DiagramTail DrawIndicatorDiagram(Model& m, QPainter& p, const DiagramOptions& opt = {});

// One port graph in the mode m.portSelector: 'F' forward rows, 'R' reverse rows. In mode 'B'
// this runs DrawPortBothGraphs, so that no trigger ever draws rows of neither direction.
DiagramTail DrawPortDiagram(Model& m, QPainter& p, const DiagramOptions& opt = {});
// Clears, draws the forward graph, overlays the reverse graph without its legend and leaves
// the mode at 'B'.
DiagramTail DrawPortBothGraphs(Model& m, QPainter& p, const DiagramOptions& opt = {});

// The drawing a window of that kind runs on every redraw trigger (nothing for a kind that is
// not a drawing), and its window's client size.
DiagramTail DrawDiagram(DiagramKind kind, Model& m, QPainter& p, const DiagramOptions& opt = {});
QSize DiagramClientSize(DiagramKind kind);

// Writes a drawing to a .png, .svg or .pdf file (chosen by the extension) of the given size on
// white. The file is written through a temporary and renamed, so a failed export leaves an
// existing file intact. Returns false with a message in `error`.
bool ExportDrawing(const QString& path, QSize size, const std::function<void(QPainter&)>& paint,
                   QString* error);

}  // namespace mv
