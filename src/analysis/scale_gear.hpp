// A gear scaled to another size: every length times one factor, the offset angle kept, so the
// events in per cent of the stroke stay and leads, laps and travel follow the factor.
#pragma once

#include <string>
#include <vector>

#include "analysis/notch_rows.hpp"
#include "model/model.hpp"

namespace mv {

// The dimensions that are lengths: frame 1..24, 26 and 27 (the pivot coordinates among them
// measured from the driver centre) and every cylinder dimension. Only the offset angle (25) is
// not.
bool IsLengthDimension(DimensionId id);

// Empty when the gear can be scaled by k, otherwise one line saying why not: k is not a finite
// number above 0, or a dimension would leave the float range or vanish.
std::string ScaleFactorProblem(const Gear& g, double k);

// Every length dimension with its value times k, in id order (frame first).
std::vector<DimensionValue> ScaledDimensions(const Gear& g, double k);

// A copy of the gear scaled by k, mid gear recomputed and the reverse arm at the same notch.
Gear ScaledGear(const Gear& g, double k);

// Scales the working gear by k as one undoable step, the picture kept as it looked (see
// CommitDimensionGroup). k must pass ScaleFactorProblem.
void ScaleWorkingGear(Model& m, double k);

}  // namespace mv
