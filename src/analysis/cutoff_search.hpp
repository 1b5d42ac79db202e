// Rows at chosen cut-offs: the reverse-arm setting at which the mean of the front and rear
// cut-off is a given per cent of the stroke, found between mid gear and "Rev Arm to Cent Max".
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "analysis/event_table.hpp"
#include "analysis/notch_rows.hpp"
#include "model/model.hpp"

namespace mv {

// Mean of the front and rear cut-off of a row; none unless both ends cut off.
std::optional<float> MeanCutoff(const EventRow& row);

struct CutoffRow {
    SweepDirection direction = SweepDirection::Forward;
    float cutoff = 0;  // the mean cut-off asked for, per cent
    // The row at the setting found; none when no setting from mid gear to the largest reaches
    // that cut-off.
    std::optional<EventRow> events;
};

// The setting for one cut-off in one direction. The notch range 0..1 is sampled in 16 steps;
// the first step from mid gear whose two ends bracket the cut-off is refined with TOMS 748 on
// the notch, so where the mean cut-off is not monotone the setting nearest mid gear wins.
std::optional<float> CutoffSetting(const Gear& g, float cutoff, SweepDirection dir);

// One row per cut-off in each chosen direction, forward rows first, each in the order given.
std::vector<CutoffRow> CutoffRows(const Gear& g, std::span<const float> cutoffs, Directions dirs);

}  // namespace mv
