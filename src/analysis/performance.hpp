// Steam in the cylinder: the ideal indicator card of each cylinder end, in closed form from the
// valve events the event table finds, with the work, mean effective pressure and tractive effort
// that follow. No sweep of its own: a row with its cards costs what its events cost.
//
// The card: admission at the steam-chest pressure P, expansion with p V constant from cut-off to
// release, exhaust at the back pressure B, compression with p V constant from compression to
// admission. Pressures are absolute and in the user's unit, volumes in the gear's length unit
// cubed; docs/steam.md gives the model, its assumptions and a worked case.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/event_table.hpp"
#include "model/model.hpp"

namespace mv {

// What the card needs besides the gear.
struct SteamConditions {
    float pressure = 100;     // steam-chest pressure, absolute
    float backPressure = 15;  // exhaust back pressure, absolute
    float clearance = 8;      // clearance volume, per cent of the swept volume
    float rodDia = 0;         // piston rod, through the rear cover only
    int cylinders = 2;
};

// Why the conditions cannot give a card, or nullptr: values not finite, the back pressure not
// above 0, the pressure not above the back pressure, a clearance outside (0, 100], a negative
// rod, fewer than one cylinder. The rod's width against the bore is the gear's business: that
// end then has no card.
const char* SteamConditionsProblem(const SteamConditions& s);

// One end of the cylinder: piston area and stroke.
struct EndCylinder {
    long double area = 0;
    long double stroke = 0;
};
// Front end: the whole bore; rear end: the bore less the rod.
EndCylinder FrontCylinder(const Gear& g);
EndCylinder RearCylinder(const Gear& g, float rodDia);

// The figures of one end's card. Absent figures come with a short reason; no figure is ever
// inf or nan.
struct EndPerformance {
    std::optional<float> work;  // per cycle of the end
    std::optional<float> mep;   // work / swept volume
    const char* reason = nullptr;
};

// The card of one end from its events (per cent of the stroke from that end's dead centre). A
// positive lead means the port is open at the dead centre, so admission began on the return
// stroke; without a lead, an admission later in the stroke than the cut-off says the same.
EndPerformance EndCard(const EndEvents& e, const EndCylinder& c, const SteamConditions& s);

// A point of a card: volume (clearance included) and absolute pressure.
using CardPoint = std::array<float, 2>;
// The closed card from admission round to admission: the admission line, `n` points along the
// expansion (n >= 2, both ends included), release, the exhaust line out to the far dead centre
// and back, `n` points along the compression (and the dead centre where the compression passes
// it), back to admission. Empty when the end has no card.
std::vector<CardPoint> CardPolygon(const EndEvents& e, const EndCylinder& c,
                                   const SteamConditions& s, int n);

struct PerformanceRow {
    SweepDirection direction = SweepDirection::Forward;
    std::optional<float> notch;
    float revArm = 0;
    EndPerformance front, rear;
    std::optional<float> workPerTurn;     // cylinders x (front + rear work)
    std::optional<float> tractiveEffort;  // work per turn / (pi x driver diameter)
    std::optional<float> workImbalance;   // per cent of the mean of the two ends' work
    const char* reason = nullptr;         // why a total is absent
    bool geometryError = false;
    // Filled only when asked for (PerformanceRows with cardPoints > 0).
    std::vector<CardPoint> frontCard, rearCard;
    // Rows at a mean cut-off: the cut-off asked for, and why the gear cannot place it (the row
    // then has no figures; its setting is null in JSON).
    std::optional<float> cutoff;
    std::string unreachable;
};

// The figures of one row of events; allocates nothing, so a design goal may call it per row.
PerformanceRow RowPerformance(const Gear& g, const EventRow& row, const SteamConditions& s);
// Every row, with the cards' points when cardPoints >= 2.
std::vector<PerformanceRow> PerformanceRows(const Gear& g, std::span<const EventRow> rows,
                                            const SteamConditions& s, int cardPoints = 0);

// The event rows of the diagrams' reverse-arm positions 1..count, forward at or beyond mid gear
// and reverse behind it: what the indicator cards and their window's table are made from.
std::vector<EventRow> PositionEventRows(const Gear& g);

// The row's work imbalance in per cent (front minus rear over their mean): the cheap figure
// for balancing a gear.
std::optional<float> WorkImbalance(const Gear& g, const EventRow& row, const SteamConditions& s);

// --- Text forms. The columns are defined once here; the CLI, the window and the report read
// them.

enum class PerformanceColumnKind {
    Direction,
    Notch,
    Length,
    Figure,
    Percent,
    GeometryError,
    Reason
};

struct PerformanceColumn {
    const char* key;    // CSV header and table heading, e.g. "front_mep"
    const char* label;  // heading in the window
    const char* tip;    // what it means
    PerformanceColumnKind kind;
    std::optional<float> (*value)(const PerformanceRow&);  // nullptr for the words
};
std::span<const PerformanceColumn> PerformanceColumns();

// The reasons of a row in one short text ("front: no cut-off; ..."), empty when it has none.
std::string PerformanceReasonText(const PerformanceRow& r);
// The shown text of one cell: figures with 2 decimals, the notch with 3, the reverse-arm
// setting with 4, words for the rest, an absent value as an em dash.
std::string PerformanceCellText(const PerformanceColumn& c, const PerformanceRow& r);
// Header plus one line per row; numbers as the shortest text of their float, absent cells empty.
std::string PerformanceDelimited(std::span<const PerformanceRow> rows, char separator);
// Aligned text for reading.
std::string PerformanceTableText(std::span<const PerformanceRow> rows);
// One JSON object with the conditions and the rows; "card" in each end when withCards.
std::string PerformanceJson(const SteamConditions& s, std::span<const PerformanceRow> rows,
                            bool withCards);

}  // namespace mv
