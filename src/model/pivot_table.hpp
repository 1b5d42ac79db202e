// The pivot data table: the coordinates of six chosen pivots over one turn of the driver.
#pragma once

#include <array>
#include <vector>

#include "model/model.hpp"

namespace mv {

struct PivotRow {
    float angle = 0;
    std::array<float, 6> vert{};
    std::array<float, 6> horz{};
};

// The six pivot numbers the pick slots hold (stored as floats, rounded to the nearest index and
// limited to the pivot table).
std::array<int, 6> ChosenPivots(const Model& m);

// One row per driver angle 0, step, 2 step ... while not above 360 (the angle accumulates in
// single precision), solving the linkage for each. The driver angle and the current step are
// restored afterwards; the pivots keep the last row's solution.
std::vector<PivotRow> BuildPivotRows(Model& m, const std::array<int, 6>& pivots);

}  // namespace mv
