// Tolerance study: Monte Carlo over a gear whose parts are made to a tolerance or worn.
//
// Each sample is a copy of the gear with every toleranced dimension drawn uniformly from
// value - T .. value + T and, with a pin clearance C, every rod that has a pin at each end drawn
// uniformly from its length - 2C .. length + 2C; mid gear is recomputed and the event rows are
// taken at the notches. The draws of sample k come from a generator seeded with (seed, k) alone,
// so a seed gives the same result on any number of threads, and the first n samples of a larger
// run are the samples of a run of n.
//
// A sample fails in a row when that row has a geometry error or lacks an event that the gear
// itself has there; a failed sample is counted in the row and left out of all its statistics.
//
// The reverse arm: by default each sample is erected anew, mid gear found again for its own
// parts, as a fitter sets up a gear (ToleranceLever::Reset). With ToleranceLever::Fixed every
// sample runs at the reverse-arm settings of the gear itself, so a part error that moves mid
// gear shows in the events.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/study.hpp"
#include "model/model.hpp"

namespace mv {

struct DimensionTolerance {
    DimensionId id = 0;
    float tol = 0;  // half width: value - tol .. value + tol
};

enum class ToleranceLever {
    Reset,  // mid gear recomputed for each sample, the notches taken from it
    Fixed,  // the notch settings of the gear itself, whatever the sample's mid gear
};
const char* ToleranceLeverText(ToleranceLever l);  // "reset" / "fixed"

// The most samples one study takes, in the command and in the window.
inline constexpr int kMaxToleranceSamples = 1'000'000;

struct ToleranceOptions {
    std::vector<DimensionTolerance> tolerances;
    float pinClearance = 0;  // C: rods with a pin at each end vary by +-2C
    int samples = 1000;
    std::uint64_t seed = 1;
    std::vector<float> notches = DefaultStudyNotches();
    // When not empty, rows at these mean cut-offs instead of the notches: each sample places
    // its rows anew, as a driver sets the lever by the cut-off.
    std::vector<float> cutoffs;
    Directions directions = Directions::Both;
    ToleranceLever lever = ToleranceLever::Reset;
    bool keepCutoffs = false;  // keep every sample's cut-offs (for plots)
};

// What is wrong with options a user gave, or "" when the study can run: samples 1 ..
// kMaxToleranceSamples, a seed 0 .. kMaxStudySeed, tolerances of known dimensions, each once,
// finite and not negative, none for id 26 (it moves no event), a pin clearance finite and not
// negative, and something that varies (a tolerance or the clearance above 0).
std::string CheckToleranceOptions(const ToleranceOptions& opt);

struct EventStats {
    int count = 0;  // samples that went into the figures ("n")
    double min = 0, mean = 0, max = 0;
    double std = 0;  // sample standard deviation (0 for a single sample)
};

struct EndStats {
    std::array<std::optional<EventStats>, kStudyEvents> events{};  // by StudyEvent
};

struct ToleranceRow {
    SweepDirection direction = SweepDirection::Forward;
    float notch = 0;              // at a cut-off: where the gear itself places it
    std::optional<float> cutoff;  // rows at cut-offs: the cut-off
    std::string unreachable;      // and why the gear itself cannot place it; no figures then
    int failed = 0;               // samples that failed in this row
    EndStats front, rear;
    EventRow nominal;  // the row of the gear itself, mid gear recomputed as for the samples
    // With keepCutoffs: the cut-offs of the samples that did not fail, in sample order.
    std::vector<float> frontCutoffs, rearCutoffs;
};

struct ToleranceResult {
    int samples = 0;
    int failed = 0;  // samples that failed in at least one row
    std::uint64_t seed = 0;
    ToleranceLever lever = ToleranceLever::Reset;
    std::vector<ToleranceRow> rows;  // the order of NotchRows
    bool cancelled = false;          // the figures are incomplete and must not be used
    std::string error;               // why the study could not finish; nothing may be used
};

// The dimensions a pin clearance acts on, each a rod between two pins: main rod (3), eccentric
// rod left and right end (6, 7: crank pin, radius-hanger pin, yoke pin), radius hanger (8),
// guide link (9: its pivot and the hanger pin), transmission yoke (12), valve connecting rod
// (18), and the auxiliary reach rod (19 with 20: its pin-to-pin length changes, the two legs in
// proportion). Levers (eccentric crank, bell crank, reverse arm) are rigid, not rods.
std::span<const DimensionId> PinClearanceIds();

// The dimension values of sample `index`: the same for the same gear, options and index.
std::vector<DimensionValue> ToleranceSample(const Gear& g, const ToleranceOptions& opt, int index);

// The study. Runs the samples in parallel; the work unit of `control` is one sample. Nothing is
// thrown: a failure on any thread ends the study with `error` set.
ToleranceResult ComputeTolerance(const Gear& g, const ToleranceOptions& opt,
                                 const StudyControl& control = {});

// Text forms. JSON: {"samples","failed","seed","lever","rows":[{"direction","notch","failed",
// "front":{"admission":{"n","min","mean","max","std"},...},"rear":{...}}]}; an event without
// figures is null. CSV: one line per row, the sample counts (`front_admission_n` ...) in the
// last columns. Table: one line per row, end and event.
std::string ToleranceJson(const ToleranceResult& r);
std::string ToleranceCsv(const ToleranceResult& r);
std::string ToleranceTable(const ToleranceResult& r);

}  // namespace mv
