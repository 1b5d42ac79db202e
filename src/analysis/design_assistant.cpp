#include "analysis/design_assistant.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <new>
#include <nlopt.hpp>
#include <random>
#include <stdexcept>
#include <utility>

#include "model/dimensions.hpp"

namespace mv {
namespace {

using LD = long double;

// The search works on each free dimension scaled to 0..1 between its bounds.
constexpr double kInitialStep = 0.1;  // first trust-region radius
// A thousandth of the range: with the default +-10 % bounds, 0.0002 of the value, finer than a
// model engineer can make a part.
constexpr double kStepTolerance = 1e-3;
constexpr double kObjectiveTolerance = 1e-9;
constexpr int kRestarts = 3;
constexpr double kRestartSpread = 0.25;  // restarts start this far (scaled) around the best
// A restart that improves the best by less than this share ends the search.
constexpr double kRestartGain = 0.01;

// One distinct gear as the search sees it.
struct Point {
    double objective = 0;
    std::array<double, kLimitKinds> excess{};
};

double Violation(const std::array<double, kLimitKinds>& excess) {
    double sum = 0;
    for (double v : excess) sum += std::max(v, 0.0);
    return sum;
}

class Search {
public:
    Search(const Gear& g, const DesignProblem& p, std::stop_token stop,
           const std::function<void(const DesignProgress&)>& progress, DesignResult& result)
        : base_(g), p_(p), stop_(std::move(stop)), progress_(progress), r_(result) {
        for (std::size_t i = 0; i < p_.vary.size(); ++i)
            if (p_.vary[i].lower < p_.vary[i].upper) free_.push_back(i);
        // The start is a point already seen.
        cache_.emplace(r_.before, Point{r_.start.searchObjective, r_.start.excess});
        closestViolation_ = Violation(r_.start.excess);
    }

    void Run() {
        if (free_.empty() || r_.evaluations >= p_.maxEvaluations) return;
        std::vector<double> u = Scaled(r_.before);
        std::mt19937_64 rng(p_.seed);
        for (int run = 0; run <= kRestarts; ++run) {
            const double before = r_.best.objective;
            const bool hadFeasible = r_.best.feasible;
            if (run > 0) {
                // From the best point so far (the closest to the limits while none keeps them),
                // moved at random within the bounds.
                u = Scaled(r_.best.feasible || r_.closestValues.empty() ? r_.after
                                                                        : r_.closestValues);
                for (double& x : u) {
                    const double r = static_cast<double>(rng() >> 11) * 0x1.0p-53;
                    x = std::clamp(x + (2 * r - 1) * kRestartSpread, 0.0, 1.0);
                }
            }
            if (!LocalRun(u)) break;
            if (run > 0 && hadFeasible && r_.best.objective > before * (1 - kRestartGain)) break;
        }
        if (stop_.stop_requested()) r_.stopped = true;
    }

private:
    // One local run; false when the search must end (budget used up, stop requested, or the
    // library failed).
    bool LocalRun(std::vector<double>& u) {
        const auto n = static_cast<unsigned>(free_.size());
        // An augmented Lagrangian around BOBYQA: the limits enter as penalties whose weights
        // grow until they hold, while BOBYQA's quadratic models keep its fast progress on the
        // smooth objective (COBYLA's linear models got far less out of the same evaluations).
        nlopt::opt opt(nlopt::AUGLAG, n);
        opt.set_lower_bounds(std::vector<double>(n, 0.0));
        opt.set_upper_bounds(std::vector<double>(n, 1.0));
        nlopt::opt local(nlopt::LN_BOBYQA, n);
        local.set_xtol_abs(kStepTolerance);
        local.set_ftol_abs(kObjectiveTolerance);
        local.set_initial_step(kInitialStep);
        if (p_.subproblemShare > 0) {
            // Room for BOBYQA's first model (2n + 1 points) and a step beyond it.
            const int left = p_.maxEvaluations - r_.evaluations;
            local.set_maxeval(
                std::max(static_cast<int>(p_.subproblemShare * left), 2 * static_cast<int>(n) + 2));
        }
        opt.set_local_optimizer(local);
        opt.set_min_objective(&Search::Objective, this);
        opt.add_inequality_mconstraint(&Search::Constraints, this,
                                       std::vector<double>(kLimitKinds, 0.0));
        // Points seen before cost nothing and are not counted, so the library's own count is
        // only a guard against a run that never ends.
        opt.set_maxeval(4 * (p_.maxEvaluations - r_.evaluations) + 4 * static_cast<int>(n) + 10);
        opt.set_xtol_abs(kStepTolerance);
        opt.set_initial_step(kInitialStep);
        double f = 0;
        try {
            opt.optimize(u, f);
        } catch (const nlopt::forced_stop&) {
            return false;
        } catch (const nlopt::roundoff_limited&) {
            // As good as the arithmetic allows: a normal end of this run.
        }
        return !stop_.stop_requested() && r_.evaluations < p_.maxEvaluations;
    }

    static double Objective(unsigned n, const double* u, double* /*grad*/, void* data) {
        return static_cast<Search*>(data)->At(n, u).objective;
    }

    static void Constraints(unsigned m, double* result, unsigned n, const double* u,
                            double* /*grad*/, void* data) {
        const Point& p = static_cast<Search*>(data)->At(n, u);
        for (unsigned i = 0; i < m && i < p.excess.size(); ++i) result[i] = p.excess[i];
    }

    // The gear at a point of the search, evaluated once: the library asks for the objective and
    // the constraints of one point separately, and repeats points.
    const Point& At(unsigned n, const double* u) {
        std::vector<float> values = r_.before;
        for (unsigned k = 0; k < n; ++k) {
            const VaryDimension& v = p_.vary[free_[k]];
            const LD x = std::clamp<LD>(u[k], 0.0L, 1.0L);
            const auto f = static_cast<float>(LD(v.lower) + x * (LD(v.upper) - v.lower));
            values[free_[k]] = std::clamp(f, v.lower, v.upper);
        }
        if (const auto it = cache_.find(values); it != cache_.end()) return it->second;
        if (stop_.stop_requested()) {
            r_.stopped = true;
            throw nlopt::forced_stop();
        }
        if (r_.evaluations >= p_.maxEvaluations) throw nlopt::forced_stop();

        DesignEvaluation e =
            EvaluateDesign(WithDimensions(base_, Changes(values)), p_, &r_.start, &r_.limits);
        ++r_.evaluations;
        const Point point{e.searchObjective, e.excess};
        if (e.feasible && (!r_.best.feasible || e.objective < r_.best.objective)) {
            r_.best = std::move(e);
            r_.after = values;
            r_.improved = true;
        } else if (!r_.best.feasible) {
            const double violation = Violation(point.excess);
            if (violation < closestViolation_) {
                closestViolation_ = violation;
                r_.closest = std::move(e);
                r_.closestValues = values;
            }
        }
        if (progress_) progress_(DesignProgress{r_.evaluations, r_.best.objective});
        return cache_.emplace(std::move(values), point).first->second;
    }

    std::vector<DimensionValue> Changes(const std::vector<float>& values) const {
        std::vector<DimensionValue> c;
        c.reserve(values.size());
        for (std::size_t i = 0; i < values.size(); ++i) c.push_back({p_.vary[i].id, values[i]});
        return c;
    }

    std::vector<double> Scaled(const std::vector<float>& values) const {
        std::vector<double> u(free_.size());
        for (std::size_t k = 0; k < free_.size(); ++k) {
            const VaryDimension& v = p_.vary[free_[k]];
            u[k] = static_cast<double>((LD(values[free_[k]]) - v.lower) / (LD(v.upper) - v.lower));
        }
        return u;
    }

    const Gear& base_;
    const DesignProblem& p_;
    std::stop_token stop_;
    const std::function<void(const DesignProgress&)>& progress_;
    DesignResult& r_;
    std::vector<std::size_t> free_;  // indices into p_.vary of the dimensions with room to move
    std::map<std::vector<float>, Point> cache_;
    double closestViolation_ = 0;
};

}  // namespace

DesignResult RunDesignSearch(const Gear& g, const DesignProblem& problem, std::stop_token stop,
                             const std::function<void(const DesignProgress&)>& progress) {
    DesignResult r;
    try {
        // Geometry errors must be seen whatever the user's error-beep switch says.
        Gear base = g;
        base.gear.errorBeep = true;
        for (const VaryDimension& v : problem.vary) r.before.push_back(GetDimension(base, v.id));
        r.after = r.before;
        std::vector<DimensionValue> start;
        for (std::size_t i = 0; i < problem.vary.size(); ++i)
            start.push_back({problem.vary[i].id, r.before[i]});
        base = WithDimensions(base, start);
        r.start = EvaluateDesign(base, problem, nullptr);
        r.limits = EffectiveLimits(problem, r.start);
        r.evaluations = 1;
        r.best = r.start;
        if (progress) progress(DesignProgress{r.evaluations, r.start.objective});
        // A start that cannot be judged gives the search nothing to follow. One that only breaks
        // a limit is searched from.
        if (!r.start.geometryError && std::isfinite(r.start.objective)) {
            r.searched = true;
            Search(base, problem, std::move(stop), progress, r).Run();
        }
    } catch (const std::bad_alloc&) {
        r.failure = "the search ran out of memory";
    } catch (const std::invalid_argument& e) {
        r.failure = std::string("the optimisation library refused its input: ") + e.what();
    } catch (const std::exception& e) {
        r.failure = std::string("the optimisation library failed: ") + e.what();
    }
    if (!r.best.feasible) {
        // Say how far the closest candidate (or the start) is from every limit it breaks.
        const DesignEvaluation& c = r.closest ? *r.closest : r.start;
        for (int k = 0; k < kLimitKinds; ++k) {
            const auto kind = static_cast<LimitKind>(k);
            if (c.excess[static_cast<std::size_t>(k)] > 0)
                r.limitsNotMet.push_back({kind, ExcessInUnit(c, kind)});
        }
    }
    return r;
}

std::vector<DimensionValue> ChangedDimensions(const DesignProblem& problem,
                                              const DesignResult& result) {
    std::vector<DimensionValue> out;
    for (std::size_t i = 0; i < problem.vary.size() && i < result.after.size(); ++i)
        if (result.after[i] != result.before[i])
            out.push_back({problem.vary[i].id, result.after[i]});
    return out;
}

std::optional<float> LargestCutoffDifference(const std::vector<NotchRow>& rows) {
    float worst = 0;
    for (const NotchRow& r : rows) {
        if (!r.Reachable()) continue;
        if (!r.events.front.cutoff || !r.events.rear.cutoff) return std::nullopt;
        worst = std::max(worst, std::fabs(*r.events.front.cutoff - *r.events.rear.cutoff));
    }
    return worst;
}

double ExcessInUnit(const DesignEvaluation& e, LimitKind kind) {
    const double excess = e.excess[static_cast<std::size_t>(kind)];
    if (kind == LimitKind::FullGearDrop || kind == LimitKind::Reach) return excess;
    return excess * e.stroke / 100.0;
}

}  // namespace mv
