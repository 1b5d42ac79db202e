// Two gears compared: the dimensions that differ and the valve events of both at the same rows
// (notches or mean cut-offs), with B - A for every event. merrovan-cli compare and the valve-event
// window's comparison section read these.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/event_table.hpp"
#include "analysis/notch_rows.hpp"
#include "model/model.hpp"

namespace mv {

struct DimensionDifference {
    DimensionId id = 0;
    const char* name = "";  // the short name
    float a = 0, b = 0;
    float diff = 0;  // b - a
};

// Every dimension whose value differs between the gears, in id order.
std::vector<DimensionDifference> DifferingDimensions(const Gear& a, const Gear& b);

// B - A of every value of two rows of the same direction: each event absent unless both rows
// have it; the geometry flag is raised when either row raised it.
EventRow RowDifference(const EventRow& a, const EventRow& b);

enum class CompareAt { Notch, Cutoff };

struct ComparedRow {
    SweepDirection direction = SweepDirection::Forward;
    float at = 0;  // the notch, or the mean cut-off per cent
    // Absent where no setting of that gear reaches the cut-off.
    std::optional<EventRow> a, b;
    std::optional<EventRow> Difference() const;
};

struct GearComparison {
    CompareAt kind = CompareAt::Notch;
    std::vector<DimensionDifference> dimensions;
    std::vector<ComparedRow> rows;  // forward rows first, each in the order asked for
};

// The rows of the valve-event table: 19 notches from mid gear to the largest setting.
std::vector<float> DefaultCompareNotches();

// Both gears' rows at the same notches, all computed in one parallel pass.
GearComparison CompareAtNotches(const Gear& a, const Gear& b, std::span<const float> notches,
                                Directions dirs);
// Both gears' rows at the same mean cut-offs (each gear at its own setting, as CutoffRows
// places it).
GearComparison CompareAtCutoffs(const Gear& a, const Gear& b, std::span<const float> cutoffs,
                                Directions dirs);

// {"dimensions":[{"id","name","a","b","diff"}],"rows":[{"direction","notch"|"cutoff","a":{row},
// "b":{row},"diff":{...}}]}, one line. A row is the valve-event row's JSON; an absent row and
// its difference are null.
std::string ComparisonJson(const GearComparison& c);
// Two CSV tables, one blank line apart: the differing dimensions (id,name,a,b,diff), then
// three lines per row (gear a, b, diff): direction, row_notch or row_cutoff, gear, then the
// event table's columns.
std::string ComparisonCsv(const GearComparison& c);
// Aligned text for reading, naming the gears.
std::string ComparisonText(const GearComparison& c, const std::string& nameA,
                           const std::string& nameB);

}  // namespace mv
