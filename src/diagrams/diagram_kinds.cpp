#include "diagrams/diagram_kinds.hpp"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

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

void TableIcon(QPainter& p) {
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.2));
    p.drawRect(2, 2, 16, 12);
    p.drawLine(2, 6, 18, 6);
    p.drawLine(2, 10, 18, 10);
    p.drawLine(8, 2, 8, 14);
}

constexpr QSize kDiagramClient(kDiagramWidth, kDiagramHeight);

constexpr std::array<DiagramKindInfo, kDiagramKindCount> kKinds = {{
    {DiagramKind::Sine, &DrawSineDiagram, kDiagramClient, "sine", "diagram-sine", "Sine diagram",
     0, "SineDiag", "&SineDiagram", "ToolSine", "View Sine Diagram", &SineIcon, 0, "SineDia",
     "Sine Diagram", "MERROVAN Outside Admission      Sine Diagram    ", "CloseSin", {408, 8},
     "SBDynVarS", "UnDoDnS", "&SetRevArmPos", "&ReDraw", "&UnDo", "&DymamicVariables", false,
     true, {640, 479}},
    {DiagramKind::Oval, &DrawOvalDiagram, QSize(kDiagramWidth, kOvalDiagramHeight), "oval",
     "diagram-oval", "Oval diagram", 0, "OvalDiag", "&OvalDiagram", "ToolOval",
     "View Oval Diagram", &OvalIcon, 0, "OvalDia", "Oval Diagram",
     "MERROVAN Outside Admission      Oval Diagram    ", "CloseOval", {408, 8}, "SBDynVarO",
     "UnDoDnO", "SetRevArmPos", "ReDraw", "&UnDo", "DynamicVari", false, true, {}},
    // Opens in the normal state: a modal window that opened minimised would leave the user in
    // front of a frozen main window with nothing to click.
    {DiagramKind::Steam, &DrawSteamDiagram, kDiagramClient, "steam", "diagram-steam",
     "Steam diagram", 0, "SteamDiag", "S&teamDiagram", "ToolSteamDiag", "View Steam Diagram",
     &SteamIcon, 0, "SteamDia", "Steam Diagram",
     "MERROVAN Outside Admission      Steam Diagram    ", "CloseStm", {408, 8}, "SBDynVarST",
     "UnDoDnSt", "SetRevArmPos", "ReDraw", "&UnDo", "DynamicVari", false, false, {}},
    {DiagramKind::Port, &DrawPortDiagram, kDiagramClient, "port", "diagram-port",
     "Port open/closed diagram, forward and reverse", 'B', "FourEvents", "&PortOpenClose",
     "ToolPortEvents", "View Port Events vs Reverse Arm Position", &PortIcon, 'F', "PortDia",
     "Port Open/Closed Diagram", "MERROVAN Outside Admission      Port Open/Closed    ",
     "ClosePort", {447, 2}, "SBDynVarP", "UnDoDnP", nullptr, "ReDraw", "&UnDo", "DynamicVari",
     true, false, {}},
    {DiagramKind::ValveEvents, nullptr, QSize(1200, 900), nullptr, nullptr, nullptr, 0,
     "ValveEvents", "&ValveEvents", "ToolValveEvents", "Valve Event Table", &TableIcon, 0,
     "TValveEvents", "Valve Events", nullptr, nullptr, {}, nullptr, nullptr, nullptr, nullptr,
     nullptr, nullptr, false, false, {}},
}};

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
