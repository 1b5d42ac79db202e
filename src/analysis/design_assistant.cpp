#include "analysis/design_assistant.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <nlopt.hpp>
#include <random>
#include <utility>

#include "model/dimensions.hpp"

namespace mv {
namespace {

using LD = long double;

// The search works on each free dimension scaled to 0..1 between its limits.
constexpr double kInitialStep = 0.1;  // first trust-region radius / simplex size
// A thousandth of the range: with the default +-10 % limits, 0.0002 of the value, finer than a
// model engineer can make a part.
constexpr double kStepTolerance = 1e-3;
constexpr double kObjectiveTolerance = 1e-9;
constexpr int kRestarts = 3;
constexpr double kRestartSpread = 0.25;  // restarts start this far (scaled) around the best
// A restart that improves the best by less than this share ends the search.
constexpr double kRestartGain = 0.01;
// What an infeasible candidate scores, in multiples of the start's objective: well above
// anything worth keeping, yet not so far that BOBYQA's quadratic model of the objective is
// ruined by one such point (a huge constant makes it shrink its steps and stop early).
constexpr double kPenaltyFactor = 10;

class Search {
public:
    Search(const Gear& g, const DesignProblem& p, std::stop_token stop,
           const std::function<void(const DesignProgress&)>& progress, DesignResult& result)
        : base_(g),
          p_(p),
          stop_(std::move(stop)),
          progress_(progress),
          r_(result),
          penalty_(kPenaltyFactor * result.start.objective + 1) {
        for (std::size_t i = 0; i < p_.vary.size(); ++i)
            if (p_.vary[i].lower < p_.vary[i].upper) free_.push_back(i);
    }

    void Run() {
        if (free_.empty() || r_.evaluations >= p_.maxEvaluations) return;
        std::vector<double> u = Scaled(r_.before);
        std::mt19937_64 rng(p_.seed);
        for (int run = 0; run <= kRestarts; ++run) {
            const double before = r_.best.objective;
            if (run > 0) {
                // From the best point so far, moved at random within the limits.
                u = Scaled(r_.after);
                for (double& x : u) {
                    const double r = static_cast<double>(rng() >> 11) * 0x1.0p-53;
                    x = std::clamp(x + (2 * r - 1) * kRestartSpread, 0.0, 1.0);
                }
            }
            if (!LocalRun(u)) break;
            if (run > 0 && r_.best.objective > before * (1 - kRestartGain)) break;
        }
        if (stop_.stop_requested()) r_.stopped = true;
    }

private:
    // One local run; false when the search must end (budget used up or stop requested).
    bool LocalRun(std::vector<double>& u) {
        const int remaining = p_.maxEvaluations - r_.evaluations;
        if (remaining <= 0) return false;
        const auto n = static_cast<unsigned>(free_.size());
        nlopt::opt opt(nlopt::LN_BOBYQA, n);
        opt.set_lower_bounds(std::vector<double>(n, 0.0));
        opt.set_upper_bounds(std::vector<double>(n, 1.0));
        opt.set_min_objective(&Search::Objective, this);
        opt.set_maxeval(remaining);
        opt.set_xtol_abs(kStepTolerance);
        opt.set_ftol_abs(kObjectiveTolerance);
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
        return static_cast<Search*>(data)->Evaluate(n, u);
    }

    double Evaluate(unsigned n, const double* u) {
        if (stop_.stop_requested()) {
            r_.stopped = true;
            throw nlopt::forced_stop();
        }
        if (r_.evaluations >= p_.maxEvaluations) throw nlopt::forced_stop();
        std::vector<float> values = r_.before;
        for (unsigned k = 0; k < n; ++k) {
            const VaryDimension& v = p_.vary[free_[k]];
            const LD x = std::clamp<LD>(u[k], 0.0L, 1.0L);
            const auto f = static_cast<float>(LD(v.lower) + x * (LD(v.upper) - v.lower));
            values[free_[k]] = std::clamp(f, v.lower, v.upper);
        }
        DesignEvaluation e =
            EvaluateDesign(WithDimensions(base_, Changes(values)), p_, &r_.start.rows);
        ++r_.evaluations;
        const double score = e.feasible ? e.objective : penalty_;
        if (e.feasible && score < r_.best.objective) {
            r_.best = std::move(e);
            r_.after = std::move(values);
            r_.improved = true;
        }
        if (progress_) progress_(DesignProgress{r_.evaluations, r_.best.objective});
        return score;
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
    double penalty_;
};

}  // namespace

DesignResult RunDesignSearch(const Gear& g, const DesignProblem& problem, std::stop_token stop,
                             const std::function<void(const DesignProgress&)>& progress) {
    // Geometry errors must be seen whatever the user's error-beep switch says.
    Gear base = g;
    base.gear.errorBeep = true;

    DesignResult r;
    for (const VaryDimension& v : problem.vary) r.before.push_back(GetDimension(base, v.id));
    r.after = r.before;
    std::vector<DimensionValue> start;
    for (std::size_t i = 0; i < problem.vary.size(); ++i)
        start.push_back({problem.vary[i].id, r.before[i]});
    base = WithDimensions(base, start);
    r.start = EvaluateDesign(base, problem, nullptr);
    r.evaluations = 1;
    r.best = r.start;
    if (progress) progress(DesignProgress{r.evaluations, r.start.objective});
    if (!r.start.feasible) return r;

    r.searched = true;
    Search(base, problem, std::move(stop), progress, r).Run();
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
        if (!r.events.front.cutoff || !r.events.rear.cutoff) return std::nullopt;
        worst = std::max(worst, std::fabs(*r.events.front.cutoff - *r.events.rear.cutoff));
    }
    return worst;
}

}  // namespace mv
