// The linkage solver, mid gear, and piston/valve/port values.
#pragma once

#include "model/model.hpp"

namespace mv {

// Single-precision clamp constants, widened exactly.
inline constexpr float kCosineLimit = 0.999999f;
inline constexpr float kDivisorLimit = 0.00001f;

void MarkGeometryError(Model& m);
long double ClampDivisor(Model& m, long double v);
long double ClampCosine(Model& m, long double c);
long double ClampRadicand(Model& m, long double r);

// Places every moving pivot for the current driver angle and reverse-arm setting, then computes
// the valve-event thresholds. Impossible geometry is clamped and raises the geometry flag.
void SolveLinkage(Model& m);

// Mid gear from the frame dimensions: reverse-arm setting and ReverseArmPositions[0..3].
void ComputeMidGear(Model& m);

// Thresholds and laps of the port face (dimensions only).
void ComputeValveThresholds(Model& m);

// Piston position, valve displacement and the four port openings; needs pivot 4 from the
// SolveLinkage of the same driver angle.
void SolvePistonAndPorts(Model& m);

}  // namespace mv
