// The linkage solver, mid gear, and piston/valve/port values.
//
// The solver proper is a set of pure functions of the gear's data: the dimension records and the
// fixed pivots in, a solution out, no state anywhere, so they can run on any thread. The
// functions taking `Gear&` are the model's wrappers: they solve and store the solution into the
// gear, as the animation, the diagrams and the dialogs expect.
#pragma once

#include <array>
#include <cstdint>

#include "model/model.hpp"

namespace mv {

// Single-precision clamp constants, widened exactly.
inline constexpr float kCosineLimit = 0.999999f;
inline constexpr float kDivisorLimit = 0.00001f;

using PivotArray = std::array<Pivot, kPivotCount>;

// The clamps of one solve: whether they raise the geometry-error flag (only with the error
// beep on), and the construction that clamped first in construction order.
struct ClampLog {
    bool errorBeep = true;
    bool raised = false;
    Construction first = Construction::None;

    void Mark(Construction c) {
        if (!errorBeep) return;
        raised = true;
        if (first == Construction::None || c < first) first = c;
    }
};

// --- Pure functions ----------------------------------------------------------------------------

struct LinkageSolution {
    PivotArray pivots{};  // the gear's pivot table with every moving pivot placed
    float radiusHangerAngle = 0;
    ValveThresholds thresholds;
    bool geometryError = false;
    Construction firstClamp = Construction::None;
};

struct GearSolution {
    LinkageSolution linkage;
    ValveEvents valve;
    bool geometryError = false;  // raised by the linkage or the piston
    Construction firstClamp = Construction::None;
};

struct MidGearSolution {
    float midGear = 0;      // reverse-arm setting of mid gear
    Pivot guideEnd;         // pivot 13 at the guide link's centre position
    float revArmLower = 0;  // "Reverse Arm Lower", 0 replaced by the divisor limit
    bool geometryError = false;
    Construction firstClamp = Construction::None;
};

// Thresholds and laps of the port face (cylinder dimensions only).
ValveThresholds ValveThresholdsOf(const CylinderDimensions& c);

// Every moving pivot for a driver angle (degrees) and reverse-arm setting.
LinkageSolution SolveLinkageOf(const Gear& g, float driverAngle, float revArmSetting,
                               bool errorBeep);

// Piston position, valve displacement and the four port openings for a driver angle and the x
// of the valve-stem joint.
ValveEvents PistonAndPortsOf(const Gear& g, float driverAngle, float valveJointX,
                             const ValveThresholds& t, ClampLog& log);

// The linkage and the valve together.
GearSolution SolveGear(const Gear& g, float driverAngle, float revArmSetting, bool errorBeep);

// Mid gear from the frame dimensions and the fixed pivots.
MidGearSolution SolveMidGear(const Gear& g, bool errorBeep);

// The part of a solve that depends on the reverse-arm setting only, made once so that a sweep
// over driver angles repeats only the constructions that move with the driver.
struct ArmStage {
    PivotArray pivots{};  // fixed pivots plus the reverse arm, reach rod and guide link end
    ClampLog log;         // clamps of the arm constructions
};
ArmStage SolveArmStage(const Gear& g, float revArmSetting, bool errorBeep);
// x of the valve-stem joint for a driver angle in degrees (any long double, not only floats),
// with the same constructions and roundings as the full solve; clamps go to `log`. Only the
// constructions the valve hangs on are made, unless `wholeLinkage` asks for every one that moves
// with the driver (crosshead and radius-hanger angle too, so their clamps are seen).
float ValveJointXAt(const Gear& g, const ArmStage& arm, long double driverAngle, ClampLog& log,
                    bool wholeLinkage = false);
// The same, with every construction kept in extended precision instead of rounded to the pivot
// table's floats: a smooth function of the angle, for finding roots and turning points.
long double ValveJointXExact(const Gear& g, const ArmStage& arm, long double driverAngle,
                             ClampLog& log, bool wholeLinkage = false);
// Piston position 0..640 for a driver angle in degrees; clamps go to `log`.
long double PistonAt(const Gear& g, long double driverAngle, ClampLog& log);

// --- Model wrappers ----------------------------------------------------------------------------

// Clamp helpers on the gear's own flag, for the drawing code that repeats a formula.
void MarkGeometryError(Gear& m);
long double ClampDivisor(Gear& m, long double v);
long double ClampCosine(Gear& m, long double c);
long double ClampRadicand(Gear& m, long double r);

// Places every moving pivot for the gear's driver angle and reverse-arm setting, then computes
// the valve-event thresholds. Impossible geometry is clamped and raises the geometry flag.
void SolveLinkage(Gear& m);

// Mid gear from the frame dimensions: reverse-arm setting and ReverseArmPositions[0..3].
void ComputeMidGear(Gear& m);

// Thresholds and laps of the port face (dimensions only).
void ComputeValveThresholds(Gear& m);

// Piston position, valve displacement and the four port openings; needs pivot 4 from the
// SolveLinkage of the same driver angle.
void SolvePistonAndPorts(Gear& m);

}  // namespace mv
