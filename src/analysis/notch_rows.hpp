// Valve events at fractions of "Rev Arm to Cent Max" (notches) in one or both running
// directions: the common input of the design assistant and the sensitivity and tolerance studies.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/event_table.hpp"
#include "model/model.hpp"

namespace mv {

enum class Directions { Forward, Reverse, Both };

struct NotchRow {
    SweepDirection direction = SweepDirection::Forward;
    float notch = 0;  // a row at a cut-off: the fraction found (0 when it cannot be placed)
    EventRow events;
    // Rows placed at a mean cut-off (cutoff_rows.hpp): the cut-off asked for, in per cent.
    std::optional<float> cutoff;
    // Why a row at a cut-off could not be placed; empty when it was. Such a row has no events.
    std::string unreachable;
    // For such a row: how many points the cut-off lies beyond those the gear reaches.
    float reachShortfall = 0;

    bool Reachable() const { return unreachable.empty(); }
};

// Where the rows of a study or a search are taken: at fractions of "Rev Arm to Cent Max", or
// where the mean of the front and rear cut-off has chosen values.
enum class RowBasis { Notches, Cutoffs };
struct RowChoice {
    RowBasis basis = RowBasis::Notches;
    std::vector<float> values;  // notch fractions 0..1, or cut-offs in per cent (0 < C < 100)
    Directions directions = Directions::Both;
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
