// Exact valve events of one driver turn.
//
// All four port openings are straight functions of the valve displacement, so the finder works
// on the displacement alone: a coarse sweep finds where it turns (its maxima and minima, refined
// with Brent's method), between two turning points it is monotone and each opening crosses zero
// at most once, and every crossing is bracketed by the coarse samples and refined to 1e-6 degree
// with a bracketing root finder (TOMS 748). The piston position is then taken at the root.
#pragma once

#include <array>
#include <functional>
#include <optional>

#include "analysis/event_table.hpp"
#include "model/model.hpp"

namespace mv {

// Coarse step of the sweep in degrees. The valve displacement of a working gear turns twice a
// turn; ten degrees sees every turning point with a wide margin (tested against 0.01-degree
// sweeps over random gears).
inline constexpr float kEventCoarseStep = 10.0f;

// Rounds a requested coarse step to the samples of one turn: a multiple of four, so that both
// dead centres and both quarter points are samples; nonsense and steps above the default give
// the default.
int CoarseSamplesPerTurn(float coarseStep);

// Solves performed for one row, for the benchmarks: coarse samples, refinements.
struct EventFinderCost {
    int coarse = 0;
    int refine = 0;
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
};

// The finder on any displacement s(u) of period 360: `coarse` is called at the n coarse
// samples (u = 360 k / n), `fine` for refinements at any u. A crossing is a strict change of
// sign; an opening that only touches zero does not cross.
TurnCrossings FindTurnCrossings(const std::function<long double(long double)>& coarse,
                                const std::function<long double(long double)>& fine,
                                const std::array<OpeningLine, 4>& openings, int n);

// Events of one turn from driver angle 0 in the given direction at one reverse-arm setting.
// Reads the gear only.
EventRow FindEvents(const Gear& g, float revArm, SweepDirection dir,
                    float coarseStep = kEventCoarseStep, EventFinderCost* cost = nullptr);

}  // namespace mv
