// The windows of the Draw&Graphs menu, one entry each: the four valve diagrams, the indicator
// cards and the valve-event table. Everything that lists them reads this table: the drawing
// dispatch, the windows and their controls, the main window's menu, tool bar and captions,
// merrovan-cli diagram and report. docs/architecture.md says how to add one.
#pragma once

#include <QPoint>
#include <QSize>
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "diagrams/draw_diagrams.hpp"

class QPainter;

namespace mv {

// Controls a diagram window has beyond the shared ones, below its drawing.
enum class DiagramPanelKind {
    None,
    SteamConditions,  // pressure, back pressure and clearance fields, the figures table
};

struct DiagramKindInfo {
    DiagramKind kind = DiagramKind::Sine;
    // Drawing. draw is nullptr for a window that is not a drawing (the valve-event table).
    DiagramTail (*draw)(Model&, QPainter&, const DiagramOptions&) = nullptr;
    QSize clientSize;
    // merrovan-cli: `diagram NAME`, and the report's figure (file stem and caption); nullptr
    // where the kind has none. reportSelector is the port selector the report draws with.
    const char* cliName = nullptr;
    const char* reportStem = nullptr;
    const char* reportCaption = nullptr;
    char reportSelector = 0;
    // The main window: menu item (object name, caption), tool button (object name, hint, icon).
    const char* menuName = nullptr;
    const char* menuCaption = nullptr;
    const char* toolName = nullptr;
    const char* toolHint = nullptr;
    void (*paintIcon)(QPainter&) = nullptr;  // on a 20 x 16 transparent pixmap, antialiased
    // Port selector the menu item sets before it opens the window; 0 leaves it.
    char selectorOnOpen = 0;
    // The window: object name, its title until the first frame, and the head of the caption
    // every frame gives it (nullptr: the frames leave its title alone).
    const char* windowName = nullptr;
    const char* windowTitle = nullptr;
    const char* captionTitle = nullptr;
    // The diagram window's own controls: Close button (name, place), the four bars (<barName>1
    // .. 4), the UnDo button, the menu entries (nullptr: none), how it opens.
    const char* closeName = nullptr;
    QPoint closeAt;
    const char* barName = nullptr;
    const char* undoName = nullptr;
    // SetRevArmPos: the window also asks for the positions when it is activated and redraws
    // on the next mouse move after they were set.
    const char* setRevArmCaption = nullptr;
    const char* reDrawCaption = nullptr;
    const char* undoCaption = nullptr;
    const char* dynVariCaption = nullptr;
    bool graphModes = false;  // a SetUp menu with ForwardGraph, ReverseGraph and BothGraphs
    bool opensMaximised = false;
    QSize maximumSize;  // empty: no limit
    DiagramPanelKind panel = DiagramPanelKind::None;
};

inline constexpr std::size_t kDiagramKindCount = 6;

// Every entry, in the order of the menu and the tool bar.
std::span<const DiagramKindInfo, kDiagramKindCount> DiagramKinds();
const DiagramKindInfo& KindInfo(DiagramKind kind);
// The entry of a merrovan-cli diagram name, or none.
std::optional<DiagramKind> DiagramKindByCliName(std::string_view name);
// The diagram names merrovan-cli knows: "sine, oval, steam, port or indicator" (or with
// `separator` between all of them when one is given, e.g. "sine|oval|steam|port|indicator").
std::string DiagramCliNames(const char* separator = nullptr);

}  // namespace mv
