// Valve events at chosen cut-offs. Designers compare a gear at "25 % cut-off", not at a lever
// position: for a direction and a cut-off C the row is taken at the reverse-arm setting between
// mid gear and full gear ("Rev Arm to Cent Max") where the mean of the front and rear cut-off
// is C, found to within kCutoffTolerance points.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/event_table.hpp"
#include "analysis/notch_rows.hpp"
#include "model/model.hpp"

namespace mv {

// How close the mean cut-off of a row comes to the one asked for, in points (per cent).
inline constexpr float kCutoffTolerance = 0.01f;
inline constexpr std::array<float, 4> kDefaultCutoffs = {15.0f, 25.0f, 40.0f, 60.0f};
inline constexpr std::size_t kMaxCutoffs = 100;

// Mean of the front and rear cut-off in per cent. An end whose steam port never opens counts
// as cutting off at 0; absent when an end opens but has no cut-off.
std::optional<float> MeanCutoff(const EventRow& r);

// The lowest and highest mean cut-off seen over the lever's travel in one direction (a grid of
// settings from mid gear to full gear); absent when no setting has one.
struct CutoffRange {
    std::optional<float> low, high;
};
CutoffRange ReachedCutoffs(const Gear& g, SweepDirection dir);

// One row per cut-off in each chosen direction, forward rows first, each in the order given.
// A row that cannot be placed has no events and says why in `unreachable`. The rows at full gear
// (notch 1) are found on the way; `fullGear` receives them, forward first.
std::vector<NotchRow> CutoffRows(const Gear& g, std::span<const float> cutoffs, Directions dirs,
                                 std::vector<NotchRow>* fullGear = nullptr);

// The rows a RowChoice asks for: NotchRows or CutoffRows.
std::vector<NotchRow> RowsAt(const Gear& g, const RowChoice& choice);

// Reads cut-offs in per cent separated by commas (blanks around them allowed): each a number
// above 0 and below 100, none twice, at most kMaxCutoffs. On a bad list returns false with the
// reason.
bool ParseCutoffList(std::string_view text, std::vector<float>& out, std::string& error);

// One row as JSON, in the event table's keys (EventRowJson), with "cutoff" first for a row at a
// cut-off; a row that cannot be placed has every value null and its reason in "unreachable".
std::string NotchRowJson(const NotchRow& r);

// Rows at cut-offs as delimited text: the event table's header (EventTableDelimited) between a
// "cutoff" column and an "unreachable" column that holds the reason of a row that could not be
// placed (quoted; its other cells empty).
std::string CutoffRowsDelimited(const std::vector<NotchRow>& rows, char separator);

// Short text of a cut-off ("25", "12.5"), as a JSON key and in tables.
std::string CutoffText(float cutoff);

// "cut-off 25 % fwd" for a row at a cut-off, "notch 0.5 fwd" for one at a notch: for messages.
std::string RowText(const NotchRow& r);

}  // namespace mv
