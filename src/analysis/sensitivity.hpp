// Sensitivity of the valve events to each dimension: which dimensions must be made accurately.
//
// For every dimension asked for, the gear is copied twice with the dimension stored at value - h
// and value + h (with its side effects and mid gear recomputed, as committing a typed value
// does), and the event rows at the notches are taken on both copies: d(event)/d(dimension) =
// (event(+) - event(-)) / (stored(+) - stored(-)). Nothing else is swept, so a study of n
// dimensions costs exactly 2 x n x notches x directions event rows.
//
// Step: h = 0.001 x max(|value|, 0.1 x stroke) for a length; for the offset angle (id 25),
// h = 0.001 x max(|value|, 1) degrees.
//
// A derivative is absent when either copy has a geometry error in that row or lacks the event,
// or when it is beyond the range of a float (a step lost in rounding).
// Ids 26 and 27 are handled like every other: 26 ("Rev Arm to Cent Norm") only sets the normal
// running positions and so has derivative 0; 27 ("Rev Arm to Cent Max") scales the notch
// settings, so its derivative is the effect of a reverse-arm travel that is off (a quadrant
// whose end is misplaced).
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/study.hpp"
#include "model/model.hpp"

namespace mv {

struct EndDerivatives {
    // Indexed by StudyEvent: per cent of stroke per unit (lead: unit per unit).
    std::array<std::optional<double>, kStudyEvents> d{};
};

struct DerivativeCell {
    SweepDirection direction = SweepDirection::Forward;
    float notch = 0;
    EndDerivatives front, rear;
    // Rows at cut-offs: the cut-off, and where the gear studied places it (its notch above and
    // its setting here; each changed copy finds its own). Absent for rows at notches.
    std::optional<float> cutoff;
    std::optional<float> revArm;
};

struct DimensionSensitivity {
    DimensionId id = 0;
    float value = 0;  // the dimension's value in the gear studied
    float step = 0;   // half the stored difference between the two copies
    // One cell per notch and direction: the forward notches first, then the reverse ones, each
    // in the order asked (the order of NotchRows).
    std::vector<DerivativeCell> cells;
    // Effect on the front/rear cut-off imbalance: the largest |d(front cut-off - rear cut-off)|
    // over the cells, in per cent of stroke per unit; absent when no cell has both cut-offs.
    std::optional<double> score;
};

struct RankEntry {
    DimensionId id = 0;
    std::optional<double> score;
};

struct SensitivityResult {
    std::vector<float> notches;
    std::vector<float> cutoffs;  // the rows were taken at these mean cut-offs instead
    Directions directions = Directions::Both;
    std::vector<DimensionSensitivity> rows;  // in the order of the ids asked
    // Every dimension of `rows` by score, largest first; equal scores keep the asked order and
    // absent scores come last.
    std::vector<RankEntry> ranking;
    std::size_t eventRows = 0;  // event rows computed
    bool cancelled = false;     // the rows are incomplete and must not be used
    std::string error;          // why the study could not finish; the rows must not be used
};

// All 49 dimension ids: 1..27, then 101..122.
std::vector<DimensionId> AllDimensionIds();

// The central-difference step for a dimension of this gear (see above); 0 if none can be taken.
float SensitivityStep(const Gear& g, DimensionId id);

// The study. Unknown ids are skipped. Runs in parallel; the work unit of `control` is one
// changed copy of the gear (its event rows at every notch and direction). Nothing is thrown: a
// failure on any thread (out of memory, a throwing progress callback) ends the study with
// `error` set.
SensitivityResult ComputeSensitivity(const Gear& g, std::span<const DimensionId> ids,
                                     std::span<const float> notches, Directions dirs,
                                     const StudyControl& control = {});
// The same at rows of any kind: at cut-offs, each changed copy places its rows anew, so the
// derivatives are those at a fixed mean cut-off (that of the mean itself is then about 0).
SensitivityResult ComputeSensitivity(const Gear& g, std::span<const DimensionId> ids,
                                     const RowChoice& rows, const StudyControl& control = {});

// The n dimensions with the largest effect on the front/rear cut-off imbalance, largest first,
// for presetting the dimensions a design search varies (by default at the default notches in
// both directions). Dimensions without effect and ids 26 and 27 (which only place the notches)
// are left out, so fewer than n may come back; none when the study failed.
std::vector<DimensionId> TopCutoffImbalanceIds(
    const Gear& g, std::size_t n, std::span<const float> notches = kDefaultStudyNotches,
    Directions dirs = Directions::Both);
std::vector<DimensionId> TopCutoffImbalanceIds(const Gear& g, std::size_t n, const RowChoice& rows);

// Text forms. JSON: {"notches":[...],"rows":[{"id","name","value","step","d":{"fwd":{"0.5":
// {"front":{"admission",...,"lead"},"rear":{...}}}}}],"ranking":[{"id","name","score"}]};
// absent values are null. CSV: one line per dimension, direction and notch. Table: the ranking,
// then the derivatives.
std::string SensitivityJson(const SensitivityResult& r);
std::string SensitivityCsv(const SensitivityResult& r);
std::string SensitivityTable(const SensitivityResult& r);

}  // namespace mv
