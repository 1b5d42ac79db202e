// The design assistant's search: varies the chosen dimensions of a copy of the gear within their
// bounds to minimise the objective of design_objective.hpp while every limit holds. The limits,
// geometry errors, lost events and unplaceable rows are constraints of a derivative-free
// constrained method (NLopt's augmented Lagrangian around BOBYQA), each measured by how far a
// candidate is outside it; the search starts from the gear and then from a few seeded restarts
// around the best. The gear passed in is never changed.
#pragma once

#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/design_objective.hpp"
#include "analysis/notch_rows.hpp"
#include "model/model.hpp"

namespace mv {

struct DesignProgress {
    int evaluations = 0;
    // Of the best gear so far that keeps every limit (the start's when none does yet).
    double bestObjective = 0;
};

// A limit the reported gear does not keep, and by how much: in the length unit for min-lead,
// travel, geometry (how far a rod misses its pin) and events (how far the valve stops short of
// the edge), in points of cut-off for full-gear-drop and reach.
struct LimitShortfall {
    LimitKind kind = LimitKind::MinLead;
    double by = 0;
};

struct DesignResult {
    DesignEvaluation start;
    // The best candidate that keeps every limit; the start itself when none was found.
    DesignEvaluation best;
    std::vector<float> before;  // per varied dimension, in the problem's order
    std::vector<float> after;   // values of the best gear
    int evaluations = 0;        // distinct gears evaluated, the start's included
    // A gear better than the start was found: one that keeps every limit and scores below the
    // start, or keeps the limits the start breaks.
    bool improved = false;
    bool stopped = false;   // the stop token ended the search early
    bool searched = false;  // false when the start cannot be judged (geometry error, a goal that
                            // cannot be measured): nothing was tried
    DesignLimits limits;    // the limits in force, defaults resolved
    // When no candidate keeps every limit: the limits that the closest candidate broke.
    std::vector<LimitShortfall> limitsNotMet;
    std::optional<DesignEvaluation> closest;  // that candidate
    std::vector<float> closestValues;         // and its dimensions
    // Why the search could not go on (the optimisation library gave up or ran out of memory);
    // empty when it ended normally. The best gear so far is kept.
    std::string failure;
};

// Runs the search. `problem` must pass ValidateProblem for `g`. The progress callback runs on the
// calling thread after every evaluation; a stop request ends the search at the next evaluation
// and keeps the best gear so far. The same gear, problem and seed give the same result. Nothing
// escapes: a failure of the library ends the search and is described in `failure`.
DesignResult RunDesignSearch(const Gear& g, const DesignProblem& problem, std::stop_token stop = {},
                             const std::function<void(const DesignProgress&)>& progress = {});

// The varied dimensions whose value the result changes, in the problem's order.
std::vector<DimensionValue> ChangedDimensions(const DesignProblem& problem,
                                              const DesignResult& result);

// The largest |front - rear| cut-off over a set of rows, in per cent of the stroke; absent when
// a row lacks a cut-off at either end. Rows that could not be placed are skipped.
std::optional<float> LargestCutoffDifference(const std::vector<NotchRow>& rows);

// How far an evaluated gear is outside a limit, in the limit's own unit (see LimitShortfall).
double ExcessInUnit(const DesignEvaluation& e, LimitKind kind);

}  // namespace mv
