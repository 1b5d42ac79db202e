// The program's secondary windows, created once at start-up in a fixed order and owned by the
// application. The main window opens them modally through these pointers.
#pragma once

class QDialog;

namespace mv {

struct AppWindows {
    QDialog* drivAng = nullptr;      // TDrivAng
    QDialog* ovalDia = nullptr;      // TOvalDia
    QDialog* portDia = nullptr;      // TPortDia
    QDialog* refPnts = nullptr;      // TRefPnts
    QDialog* setRevArm = nullptr;    // TSetRevArm
    QDialog* revPos = nullptr;       // TRevPos
    QDialog* sineDia = nullptr;      // TSineDia
    QDialog* steamDia = nullptr;     // TSteamDia
    QDialog* stpAng = nullptr;       // TStpAng
    QDialog* aboutBox = nullptr;     // TAboutBox
    QDialog* inst = nullptr;         // TInst
    QDialog* mvoSpInst = nullptr;    // TMvOSpInst
    QDialog* frameDi = nullptr;      // TFrameDi
    QDialog* cylDimen = nullptr;     // TCylDimen
    QDialog* graphZoom = nullptr;    // TGraphZoom
    QDialog* drawLines = nullptr;    // TDrawLines
    QDialog* dataTable = nullptr;    // TDataTable
    QDialog* valveEvents = nullptr;  // valve-event table (beyond the classic set)

    // The design assistant (beyond the classic set).
    QDialog* designAssistant = nullptr;
};

}  // namespace mv
