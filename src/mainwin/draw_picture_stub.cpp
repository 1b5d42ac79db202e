// Placeholder until the picture lands: white frame, solve and advance only.
#include <QPainter>

#include "mainwin/draw_picture.hpp"
#include "model/solver.hpp"

namespace mv {

void TickSolve(Model& m) {
    SolveLinkage(m);
    SolvePistonAndPorts(m);
}

void AdvanceDriverAngle(Model& m) {
    float& a = m.gear.driverAngle;
    a += m.gear.direction == RunDirection::Fwd ? m.gear.currentStep : -m.gear.currentStep;
    if (a > 360.1f) a -= 360.0f;
    if (a < 0.0f) a += 360.0f;
}

PictureOutput RenderPicture(Model&, QPainter& painter, const PictureInput&) {
    painter.fillRect(0, 0, kPictureWidth, kPictureHeight, Qt::white);
    return PictureOutput{};
}

}  // namespace mv
