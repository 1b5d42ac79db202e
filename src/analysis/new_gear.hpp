// A new gear from a locomotive's basic data (stroke, wheel, main rod, cylinder, valve): the
// built-in gear scaled to the stroke, the cylinder placed with the frame pivots that hang
// between it and the driver, the valve cut to the laps, then the linkage tuned toward the
// travel, the lead and balanced cut-offs. docs/new-gear.md gives the reasons for each step.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/notch_rows.hpp"
#include "model/model.hpp"

namespace mv {

// What the designer starts from, in their length unit. Absent values take their defaults:
// the cylinder at the built-in gear's place scaled and moved by the main rod's difference, at
// height 0; bore, port, bridge and exhaust-port widths scaled from the built-in gear; exhaust
// lap 0; no full-gear cut-off target.
struct BasicData {
    double stroke = 0;
    double driverDia = 0;
    double mainRod = 0;
    std::optional<double> cylinderCentre;
    std::optional<double> cylinderHeight;
    std::optional<double> bore;
    double travel = 0;  // full-gear valve travel
    double lap = 0;     // steam lap, both ends
    std::optional<double> exhaustLap;
    double lead = 0;  // full-gear lead, both ends, forward
    std::optional<double> portWidth;
    std::optional<double> bridgeWidth;
    std::optional<double> exhaustPortWidth;
    std::optional<double> fullGearCutoff;  // per cent of the stroke
    int maxEvaluations = 0;                // 0: kDefaultNewGearEvaluations
    std::uint64_t seed = 1;
};

inline constexpr int kDefaultNewGearEvaluations = 1000;
// The cut-offs, in per cent of the stroke forward, at which the front and rear are balanced.
inline constexpr std::array<float, 4> kBalancedCutoffs = {15, 25, 40, 60};
// The working cut-off whose balance is a target with a verdict; the others are reported.
inline constexpr float kWorkingCutoff = 25;
// When a target counts as met: the full-gear travel within 3 % of its target, the full-gear
// leads within 20 % of theirs (a thousandth of the stroke for a lead of 0), the front-rear
// difference at the working cut-off and the full-gear cut-off within 2 points of the stroke,
// the laps within 1e-5 of the stroke.
inline constexpr double kNewGearTravelShare = 0.03;
inline constexpr double kNewGearLeadShare = 0.2;
inline constexpr double kNewGearCutoffPoints = 2;
inline constexpr double kNewGearLapShare = 1e-5;

// The built-in gear's own basic data, every optional value filled in: the defaults a form shows.
BasicData BuiltInBasicData();

// Empty when the data can make a gear, otherwise one line saying what is wrong: a value that is
// not finite, a size that is not above 0, a main rod not longer than half the stroke (plus the
// cylinder height), a lap not below half the travel, an exhaust lap the valve cannot have, a
// cylinder the valve gear cannot reach.
std::string BasicDataProblem(const BasicData& d);

// --- The steps on their own ------------------------------------------------------------------

// Step 1: the built-in gear scaled by stroke / its stroke.
Gear ScaledBuiltInGear(double stroke);

// Step 2: the main rod set to `mainRod` and the cylinder (centre x, height) moved to (x, h). The
// fixed pivots that hang on the frame between the driver and the cylinder (guide link centre,
// bell crank pivot, reverse arm pivot) move with it. The eccentric rod, from the driver's
// eccentric crank, lengthens by as much as its mean line of action, both parts in proportion so
// that its right end swings as before; the bell crank follows that end's mean place and the
// valve stem keeps the valve's mean position. The piston rod takes up x - mainRod, so the piston
// stays centred in the bore.
Gear WithCylinderAt(const Gear& g, double mainRod, double x, double h);

// Step 3: ports, bridges and exhaust port as given (both ends alike); valve halves and exhaust
// cavity from the lap formulas, so the steam lap is `lap` and the exhaust lap `exhaustLap` at
// both ends.
struct ValveData {
    double lap = 0;
    double exhaustLap = 0;
    double portWidth = 0;
    double bridgeWidth = 0;
    double exhaustPortWidth = 0;
    double travel = 0;  // the valve chamber is made long enough for it
};
Gear WithValve(const Gear& g, const ValveData& v);

// Steps 1 to 3 for valid basic data: the gear the tuning starts from.
Gear NewGearStart(const BasicData& d);

// --- The whole procedure -------------------------------------------------------------------

struct NewGearTarget {
    std::string key;                // JSON key, e.g. "travel"
    std::string label;              // for the table, e.g. "Full-gear travel"
    std::optional<double> target;   // absent when the target is a limit only
    std::optional<double> reached;  // absent when it could not be measured
    double tolerance = 0;           // |reached - target| that still counts as met
    bool percent = false;           // per cent of the stroke rather than a length
    bool met = false;
    std::string reason;  // why it is not met; empty when it is
};

struct NewGearProgress {
    int evaluations = 0;
    int maxEvaluations = 0;
};

struct NewGearResult {
    Gear gear;  // the new gear, mid gear computed, reverse arm at mid gear
    std::vector<NewGearTarget> targets;
    // Front minus rear cut-off, points, at each of kBalancedCutoffs forward; absent where no
    // notch gives that cut-off.
    std::array<std::optional<double>, kBalancedCutoffs.size()> cutoffDifferences{};
    std::vector<DimensionValue> dimensions;  // every dimension of the new gear, in id order
    int evaluations = 0;
    bool geometryError = false;  // at some notch from mid gear to full gear, either direction
    bool stopped = false;        // the stop token ended the tuning early
    // Why the search library gave up (empty when it did not); the gear is then the best before.
    std::string failure;
    bool allMet() const;
};

// Runs the four steps. `d` must pass BasicDataProblem. The progress callback runs on the calling
// thread; a stop request ends the tuning at its next evaluation and keeps the best gear so far.
// The same data and seed give the same gear.
NewGearResult MakeNewGear(const BasicData& d, std::stop_token stop = {},
                          const std::function<void(const NewGearProgress&)>& progress = {});

// The full-gear cut-off in per cent of the stroke that a slide valve driven with simple harmonic
// motion gives for a travel, lap and lead (the classic relation, piston taken as moving with
// the crank's projection); absent when lap + lead is not below half the travel.
std::optional<double> ClassicCutoff(double travel, double lap, double lead);
// The least travel that gives cut-off `percent` with this lap and lead by the classic relation.
std::optional<double> ClassicTravelFor(double percent, double lap, double lead);

// Makes `g` the model's working gear, as a new set not yet saved: its dimensions, mid gear, and
// the settings a dimension file carries as they are at start-up, drawn to the gear's size (the
// view scale divided by its stroke over the built-in stroke); reference points, lines and
// circles, diagram positions, undo and the dynamic variables emptied; the data-set name
// "Untitled".
void InstallNewGear(Model& m, const Gear& g);

// The result as one JSON object (ends in a line end) and as aligned text.
std::string NewGearJson(const NewGearResult& r);
std::string NewGearTable(const NewGearResult& r);

}  // namespace mv
