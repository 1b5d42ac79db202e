#include "model/model.hpp"

#include <cmath>

#include "model/solver.hpp"

namespace mv {

void Model::AddListener(std::function<void(ModelEvent)> listener) {
    listeners_.push_back(std::move(listener));
}

void Model::Notify(ModelEvent event) {
    for (auto& l : listeners_) l(event);
}

const char* DirectionText(RunDirection d) {
    return d == RunDirection::Fwd ? "Fwd" : "Rev";
}

void ResetModelState(Model& m) {
    m.gear.driverAngle = 0;
    m.gear.currentStep = 10;
    m.gear.chosenStep = 10;
    m.pivots[pv::Origin] = Pivot{};
    m.pivots[pv::Driver] = Pivot{};
    m.revArmPositions.fill(0.0f);
    m.view = ViewTransform{28.0f, 115.0f, 270.0f};
    m.dataSetName = "Nominal";
    m.pivots[pv::BellPivot].x = m.pivots[pv::BellPivot].y = 0;
    m.pivots[pv::RevArmPivot].x = m.pivots[pv::RevArmPivot].y = 0;
    m.pivots[pv::Crosshead].y = 0;
    m.frame.offsetAngle = 0;
    m.pivots[pv::Ref1].x = m.pivots[pv::Ref1].y = 0;
    m.pivots[pv::Ref2].x = m.pivots[pv::Ref2].y = 0;
    m.gear.scrollIncrement = 0.001f;
    m.lines.count = 1;
    m.dimensionGraphicId = 0;
    m.diagramVerticalScale = 1.5f;
    m.graphicZoomFactor = 7.5f;
    m.steam.prevFrontAdmission = 0;
    m.steam.prevRearAdmission = 0;
    m.steam.display = false;
    m.steam.frontAccumulator = 20.0f;
    m.steam.rearAccumulator = 20.0f;
    m.steam.front.pressure = m.steam.rear.pressure = 20.0f;
    m.gear.direction = RunDirection::Fwd;
    m.diagramPositionsSet = false;
    m.presets = {ViewTransform{0, 0, 0},        ViewTransform{62, 315, 237},
                 ViewTransform{62, 0, 395},     ViewTransform{55, -250, 370},
                 ViewTransform{80, -950, 335},  ViewTransform{350, -5100, 900},
                 ViewTransform{350, -5460, 900}};
    m.display.dialogTextScaleX = m.display.dialogTextScaleY = 1.0f;
    for (auto& s : m.dynSlots) s = DynSlot{};
    m.diagramCaption.clear();
    m.gear.errorBeep = true;
    for (auto& e : m.lines.entries) {
        e.kind = -1;
        e.colour = -1;
        e.reference = -1;
    }
}

void ResetView(Model& m) {
    const ViewTransform def{28.0f, 115.0f, 270.0f};
    m.view = def;
    m.homeView = def;
    m.previousView = def;
    m.zoomAnchor = def;
}

void LoadFrameDefaults(Model& m) {
    FrameDimensions& d = m.frameDefaults;
    d.bcBackset = 0.0f;
    d.stroke = 3.0f;
    d.eccCircleDia = 2.0f;
    d.driverDia = 7.0f;
    d.mainRod = 10.0f;
    d.valveConRod = 2.45f;
    d.bcVert = 1.12f;
    d.bcHorz = 1.1f;
    d.transYoke = 3.186f;
    d.eccRodRight = 1.5f;
    d.eccRodLeft = 8.47f;
    d.eccCrankLen = 1.77f;
    d.radiusHanger = 3.56f;
    d.auxVert = 0.68f;
    d.auxHorz = 4.61f;
    d.revArmLower = 1.9f;
    d.revArmUpper = 0.38f;
    d.guideLinkRadius = 3.56f;
    d.revArmNorm = 1.04f;
    d.revArmMax = 1.3f;
    m.defBellPivotX = 11.1f;
    m.defBellPivotY = 3.43f;
    m.defGuideCentreX = 8.4f;
    m.defGuideCentreY = 0.25f;
    m.defRevPivotX = 3.85f;
    m.defRevPivotY = 2.54f;
    d.offsetAngle = 0.0f;
    m.pivots[pv::BellPivot2].x = m.pivots[pv::BellPivot].x;
    m.pivots[pv::BellPivot2].y = m.pivots[pv::BellPivot].y;
    m.pivots[pv::RevArmPivot2].x = m.pivots[pv::RevArmPivot].x;
    m.pivots[pv::RevArmPivot2].y = m.pivots[pv::RevArmPivot].y;
}

void ApplyFrameDefaults(Model& m) {
    m.frame = m.frameDefaults;
    m.pivots[pv::BellPivot].x = m.pivots[pv::BellPivot2].x = m.defBellPivotX;
    m.pivots[pv::BellPivot].y = m.pivots[pv::BellPivot2].y = m.defBellPivotY;
    m.pivots[pv::GuideCentre].x = m.defGuideCentreX;
    m.pivots[pv::GuideCentre].y = m.defGuideCentreY;
    m.pivots[pv::RevArmPivot].x = m.pivots[pv::RevArmPivot2].x = m.defRevPivotX;
    m.pivots[pv::RevArmPivot].y = m.pivots[pv::RevArmPivot2].y = m.defRevPivotY;
    m.frame.offsetAngle = m.frameDefaults.offsetAngle;
}

void LoadCylinderDefaults(Model& m) {
    CylinderDimensions& c = m.cylDefaults;
    c.cylCtr = 16.0f;
    c.boreDia = 2.125f;
    c.boreLen = 4.0f;
    c.spare = 0;
    c.cylPortWidth = 0.312f;
    c.pistonRod = 6.0f;
    c.pistonWidth = 0.5f;
    c.valveSurface = 1.75f;
    c.valveStemCL = 2.062f;
    c.exhaustPort = 0.375f;
    c.bridgeRear = 0.187f;
    c.steamPortRear = 0.156f;
    c.chamberHeight = 0.8f;
    c.chamberLength = 2.4f;
    c.valveHeight = 0.5f;
    c.valveRearHalf = 0.687f;
    c.exhCavRear = 0.375f;
    c.valveStem = 2.514f;
    c.bridgeFront = 0.187f;
    c.steamPortFront = 0.156f;
    c.valveFrontHalf = 0.687f;
    c.exhCavFront = 0.375f;
    m.cylDefault102 = 0.0f;
    m.pivots[pv::ValveJoint].y = m.pivots[pv::Crosshead].y + m.cyl.valveStemCL;
}

void ApplyCylinderDefaults(Model& m) {
    m.pivots[pv::Crosshead].y = m.cylDefault102;
    m.cyl = m.cylDefaults;
    m.pivots[pv::ValveJoint].y = m.pivots[pv::Crosshead].y + m.cyl.valveStemCL;
}

namespace {
int RoundBar(float v) {
    // Saturate: a typed 1e30 must not overflow the integer.
    const long double r = std::nearbyint(static_cast<long double>(v) * 1000.0L);
    if (!(r == r)) return 0;
    if (r > 2.0e9L) return 2000000000;
    if (r < -2.0e9L) return -2000000000;
    return static_cast<int>(r);
}
}  // namespace

void SetRevArmBarLimits(Model& m) {
    m.revArmBarMax = RoundBar(m.frame.revArmMax);
    m.revArmBarMin = RoundBar(-m.frame.revArmMax);
    m.Notify(ModelEvent::RevArmBarLimits);
}

void RequestRevArmBarPosition(Model& m, int position) {
    m.revArmBarPosition = position;
    m.Notify(ModelEvent::RevArmBarPosition);
}

void SetUndoEnabled(Model& m, bool enabled) {
    m.undoEnabled = enabled;
    m.Notify(ModelEvent::UndoButtonsEnabled);
}

void ClearCutoffTexts(Model& m) {
    m.cutoff.frontText.clear();
    m.cutoff.rearText.clear();
    m.Notify(ModelEvent::CutoffTextsCleared);
}

void StartUp(Model& m) {
    ResetModelState(m);
    ResetView(m);
    LoadFrameDefaults(m);
    LoadCylinderDefaults(m);
    ApplyFrameDefaults(m);
    ApplyCylinderDefaults(m);
    ComputeMidGear(m);
    SetRevArmBarLimits(m);
    m.revArmBarPosition = 0;
}

}  // namespace mv
