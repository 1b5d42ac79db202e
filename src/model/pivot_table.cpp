#include "model/pivot_table.hpp"

#include <cmath>

#include "model/solver.hpp"

namespace mv {

std::array<int, 6> ChosenPivots(const Model& m) {
    std::array<int, 6> out{};
    for (int k = 0; k < 6; ++k) {
        const float v = m.picks[k + 1].pivot;
        const float r = std::isnan(v) ? 0.0f : std::nearbyint(v);
        out[k] = r < 0.0f ? 0 : (r > kPivotCount - 1 ? kPivotCount - 1 : static_cast<int>(r));
    }
    return out;
}

std::vector<PivotRow> BuildPivotRows(Model& m, const std::array<int, 6>& pivots) {
    const float savedAngle = m.gear.driverAngle;
    const float savedStep = m.gear.currentStep;
    float step = m.gear.chosenStep;
    // A step of zero (or not a number) would never reach 360.
    if (!(step >= 0.01f)) step = 0.01f;
    m.gear.driverAngle = 0;
    m.gear.currentStep = 0;
    std::vector<PivotRow> rows;
    while (!(m.gear.driverAngle > 360.0f)) {
        PivotRow row;
        row.angle = m.gear.driverAngle;
        SolveLinkage(m);
        for (int k = 0; k < 6; ++k) {
            const int p =
                pivots[k] < 0 ? 0 : (pivots[k] >= kPivotCount ? kPivotCount - 1 : pivots[k]);
            row.vert[k] = m.pivots[p].y;
            row.horz[k] = m.pivots[p].x;
        }
        rows.push_back(row);
        m.gear.driverAngle += step;
    }
    m.gear.driverAngle = savedAngle;
    m.gear.currentStep = savedStep;
    return rows;
}

}  // namespace mv
