// Exact valve events of one driver turn.
//
// All four port openings are straight functions of the valve displacement, so the finder works
// on the displacement alone: a coarse sweep finds where it turns (its maxima and minima, refined
// with Brent's method), between two turning points it is monotone and each opening crosses zero
// at most once, and every crossing is bracketed by the coarse samples and refined to 1e-6 degree
// with a bracketing root finder (TOMS 748). The piston position is then taken at the root.
//
// The coarse step relies on the displacement turning twice a turn, far apart. Each row checks
// it: where the coarse differences change sign more than twice, or a turning point's refinement
// ends at the edge of its bracket (the turn lies beyond it), the turn is swept again at
// kEventFineStep, so that turning points down to that spacing, and the crossings between them,
// are all seen. A row whose linkage had to be clamped (flagged as a geometry error) is not.
#pragma once

#include <array>
#include <functional>
#include <optional>

#include "analysis/event_table.hpp"
#include "model/model.hpp"

namespace mv {

// Step of the sweep that replaces the coarse one where the displacement turns more than twice.
inline constexpr float kEventFineStep = 0.25f;
// Most evaluations one refinement (a turning point, a crossing) may take.
inline constexpr int kEventRefineSteps = 100;

// Rounds a requested coarse step to the samples of one turn: a multiple of four, so that both
// dead centres and both quarter points are samples; nonsense and steps above the default give
// the default.
int CoarseSamplesPerTurn(float coarseStep);

// What the rows found took, for the benchmarks and the checks: solves of the sweeps and of the
// refinements, rows swept again at the fine step, refinements that ran out of steps.
struct EventFinderCost {
    int coarse = 0;
    int refine = 0;
    int fineSweeps = 0;
    int unconverged = 0;
};

// One port opening as a straight function of the valve displacement s: offset + sign * s.
struct OpeningLine {
    long double offset = 0;
    long double sign = 1;
    long double At(long double s) const { return offset + sign * s; }
};

// Crossings of a periodic displacement's openings over one turn, u in (0, 360] along the turn.
struct TurnCrossings {
    // Latest crossing of each opening in the turn: [k] opening k crosses up (opens), [4 + k]
    // crosses down (closes); absent if it does not happen.
    std::array<std::optional<long double>, 8> latest{};
    long double sMin = 0, sMax = 0;  // extremes of the displacement
    bool fineSweep = false;  // the coarse sweep could not be trusted: swept at kEventFineStep
    // Refinements that ran out of their steps: the value kept is the middle of the last bracket
    // (a crossing) or the best point seen (a turning point), never outside the bracket.
    int unconverged = 0;
};

// The finder on any displacement s(u) of period 360: `coarse` is called at the n samples of the
// sweep (u = 360 k / n, and at the fine step where the turn is swept again), `fine` for
// refinements at any u, each refinement at most maxSteps times. A crossing is a strict change of
// sign; an opening that only touches zero does not cross. `sweepAgain`, when given, is asked
// before a turn is swept again; false keeps the coarse sweep's crossings.
TurnCrossings FindTurnCrossings(const std::function<long double(long double)>& coarse,
                                const std::function<long double(long double)>& fine,
                                const std::array<OpeningLine, 4>& openings, int n,
                                int maxSteps = kEventRefineSteps,
                                const std::function<bool()>& sweepAgain = {});

// Events of one turn from driver angle 0 in the given direction at one reverse-arm setting.
// Reads the gear only.
EventRow FindEvents(const Gear& g, float revArm, SweepDirection dir,
                    float coarseStep = kEventCoarseStep, EventFinderCost* cost = nullptr);

}  // namespace mv
