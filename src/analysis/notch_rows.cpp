#include "analysis/notch_rows.hpp"

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
        std::vector<float> settings;
        settings.reserve(notches.size());
        for (float n : notches) settings.push_back(NotchSetting(g, n, d));
        const std::vector<EventRow> events = ComputeEventTable(g, settings, d);
        for (std::size_t k = 0; k < notches.size(); ++k)
            rows.push_back(NotchRow{d, notches[k], events[k]});
    }
    return rows;
}

Gear WithDimensions(const Gear& g, std::span<const DimensionValue> changes) {
    Gear out = g;
    for (const DimensionValue& c : changes) StoreDimension(out, c.id, c.value);
    ComputeMidGear(out);
    return out;
}

}  // namespace mv
