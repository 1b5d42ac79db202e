// The mechanism picture: one tick's solve and mapping, and the drawing of the whole frame onto a
// QPainter. No widget is involved: the main window, merrovan-cli render and the tests all call
// these on an image of kPictureWidth x kPictureHeight.
#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <random>

#include "model/model.hpp"

class QPainter;

namespace mv {

inline constexpr int kPictureWidth = 1280;
inline constexpr int kPictureHeight = 1024;

// Steps 1..4 of a tick: solve the linkage and the valve, map pivots and outlines to the screen.
void TickSolve(Model& m);
// Step 5: advance the driver angle by the current step in the running direction and wrap it.
void AdvanceDriverAngle(Model& m);

struct PictureInput {
    QDateTime now;               // for the window captions
    std::mt19937* rng = nullptr;  // steam dots; nullptr draws none
};

// What the frame asks of the windows; the main window acts on it after the frame.
struct PictureOutput {
    // Captions of the main window, TSineDia, TOvalDia, TSteamDia, TPortDia, TDataTable.
    std::array<QString, 6> captions;
    int closeDialog = 0;   // dimension graphic started: 1 close the frame dialog, 2 the cylinder one
    int reopenDialog = 0;  // graphic ended: 1 reopen the frame dialog, 2 the cylinder one
    bool restoreCursor = false;
    bool undoButtonVisible = false;
    int undoButtonTop = 127;
    std::array<bool, 4> dynBarEnabled{};
    bool errorItemVisible = false;
    bool playError = false;
    bool playExhaust = false;
    int exhaustVolume = -1;  // 0..0xFFFF, -1 leaves it unchanged
    bool beep = false;
};

// Draws layers 1..12 of the frame (white background first) for the model's current solution.
// Updates the model's per-frame state (graphic counters, cut-off measurement, steam, error
// indicator) exactly as one frame of the window would.
PictureOutput RenderPicture(Model& m, QPainter& painter, const PictureInput& in);

}  // namespace mv
