// The design assistant's search: varies the chosen dimensions of a copy of the gear within their
// limits to minimise the objective of design_objective.hpp, with a bounded derivative-free local
// method from the start and a few seeded restarts. The gear passed in is never changed.
#pragma once

#include <functional>
#include <stop_token>
#include <vector>

#include "analysis/design_objective.hpp"
#include "analysis/notch_rows.hpp"
#include "model/model.hpp"

namespace mv {

struct DesignProgress {
    int evaluations = 0;
    double bestObjective = 0;  // of the best feasible gear so far (the start's at first)
};

struct DesignResult {
    DesignEvaluation start;
    DesignEvaluation best;      // the start itself when nothing better was found
    std::vector<float> before;  // per varied dimension, in the problem's order
    std::vector<float> after;   // values of the best gear
    int evaluations = 0;        // objective evaluations, the start's included
    bool improved = false;      // best is feasible and scores below the start
    bool stopped = false;       // the stop token ended the search early
    bool searched = false;      // false when the start was infeasible: nothing was tried
};

// Runs the search. `problem` must pass ValidateProblem for `g`. The progress callback runs on the
// calling thread after every evaluation; a stop request ends the search at the next evaluation
// and keeps the best gear so far. The same gear, problem and seed give the same result.
DesignResult RunDesignSearch(const Gear& g, const DesignProblem& problem, std::stop_token stop = {},
                             const std::function<void(const DesignProgress&)>& progress = {});

// The varied dimensions whose value the result changes, in the problem's order.
std::vector<DimensionValue> ChangedDimensions(const DesignProblem& problem,
                                              const DesignResult& result);

// The largest |front - rear| cut-off over a set of rows, in per cent of the stroke; absent when
// a row lacks a cut-off at either end.
std::optional<float> LargestCutoffDifference(const std::vector<NotchRow>& rows);

}  // namespace mv
