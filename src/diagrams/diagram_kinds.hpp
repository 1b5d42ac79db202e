// The windows of the Draw&Graphs menu, one entry each: the four valve diagrams and the valve-event
// table. Everything that lists them reads this table: the drawing dispatch, the windows and their
// controls, the main window's menu, tool bar and captions, merrovan-cli diagram and report.
// docs/architecture.md says how to add one.
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

struct DiagramKindInfo {
    DiagramKind kind;
    // Drawing. draw is nullptr for a window that is not a drawing (the valve-event table).
    DiagramTail (*draw)(Model&, QPainter&, const DiagramOptions&);
    QSize clientSize;
    // merrovan-cli: `diagram NAME`, and the report's figure (file stem and caption); nullptr
    // where the kind has none. reportSelector is the port selector the report draws with.
    const char* cliName;
    const char* reportStem;
    const char* reportCaption;
    char reportSelector;
    // The main window: menu item (object name, caption), tool button (object name, hint, icon).
    const char* menuName;
    const char* menuCaption;
    const char* toolName;
    const char* toolHint;
    void (*paintIcon)(QPainter&);  // on a 20 x 16 transparent pixmap, antialiased
    // Port selector the menu item sets before it opens the window; 0 leaves it.
    char selectorOnOpen;
    // The window: object name, its title until the first frame, and the head of the caption
    // every frame gives it (nullptr: the frames leave its title alone).
    const char* windowName;
    const char* windowTitle;
    const char* captionTitle;
    // The diagram window's own controls: Close button (name, place), the four bars (<barName>1
    // .. 4), the UnDo button, the menu entries (nullptr: none), how it opens.
    const char* closeName;
    QPoint closeAt;
    const char* barName;
    const char* undoName;
    const char* setRevArmCaption;  // also: the window asks for the positions when activated
    const char* reDrawCaption;
    const char* undoCaption;
    const char* dynVariCaption;
    bool graphModes;       // a SetUp menu with ForwardGraph, ReverseGraph and BothGraphs
    bool opensMaximised;
    QSize maximumSize;     // empty: no limit
};

inline constexpr std::size_t kDiagramKindCount = 5;

// Every entry, in the order of the menu and the tool bar.
std::span<const DiagramKindInfo, kDiagramKindCount> DiagramKinds();
const DiagramKindInfo& KindInfo(DiagramKind kind);
// The entry of a merrovan-cli diagram name, or none.
std::optional<DiagramKind> DiagramKindByCliName(std::string_view name);
// The diagram names merrovan-cli knows: "sine, oval, steam or port" (or with `separator`
// between all of them when one is given, e.g. "sine|oval|steam|port").
std::string DiagramCliNames(const char* separator = nullptr);

}  // namespace mv
