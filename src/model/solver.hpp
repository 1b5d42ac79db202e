// The linkage solver, mid gear, and piston/valve/port values.
#pragma once

#include "model/model.hpp"

namespace mv {

// Single-precision clamp constants, widened exactly.
inline constexpr float kCosineLimit = 0.999999f;
inline constexpr float kDivisorLimit = 0.00001f;

void MarkGeometryError(Gear& m);
long double ClampDivisor(Gear& m, long double v);
long double ClampCosine(Gear& m, long double c);
long double ClampRadicand(Gear& m, long double r);

// Places every moving pivot for the current driver angle and reverse-arm setting, then computes
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
