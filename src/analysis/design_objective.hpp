// What the design assistant tunes and how a candidate gear is judged: the dimensions to vary with
// their bounds, the goals with weights, the rows (at chosen cut-offs or at notches), the limits
// every candidate must keep, and the objective and limit values over the rows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/cutoff_rows.hpp"
#include "analysis/notch_rows.hpp"
#include "analysis/performance.hpp"
#include "model/model.hpp"

namespace mv {

enum class GoalKind {
    CutoffBalance,       // "cutoff-balance": front minus rear cut-off, per cent of stroke
    LeadBalance,         // "lead-balance": front minus rear lead, per cent of stroke
    ReleaseBalance,      // "release-balance"
    CompressionBalance,  // "compression-balance"
    Lead,                // "lead=L": both leads near L (length unit)
    FullGearCutoff,      // "full-gear-cutoff=P": mean cut-off at full gear near P %
    Travel,              // "travel=T": full-gear valve travel near T (length unit)
    WorkBalance,         // "work-balance": front/rear work imbalance of the indicator cards, %
};
inline constexpr int kGoalKinds = 8;

struct DesignGoal {
    GoalKind kind = GoalKind::CutoffBalance;
    double target = 0;  // L of "lead", P of "full-gear-cutoff", T of "travel"
    double weight = 1;
};

const char* GoalName(GoalKind kind);  // "cutoff-balance", ..., "travel", "work-balance"
bool GoalHasTarget(GoalKind kind);
// "NAME[=TARGET][@WEIGHT]". On failure returns nothing and says why in `error`.
std::optional<DesignGoal> ParseGoal(std::string_view text, std::string& error);

struct VaryDimension {
    DimensionId id = 0;
    float lower = 0;
    float upper = 0;
};

// The dimensions a typed change commits with an undo entry (1..24, 101..122): a search whose
// result is applied to the user's gear varies only these, so that each change can be taken
// back. Without that need (`undoable` false) the offset angle (25) may vary too.
bool IsVariableDimension(DimensionId id, bool undoable = true);
// The dimensions offered first. One function, so that a ranking can replace the fixed list.
std::vector<DimensionId> DesignPresetDimensions();
// Limits of +-10 % of the current value, or +-0.1 for a value of 0.
VaryDimension DefaultLimits(const Gear& g, DimensionId id);

inline constexpr int kMaxVariedDimensions = kUndoDepth;  // each applied change takes an undo entry
inline constexpr int kDefaultMaxEvaluations = 400;
inline constexpr int kMaxEvaluationsLimit = 100000;
inline constexpr double kMaxGoalWeight = 1e6;
inline constexpr double kDefaultReverseWeight = 0.25;
inline constexpr double kDefaultFullGearDrop = 2;

// The limits a candidate must keep, each checked on every row (or, for the full-gear ones, on
// notch 1 in each direction searched). They are constraints of the search, not goals.
enum class LimitKind {
    MinLead,       // "min-lead": every row's lead at both ends >= L
    FullGearDrop,  // "full-gear-drop": full-gear mean cut-off at most D points below the start's
    Travel,        // "travel": full-gear valve travel within LO..HI
    Geometry,      // "geometry": no construction clamped in any sweep
    Events,        // "events": every event of the start's rows still happens
    Reach,         // "reach": every row's cut-off can be placed
};
inline constexpr int kLimitKinds = 6;
const char* LimitName(LimitKind kind);

struct DesignLimits {
    // L in the length unit. Absent: 0, or the start's smallest lead where that is lower, so
    // that the start always keeps its own defaults.
    std::optional<double> minLead;
    double fullGearDrop = kDefaultFullGearDrop;       // D, points of cut-off
    std::optional<std::pair<double, double>> travel;  // LO..HI in the length unit; absent: none
};

// A row of the problem left out of the search: a default cut-off the start gear cannot reach.
struct RowKey {
    SweepDirection direction = SweepDirection::Forward;
    float value = 0;
};

// The problem a search solves. A caller with its own gear (a new design, say) fills it from code:
// rows at cut-offs or notches, goals, limits, and `undoable` false to free the offset angle.
struct DesignProblem {
    std::vector<VaryDimension> vary;
    std::vector<DesignGoal> goals;  // empty: cutoff-balance alone
    RowChoice rows{
        RowBasis::Cutoffs, {kDefaultCutoffs.begin(), kDefaultCutoffs.end()}, Directions::Both};
    std::vector<RowKey> leftOut;  // rows of `rows` not used (see LeaveOutUnreachableRows)
    // Each goal is a mean over the rows in which reverse rows count this much, forward rows 1:
    // designers favour forward gear.
    double reverseWeight = kDefaultReverseWeight;
    DesignLimits limits;
    // The steam of the ideal indicator cards; used only by the work-balance goal.
    SteamConditions steam;
    // True when the result is to be applied to a gear with an undo history: only the
    // dimensions a typed change can take back may vary, at most kMaxVariedDimensions of them.
    bool undoable = true;
    // The lead goal measured at full gear (notch 1 in each direction searched) rather than over
    // the rows: a new design names its full-gear lead.
    bool leadAtFullGear = false;
    // At most this share of the evaluations left for one subproblem of the search (0: no cap).
    // The limits tighten only between subproblems; a caller whose goals outweigh a limit's
    // penalty many times over caps them, or the first one can spend the whole budget outside
    // the limits.
    double subproblemShare = 0;
    int maxEvaluations = kDefaultMaxEvaluations;
    std::uint64_t seed = 1;
};

// The goals the objective uses: the problem's, or cutoff-balance when none is given.
std::vector<DesignGoal> EffectiveGoals(const DesignProblem& p);

// Empty when the problem can be searched on this gear, otherwise one line saying what is wrong
// (an id that cannot be varied or is given twice, bounds that are not finite, reversed or leave
// out the current value, a goal twice or with a target no gear can mean, bad rows or limits).
std::string ValidateProblem(const Gear& g, const DesignProblem& p);

// Leaves out of the problem the rows at cut-offs the gear cannot place (for the default
// cut-offs, which a gear need not all reach) and returns them, each with its reason. A direction
// in which the gear places none keeps them all.
std::vector<NotchRow> LeaveOutUnreachableRows(const Gear& g, DesignProblem& p);

// The values the limits are checked against.
struct LimitValues {
    std::optional<double> minLead;  // smallest lead over the rows, both ends
    std::optional<double> drop;     // largest fall of the full-gear mean cut-off, points
    std::optional<double> travelLow, travelHigh;  // full-gear valve travel over the directions
};

struct DesignEvaluation {
    bool feasible = false;           // every limit kept and every goal measured
    bool geometryError = false;      // the solver clamped something in one of the sweeps
    std::string problem;             // why the candidate is not feasible; empty when it is
    double objective = 0;            // weighted sum of the goal values; NaN if one is missing
    std::vector<double> goalValues;  // per effective goal, unweighted; NaN if not measured
    std::vector<NotchRow> rows;      // the problem's rows, without those left out
    std::vector<NotchRow> fullGear;  // notch 1 in each direction searched
    LimitValues values;
    // How far outside each limit the candidate is, in points: per cent of the stroke for a
    // length, points of cut-off for the full-gear drop and the reach; > 0 outside, <= 0 within.
    // Geometry errors and lost events are measured too (how far a rod falls short of reaching
    // its pin, how far the valve stops short of an edge), so a search sees the way back.
    std::array<double, kLimitKinds> excess{};
    // The objective over the goals that could be measured, for the search to follow while the
    // candidate is infeasible; finite.
    double searchObjective = 0;
    double stroke = 0;  // of the gear judged: the unit of the lengths above
};

// The limits in force for a start: the problem's, with the default minimum lead resolved.
DesignLimits EffectiveLimits(const DesignProblem& p, const DesignEvaluation& start);

// Judges a gear whose dimensions are already set (mid gear computed). With `start` (the start's
// evaluation), a row that lost an event the start's row had breaks the "events" limit, and the
// full-gear drop and the limits of `limits` are checked; without it only the rows are taken.
DesignEvaluation EvaluateDesign(const Gear& g, const DesignProblem& p,
                                const DesignEvaluation* start,
                                const DesignLimits* limits = nullptr);

// The shortest text that reads back as the same float ("7.56", not "7.5599999"), so that a
// limit shown and typed back is the very same number.
std::string FloatText(float v);

}  // namespace mv
