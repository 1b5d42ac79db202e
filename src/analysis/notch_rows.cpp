#include "analysis/notch_rows.hpp"

#include "analysis/parallel.hpp"
#include "model/dimensions.hpp"
#include "model/solver.hpp"

namespace mv {

float NotchSetting(const Gear& g, float notch, SweepDirection dir) {
    const long double sign = dir == SweepDirection::Forward ? 1.0L : -1.0L;
    return static_cast<float>(static_cast<long double>(g.revArmPositions[0]) +
                              sign * notch * static_cast<long double>(g.frame.revArmMax));
}

std::vector<NotchRow> NotchRows(const Gear& g, std::span<const float> notches, Directions dirs) {
    std::vector<NotchRow> rows;
    for (SweepDirection d : {SweepDirection::Forward, SweepDirection::Reverse}) {
        if (dirs == Directions::Forward && d == SweepDirection::Reverse) continue;
        if (dirs == Directions::Reverse && d == SweepDirection::Forward) continue;
        for (float n : notches) rows.push_back(NotchRow{d, n, {}, std::nullopt, {}, 0});
    }
    // Every row is its own sweep on its own copy of the gear: same results on any thread count.
    ParallelFor(rows.size(), [&g, &rows](std::size_t i) {
        NotchRow& r = rows[i];
        r.events = ComputeEventRow(g, NotchSetting(g, r.notch, r.direction), r.direction);
    });
    return rows;
}

Gear WithDimensions(const Gear& g, std::span<const DimensionValue> changes) {
    Gear out = g;
    for (const DimensionValue& c : changes) StoreDimension(out, c.id, c.value);
    ComputeMidGear(out);
    return out;
}

}  // namespace mv
