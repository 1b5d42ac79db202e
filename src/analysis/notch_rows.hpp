// Valve events at fractions of "Rev Arm to Cent Max" (notches) in one or both running
// directions: the common input of the design assistant and the sensitivity and tolerance studies.
#pragma once

#include <span>
#include <vector>

#include "analysis/event_table.hpp"
#include "model/model.hpp"

namespace mv {

enum class Directions { Forward, Reverse, Both };

struct NotchRow {
    SweepDirection direction = SweepDirection::Forward;
    float notch = 0;
    EventRow events;
};

struct DimensionValue {
    DimensionId id = 0;
    float value = 0;
};

// Reverse-arm setting of a notch: mid gear + notch * Max forward, mid gear - notch * Max in
// reverse (mid gear is ReverseArmPositions[0]).
float NotchSetting(const Gear& g, float notch, SweepDirection dir);

// One row per notch in each chosen direction: the forward rows first, then the reverse rows,
// each in the order of `notches`.
std::vector<NotchRow> NotchRows(const Gear& g, std::span<const float> notches, Directions dirs);

// A copy of the gear with the dimensions stored (with their side effects: pivot copies, the
// valve-stem line) and mid gear recomputed, as committing typed dimensions does.
Gear WithDimensions(const Gear& g, std::span<const DimensionValue> changes);

}  // namespace mv
