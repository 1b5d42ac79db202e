#include "diagrams/diagram_kinds.hpp"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <vector>

namespace mv {
namespace {

// Tool-button pictures of the entries.
void SineIcon(QPainter& p) {
    p.setPen(QPen(Qt::blue, 1.3));
    QPainterPath wave;
    for (int x = 1; x <= 19; ++x) {
        const double y = 8 - 5 * std::sin((x - 1) * 3.14159265 / 9);
        if (x == 1)
            wave.moveTo(x, y);
        else
            wave.lineTo(x, y);
    }
    p.drawPath(wave);
}

void OvalIcon(QPainter& p) {
    p.setPen(QPen(Qt::blue, 1.3));
    p.drawEllipse(QRectF(2, 3, 16, 10));
}

void SteamIcon(QPainter& p) {
    p.setPen(QPen(Qt::red, 1.3));
    p.drawLine(2, 3, 8, 3);
    p.setPen(QPen(QColor(0xFF, 0, 0xFF), 1.3));
    p.drawLine(8, 3, 14, 11);
    p.setPen(QPen(Qt::blue, 1.3));
    p.drawLine(14, 11, 18, 13);
}

void PortIcon(QPainter& p) {
    for (int r = 0; r < 4; ++r) {
        p.setPen(QPen(r % 2 ? Qt::blue : Qt::red, 1.5));
        p.drawLine(2 + r, 3 + 3 * r, 12 + r, 3 + 3 * r);
    }
}

// A small card: admission line, expansion curve, exhaust line.
void IndicatorIcon(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(2, 14, 18, 14);
    p.drawLine(2, 14, 2, 2);
    p.setPen(QPen(Qt::blue, 1.3));
    QPainterPath card;
    card.moveTo(3, 3);
    card.lineTo(8, 3);
    card.cubicTo(11, 7, 14, 9, 17, 10);
    card.lineTo(17, 12);
    card.lineTo(5, 12);
    card.quadTo(3.5, 9, 3, 3);
    p.drawPath(card);
}

void TableIcon(QPainter& p) {
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.2));
    p.drawRect(2, 2, 16, 12);
    p.drawLine(2, 6, 18, 6);
    p.drawLine(2, 10, 18, 10);
    p.drawLine(8, 2, 8, 14);
}

constexpr QSize kDiagramClient(kDiagramWidth, kDiagramHeight);

// Each entry names only what it has; the rest keeps the defaults of DiagramKindInfo, which GCC
// would otherwise report as missing initializers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
constexpr std::array<DiagramKindInfo, kDiagramKindCount> kKinds = {{
    {
        .kind = DiagramKind::Sine,
        .draw = &DrawSineDiagram,
        .clientSize = kDiagramClient,
        .cliName = "sine",
        .reportStem = "diagram-sine",
        .reportCaption = "Sine diagram",
        .menuName = "SineDiag",
        .menuCaption = "&SineDiagram",
        .toolName = "ToolSine",
        .toolHint = "View Sine Diagram",
        .paintIcon = &SineIcon,
        .windowName = "SineDia",
        .windowTitle = "Sine Diagram",
        .captionTitle = "MERROVAN Outside Admission      Sine Diagram    ",
        .closeName = "CloseSin",
        .closeAt = {408, 8},
        .barName = "SBDynVarS",
        .undoName = "UnDoDnS",
        .setRevArmCaption = "&SetRevArmPos",
        .reDrawCaption = "&ReDraw",
        .undoCaption = "&UnDo",
        .dynVariCaption = "&DymamicVariables",
        .opensMaximised = true,
        .maximumSize = {640, 479},
    },
    {
        .kind = DiagramKind::Oval,
        .draw = &DrawOvalDiagram,
        .clientSize = {kDiagramWidth, kOvalDiagramHeight},
        .cliName = "oval",
        .reportStem = "diagram-oval",
        .reportCaption = "Oval diagram",
        .menuName = "OvalDiag",
        .menuCaption = "&OvalDiagram",
        .toolName = "ToolOval",
        .toolHint = "View Oval Diagram",
        .paintIcon = &OvalIcon,
        .windowName = "OvalDia",
        .windowTitle = "Oval Diagram",
        .captionTitle = "MERROVAN Outside Admission      Oval Diagram    ",
        .closeName = "CloseOval",
        .closeAt = {408, 8},
        .barName = "SBDynVarO",
        .undoName = "UnDoDnO",
        .setRevArmCaption = "SetRevArmPos",
        .reDrawCaption = "ReDraw",
        .undoCaption = "&UnDo",
        .dynVariCaption = "DynamicVari",
        .opensMaximised = true,
    },
    // Opens in the normal state: a modal window that opened minimised would leave the user in
    // front of a frozen main window with nothing to click.
    {
        .kind = DiagramKind::Steam,
        .draw = &DrawSteamDiagram,
        .clientSize = kDiagramClient,
        .cliName = "steam",
        .reportStem = "diagram-steam",
        .reportCaption = "Steam diagram",
        .menuName = "SteamDiag",
        .menuCaption = "S&teamDiagram",
        .toolName = "ToolSteamDiag",
        .toolHint = "View Steam Diagram",
        .paintIcon = &SteamIcon,
        .windowName = "SteamDia",
        .windowTitle = "Steam Diagram",
        .captionTitle = "MERROVAN Outside Admission      Steam Diagram    ",
        .closeName = "CloseStm",
        .closeAt = {408, 8},
        .barName = "SBDynVarST",
        .undoName = "UnDoDnSt",
        .setRevArmCaption = "SetRevArmPos",
        .reDrawCaption = "ReDraw",
        .undoCaption = "&UnDo",
        .dynVariCaption = "DynamicVari",
    },
    {
        .kind = DiagramKind::Port,
        .draw = &DrawPortDiagram,
        .clientSize = kDiagramClient,
        .cliName = "port",
        .reportStem = "diagram-port",
        .reportCaption = "Port open/closed diagram, forward and reverse",
        .reportSelector = 'B',
        .menuName = "FourEvents",
        .menuCaption = "&PortOpenClose",
        .toolName = "ToolPortEvents",
        .toolHint = "View Port Events vs Reverse Arm Position",
        .paintIcon = &PortIcon,
        .selectorOnOpen = 'F',
        .windowName = "PortDia",
        .windowTitle = "Port Open/Closed Diagram",
        .captionTitle = "MERROVAN Outside Admission      Port Open/Closed    ",
        .closeName = "ClosePort",
        .closeAt = {447, 2},
        .barName = "SBDynVarP",
        .undoName = "UnDoDnP",
        .reDrawCaption = "ReDraw",
        .undoCaption = "&UnDo",
        .dynVariCaption = "DynamicVari",
        .graphModes = true,
    },
    // Beyond the classic diagrams: the ideal cards of the positions, with fields and a table.
    {
        .kind = DiagramKind::Indicator,
        .draw = &DrawIndicatorDiagram,
        .clientSize = {kDiagramWidth, kIndicatorDiagramHeight},
        .cliName = "indicator",
        .reportStem = "diagram-indicator",
        .reportCaption = "Indicator cards",
        .menuName = "IndicatorDiag",
        .menuCaption = "&IndicatorDiagram",
        .toolName = "ToolIndicator",
        .toolHint = "View Indicator Cards",
        .paintIcon = &IndicatorIcon,
        .windowName = "IndicatorDia",
        .windowTitle = "Indicator Diagram",
        .captionTitle = "MERROVAN Outside Admission      Indicator Diagram    ",
        .closeName = "CloseInd",
        .closeAt = {408, 8},
        .barName = "SBDynVarI",
        .undoName = "UnDoDnI",
        .setRevArmCaption = "SetRevArmPos",
        .reDrawCaption = "ReDraw",
        .undoCaption = "&UnDo",
        .dynVariCaption = "DynamicVari",
        .panel = DiagramPanelKind::SteamConditions,
    },
    // Not a drawing: the table of valve events, a window of its own (TValveEvents).
    {
        .kind = DiagramKind::ValveEvents,
        .clientSize = {1200, 900},
        .menuName = "ValveEvents",
        .menuCaption = "&ValveEvents",
        .toolName = "ToolValveEvents",
        .toolHint = "Valve Event Table",
        .paintIcon = &TableIcon,
        .windowName = "TValveEvents",
        .windowTitle = "Valve Events",
    },
}};
#pragma GCC diagnostic pop

constexpr bool InKindOrder() {
    for (std::size_t k = 0; k < kKinds.size(); ++k)
        if (static_cast<std::size_t>(kKinds[k].kind) != k) return false;
    return true;
}
static_assert(InKindOrder(), "the table is indexed by DiagramKind");

}  // namespace

std::span<const DiagramKindInfo, kDiagramKindCount> DiagramKinds() {
    return kKinds;
}

const DiagramKindInfo& KindInfo(DiagramKind kind) {
    return kKinds[static_cast<std::size_t>(kind)];
}

std::optional<DiagramKind> DiagramKindByCliName(std::string_view name) {
    for (const DiagramKindInfo& k : kKinds)
        if (k.cliName && name == k.cliName) return k.kind;
    return std::nullopt;
}

std::string DiagramCliNames(const char* separator) {
    std::vector<const char*> names;
    for (const DiagramKindInfo& k : kKinds)
        if (k.cliName) names.push_back(k.cliName);
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) out += separator ? separator : (i + 1 == names.size() ? " or " : ", ");
        out += names[i];
    }
    return out;
}

DiagramTail DrawDiagram(DiagramKind kind, Model& m, QPainter& p, const DiagramOptions& opt) {
    const DiagramKindInfo& k = KindInfo(kind);
    return k.draw ? k.draw(m, p, opt) : DiagramTail{};
}

QSize DiagramClientSize(DiagramKind kind) {
    return KindInfo(kind).clientSize;
}

}  // namespace mv
