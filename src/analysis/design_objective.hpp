// What the design assistant tunes and how a candidate gear is scored: the dimensions to vary with
// their limits, the goals with weights, the notches, and the objective over the notch rows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/notch_rows.hpp"
#include "model/model.hpp"

namespace mv {

enum class GoalKind {
    CutoffBalance,       // "cutoff-balance": front minus rear cut-off, per cent of stroke
    LeadBalance,         // "lead-balance": front minus rear lead, per cent of stroke
    ReleaseBalance,      // "release-balance"
    CompressionBalance,  // "compression-balance"
    Lead,                // "lead=L": both leads near L (length unit)
    FullGearCutoff,      // "full-gear-cutoff=P": mean cut-off at the largest notch near P %
};
inline constexpr int kGoalKinds = 6;

struct DesignGoal {
    GoalKind kind = GoalKind::CutoffBalance;
    double target = 0;  // L of "lead", P of "full-gear-cutoff"; unused by the balances
    double weight = 1;
};

const char* GoalName(GoalKind kind);  // "cutoff-balance", ..., "lead", "full-gear-cutoff"
bool GoalHasTarget(GoalKind kind);
// "NAME[=TARGET][@WEIGHT]". On failure returns nothing and says why in `error`.
std::optional<DesignGoal> ParseGoal(std::string_view text, std::string& error);

struct VaryDimension {
    DimensionId id = 0;
    float lower = 0;
    float upper = 0;
};

// The dimensions a typed change commits with an undo entry (1..24, 101..122); only these can be
// varied, so that applying a result can always be taken back.
bool IsVariableDimension(DimensionId id);
// The dimensions offered first. One function, so that a ranking can replace the fixed list.
std::vector<DimensionId> DesignPresetDimensions();
// Limits of +-10 % of the current value, or +-0.1 for a value of 0.
VaryDimension DefaultLimits(const Gear& g, DimensionId id);

inline constexpr int kMaxVariedDimensions = kUndoDepth;  // each applied change takes an undo entry
inline constexpr int kMaxNotches = 100;
inline constexpr int kDefaultMaxEvaluations = 400;
inline constexpr int kMaxEvaluationsLimit = 100000;
inline constexpr double kMaxGoalWeight = 1e6;

struct DesignProblem {
    std::vector<VaryDimension> vary;
    std::vector<DesignGoal> goals;  // empty: cutoff-balance alone
    std::vector<float> notches = {0.25f, 0.5f, 0.75f, 1.0f};
    Directions directions = Directions::Both;
    int maxEvaluations = kDefaultMaxEvaluations;
    std::uint64_t seed = 1;
};

// The goals the objective uses: the problem's, or cutoff-balance when none is given.
std::vector<DesignGoal> EffectiveGoals(const DesignProblem& p);

// Empty when the problem can be searched on this gear, otherwise one line saying what is wrong
// (an id that cannot be varied or is given twice, limits that are not finite, reversed or leave
// out the current value, a goal twice or with a bad target or weight, bad notches).
std::string ValidateProblem(const Gear& g, const DesignProblem& p);

struct DesignEvaluation {
    bool feasible = false;
    bool geometryError = false;      // the solver clamped something in one of the sweeps
    std::string problem;             // why the candidate is not feasible; empty when it is
    double objective = 0;            // weighted sum of the goal values; NaN if one is missing
    std::vector<double> goalValues;  // per effective goal, unweighted; NaN if not measured
    std::vector<NotchRow> rows;
};

// Scores a gear whose dimensions are already set (mid gear computed). With `reference` (the
// start's rows) a row that lost an event the reference row had makes the candidate infeasible.
// The rows of every evaluation come from one NotchRows call.
DesignEvaluation EvaluateDesign(const Gear& g, const DesignProblem& p,
                                const std::vector<NotchRow>* reference);

// The shortest text that reads back as the same float ("7.56", not "7.5599999"), so that a
// limit shown and typed back is the very same number.
std::string FloatText(float v);

// Text of a row for messages: "notch 0.25 fwd".
std::string RowText(const NotchRow& r);

}  // namespace mv
