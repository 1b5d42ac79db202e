#include "analysis/design_objective.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "model/dimensions.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

using LD = long double;

constexpr std::array<const char*, kGoalKinds> kGoalNames = {
    "cutoff-balance", "lead-balance",     "release-balance", "compression-balance",
    "lead",           "full-gear-cutoff", "travel",          "work-balance"};
constexpr std::array<const char*, kLimitKinds> kLimitNames = {
    "min-lead", "full-gear-drop", "travel", "geometry", "events", "reach"};

constexpr DimensionId kOffsetAngleId = 25;
// What a geometry error, a lost event or an unreachable row counts as at the least, in per cent
// of the stroke (or points): a clamp of a divisor or a crossing that only just vanished still
// breaks the limit, though no distance can be measured.
constexpr LD kLeastExcess = 0.01L;
// Steps of the sweep that measures how far a broken linkage is off, in degrees.
constexpr int kMeasureSamples = 36;

std::string Num(float v) {
    return FloatText(v);
}
std::string Num(double v) {
    return FormatSignificant(v, 6);
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
    bool steam;  // opened and closed by the steam edge, else by the exhaust edge
};
constexpr std::array<EventRef, 4> kEvents = {{{&EndEvents::admission, "admission", true},
                                              {&EndEvents::cutoff, "cut-off", true},
                                              {&EndEvents::release, "release", false},
                                              {&EndEvents::compression, "compression", false}}};

// The end value a goal reads at the front and the rear.
std::optional<float> EndEvents::*BalancedEvent(GoalKind k) {
    switch (k) {
        case GoalKind::ReleaseBalance: return &EndEvents::release;
        case GoalKind::CompressionBalance: return &EndEvents::compression;
        case GoalKind::LeadBalance:
        case GoalKind::Lead: return &EndEvents::lead;
        case GoalKind::CutoffBalance:
        case GoalKind::FullGearCutoff:
        case GoalKind::Travel:
        case GoalKind::WorkBalance: return &EndEvents::cutoff;
    }
    return &EndEvents::cutoff;
}

const char* EventName(std::optional<float> EndEvents::*m) {
    if (m == &EndEvents::lead) return "lead";
    for (const EventRef& e : kEvents)
        if (e.member == m) return e.name;
    return "event";
}

// --- How far a broken candidate is off ---------------------------------------------------------

// Two circles about points d apart meet when |r1 - r2| <= d <= r1 + r2; by how much they miss.
LD CirclesMiss(const Pivot& a, const Pivot& b, LD r1, LD r2) {
    const LD d = std::hypot(LD(a.x) - b.x, LD(a.y) - b.y);
    return std::max(
        {d - (std::fabs(r1) + std::fabs(r2)), std::fabs(std::fabs(r1) - std::fabs(r2)) - d, 0.0L});
}

struct TurnMeasure {
    LD shortfall = 0;       // largest sum over the constructions of how far a rod misses its pin
    LD sMin = 0, sMax = 0;  // extremes of the valve displacement
};

// Every 10 degrees of one turn at a setting: how far each construction is from closing (a rod
// too short to reach, two circles that do not meet), the largest sum over the turn, and where
// the valve goes. Only run for a candidate that is broken, so its cost does not matter.
TurnMeasure MeasureTurn(const Gear& g, float revArm) {
    const FrameDimensions& f = g.frame;
    const LD s2 = LD(f.stroke) / 2, d2 = LD(f.eccCircleDia) / 2;
    const LD reach = std::hypot(LD(f.auxHorz), LD(f.auxVert));
    const LD arm = LD(f.revArmLower) + f.revArmUpper;
    const LD eccentric = std::max({LD(f.eccCrankLen) - (std::fabs(s2) + std::fabs(d2)),
                                   std::fabs(std::fabs(s2) - std::fabs(d2)) - f.eccCrankLen, 0.0L});
    TurnMeasure out;
    out.sMin = std::numeric_limits<LD>::max();
    out.sMax = -out.sMin;
    for (int k = 0; k < kMeasureSamples; ++k) {
        const float angle = 360.0f * static_cast<float>(k) / kMeasureSamples;
        const LinkageSolution s = SolveLinkageOf(g, angle, revArm, true);
        const PivotArray& p = s.pivots;
        const auto beyond = [](LD v) { return std::max(v, 0.0L); };
        LD sum = eccentric;
        sum += beyond(std::fabs(LD(p[pv::CrankPin].y) - p[pv::Crosshead].y) - f.mainRod);
        sum +=
            beyond(std::fabs(std::sin(LD(angle) * 3.14159265358979323846L / 180) * s2) - f.mainRod);
        sum += beyond(std::fabs(LD(p[pv::RevArmTop].x) - p[pv::RevArmPivot2].x) - arm);
        sum += CirclesMiss(p[pv::RevArmPin], p[pv::GuideCentre], reach, f.guideLinkRadius);
        sum += CirclesMiss(p[pv::EccCrankPin], p[pv::GuideEnd], f.eccRodLeft, f.radiusHanger);
        sum += CirclesMiss(p[pv::BellPivot2], p[pv::EccRodEnd], f.bcHorz, f.transYoke);
        sum += beyond(std::fabs(LD(p[pv::BellVertPin].y) - p[pv::ValveJoint].y) - f.valveConRod);
        out.shortfall = std::max(out.shortfall, sum);
        const LD valve = LD(p[pv::ValveJoint].x) + g.cyl.valveStem - g.cyl.cylCtr;
        out.sMin = std::min(out.sMin, valve);
        out.sMax = std::max(out.sMax, valve);
    }
    return out;
}

// How far the valve stops short of making an event happen: an opening crosses zero only when
// its edge lies between the extremes of the valve's travel.
LD EventMiss(const ValveThresholds& t, const TurnMeasure& m, bool front, bool steam) {
    // The displacement at which the opening is zero.
    LD edge = 0;
    if (front)
        edge = steam ? LD(t.frontSteamEdge) : LD(t.frontExhaustEdge);
    else
        edge = steam ? -LD(t.rearSteamEdge) : -LD(t.rearExhaustEdge);
    return std::max(m.sMin - edge, edge - m.sMax);
}

// --- Checks of a problem -----------------------------------------------------------------------

std::string CheckBounds(const Gear& g, const VaryDimension& v) {
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

std::string CheckGoals(const Gear& g, const DesignProblem& p) {
    const double stroke = std::fabs(static_cast<double>(g.frame.stroke));
    std::array<bool, kGoalKinds> seen{};
    for (const DesignGoal& goal : p.goals) {
        const int k = static_cast<int>(goal.kind);
        if (k < 0 || k >= kGoalKinds) return "unknown goal";
        const std::string name = kGoalNames[static_cast<std::size_t>(k)];
        if (seen[static_cast<std::size_t>(k)]) return "goal " + name + " given twice";
        seen[static_cast<std::size_t>(k)] = true;
        if (!std::isfinite(goal.weight) || goal.weight < 0 || goal.weight > kMaxGoalWeight)
            return "goal " + name + ": weight must be from 0 to " + Num(kMaxGoalWeight);
        if (!std::isfinite(goal.target)) return "goal " + name + ": target must be finite";
        if (goal.kind == GoalKind::FullGearCutoff && (goal.target < 0 || goal.target > 100))
            return "goal " + name + ": target must be a per cent from 0 to 100";
        // No lead or valve travel of a gear comes near its stroke.
        if (goal.kind == GoalKind::Lead && std::fabs(goal.target) > stroke)
            return "goal " + name + ": target " + Num(goal.target) + " is larger than the stroke " +
                   Num(stroke);
        if (goal.kind == GoalKind::Travel && (goal.target <= 0 || goal.target > stroke))
            return "goal " + name + ": target must be above 0 and at most the stroke " +
                   Num(stroke);
        if (goal.kind == GoalKind::WorkBalance)
            if (const char* why = SteamConditionsProblem(p.steam))
                return "goal " + name + ": " + why;
    }
    return {};
}

std::string CheckRows(const DesignProblem& p) {
    const RowChoice& r = p.rows;
    if (r.values.empty())
        return r.basis == RowBasis::Cutoffs ? "no cut-off given" : "no notch given";
    if (r.values.size() > kMaxCutoffs) return "more than " + std::to_string(kMaxCutoffs) + " rows";
    for (float n : r.values) {
        if (r.basis == RowBasis::Notches && !(n >= 0 && n <= 1))
            return "notch " + Num(n) + " is outside 0..1 (fractions of \"Rev Arm to Cent Max\")";
        if (r.basis == RowBasis::Cutoffs && !(n > 0 && n < 100))
            return "cut-off " + Num(n) + " is not above 0 and below 100 (per cent)";
    }
    if (!std::isfinite(p.reverseWeight) || p.reverseWeight < 0 || p.reverseWeight > kMaxGoalWeight)
        return "the reverse weight must be from 0 to " + Num(kMaxGoalWeight);
    if (r.directions == Directions::Reverse && p.reverseWeight == 0)
        return "a reverse weight of 0 leaves no row to score in reverse";
    return {};
}

std::string CheckLimitValues(const Gear& g, const DesignLimits& l) {
    const double stroke = std::fabs(static_cast<double>(g.frame.stroke));
    if (l.minLead && (!std::isfinite(*l.minLead) || std::fabs(*l.minLead) > stroke))
        return "limit min-lead: " + Num(*l.minLead) + " is not a lead (at most the stroke " +
               Num(stroke) + ")";
    if (!std::isfinite(l.fullGearDrop) || l.fullGearDrop < 0 || l.fullGearDrop > 100)
        return "limit full-gear-drop: must be 0 to 100 points";
    if (l.travel) {
        const auto [lo, hi] = *l.travel;
        if (!std::isfinite(lo) || !std::isfinite(hi) || lo < 0 || lo > hi)
            return "limit travel: expected 0 <= LO <= HI";
        if (lo > stroke)
            return "limit travel: " + Num(lo) + " is larger than the stroke " + Num(stroke);
    }
    return {};
}

// The weight a row carries in the goals.
LD RowWeight(const DesignProblem& p, const NotchRow& r) {
    return r.direction == SweepDirection::Reverse ? LD(p.reverseWeight) : 1.0L;
}

bool LeftOut(const DesignProblem& p, const NotchRow& r) {
    const float v = r.cutoff ? *r.cutoff : r.notch;
    for (const RowKey& k : p.leftOut)
        if (k.direction == r.direction && k.value == v) return true;
    return false;
}

}  // namespace

const char* GoalName(GoalKind kind) {
    const auto k = static_cast<std::size_t>(kind);
    return k < kGoalNames.size() ? kGoalNames[k] : "?";
}

const char* LimitName(LimitKind kind) {
    const auto k = static_cast<std::size_t>(kind);
    return k < kLimitNames.size() ? kLimitNames[k] : "?";
}

bool GoalHasTarget(GoalKind kind) {
    return kind == GoalKind::Lead || kind == GoalKind::FullGearCutoff || kind == GoalKind::Travel;
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
                "full-gear-cutoff=P, travel=T, work-balance)";
        return std::nullopt;
    }
    goal.kind = static_cast<GoalKind>(it - kGoalNames.begin());
    if (GoalHasTarget(goal.kind)) {
        double t = 0;
        if (eq == std::string_view::npos || !ParseStrict(rest.substr(eq + 1), t)) {
            const char* form = goal.kind == GoalKind::Lead             ? "=L"
                               : goal.kind == GoalKind::FullGearCutoff ? "=P"
                                                                       : "=T";
            error = "goal '" + std::string(text) + "' needs a number: " + std::string(name) + form;
            return std::nullopt;
        }
        goal.target = t;
    } else if (eq != std::string_view::npos) {
        error = "goal " + std::string(name) + " takes no target";
        return std::nullopt;
    }
    if (goal.weight < 0 || goal.weight > kMaxGoalWeight) {
        error = "goal '" + std::string(text) + "': weight must be from 0 to " + Num(kMaxGoalWeight);
        return std::nullopt;
    }
    return goal;
}

bool IsVariableDimension(DimensionId id, bool undoable) {
    if (!IsDimensionId(id) || id == 26 || id == 27) return false;
    return id != kOffsetAngleId || !undoable;
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
    if (p.undoable && p.vary.size() > static_cast<std::size_t>(kMaxVariedDimensions))
        return "more than " + std::to_string(kMaxVariedDimensions) + " dimensions to vary";
    for (std::size_t i = 0; i < p.vary.size(); ++i) {
        const DimensionId id = p.vary[i].id;
        if (!IsVariableDimension(id, p.undoable))
            return "dimension " + std::to_string(id) + " cannot be varied (ids 1..24" +
                   (p.undoable ? "" : ", 25") + " and 101..122 can)";
        for (std::size_t j = 0; j < i; ++j)
            if (p.vary[j].id == id) return "dimension " + std::to_string(id) + " given twice";
        if (std::string e = CheckBounds(g, p.vary[i]); !e.empty()) return e;
    }
    if (std::string e = CheckGoals(g, p); !e.empty()) return e;
    if (std::string e = CheckRows(p); !e.empty()) return e;
    const std::size_t perDirection = p.rows.values.size();
    if (p.leftOut.size() >= perDirection * (p.rows.directions == Directions::Both ? 2 : 1))
        return "every row is left out";
    if (std::string e = CheckLimitValues(g, p.limits); !e.empty()) return e;
    if (p.maxEvaluations < 1 || p.maxEvaluations > kMaxEvaluationsLimit)
        return "the number of evaluations must be from 1 to " +
               std::to_string(kMaxEvaluationsLimit);
    if (!(p.subproblemShare >= 0 && p.subproblemShare <= 1))
        return "the share of a subproblem must be from 0 to 1";
    return {};
}

std::vector<NotchRow> LeaveOutUnreachableRows(const Gear& g, DesignProblem& p) {
    std::vector<NotchRow> dropped;
    if (p.rows.basis != RowBasis::Cutoffs) return dropped;
    Gear start = WithDimensions(g, {});
    start.gear.errorBeep = true;
    const std::vector<NotchRow> rows = CutoffRows(start, p.rows.values, p.rows.directions);
    for (SweepDirection d : {SweepDirection::Forward, SweepDirection::Reverse}) {
        // A direction that reaches none of them keeps them all: the start is then reported as
        // out of reach (or broken), rather than searched on no rows.
        const bool anyReached = std::any_of(rows.begin(), rows.end(), [&](const NotchRow& r) {
            return r.direction == d && r.Reachable();
        });
        if (!anyReached) continue;
        for (const NotchRow& r : rows) {
            if (r.direction != d || r.Reachable() || LeftOut(p, r)) continue;
            p.leftOut.push_back(RowKey{r.direction, *r.cutoff});
            dropped.push_back(r);
        }
    }
    return dropped;
}

DesignLimits EffectiveLimits(const DesignProblem& p, const DesignEvaluation& start) {
    DesignLimits l = p.limits;
    if (!l.minLead) l.minLead = std::min(0.0, start.values.minLead.value_or(0.0));
    return l;
}

std::string FloatText(float v) {
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    return std::string(buf.data(), res.ec == std::errc{} ? res.ptr : buf.data());
}

DesignEvaluation EvaluateDesign(const Gear& g, const DesignProblem& p,
                                const DesignEvaluation* start, const DesignLimits* limits) {
    DesignEvaluation e;
    const std::vector<DesignGoal> goals = EffectiveGoals(p);
    e.goalValues.assign(goals.size(), std::numeric_limits<double>::quiet_NaN());
    e.objective = std::numeric_limits<double>::quiet_NaN();
    if (!std::isfinite(g.revArmPositions[0])) {
        e.problem = "mid gear cannot be found";
        e.excess[static_cast<int>(LimitKind::Geometry)] = kLeastExcess;
        return e;
    }
    std::vector<NotchRow> rows;
    if (p.rows.basis == RowBasis::Cutoffs) {
        rows = CutoffRows(g, p.rows.values, p.rows.directions, &e.fullGear);
    } else {
        // Full gear in each direction searched: the rows of notch 1 when the problem has them.
        std::vector<float> notches = p.rows.values;
        const bool hasFull = std::find(notches.begin(), notches.end(), 1.0f) != notches.end();
        if (!hasFull) notches.push_back(1.0f);
        rows = NotchRows(g, notches, p.rows.directions);
        for (auto it = rows.begin(); it != rows.end();) {
            if (it->notch != 1.0f) {
                ++it;
                continue;
            }
            e.fullGear.push_back(*it);
            it = hasFull ? it + 1 : rows.erase(it);
        }
    }
    for (NotchRow& r : rows)
        if (!LeftOut(p, r)) e.rows.push_back(std::move(r));

    const LD stroke = std::fabs(LD(g.frame.stroke));
    e.stroke = static_cast<double>(stroke);
    // Lengths in the constraints are taken in per cent of the stroke, like the goals.
    const LD perCent = stroke > 0 ? 100.0L / stroke : 0.0L;
    const ValveThresholds t = ValveThresholdsOf(g.cyl);
    std::string geometryText, eventText, reachText;
    LD geometry = 0, lost = 0, reach = 0;

    auto check = [&](const NotchRow& r, const NotchRow* was) {
        if (!r.Reachable()) {
            reach += std::max(LD(r.reachShortfall), kLeastExcess);
            if (reachText.empty()) reachText = r.unreachable;
            return;
        }
        std::optional<TurnMeasure> measured;
        auto measure = [&]() -> const TurnMeasure& {
            if (!measured) measured = MeasureTurn(g, r.events.revArm);
            return *measured;
        };
        if (r.events.geometryError) {
            e.geometryError = true;
            geometry = std::max(geometry, std::max(measure().shortfall * perCent, kLeastExcess));
            if (geometryText.empty()) geometryText = "geometry error at " + RowText(r);
        }
        if (!was || !was->Reachable()) return;
        for (const EventRef& ev : kEvents) {
            for (bool front : {true, false}) {
                const EndEvents& now = front ? r.events.front : r.events.rear;
                const EndEvents& then = front ? was->events.front : was->events.rear;
                if (!(then.*ev.member).has_value() || (now.*ev.member).has_value()) continue;
                lost += std::max(EventMiss(t, measure(), front, ev.steam) * perCent, kLeastExcess);
                if (eventText.empty())
                    eventText = std::string(front ? "front " : "rear ") + ev.name + " lost at " +
                                RowText(r);
            }
        }
    };
    for (std::size_t i = 0; i < e.rows.size(); ++i)
        check(e.rows[i], start && i < start->rows.size() ? &start->rows[i] : nullptr);
    for (std::size_t i = 0; i < e.fullGear.size(); ++i)
        check(e.fullGear[i], start && i < start->fullGear.size() ? &start->fullGear[i] : nullptr);

    // The values the limits read.
    for (const NotchRow& r : e.rows) {
        if (!r.Reachable()) continue;
        for (const EndEvents* end : {&r.events.front, &r.events.rear})
            if (end->lead)
                e.values.minLead =
                    std::min(e.values.minLead.value_or(*end->lead), double(*end->lead));
    }
    for (std::size_t i = 0; i < e.fullGear.size(); ++i) {
        const EventRow& r = e.fullGear[i].events;
        if (r.travel) {
            e.values.travelLow =
                std::min(e.values.travelLow.value_or(*r.travel), double(*r.travel));
            e.values.travelHigh =
                std::max(e.values.travelHigh.value_or(*r.travel), double(*r.travel));
        }
        const std::optional<float> now = MeanCutoff(r);
        const std::optional<float> was =
            start && i < start->fullGear.size() ? MeanCutoff(start->fullGear[i].events) : now;
        if (now && was)
            e.values.drop = std::max(e.values.drop.value_or(-1e30), double(LD(*was) - *now));
    }
    if (!start) e.values.drop = 0.0;

    const DesignLimits in = limits ? *limits : EffectiveLimits(p, start ? *start : e);
    auto& x = e.excess;
    x[static_cast<int>(LimitKind::Geometry)] = static_cast<double>(geometry);
    x[static_cast<int>(LimitKind::Events)] = static_cast<double>(lost);
    x[static_cast<int>(LimitKind::Reach)] = static_cast<double>(reach);
    std::string limitText;
    if (in.minLead && e.values.minLead) {
        const LD v = (LD(*in.minLead) - *e.values.minLead) * perCent;
        x[static_cast<int>(LimitKind::MinLead)] = ToDouble(v);
        if (v > 0 && limitText.empty())
            limitText = "min-lead: the smallest lead " + Num(*e.values.minLead) + " is below " +
                        Num(*in.minLead);
    }
    if (e.values.drop) {
        const LD v = LD(*e.values.drop) - in.fullGearDrop;
        x[static_cast<int>(LimitKind::FullGearDrop)] = ToDouble(v);
        if (v > 0 && limitText.empty())
            limitText = "full-gear-drop: the full-gear mean cut-off falls " + Num(*e.values.drop) +
                        " points, more than " + Num(in.fullGearDrop);
    }
    if (in.travel && e.values.travelLow) {
        const auto [lo, hi] = *in.travel;
        const LD v =
            std::max(LD(lo) - *e.values.travelLow, LD(*e.values.travelHigh) - hi) * perCent;
        x[static_cast<int>(LimitKind::Travel)] = ToDouble(v);
        if (v > 0 && limitText.empty())
            limitText =
                "travel: the full-gear valve travel " + Num(*e.values.travelLow) +
                (*e.values.travelLow != *e.values.travelHigh ? ".." + Num(*e.values.travelHigh)
                                                             : std::string()) +
                " is outside " + Num(lo) + ".." + Num(hi);
    }

    // Each goal is a mean over its rows (reverse rows weighted) of a squared difference in per
    // cent of the stroke. Values are worked out even for an infeasible gear, so that a bad start
    // can be shown, and over the rows that can be measured, so that a search can follow it.
    std::string goalText;
    float largest = 0;
    for (const NotchRow& r : e.rows) largest = std::max(largest, r.notch);
    LD total = 0, partial = 0;
    bool allMeasured = true;
    for (std::size_t k = 0; k < goals.size(); ++k) {
        const DesignGoal& goal = goals[k];
        const bool fullGearGoal =
            goal.kind == GoalKind::Travel ||
            (goal.kind == GoalKind::FullGearCutoff && p.rows.basis == RowBasis::Cutoffs) ||
            (goal.kind == GoalKind::Lead && p.leadAtFullGear);
        const auto member = BalancedEvent(goal.kind);
        const LD scale = member == &EndEvents::lead ? perCent : 1.0L;
        LD sum = 0, weights = 0;
        bool measured = true;
        for (const NotchRow& r : fullGearGoal ? e.fullGear : e.rows) {
            if (!r.Reachable()) {
                measured = false;
                continue;
            }
            if (goal.kind == GoalKind::FullGearCutoff && !fullGearGoal && r.notch != largest)
                continue;
            const LD w = RowWeight(p, r);
            if (goal.kind == GoalKind::WorkBalance) {
                // The cheap figure: closed-form cards from the events already found.
                const std::optional<float> imbalance = WorkImbalance(g, r.events, p.steam);
                if (!imbalance) {
                    if (goalText.empty())
                        goalText = "no work imbalance at " + RowText(r) +
                                   " (an end without a card), so work-balance cannot be measured";
                    measured = false;
                    continue;
                }
                sum += w * LD(*imbalance) * LD(*imbalance);
                weights += w;
                continue;
            }
            if (goal.kind == GoalKind::Travel) {
                if (!r.events.travel) {
                    measured = false;
                    continue;
                }
                const LD d = (LD(*r.events.travel) - goal.target) * perCent;
                sum += w * d * d;
                weights += w;
                continue;
            }
            const std::optional<float> f = r.events.front.*member;
            const std::optional<float> b = r.events.rear.*member;
            if (!f || !b) {
                if (goalText.empty())
                    goalText = std::string(!f ? "front " : "rear ") + EventName(member) +
                               " absent at " + RowText(r) + ", so " + GoalName(goal.kind) +
                               " cannot be measured";
                measured = false;
                continue;
            }
            LD sq = 0;
            if (goal.kind == GoalKind::Lead) {
                const LD df = (LD(*f) - goal.target) * scale;
                const LD db = (LD(*b) - goal.target) * scale;
                sq = (df * df + db * db) / 2;
            } else {
                const LD d = goal.kind == GoalKind::FullGearCutoff
                                 ? (LD(*f) + LD(*b)) / 2 - goal.target
                                 : (LD(*f) - LD(*b)) * scale;
                sq = d * d;
            }
            sum += w * sq;
            weights += w;
        }
        const LD value = weights > 0 ? sum / weights : 0.0L;
        if (!measured) {
            // Rows that cannot be measured must not look better than the start: a gear that
            // loses its events would otherwise score 0 and draw the search to it. The limits
            // that such a gear breaks then lead back.
            const double was =
                start && k < start->goalValues.size() ? start->goalValues[k] : double(value);
            partial += goal.weight * std::max(value, LD(std::isfinite(was) ? was : 0.0));
            allMeasured = false;
            continue;
        }
        partial += goal.weight * value;
        e.goalValues[k] = ToDouble(value);
        total += goal.weight * value;
    }
    if (allMeasured) e.objective = ToDouble(total);
    e.searchObjective = ToDouble(partial);
    if (!std::isfinite(e.searchObjective)) e.searchObjective = std::numeric_limits<double>::max();

    // The first reason, most basic first.
    for (const std::string* why : {&geometryText, &eventText, &reachText, &goalText, &limitText})
        if (e.problem.empty() && !why->empty()) e.problem = *why;
    if (stroke == 0 && e.problem.empty()) e.problem = "the stroke is 0";
    if (e.problem.empty() && allMeasured && !std::isfinite(e.objective))
        e.problem = "the objective is not a finite number";
    bool within = true;
    for (double v : e.excess) within = within && v <= 0;
    e.feasible = e.problem.empty() && within && allMeasured;
    return e;
}

}  // namespace mv
