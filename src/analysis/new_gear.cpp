#include "analysis/new_gear.hpp"

#include <algorithm>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <span>

#include "analysis/cutoff_rows.hpp"
#include "analysis/design_assistant.hpp"
#include "analysis/design_objective.hpp"
#include "analysis/event_table.hpp"
#include "analysis/scale_gear.hpp"
#include "model/dimensions.hpp"
#include "model/edits.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

using LD = long double;
constexpr LD kPi = std::numbers::pi_v<long double>;

Gear BuiltIn() {
    Model m;
    StartUp(m);
    return static_cast<const Gear&>(m);
}

float ToFloat(LD v) {
    constexpr LD kMax = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(v, -kMax, kMax));
}

double Rounded(double v, double unit) {
    return std::round(v / unit) * unit;
}

std::string Num(double v) {
    return FormatSignificant(v, 6);
}

LD Sq(LD v) {
    return v * v;
}

// How many tolerances a dimension's room may move the targets by (see TuneNewGear).
constexpr LD kRoomInTolerances = 20;

// The share of the evaluations left that one subproblem of the search may take (see
// TuneNewGear).
constexpr double kSubproblemShare = 2.0 / 3.0;

// Notches from mid gear to full gear at which the new gear must solve without a clamp.
constexpr int kGeometryNotches = 21;

}  // namespace

BasicData BuiltInBasicData() {
    const Gear g = BuiltIn();
    BasicData d;
    d.stroke = g.frame.stroke;
    d.driverDia = g.frame.driverDia;
    d.mainRod = g.frame.mainRod;
    d.cylinderCentre = g.cyl.cylCtr;
    d.cylinderHeight = g.pivots[pv::Crosshead].y;
    d.bore = g.cyl.boreDia;
    const ValveThresholds t = ValveThresholdsOf(g.cyl);
    d.lap = Rounded(t.frontSteamLap, 1e-4);
    d.exhaustLap = 0;
    const EventRow full =
        ComputeEventRow(g, NotchSetting(g, 1, SweepDirection::Forward), SweepDirection::Forward);
    d.travel = full.travel ? Rounded(*full.travel, 1e-4) : 0;
    if (full.front.lead && full.rear.lead)
        d.lead = Rounded((*full.front.lead + *full.rear.lead) / 2.0, 1e-4);
    d.portWidth = g.cyl.steamPortFront;
    d.bridgeWidth = g.cyl.bridgeFront;
    d.exhaustPortWidth = g.cyl.exhaustPort;
    d.maxEvaluations = kDefaultNewGearEvaluations;
    return d;
}

namespace {

// The defaults of the optional values for this stroke and main rod.
struct Filled {
    double x, h, bore, elap, port, bridge, exhaustPort;
};

Filled Fill(const BasicData& d, const Gear& scaled) {
    Filled f{};
    f.x = d.cylinderCentre.value_or(static_cast<LD>(scaled.cyl.cylCtr) +
                                    (d.mainRod - static_cast<LD>(scaled.frame.mainRod)));
    f.h = d.cylinderHeight.value_or(0);
    f.bore = d.bore.value_or(scaled.cyl.boreDia);
    f.elap = d.exhaustLap.value_or(0);
    f.port = d.portWidth.value_or(scaled.cyl.steamPortFront);
    f.bridge = d.bridgeWidth.value_or(scaled.cyl.bridgeFront);
    f.exhaustPort = d.exhaustPortWidth.value_or(scaled.cyl.exhaustPort);
    return f;
}

// Mean over a turn at mid gear of pivot a relative to pivot b.
struct Offset {
    LD x = 0, y = 0;
};
Offset MeanOffset(const Gear& g, int a, int b) {
    constexpr int kSamples = 36;
    Offset o;
    for (int i = 0; i < kSamples; ++i) {
        const LinkageSolution s = SolveLinkageOf(g, 360.0f * static_cast<float>(i) / kSamples,
                                                 g.revArmPositions[0], false);
        o.x += LD(s.pivots[a].x) - s.pivots[b].x;
        o.y += LD(s.pivots[a].y) - s.pivots[b].y;
    }
    o.x /= kSamples;
    o.y /= kSamples;
    return o;
}

// Mean valve displacement over a turn at mid gear.
LD MeanValve(const Gear& g) {
    constexpr int kSamples = 36;
    LD sum = 0;
    for (int i = 0; i < kSamples; ++i)
        sum += SolveGear(g, 360.0f * static_cast<float>(i) / kSamples, g.revArmPositions[0], false)
                   .valve.displacement;
    return sum / kSamples;
}

// The left end of the eccentric rod once the linkage it drives has moved by (dx, dy): longer by
// as much as the rod's mean line of action (the eccentric crank pin circles the driver centre);
// absent when nothing that long is left.
std::optional<LD> MovedRodLeft(const Gear& g, LD dx, LD dy) {
    const Offset v = MeanOffset(g, pv::HangerPin, pv::EccCrankPin);
    const LD rod = LD(g.frame.eccRodLeft) + std::hypot(v.x + dx, v.y + dy) - std::hypot(v.x, v.y);
    if (!(rod > LD(g.frame.eccRodLeft) * 0.05L)) return std::nullopt;
    return rod;
}

}  // namespace

std::string BasicDataProblem(const BasicData& d) {
    struct Value {
        const char* name;
        std::optional<double> v;
        bool positive;
    };
    const Value values[] = {
        {"stroke", d.stroke, true},
        {"driver diameter", d.driverDia, true},
        {"main rod", d.mainRod, true},
        {"cylinder centre", d.cylinderCentre, false},
        {"cylinder height", d.cylinderHeight, false},
        {"bore", d.bore, true},
        {"travel", d.travel, true},
        {"lap", d.lap, false},
        {"exhaust lap", d.exhaustLap, false},
        {"lead", d.lead, false},
        {"port width", d.portWidth, true},
        {"bridge width", d.bridgeWidth, true},
        {"exhaust port width", d.exhaustPortWidth, true},
        {"full-gear cut-off", d.fullGearCutoff, true},
    };
    // Well inside the float range, so that every sum of the steps stays finite.
    constexpr double kLargest = 1e30;
    for (const Value& v : values) {
        if (!v.v) continue;
        const std::string name = v.name;
        if (!std::isfinite(*v.v)) return "the " + name + " is not a finite number";
        if (std::fabs(*v.v) > kLargest) return "the " + name + " is too large";
        if (v.positive && !(*v.v > 0)) return "the " + name + " must be above 0";
    }
    const double h = d.cylinderHeight.value_or(0);
    if (!(d.mainRod > d.stroke / 2 + std::fabs(h)))
        return "the main rod (" + Num(d.mainRod) + ") must be longer than half the stroke" +
               (h != 0 ? " plus the cylinder height (" : " (") + Num(d.stroke / 2 + std::fabs(h)) +
               ")";
    if (d.lap < 0) return "the lap must not be negative";
    if (d.lead < 0)
        return "the lead must not be negative (a new gear keeps every lead at 0 or above)";
    if (!(d.lap < d.travel / 2))
        return "the lap (" + Num(d.lap) + ") must be smaller than half the travel (" +
               Num(d.travel / 2) + "), or the valve never opens";
    if (d.fullGearCutoff && !(*d.fullGearCutoff < 100))
        return "the full-gear cut-off must be a per cent of the stroke below 100";
    if (d.maxEvaluations < 0 || d.maxEvaluations > kMaxEvaluationsLimit)
        return "the number of evaluations must be from 1 to " +
               std::to_string(kMaxEvaluationsLimit);

    const Gear builtIn = BuiltIn();
    const double k = d.stroke / builtIn.frame.stroke;
    if (const std::string p = ScaleFactorProblem(builtIn, k); !p.empty())
        return "the stroke is out of the model's range: " + p;
    const Gear scaled = ScaledBuiltInGear(d.stroke);
    const Filled f = Fill(d, scaled);
    const double elapLow = -(f.exhaustPort / 2 + f.bridge);
    if (!(f.elap > elapLow))
        return "the exhaust lap (" + Num(f.elap) +
               ") must be above -(exhaust port / 2 + bridge) (" + Num(elapLow) +
               "), or the valve has no exhaust cavity";
    if (!(f.elap < d.lap + f.port))
        return "the exhaust lap (" + Num(f.elap) + ") must be below lap + port width (" +
               Num(d.lap + f.port) + "), or the exhaust cavity is wider than the valve";
    if (!(f.x > d.mainRod))
        return "the cylinder centre (" + Num(f.x) + ") must lie beyond the main rod's length (" +
               Num(d.mainRod) + ")";
    const LD dx = f.x - static_cast<LD>(scaled.cyl.cylCtr);
    const LD dy = f.h - static_cast<LD>(scaled.pivots[pv::Crosshead].y);
    if (!MovedRodLeft(scaled, dx, dy))
        return "the cylinder centre (" + Num(f.x) +
               ") is too close to the driver for the valve "
               "gear: the eccentric rod would not reach";
    return {};
}

Gear ScaledBuiltInGear(double stroke) {
    const Gear b = BuiltIn();
    const Gear g = ScaledGear(b, stroke / b.frame.stroke);
    const DimensionValue exact[] = {{2, ToFloat(stroke)}};
    return WithDimensions(g, exact);
}

Gear WithCylinderAt(const Gear& g, double mainRod, double x, double h) {
    const LD dx = x - static_cast<LD>(g.cyl.cylCtr);
    const LD dy = h - static_cast<LD>(g.pivots[pv::Crosshead].y);
    std::vector<DimensionValue> c = {{3, ToFloat(mainRod)},
                                     {101, ToFloat(x)},
                                     {102, ToFloat(h)},
                                     {106, ToFloat(LD(x) - mainRod)}};
    // The fixed pivots of the frame between the driver and the cylinder, as (vertical,
    // horizontal) dimension pairs.
    for (const auto& [v, hz] : {std::pair{10, 11}, std::pair{13, 14}, std::pair{23, 24}}) {
        const auto vid = static_cast<DimensionId>(v), hid = static_cast<DimensionId>(hz);
        c.push_back({vid, ToFloat(GetDimension(g, vid) + dy)});
        c.push_back({hid, ToFloat(GetDimension(g, hid) + dx)});
    }
    const std::optional<LD> rodLeft = MovedRodLeft(g, dx, dy);
    if (!rodLeft) return WithDimensions(g, c);
    // The valve takes its motion from the eccentric rod's right end, which the rod's swing moves
    // up and down: both parts of the rod grow in proportion so that the end swings as before.
    const LD grow = *rodLeft / g.frame.eccRodLeft;
    c.push_back({6, ToFloat(*rodLeft)});
    c.push_back({7, ToFloat(grow * g.frame.eccRodRight)});
    const Gear moved = WithDimensions(g, c);
    // The longer right part carries the rod's end a little further: the bell crank follows it,
    // and the valve stem takes up what that leaves, so the valve keeps its mean position.
    const Offset before = MeanOffset(g, pv::EccRodEnd, pv::HangerPin);
    const Offset after = MeanOffset(moved, pv::EccRodEnd, pv::HangerPin);
    const DimensionValue bell[] = {{13, ToFloat(GetDimension(moved, 13) + (after.y - before.y))},
                                   {14, ToFloat(GetDimension(moved, 14) + (after.x - before.x))}};
    const Gear follows = WithDimensions(moved, bell);
    const DimensionValue stem[] = {
        {122, ToFloat(LD(follows.cyl.valveStem) - (MeanValve(follows) - MeanValve(g)))}};
    return WithDimensions(follows, stem);
}

Gear WithValve(const Gear& g, const ValveData& v) {
    const LD e = v.exhaustPortWidth, b = v.bridgeWidth, w = v.portWidth;
    const LD half = LD(v.lap) + e / 2 + b + w;
    const LD cavity = LD(v.exhaustLap) + e / 2 + b;
    // The built-in chamber leaves about a tenth of the valve's sweep free.
    const LD chamber = std::max<LD>(g.cyl.chamberLength, 1.1L * (2 * half + LD(v.travel)));
    const DimensionValue c[] = {{110, ToFloat(e)},      {111, ToFloat(b)},
                                {112, ToFloat(b)},      {113, ToFloat(w)},
                                {114, ToFloat(w)},      {118, ToFloat(half)},
                                {119, ToFloat(half)},   {120, ToFloat(cavity)},
                                {121, ToFloat(cavity)}, {116, ToFloat(chamber)}};
    return WithDimensions(g, c);
}

Gear NewGearStart(const BasicData& d) {
    Gear g = ScaledBuiltInGear(d.stroke);
    const Filled f = Fill(d, g);
    const DimensionValue sizes[] = {{1, ToFloat(d.driverDia)}, {103, ToFloat(f.bore)}};
    g = WithDimensions(g, sizes);
    g = WithCylinderAt(g, d.mainRod, f.x, f.h);
    return WithValve(g, ValveData{d.lap, f.elap, f.port, f.bridge, f.exhaustPort, d.travel});
}

// --- The classic relation ----------------------------------------------------------------------

std::optional<double> ClassicCutoff(double travel, double lap, double lead) {
    const LD r = LD(travel) / 2;
    if (!(r > 0) || !(lap >= 0) || !(LD(lap) + lead < r) || !(LD(lap) + lead >= 0))
        return std::nullopt;
    // Valve displacement r sin(theta + delta) opens by the lead at dead centre and closes when
    // it is back at the lap on the way down.
    const LD delta = std::asin((LD(lap) + lead) / r);
    const LD closing = kPi - delta - std::asin(LD(lap) / r);
    return static_cast<double>(50.0L * (1.0L - std::cos(closing)));
}

std::optional<double> ClassicTravelFor(double percent, double lap, double lead) {
    if (!(percent > 0 && percent < 100) || !(lap >= 0) || !(lead >= 0) || !(lap + lead > 0))
        return std::nullopt;
    // The cut-off grows with the travel, from 50 lead / (lap + lead) at a travel of
    // 2 (lap + lead) toward 100.
    const double low = 2 * (lap + lead);
    const auto f = [&](double t) {
        const std::optional<double> c = ClassicCutoff(t, lap, lead);
        return (c ? *c : 50.0 * lead / (lap + lead)) - percent;
    };
    if (f(low) >= 0) return low;
    double high = low * 2;
    for (int i = 0; i < 200 && f(high) < 0; ++i) high *= 2;
    if (f(high) < 0) return std::nullopt;
    std::uintmax_t steps = 200;
    const auto [a, b] = boost::math::tools::toms748_solve(
        f, low, high, [](double x, double y) { return std::fabs(y - x) <= 1e-12 * y; }, steps);
    return (a + b) / 2;
}

// --- The whole procedure -------------------------------------------------------------------

bool NewGearResult::allMet() const {
    if (geometryError) return false;
    return std::all_of(targets.begin(), targets.end(),
                       [](const NewGearTarget& t) { return t.met; });
}

namespace {

// Front minus rear cut-off in points of a row placed at a cut-off; absent when it could not be
// placed or an end lacks its cut-off.
std::optional<double> CutoffDifference(const NotchRow& r) {
    if (!r.Reachable() || !r.events.front.cutoff || !r.events.rear.cutoff) return std::nullopt;
    return LD(*r.events.front.cutoff) - *r.events.rear.cutoff;
}

NewGearTarget Target(std::string key, std::string label, double target,
                     std::optional<double> reached, double tolerance, bool percent) {
    NewGearTarget t;
    t.key = std::move(key);
    t.label = std::move(label);
    t.target = target;
    t.reached = reached;
    t.tolerance = tolerance;
    t.percent = percent;
    t.met = reached && std::fabs(*reached - target) <= tolerance;
    return t;
}

std::string ClassicRelationText(const BasicData& d) {
    std::string s =
        "by the classic relation (cut-off = 50 (1 + cos(d + asin(2 lap / travel))) %, "
        "sin d = 2 (lap + lead) / travel) ";
    const std::optional<double> c = ClassicCutoff(d.travel, d.lap, d.lead);
    s += "a travel of " + Num(d.travel) + " with lap " + Num(d.lap) + " and lead " + Num(d.lead);
    s += c ? " cuts off at about " + FormatFixed(*c, 0, 1) + " %" : " never opens the port";
    if (d.fullGearCutoff) {
        const std::optional<double> t = ClassicTravelFor(*d.fullGearCutoff, d.lap, d.lead);
        s += t ? "; " + FormatFixed(*d.fullGearCutoff, 0, 1) + " % needs a travel of about " +
                     Num(*t)
               : "; no travel gives " + FormatFixed(*d.fullGearCutoff, 0, 1) +
                     " % with this lap and lead";
    }
    return s;
}

// The targets of the new gear `g`, from its rows at the balanced cut-offs and its forward
// full-gear row. `cutShort` says why the tuning ended before it was done; empty when it ended by
// itself.
std::vector<NewGearTarget> MeasureTargets(const Gear& g, const BasicData& d,
                                          const std::vector<NotchRow>& rows, const EventRow& full,
                                          const std::string& cutShort) {
    std::vector<NewGearTarget> out;
    const double stroke = d.stroke;
    const double lapTol = kNewGearLapShare * stroke;
    const ValveThresholds t = ValveThresholdsOf(g.cyl);
    const double elap = d.exhaustLap.value_or(0);
    out.push_back(
        Target("steam_lap_front", "Steam lap, front", d.lap, t.frontSteamLap, lapTol, false));
    out.push_back(
        Target("steam_lap_rear", "Steam lap, rear", d.lap, t.rearSteamLap, lapTol, false));
    out.push_back(
        Target("exhaust_lap_front", "Exhaust lap, front", elap, t.frontExhaustLap, lapTol, false));
    out.push_back(
        Target("exhaust_lap_rear", "Exhaust lap, rear", elap, t.rearExhaustLap, lapTol, false));

    const auto opt = [](const std::optional<float>& v) {
        return v ? std::optional<double>(*v) : std::nullopt;
    };
    out.push_back(Target("travel", "Full-gear travel", d.travel, opt(full.travel),
                         kNewGearTravelShare * d.travel, false));
    // A lead of 0 is met within a thousandth of the stroke.
    const double leadTol = std::max(kNewGearLeadShare * d.lead, 1e-3 * stroke);
    out.push_back(Target("lead_front", "Full-gear lead, front", d.lead, opt(full.front.lead),
                         leadTol, false));
    out.push_back(
        Target("lead_rear", "Full-gear lead, rear", d.lead, opt(full.rear.lead), leadTol, false));
    if (d.fullGearCutoff)
        out.push_back(Target("full_gear_cutoff", "Full-gear cut-off", *d.fullGearCutoff,
                             opt(MeanCutoff(full)), kNewGearCutoffPoints, true));
    const std::string n = FormatFixed(kWorkingCutoff, 0, 0);
    std::optional<double> diff;
    std::string unplaced;
    for (const NotchRow& r : rows) {
        if (r.cutoff != kWorkingCutoff) continue;
        diff = CutoffDifference(r);
        unplaced = r.unreachable;
    }
    NewGearTarget b = Target("cutoff_balance_" + n, "Front - rear cut-off at " + n + " %", 0, diff,
                             kNewGearCutoffPoints, true);
    b.reason = unplaced;
    out.push_back(std::move(b));

    // Reasons for what was not met.
    const bool opens = d.lap + d.lead < d.travel / 2;
    for (NewGearTarget& x : out) {
        if (x.met || !x.reason.empty()) continue;
        if (!x.reached) {
            x.reason = "not measured: the event does not happen in full gear";
        } else if (x.key == "full_gear_cutoff") {
            x.reason = ClassicRelationText(d);
        } else if ((x.key == "travel" || x.key.starts_with("lead")) && !opens) {
            x.reason = "lap + lead (" + Num(d.lap + d.lead) +
                       ") is not below half the travel: the port cannot open by the lead";
        } else if (x.key.starts_with("steam_lap") || x.key.starts_with("exhaust_lap")) {
            x.reason = "the valve's numbers cannot hold this lap exactly";
        } else if (!cutShort.empty()) {
            x.reason = cutShort;
        } else {
            x.reason =
                "the linkage could not be tuned closer without a geometry error, a "
                "negative lead or a lost event";
        }
    }
    return out;
}

struct TuneResult {
    Gear gear;
    int evaluations = 0;
    bool stopped = false;
    std::string failure;
};

// The dimensions that define the linkage: everything between the eccentric crank and the valve
// stem, the reverse arm and its pivot, the offset angle. The wheel, crank, main rod, cylinder and
// valve are the designer's; varying them would undo steps 1 to 3.
constexpr std::array<DimensionId, 23> kLinkage = {4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                                  16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 122};

bool IsCoordinate(DimensionId id) {
    // Pivot coordinates, the backset and the valve stem are places rather than sizes: their
    // room is a share of the stroke, not of their value.
    return id == 10 || id == 11 || id == 13 || id == 14 || id == 16 || id == 23 || id == 24 ||
           id == 122;
}

// How far each target is from being met, in its own tolerances: 1 is at the edge of met.
std::vector<LD> Misses(const DesignEvaluation& e, const BasicData& d) {
    std::vector<LD> out;
    const NotchRow* full = nullptr;
    for (const NotchRow& r : e.fullGear)
        if (r.direction == SweepDirection::Forward) full = &r;
    const auto add = [&out](const std::optional<float>& v, LD target, LD tolerance) {
        out.push_back(v ? (LD(*v) - target) / tolerance : 1e3L);
    };
    const LD leadTol = std::max<LD>(kNewGearLeadShare * d.lead, 1e-3L * d.stroke);
    add(full ? full->events.travel : std::nullopt, d.travel, kNewGearTravelShare * d.travel);
    add(full ? full->events.front.lead : std::nullopt, d.lead, leadTol);
    add(full ? full->events.rear.lead : std::nullopt, d.lead, leadTol);
    for (const NotchRow& r : e.rows) {
        const bool both = r.Reachable() && r.events.front.cutoff && r.events.rear.cutoff;
        out.push_back(both ? (LD(*r.events.front.cutoff) - *r.events.rear.cutoff) /
                                 kNewGearCutoffPoints
                           : 1e3L);
    }
    return out;
}

// Step 4: the design assistant, with goals weighted so that each counts in its own tolerance.
TuneResult TuneNewGear(const Gear& start, const BasicData& d, std::stop_token stop,
                       const std::function<void(const NewGearProgress&)>& progress) {
    DesignProblem p;
    p.undoable = false;
    p.leadAtFullGear = true;
    p.rows = RowChoice{
        RowBasis::Cutoffs, {kBalancedCutoffs.begin(), kBalancedCutoffs.end()}, Directions::Both};
    // Reverse rows are judged by the limits only: a new gear is designed for forward running.
    p.reverseWeight = 0;
    p.maxEvaluations = d.maxEvaluations > 0 ? d.maxEvaluations : kDefaultNewGearEvaluations;
    p.seed = d.seed;
    // The goals below weigh a hundredth of the stroke of lead hundreds of times more than the
    // search's penalty for the same breach of a limit, which grows only between subproblems:
    // left to spend the whole budget on its first one, the search may leave the limits early
    // and never come back.
    p.subproblemShare = kSubproblemShare;
    p.limits.minLead = 0;
    // A new gear has no full-gear cut-off to keep; the travel and lead decide it.
    p.limits.fullGearDrop = 100;
    // Each goal is a mean of squares in per cent of the stroke; these weights make each count
    // in units of its tolerance, so that meeting one is worth as much as meeting another.
    const LD s = d.stroke;
    const LD leadTol = std::max<LD>(kNewGearLeadShare * d.lead, 1e-3L * s);
    const auto w = [](LD x) { return static_cast<double>(std::min<LD>(x, kMaxGoalWeight)); };
    p.goals = {DesignGoal{GoalKind::Travel, d.travel,
                          w(Sq(s / (100 * kNewGearTravelShare * LD(d.travel))))},
               DesignGoal{GoalKind::Lead, d.lead, w(2 * Sq(s / (100 * leadTol)))},
               DesignGoal{GoalKind::CutoffBalance, 0, w(4 / Sq(LD(kNewGearCutoffPoints)))}};
    if (d.fullGearCutoff)
        p.goals.push_back(DesignGoal{GoalKind::FullGearCutoff, *d.fullGearCutoff,
                                     w(1 / Sq(LD(kNewGearCutoffPoints)))});

    // Room for each dimension: as far as moves the targets by some twenty tolerances, and at
    // most 15 % of its value (of the stroke for a place, 10 degrees for the offset angle). The
    // valve's place is worth a point of cut-off per thousandth of the stroke, the offset angle
    // next to nothing near mid gear: one share for all would starve the first or waste the
    // search on the second.
    // A cut-off the start gear cannot place (the shortest, in reverse, say) is left out rather
    // than made a limit the start already breaks.
    LeaveOutUnreachableRows(start, p);
    const DesignEvaluation base = EvaluateDesign(start, p, nullptr);
    const std::vector<LD> m0 = Misses(base, d);
    for (const DimensionId id : kLinkage) {
        const LD v = GetDimension(start, id);
        const LD most = id == 25 ? 10.0L : IsCoordinate(id) ? 0.15L * s : 0.15L * std::fabs(v);
        const LD h = id == 25 ? 0.1L : 1e-3L * s;
        const DimensionValue moved[] = {{id, ToFloat(v + h)}};
        const std::vector<LD> m1 =
            Misses(EvaluateDesign(WithDimensions(start, moved), p, nullptr), d);
        LD slope = 0;
        if (m1.size() == m0.size())
            for (std::size_t i = 0; i < m0.size(); ++i) slope += Sq((m1[i] - m0[i]) / h);
        slope = std::sqrt(slope);
        const LD room = slope > 0 ? std::min(most, kRoomInTolerances / slope) : most;
        if (!(room > 0)) continue;
        p.vary.push_back(VaryDimension{id, ToFloat(v - room), ToFloat(v + room)});
    }

    TuneResult out{start, 1, false, {}};
    if (!ValidateProblem(start, p).empty()) return out;
    const int budget = p.maxEvaluations;
    const DesignResult r =
        RunDesignSearch(start, p, std::move(stop), [&](const DesignProgress& pr) {
            if (progress) progress(NewGearProgress{pr.evaluations, budget});
        });
    out.evaluations = r.evaluations;
    out.stopped = r.stopped;
    out.failure = r.failure;
    out.gear = WithDimensions(start, ChangedDimensions(p, r));
    return out;
}

bool AnyGeometryError(const Gear& g) {
    std::vector<float> notches;
    notches.reserve(kGeometryNotches);
    for (int i = 0; i < kGeometryNotches; ++i)
        notches.push_back(static_cast<float>(i) / (kGeometryNotches - 1));
    const std::vector<NotchRow> rows = NotchRows(g, notches, Directions::Both);
    return std::any_of(rows.begin(), rows.end(),
                       [](const NotchRow& r) { return r.events.geometryError; });
}

}  // namespace

NewGearResult MakeNewGear(const BasicData& d, std::stop_token stop,
                          const std::function<void(const NewGearProgress&)>& progress) {
    NewGearResult r;
    Gear start = NewGearStart(d);
    start.gear.errorBeep = true;
    const TuneResult tuned = TuneNewGear(start, d, std::move(stop), progress);
    r.gear = tuned.gear;
    r.evaluations = tuned.evaluations;
    r.stopped = tuned.stopped;
    r.failure = tuned.failure;
    ComputeMidGear(r.gear);
    std::vector<NotchRow> full;
    const std::vector<NotchRow> rows =
        CutoffRows(r.gear, kBalancedCutoffs, Directions::Forward, &full);
    // A search that used its whole budget may have been on its way: saying the limits stopped
    // it would be wrong.
    const int budget = d.maxEvaluations > 0 ? d.maxEvaluations : kDefaultNewGearEvaluations;
    std::string cutShort;
    if (r.stopped)
        cutShort = "the tuning was stopped before it came closer";
    else if (r.evaluations >= budget)
        cutShort = "the tuning used all its " + std::to_string(budget) +
                   " evaluations; more may come closer";
    r.targets =
        MeasureTargets(r.gear, d, rows, full.empty() ? EventRow{} : full.front().events, cutShort);
    r.geometryError = AnyGeometryError(r.gear);
    for (std::size_t i = 0; i < kBalancedCutoffs.size() && i < rows.size(); ++i)
        r.cutoffDifferences[i] = CutoffDifference(rows[i]);
    for (std::span<const DimensionInfo> infos : {FrameDimensionInfo(), CylinderDimensionInfo()})
        for (const DimensionInfo& i : infos)
            r.dimensions.push_back({i.id, GetDimension(r.gear, i.id)});
    return r;
}

void InstallNewGear(Model& m, const Gear& g) {
    Model fresh;
    StartUp(fresh);
    m.frame = g.frame;
    m.cyl = g.cyl;
    for (int p : {pv::Crosshead, pv::ValveJoint, pv::BellPivot, pv::BellPivot2, pv::GuideCentre,
                  pv::RevArmPivot, pv::RevArmPivot2})
        m.pivots[p] = g.pivots[p];
    for (int p : {pv::Ref1, pv::Ref2}) m.pivots[p] = fresh.pivots[p];
    m.view = fresh.view;
    m.previousView = fresh.view;
    m.zoomAnchor = fresh.view;
    m.presets = fresh.presets;
    m.graphicZoomFactor = fresh.graphicZoomFactor;
    m.diagramVerticalScale = fresh.diagramVerticalScale;
    m.lines = fresh.lines;
    // The user's diagram positions were settings of another gear; mid gear, normal forward and
    // normal reverse are worked out anew.
    m.revArmPositions = {};
    m.revArmPositionCount = std::min(m.revArmPositionCount, 3);
    m.gear.revArmSetting = 0;
    // The edits so far were edits of another gear.
    ClearUndo(m);
    ClearDynamicVariables(m);
    m.dynBarMemory = {};
    m.dynBarValueBefore = {};
    m.pendingEdit = false;
    m.undoLineText.clear();
    const LD k = LD(g.frame.stroke) / fresh.frame.stroke;
    ScaleWorldLengths(m, k > 0 && std::isfinite(k) ? static_cast<float>(k) : 1.0f);
    m.dataSetName = "Untitled";
    m.Notify(ModelEvent::DataSetNameChanged);
    m.Notify(ModelEvent::DimensionsChanged);
}

// --- Text forms ------------------------------------------------------------------------------

namespace {

std::string JsonNumber(const std::optional<double>& v) {
    return v && std::isfinite(*v) ? FormatShortest(static_cast<float>(*v)) : "null";
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) continue;
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string NewGearJson(const NewGearResult& r) {
    std::string out = "{\"targets\":{";
    for (std::size_t i = 0; i < r.targets.size(); ++i) {
        const NewGearTarget& t = r.targets[i];
        if (i) out += ',';
        out += JsonString(t.key) + ":{\"target\":" + JsonNumber(t.target) +
               ",\"reached\":" + JsonNumber(t.reached) + ",\"met\":" + (t.met ? "true" : "false");
        if (!t.met) out += ",\"reason\":" + JsonString(t.reason);
        out += '}';
    }
    out += "},\"dimensions\":{";
    for (std::size_t i = 0; i < r.dimensions.size(); ++i) {
        if (i) out += ',';
        out += '"';
        out += std::to_string(r.dimensions[i].id);
        out += "\":";
        out += JsonNumber(r.dimensions[i].value);
    }
    out += "},\"cutoff_differences\":{";
    for (std::size_t i = 0; i < kBalancedCutoffs.size(); ++i) {
        if (i) out += ',';
        out += '"';
        out += FormatFixed(kBalancedCutoffs[i], 0, 0);
        out += "\":";
        out += JsonNumber(r.cutoffDifferences[i]);
    }
    out += "},\"evaluations\":" + std::to_string(r.evaluations);
    out += std::string(",\"geometry_error\":") + (r.geometryError ? "true" : "false");
    return out + "}\n";
}

std::string NewGearTable(const NewGearResult& r) {
    auto padded = [](std::string s, std::size_t w) {
        if (s.size() < w) s.append(w - s.size(), ' ');
        return s;
    };
    auto value = [](const std::optional<double>& v, bool percent) {
        if (!v || !std::isfinite(*v)) return std::string(12, ' ') + "-";
        // A value that rounds to zero shows as 0, not "-0.00000".
        const double x = std::fabs(*v) < (percent ? 0.005 : 0.000005) ? 0.0 : *v;
        return FormatFixed(x, 13, percent ? 2 : 5);
    };
    std::string out = padded("target", 30) + "       target      reached  met\n";
    for (const NewGearTarget& t : r.targets) {
        out += padded(t.label, 30) + value(t.target, t.percent) + value(t.reached, t.percent) +
               (t.met ? "  yes" : "  NO") + "\n";
        if (!t.met) out += "    " + t.reason + "\n";
    }
    out += padded("Geometry, mid to full gear", 30) + std::string(26, ' ') +
           (r.geometryError ? "  NO" : "  yes") + "\n";
    if (r.geometryError)
        out += "    the solver had to clamp at some notch from mid gear to full gear\n";
    out += "\nfront - rear cut-off, points:";
    for (std::size_t i = 0; i < kBalancedCutoffs.size(); ++i)
        out += "  at " + FormatFixed(kBalancedCutoffs[i], 0, 0) + " % " +
               (r.cutoffDifferences[i] ? FormatFixed(*r.cutoffDifferences[i], 0, 2) : "-");
    out += "\n\n id  " + padded("dimension", 26) + "        value\n";
    for (const DimensionValue& d : r.dimensions) {
        const DimensionInfo* info = FindDimension(d.id);
        const std::string id = std::to_string(d.id);
        out += std::string(3 - std::min<std::size_t>(3, id.size()), ' ') + id + "  " +
               padded(info ? info->shortName : "", 26) + FormatFixed(d.value, 13, 5) + "\n";
    }
    out += "\nevaluations " + std::to_string(r.evaluations) +
           (r.allMet() ? ", every target met\n" : ", not every target met\n");
    return out;
}

}  // namespace mv
