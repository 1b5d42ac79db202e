#include "analysis/event_finder.hpp"

#include <algorithm>
#include <array>
#include <boost/math/tools/minima.hpp>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdint>
#include <exception>
#include <limits>
#include <stdexcept>
#include <vector>

#include "model/solver.hpp"

namespace mv {
namespace {

using LD = long double;

constexpr int kMaxCoarseSamples = 4 * 900'000;
// Root brackets are narrowed to this width in degrees.
constexpr double kRootTolerance = 1e-6;
// Bits of the turning point's angle; its displacement is then exact to far below a float's
// resolution, the error being quadratic in the angle's.
constexpr int kExtremumBits = 16;
// A turning point refined to within this fraction of a step of its bracket's end is taken to
// lie beyond it.
constexpr LD kEdgeFraction = 0.01L;

// A value that fits a float, else absent (narrowing beyond the float range is undefined).
std::optional<float> Finite(LD v) {
    constexpr LD kMax = std::numeric_limits<float>::max();
    if (!(v >= -kMax && v <= kMax)) return std::nullopt;
    return static_cast<float>(v);
}

enum OpeningIndex { kFrontSteam, kFrontExhaust, kRearSteam, kRearExhaust };

// The valve motion of one row: sweep parameter u (degrees along the turn in the running
// direction, any real number, taken modulo 360) to valve displacement.
class ValveMotion {
public:
    ValveMotion(const Gear& g, float revArm, SweepDirection dir, EventFinderCost* cost)
        : g_(g), arm_(SolveArmStage(g, revArm, true)), dir_(dir), cost_(cost) {}

    LD AngleOf(LD u) const {
        LD a = std::fmod(u, 360.0L);
        if (a < 0) a += 360.0L;
        if (dir_ == SweepDirection::Reverse && a != 0.0L) a = 360.0L - a;
        return a;
    }

    // Coarse samples make every moving construction, so their clamps flag the row as the
    // whole linkage would; refinements make only what the valve hangs on.
    // The sweep follows the constructions in extended precision, a smooth function of the
    // angle, so that the root finder converges quickly to a true root.
    LD Sample(LD u) {
        if (cost_) ++cost_->coarse;
        const LD a = AngleOf(u);
        (void)PistonAt(g_, a, log_);
        return Displacement(ValveJointXExact(g_, arm_, a, log_, true));
    }
    LD Refine(LD u) {
        if (cost_) ++cost_->refine;
        return Displacement(ValveJointXExact(g_, arm_, AngleOf(u), log_));
    }
    // What the valve values show: the joint rounded to a float, as the model's solve has it.
    LD Shown(LD u) {
        if (cost_) ++cost_->refine;
        const float x4 = ValveJointXAt(g_, arm_, AngleOf(u), log_);
        return LD(x4) + g_.cyl.valveStem - g_.cyl.cylCtr;
    }
    LD PistonAtU(LD u) { return PistonAt(g_, AngleOf(u), log_); }
    bool GeometryError() const { return arm_.log.raised || log_.raised; }

private:
    LD Displacement(LD x4) const { return x4 + g_.cyl.valveStem - g_.cyl.cylCtr; }

    const Gear& g_;
    ArmStage arm_;
    SweepDirection dir_;
    ClampLog log_;
    EventFinderCost* cost_;
};

struct Point {
    LD u;  // sweep parameter, unwrapped
    LD s;  // valve displacement
};

// A turning point of the displacement near sample u, refined with Brent's method over
// u - h .. u + h. `atEdge` tells that it ended at an end of that bracket, where the displacement
// goes on rising (falling) beyond: the turning point lies outside and the samples missed a turn.
Point RefineTurn(const std::function<LD(LD)>& fine, LD u, LD h, bool maximum, LD sampled,
                 int maxSteps, bool& atEdge, int& unconverged) {
    const LD sign = maximum ? -1.0L : 1.0L;
    auto f = [&](double x) { return static_cast<double>(sign * fine(x)); };
    std::uintmax_t steps = static_cast<std::uintmax_t>(maxSteps);
    const auto [x, fx] = boost::math::tools::brent_find_minima(
        f, static_cast<double>(u - h), static_cast<double>(u + h), kExtremumBits, steps);
    if (steps >= static_cast<std::uintmax_t>(maxSteps)) ++unconverged;
    atEdge = std::fabs(LD(x) - (u - h)) < kEdgeFraction * h ||
             std::fabs(LD(x) - (u + h)) < kEdgeFraction * h;
    const LD s = sign * LD(fx);
    // Never worse than the sample it started from.
    if (maximum ? s < sampled : s > sampled) return {u, sampled};
    return {LD(x), s};
}

// Sign of a value: -1, 0 or +1.
int SignOf(LD v) {
    return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

// Where g (which changes sign strictly from a to b) crosses zero: TOMS 748 down to
// kRootTolerance. Boost refuses a bracket that narrowing to double has closed or whose ends no
// longer show the change of sign (std::domain_error); bisection in long double takes over.
LD RefineRoot(const std::function<LD(LD)>& g, Point a, Point b, int maxSteps, int& unconverged) {
    auto f = [&](double u) { return static_cast<double>(g(u)); };
    try {
        std::uintmax_t steps = static_cast<std::uintmax_t>(maxSteps);
        const auto [r0, r1] = boost::math::tools::toms748_solve(
            f, static_cast<double>(a.u), static_cast<double>(b.u), static_cast<double>(a.s),
            static_cast<double>(b.s),
            [](double x, double y) { return std::fabs(y - x) <= kRootTolerance; }, steps);
        if (!(std::fabs(r1 - r0) <= kRootTolerance)) ++unconverged;
        return (LD(r0) + LD(r1)) / 2.0L;
    } catch (const std::domain_error&) {
    }
    const int from = SignOf(a.s);
    int steps = 0;
    while (b.u - a.u > kRootTolerance && steps < maxSteps) {
        const LD m = (a.u + b.u) / 2.0L;
        if (!(m > a.u && m < b.u)) break;  // as narrow as a long double goes
        const LD v = g(m);
        ++steps;
        if (v == 0.0L) return m;
        (SignOf(v) == from ? a : b) = {m, v};
    }
    if (b.u - a.u > kRootTolerance && steps >= maxSteps) ++unconverged;
    return (a.u + b.u) / 2.0L;
}

// Changes of sign of the differences between neighbouring samples, round the turn: twice for a
// displacement that turns twice. Equal neighbours (a flat stretch) change nothing.
int TurnsSeen(const std::vector<LD>& s) {
    const std::size_t n = s.size();
    int last = 0, first = 0, changes = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const int d = SignOf(s[(k + 1) % n] - s[k]);
        if (d == 0) continue;
        if (first == 0) first = d;
        if (last != 0 && d != last) ++changes;
        last = d;
    }
    if (last != 0 && first != last) ++changes;  // the change across the turn's end
    return changes;
}

// One attempt with n samples. False when the samples cannot be trusted to have seen every turn
// and `again` (asked only then; empty: never) says to sweep again, finer.
bool CrossingsOfSweep(const std::function<LD(LD)>& coarse, const std::function<LD(LD)>& fine,
                      const std::array<OpeningLine, 4>& openings, int n, int maxSteps,
                      const std::function<bool()>& again, TurnCrossings& out) {
    // 1. The sweep.
    const LD h = 360.0L / n;
    std::vector<LD> s(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) s[static_cast<std::size_t>(k)] = coarse(h * k);
    if (again && TurnsSeen(s) > 2 && again()) return false;
    auto S = [&s, n](int k) { return s[static_cast<std::size_t>(((k % n) + n) % n)]; };

    // 2. Turning points of the displacement, refined.
    std::vector<Point> turns;
    out.sMin = out.sMax = S(0);
    for (int k = 0; k < n; ++k) {
        const LD prev = S(k - 1), cur = S(k), next = S(k + 1);
        out.sMin = std::min(out.sMin, cur);
        out.sMax = std::max(out.sMax, cur);
        const bool isMax = cur > prev && cur >= next;
        const bool isMin = cur < prev && cur <= next;
        if (!isMax && !isMin) continue;
        bool atEdge = false;
        Point p = RefineTurn(fine, h * k, h, isMax, cur, maxSteps, atEdge, out.unconverged);
        if (again && atEdge && again()) return false;
        // Keep the parameter within the turn so that segments can be ordered.
        if (p.u < 0) p.u += 360.0L;
        if (p.u >= 360.0L) p.u -= 360.0L;
        turns.push_back(p);
        out.sMin = std::min(out.sMin, p.s);
        out.sMax = std::max(out.sMax, p.s);
    }
    std::sort(turns.begin(), turns.end(), [](const Point& a, const Point& b) { return a.u < b.u; });

    // 3. Crossings. Between two turning points every opening is monotone: a strict change of
    // sign from one end to the other is exactly one crossing. The latest crossing of each kind
    // in the turn is kept.
    const std::size_t m = turns.size();
    std::vector<Point> seg;
    for (std::size_t i = 0; i < m; ++i) {
        const Point a = turns[i];
        Point b = turns[(i + 1) % m];
        if (i + 1 == m) b.u += 360.0L;  // the segment that wraps past the turn's end
        // The segment's points in order: its ends and the samples strictly inside.
        seg.clear();
        seg.push_back(a);
        for (int k = static_cast<int>(std::floor(a.u / h)) + 1; h * k < b.u; ++k)
            if (h * k > a.u) seg.push_back({h * k, S(k)});
        seg.push_back(b);

        for (std::size_t o = 0; o < openings.size(); ++o) {
            const OpeningLine& op = openings[o];
            const int from = SignOf(op.At(a.s)), to = SignOf(op.At(b.s));
            if (from == 0 || to == 0 || from == to) continue;
            // First point at or past zero, seen from the start's side.
            std::size_t j = 1;
            while (j + 1 < seg.size() && SignOf(op.At(seg[j].s)) == from) ++j;
            LD root;
            const LD vj = op.At(seg[j].s);
            if (vj == 0.0L) {
                root = seg[j].u;
            } else {
                root = RefineRoot([&](LD u) { return op.At(fine(u)); },
                                  {seg[j - 1].u, op.At(seg[j - 1].s)}, {seg[j].u, vj}, maxSteps,
                                  out.unconverged);
            }
            root = std::fmod(root, 360.0L);
            if (root <= 0.0L) root += 360.0L;
            auto& slot = out.latest[o + (to > 0 ? 0 : 4)];
            if (!slot || root > *slot) slot = root;
        }
    }
    return true;
}

}  // namespace

int CoarseSamplesPerTurn(float coarseStep) {
    if (!(coarseStep > 0.0f) || !std::isfinite(coarseStep) || coarseStep > kEventCoarseStep)
        coarseStep = kEventCoarseStep;
    const LD quarters = std::ceil(90.0L / static_cast<LD>(coarseStep) - 1e-9L);
    const LD n = 4.0L * quarters;
    return n > kMaxCoarseSamples ? kMaxCoarseSamples : static_cast<int>(n);
}

TurnCrossings FindTurnCrossings(const std::function<LD(LD)>& coarse,
                                const std::function<LD(LD)>& fine,
                                const std::array<OpeningLine, 4>& openings, int n, int maxSteps,
                                const std::function<bool()>& sweepAgain) {
    maxSteps = std::max(maxSteps, 1);
    const int fineN = CoarseSamplesPerTurn(kEventFineStep);
    // A sweep at least as fine as the fine step is what the check would fall back on anyway.
    std::function<bool()> again;
    if (n < fineN) again = [&sweepAgain] { return !sweepAgain || sweepAgain(); };
    TurnCrossings out;
    if (CrossingsOfSweep(coarse, fine, openings, n, maxSteps, again, out)) return out;
    TurnCrossings finer;
    finer.fineSweep = true;
    finer.unconverged = out.unconverged;
    CrossingsOfSweep(coarse, fine, openings, fineN, maxSteps, {}, finer);
    return finer;
}

EventRow FindEvents(const Gear& g, float revArm, SweepDirection dir, float coarseStep,
                    EventFinderCost* cost) {
    EventRow row;
    row.direction = dir;
    row.revArm = revArm;
    const float max = g.frame.revArmMax;
    if (max != 0.0f) row.notch = Finite((LD(revArm) - g.revArmPositions[0]) / LD(max));

    const ValveThresholds t = ValveThresholdsOf(g.cyl);
    const std::array<OpeningLine, 4> openings = {
        OpeningLine{t.frontSteamEdge, -1.0L}, OpeningLine{-LD(t.frontExhaustEdge), 1.0L},
        OpeningLine{t.rearSteamEdge, 1.0L}, OpeningLine{-LD(t.rearExhaustEdge), -1.0L}};
    ValveMotion motion(g, revArm, dir, cost);

    // Coarse samples make every moving construction, so their clamps flag the row as the whole
    // linkage would; refinements make only what the valve hangs on.
    const int n = CoarseSamplesPerTurn(coarseStep);
    // A row whose linkage had to be clamped is no gear's motion (and is flagged as such): it is
    // not worth forty times the solves of a sweep again.
    const TurnCrossings found = FindTurnCrossings(
        [&motion](LD u) { return motion.Sample(u); }, [&motion](LD u) { return motion.Refine(u); },
        openings, n, kEventRefineSteps, [&motion] { return !motion.GeometryError(); });

    // Leads: the steam openings at the dead centres (u = 0 and 180 in either direction), as the
    // valve values give them.
    row.front.lead = Finite(t.frontSteamEdge - motion.Shown(0.0L));
    row.rear.lead = Finite(t.rearSteamEdge + motion.Shown(180.0L));

    row.travel = Finite(found.sMax - found.sMin);
    auto opening = [](LD v) -> std::optional<float> {
        return v >= 0.0L ? Finite(v) : std::nullopt;
    };
    row.front.maxSteam = opening(openings[kFrontSteam].At(found.sMin));
    row.front.maxExhaust = opening(openings[kFrontExhaust].At(found.sMax));
    row.rear.maxSteam = opening(openings[kRearSteam].At(found.sMax));
    row.rear.maxExhaust = opening(openings[kRearExhaust].At(found.sMin));

    auto event = [&](int kind, bool front) -> std::optional<float> {
        const std::optional<LD> u = found.latest[static_cast<std::size_t>(kind)];
        if (!u) return std::nullopt;
        const std::optional<float> p = Finite(motion.PistonAtU(*u));
        if (!p) return std::nullopt;
        return front ? FrontStrokePercent(*p) : RearStrokePercent(*p);
    };
    row.front.admission = event(kFrontSteam, true);
    row.front.cutoff = event(4 + kFrontSteam, true);
    row.front.release = event(kFrontExhaust, true);
    row.front.compression = event(4 + kFrontExhaust, true);
    row.rear.admission = event(kRearSteam, false);
    row.rear.cutoff = event(4 + kRearSteam, false);
    row.rear.release = event(kRearExhaust, false);
    row.rear.compression = event(4 + kRearExhaust, false);
    row.geometryError = motion.GeometryError();
    if (cost) {
        cost->fineSweeps += found.fineSweep ? 1 : 0;
        cost->unconverged += found.unconverged;
    }
    return row;
}

}  // namespace mv
