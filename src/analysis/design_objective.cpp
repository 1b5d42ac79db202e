#include "analysis/design_objective.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "model/dimensions.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

using LD = long double;

constexpr std::array<const char*, kGoalKinds> kGoalNames = {
    "cutoff-balance",      "lead-balance", "release-balance",
    "compression-balance", "lead",         "full-gear-cutoff"};

std::string Num(float v) {
    return FloatText(v);
}

// Goal values can exceed the double range (a tiny stroke, a huge target); they become infinite
// rather than an undefined conversion.
double ToDouble(LD v) {
    constexpr LD kMax = std::numeric_limits<double>::max();
    if (v > kMax) return std::numeric_limits<double>::infinity();
    if (v < -kMax) return -std::numeric_limits<double>::infinity();
    return static_cast<double>(v);
}

// The events a row can lose, with their names for messages.
struct EventRef {
    std::optional<float> EndEvents::*member;
    const char* name;
};
constexpr std::array<EventRef, 4> kEvents = {{{&EndEvents::admission, "admission"},
                                              {&EndEvents::cutoff, "cut-off"},
                                              {&EndEvents::release, "release"},
                                              {&EndEvents::compression, "compression"}}};

// The end value a goal reads at the front and the rear.
std::optional<float> EndEvents::*BalancedEvent(GoalKind k) {
    switch (k) {
        case GoalKind::CutoffBalance: return &EndEvents::cutoff;
        case GoalKind::ReleaseBalance: return &EndEvents::release;
        case GoalKind::CompressionBalance: return &EndEvents::compression;
        case GoalKind::FullGearCutoff: return &EndEvents::cutoff;
        case GoalKind::LeadBalance:
        case GoalKind::Lead: return &EndEvents::lead;
    }
    return &EndEvents::cutoff;
}

const char* EventName(std::optional<float> EndEvents::*m) {
    if (m == &EndEvents::lead) return "lead";
    for (const EventRef& e : kEvents)
        if (e.member == m) return e.name;
    return "event";
}

std::string CheckLimits(const Gear& g, const VaryDimension& v) {
    const std::string id = std::to_string(v.id);
    if (!std::isfinite(v.lower) || !std::isfinite(v.upper))
        return "dimension " + id + ": limits must be finite numbers";
    if (v.lower > v.upper)
        return "dimension " + id + ": lower limit " + Num(v.lower) + " is above upper limit " +
               Num(v.upper);
    const float now = GetDimension(g, v.id);
    if (now < v.lower || now > v.upper)
        return "dimension " + id + ": limits " + Num(v.lower) + ":" + Num(v.upper) +
               " do not contain its value " + Num(now);
    return {};
}

std::string CheckGoals(const DesignProblem& p) {
    std::array<bool, kGoalKinds> seen{};
    for (const DesignGoal& goal : p.goals) {
        const int k = static_cast<int>(goal.kind);
        if (k < 0 || k >= kGoalKinds) return "unknown goal";
        const std::string name = kGoalNames[static_cast<std::size_t>(k)];
        if (seen[static_cast<std::size_t>(k)]) return "goal " + name + " given twice";
        seen[static_cast<std::size_t>(k)] = true;
        if (!std::isfinite(goal.weight) || goal.weight < 0 || goal.weight > kMaxGoalWeight)
            return "goal " + name + ": weight must be from 0 to " +
                   Num(static_cast<float>(kMaxGoalWeight));
        if (!std::isfinite(goal.target)) return "goal " + name + ": target must be finite";
        if (goal.kind == GoalKind::FullGearCutoff && (goal.target < 0 || goal.target > 100))
            return "goal " + name + ": target must be a per cent from 0 to 100";
    }
    return {};
}

std::string CheckNotches(const DesignProblem& p) {
    if (p.notches.empty()) return "no notch given";
    if (p.notches.size() > static_cast<std::size_t>(kMaxNotches))
        return "more than " + std::to_string(kMaxNotches) + " notches";
    for (float n : p.notches)
        if (!std::isfinite(n) || n < 0 || n > 1)
            return "notch " + Num(n) + " is outside 0..1 (fractions of \"Rev Arm to Cent Max\")";
    return {};
}

}  // namespace

const char* GoalName(GoalKind kind) {
    const auto k = static_cast<std::size_t>(kind);
    return k < kGoalNames.size() ? kGoalNames[k] : "?";
}

bool GoalHasTarget(GoalKind kind) {
    return kind == GoalKind::Lead || kind == GoalKind::FullGearCutoff;
}

std::optional<DesignGoal> ParseGoal(std::string_view text, std::string& error) {
    DesignGoal goal;
    std::string_view rest = text;
    const std::size_t at = rest.find('@');
    if (at != std::string_view::npos) {
        double w = 0;
        const std::string_view wt = rest.substr(at + 1);
        if (!ParseStrict(wt, w)) {
            error = "goal '" + std::string(text) + "': weight '" + std::string(wt) +
                    "' is not a number";
            return std::nullopt;
        }
        goal.weight = w;
        rest = rest.substr(0, at);
    }
    const std::size_t eq = rest.find('=');
    const std::string_view name = rest.substr(0, eq);
    const auto it = std::find(kGoalNames.begin(), kGoalNames.end(), name);
    if (it == kGoalNames.end()) {
        error = "unknown goal '" + std::string(name) +
                "' (cutoff-balance, lead-balance, release-balance, compression-balance, lead=L, "
                "full-gear-cutoff=P)";
        return std::nullopt;
    }
    goal.kind = static_cast<GoalKind>(it - kGoalNames.begin());
    if (GoalHasTarget(goal.kind)) {
        double t = 0;
        if (eq == std::string_view::npos || !ParseStrict(rest.substr(eq + 1), t)) {
            error = "goal '" + std::string(text) + "' needs a number: " + std::string(name) +
                    (goal.kind == GoalKind::Lead ? "=L" : "=P");
            return std::nullopt;
        }
        goal.target = t;
    } else if (eq != std::string_view::npos) {
        error = "goal " + std::string(name) + " takes no target";
        return std::nullopt;
    }
    if (goal.weight < 0 || goal.weight > kMaxGoalWeight) {
        error = "goal '" + std::string(text) + "': weight must be from 0 to " +
                Num(static_cast<float>(kMaxGoalWeight));
        return std::nullopt;
    }
    return goal;
}

bool IsVariableDimension(DimensionId id) {
    return IsDimensionId(id) && id != 25 && id != 26 && id != 27;
}

std::vector<DimensionId> DesignPresetDimensions() {
    // Eccentric crank, eccentric rod left end, radius hanger, guide-link radius centre (vertical
    // and horizontal), bell-crank arms, reverse arm lower.
    return {5, 6, 8, 10, 11, 15, 17, 22};
}

VaryDimension DefaultLimits(const Gear& g, DimensionId id) {
    const float v = GetDimension(g, id);
    // From the value as shown (1.77, not 1.76999998), so that the limits read 1.593 and 1.947.
    const std::string text = FloatText(v);
    double shown = v;
    std::from_chars(text.data(), text.data() + text.size(), shown);
    const LD d = v == 0.0f ? 0.1L : std::fabs(LD(shown)) * 0.1L;
    constexpr LD kMax = std::numeric_limits<float>::max();
    const auto toFloat = [&](LD x) { return static_cast<float>(std::clamp(x, -kMax, kMax)); };
    return VaryDimension{id, toFloat(shown - d), toFloat(shown + d)};
}

std::vector<DesignGoal> EffectiveGoals(const DesignProblem& p) {
    if (!p.goals.empty()) return p.goals;
    return {DesignGoal{}};
}

std::string ValidateProblem(const Gear& g, const DesignProblem& p) {
    if (p.vary.empty()) return "no dimension to vary";
    if (p.vary.size() > static_cast<std::size_t>(kMaxVariedDimensions))
        return "more than " + std::to_string(kMaxVariedDimensions) + " dimensions to vary";
    for (std::size_t i = 0; i < p.vary.size(); ++i) {
        const DimensionId id = p.vary[i].id;
        if (!IsVariableDimension(id))
            return "dimension " + std::to_string(id) +
                   " cannot be varied (ids 1..24 and 101..122 can)";
        for (std::size_t j = 0; j < i; ++j)
            if (p.vary[j].id == id) return "dimension " + std::to_string(id) + " given twice";
        if (std::string e = CheckLimits(g, p.vary[i]); !e.empty()) return e;
    }
    if (std::string e = CheckGoals(p); !e.empty()) return e;
    if (std::string e = CheckNotches(p); !e.empty()) return e;
    if (p.maxEvaluations < 1 || p.maxEvaluations > kMaxEvaluationsLimit)
        return "the number of evaluations must be from 1 to " +
               std::to_string(kMaxEvaluationsLimit);
    return {};
}

std::string FloatText(float v) {
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    return std::string(buf.data(), res.ec == std::errc{} ? res.ptr : buf.data());
}

std::string RowText(const NotchRow& r) {
    return "notch " + Num(r.notch) + " " + SweepDirectionText(r.direction);
}

DesignEvaluation EvaluateDesign(const Gear& g, const DesignProblem& p,
                                const std::vector<NotchRow>* reference) {
    DesignEvaluation e;
    const std::vector<DesignGoal> goals = EffectiveGoals(p);
    e.goalValues.assign(goals.size(), std::numeric_limits<double>::quiet_NaN());
    if (!std::isfinite(g.revArmPositions[0])) {
        e.problem = "mid gear cannot be found";
        return e;
    }
    e.rows = NotchRows(g, p.notches, p.directions);

    for (std::size_t i = 0; i < e.rows.size(); ++i) {
        const NotchRow& r = e.rows[i];
        if (r.events.geometryError && !e.geometryError) {
            e.geometryError = true;
            e.problem = "geometry error at " + RowText(r);
        }
        if (!reference || i >= reference->size() || !e.problem.empty()) continue;
        const NotchRow& ref = (*reference)[i];
        for (const EventRef& ev : kEvents) {
            for (bool front : {true, false}) {
                const EndEvents& now = front ? r.events.front : r.events.rear;
                const EndEvents& was = front ? ref.events.front : ref.events.rear;
                if ((was.*ev.member).has_value() && !(now.*ev.member).has_value()) {
                    e.problem = std::string(front ? "front " : "rear ") + ev.name + " lost at " +
                                RowText(r);
                    break;
                }
            }
            if (!e.problem.empty()) break;
        }
    }

    const LD stroke = g.frame.stroke;
    if (stroke == 0 && e.problem.empty()) e.problem = "the stroke is 0";
    const LD perCent = stroke != 0 ? 100.0L / stroke : 0.0L;
    float largest = 0;
    for (float n : p.notches) largest = std::max(largest, n);

    // Each goal is the mean over its rows of a squared difference in per cent of the stroke.
    // Values are worked out even for an infeasible gear, so that a bad start can be shown.
    LD total = 0;
    for (std::size_t k = 0; k < goals.size(); ++k) {
        const DesignGoal& goal = goals[k];
        const auto member = BalancedEvent(goal.kind);
        const LD scale = member == &EndEvents::lead ? perCent : 1.0L;
        LD sum = 0;
        int count = 0;
        bool measured = true;
        for (const NotchRow& r : e.rows) {
            if (goal.kind == GoalKind::FullGearCutoff && r.notch != largest) continue;
            const std::optional<float> f = r.events.front.*member;
            const std::optional<float> b = r.events.rear.*member;
            if (!f || !b) {
                if (e.problem.empty())
                    e.problem = std::string(!f ? "front " : "rear ") + EventName(member) +
                                " absent at " + RowText(r) + ", so " + GoalName(goal.kind) +
                                " cannot be measured";
                measured = false;
                break;
            }
            LD d = 0;
            switch (goal.kind) {
                case GoalKind::Lead: {
                    const LD df = (LD(*f) - goal.target) * scale;
                    const LD db = (LD(*b) - goal.target) * scale;
                    sum += (df * df + db * db) / 2;
                    break;
                }
                case GoalKind::FullGearCutoff:
                    d = (LD(*f) + LD(*b)) / 2 - goal.target;
                    sum += d * d;
                    break;
                default:
                    d = (LD(*f) - LD(*b)) * scale;
                    sum += d * d;
                    break;
            }
            ++count;
        }
        if (!measured) continue;
        const LD value = count > 0 ? sum / count : 0.0L;
        e.goalValues[k] = ToDouble(value);
        total += goal.weight * value;
    }
    if (e.problem.empty() && !std::isfinite(ToDouble(total)))
        e.problem = "the objective is not a finite number";
    e.feasible = e.problem.empty();
    bool allMeasured = true;
    for (double v : e.goalValues) allMeasured = allMeasured && !std::isnan(v);
    e.objective = allMeasured ? ToDouble(total) : std::numeric_limits<double>::quiet_NaN();
    return e;
}

}  // namespace mv
