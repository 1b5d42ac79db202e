// Valve-event table: for one reverse-arm setting and running direction, where in the stroke each
// cylinder end takes steam, cuts off, releases and compresses, with lead, largest openings and
// valve travel. One row per setting; the live state is left exactly as it was.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/model.hpp"

namespace mv {

enum class SweepDirection {
    Forward,  // driver angle increasing
    Reverse,  // driver angle decreasing
};

// Coarse step of the event finder in degrees. The valve displacement of a working gear turns
// twice a turn; ten degrees sees every turning point with a wide margin (tested against
// 0.01-degree sweeps over random gears), and the finder checks it on every row
// (analysis/event_finder.hpp).
inline constexpr float kEventCoarseStep = 10.0f;
// Rows of the default table per direction: mid gear to "Rev Arm to Cent Max".
inline constexpr int kDefaultEventRows = 19;

// Events of one cylinder end. Positions are per cent of the stroke travelled from that end's
// dead centre; an event that does not happen in the turn is absent.
struct EndEvents {
    std::optional<float> admission;    // steam opening crosses up through 0
    std::optional<float> cutoff;       // steam opening crosses down
    std::optional<float> release;      // exhaust opening crosses up
    std::optional<float> compression;  // exhaust opening crosses down
    std::optional<float> lead;         // steam opening at the dead centre (negative: covered)
    std::optional<float> maxSteam;     // largest steam opening; absent if it never opens
    std::optional<float> maxExhaust;   // largest exhaust opening; absent if it never opens
};

struct EventRow {
    SweepDirection direction = SweepDirection::Forward;
    float revArm = 0;             // reverse-arm setting of the row
    std::optional<float> notch;   // (setting - mid gear) / "Rev Arm to Cent Max"; absent if Max = 0
    std::optional<float> travel;  // largest minus smallest valve displacement
    EndEvents front, rear;
    bool geometryError = false;  // the solver clamped something during this row's turn
};

// Every value is absent rather than not finite, so no text form ever shows inf or nan.

// Per cent of the stroke from the front / rear dead centre for a piston position 0..640.
float FrontStrokePercent(float piston);
float RearStrokePercent(float piston);

// The exact events of one turn from driver angle 0 in the given direction (FindEvents, with a
// coarse step of at most coarseStep degrees). The gear is only read, so rows can be computed on
// any thread.
EventRow ComputeEventRow(const Gear& g, float revArm, SweepDirection dir,
                         float coarseStep = kEventCoarseStep);

// Settings mid gear + i * Max / (rows - 1), i = 0..rows-1 (forward), mirrored for reverse.
// One row is mid gear alone; Max = 0 puts every row at mid gear.
std::vector<float> DefaultEventSettings(const Gear& g, SweepDirection dir,
                                        int rows = kDefaultEventRows);

// A row for every setting, in order.
std::vector<EventRow> ComputeEventTable(const Gear& g, std::span<const float> settings,
                                        SweepDirection dir, float coarseStep = kEventCoarseStep);
// The default forward rows followed by the default reverse rows.
std::vector<EventRow> ComputeDefaultEventTable(const Gear& g, int rows = kDefaultEventRows);

const char* SweepDirectionText(SweepDirection d);  // "fwd" / "rev"

// --- The columns of the table: defined here once, read by every text form, the window and the
// report.

// What a column holds, and so how it is shown.
enum class EventColumnKind {
    Direction,  // "fwd" / "rev"
    Length,     // shown with 4 decimals
    Notch,      // shown with 3 decimals
    Percent,    // per cent of the stroke, shown with 2 decimals
    // The solver had to clamp during the row's turn: true/false in JSON, 1/0 in CSV, "error"
    // or "ok" where it is shown.
    GeometryError,
};

// The cylinder end a column belongs to; the row's own columns belong to none.
enum class EventEnd { None, Front, Rear };
const char* EventEndName(EventEnd end);  // "front", "rear"; "" for none

struct EventColumn {
    const char* key;      // CSV header, e.g. "front_admission"
    const char* jsonKey;  // JSON key, inside the end's object for an end's column: "admission"
    const char* heading;  // heading in the aligned text table, e.g. "adm %"
    const char* label;    // heading in the window, e.g. "Adm. %"
    const char* tip;      // what the column means, for the window
    EventColumnKind kind;
    EventEnd end;
    std::optional<float> (*value)(const EventRow&);  // the number; nullptr for the words
};

// Every column in its order: direction, revarm, notch, travel, then the front and the rear
// end's admission, cutoff, release, compression, lead, max_steam, max_exhaust, then
// geometry_error.
std::span<const EventColumn> EventColumns();
// The CSV header names, in column order.
std::vector<std::string> EventColumnNames();
// The shown text of one cell: per cent with 2 decimals, lengths with 4, the notch with 3, the
// direction and the geometry flag as words, an absent value as an em dash.
std::string EventCellText(const EventColumn& column, const EventRow& row);

// Header plus one line per row; numbers as the shortest text of their float, absent cells
// empty.
std::string EventTableDelimited(std::span<const EventRow> rows, char separator);
// One JSON object, no line end; absent values are null; each end's values in an object of
// its own ("front", "rear"). With `figures` false every value but the direction is null: the
// shape of a row that could not be placed.
std::string EventRowJson(const EventRow& row, bool figures = true);
// Aligned text for reading; absent values are shown as an em dash.
std::string EventTableText(std::span<const EventRow> rows);

// Shown text of one value: lengths with 4 decimals, per cent with 2, absent as an em dash.
inline constexpr const char* kAbsentText = "\u2014";
std::string EventPercentText(const std::optional<float>& v);
std::string EventLengthText(const std::optional<float>& v);

}  // namespace mv
