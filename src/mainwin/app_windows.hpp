// The program's secondary windows, created once at start-up and owned by the application. The
// main window opens them modally through these pointers.
#pragma once

#include <array>

#include "diagrams/diagram_kinds.hpp"

class QDialog;

namespace mv {

struct AppWindows {
    QDialog* drivAng = nullptr;    // TDrivAng
    QDialog* refPnts = nullptr;    // TRefPnts
    QDialog* setRevArm = nullptr;  // TSetRevArm
    QDialog* revPos = nullptr;     // TRevPos
    QDialog* stpAng = nullptr;     // TStpAng
    QDialog* aboutBox = nullptr;   // TAboutBox
    QDialog* inst = nullptr;       // TInst
    QDialog* mvoSpInst = nullptr;  // TMvOSpInst
    QDialog* frameDi = nullptr;    // TFrameDi
    QDialog* cylDimen = nullptr;   // TCylDimen
    QDialog* graphZoom = nullptr;  // TGraphZoom
    QDialog* drawLines = nullptr;  // TDrawLines
    QDialog* dataTable = nullptr;  // TDataTable

    // The design assistant (beyond the classic set).
    QDialog* designAssistant = nullptr;

    // TNewGear: a new gear from a locomotive's basic data.
    QDialog* newGear = nullptr;

    // TSensitivity: the sensitivity and tolerance studies.
    QDialog* sensitivity = nullptr;
    // TGuide: the user guide, opened beside the main window rather than over it.
    QDialog* guide = nullptr;
    // The windows of the Draw&Graphs menu, by DiagramKind.
    std::array<QDialog*, kDiagramKindCount> graphs{};

    QDialog*& Graph(DiagramKind k) { return graphs[static_cast<std::size_t>(k)]; }
    QDialog* Graph(DiagramKind k) const { return graphs[static_cast<std::size_t>(k)]; }
};

}  // namespace mv
