// merrovan-cli solve: the linkage and the valve at given driver angles, as JSON Lines.
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "cli/cli.hpp"
#include "model/solver.hpp"

namespace mv::cli {
namespace {

constexpr long kMaxSweepAngles = 1'000'000;

std::string SolveJson(Model& m, double angle) {
    m.gear.driverAngle = static_cast<float>(angle);
    m.gear.geometryError = false;
    SolveLinkage(m);
    SolvePistonAndPorts(m);
    std::string s = "{\"angle\":" + Num(angle) + ",\"revarm\":" + Num(m.gear.revArmSetting) +
                    ",\"mid_gear\":" + Num(m.revArmPositions[0]) +
                    ",\"geometry_error\":" + (m.gear.geometryError ? "true" : "false") +
                    ",\"pivots\":[";
    for (int k = 0; k < kMappedPivots; ++k) {
        if (k) s += ',';
        s += '[' + Num(m.pivots[k].x) + ',' + Num(m.pivots[k].y) + ']';
    }
    const double rh = static_cast<double>(m.gear.radiusHangerAngle) * 180.0 / std::numbers::pi;
    s += "],\"radius_hanger_deg\":" + Num(rh) +
         ",\"valve\":{\"displacement\":" + Num(m.valve.displacement) +
         ",\"piston\":" + Num(m.valve.piston) + ",\"front_steam\":" + Num(m.valve.frontSteam) +
         ",\"front_exhaust\":" + Num(m.valve.frontExhaust) +
         ",\"rear_steam\":" + Num(m.valve.rearSteam) +
         ",\"rear_exhaust\":" + Num(m.valve.rearExhaust) + "}}";
    return s;
}

int RunSolve(const Args& args) {
    GearOptions gear;
    std::vector<double> angles;
    std::optional<double> sweep;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (TakeGearOption(args, i, gear)) continue;
        const std::string& a = args[i];
        if (a == "--angle") {
            angles.push_back(FloatValue(a, OptionValue(args, i)));
        } else if (a == "--sweep") {
            const double step = NumberValue(a, OptionValue(args, i));
            // A step finer than this would be more lines than any reader wants (and never end).
            constexpr double kFinest = 360.0 / kMaxSweepAngles;
            if (!(step >= kFinest) || step > 360.0)
                throw UsageError{"--sweep: the step must be from " + Num(kFinest) +
                                 " to 360 (at most " + std::to_string(kMaxSweepAngles) +
                                 " steps a turn)"};
            sweep = step;
        } else {
            throw UsageError{"unknown option '" + a + "'"};
        }
    }
    Model m;
    BuildGear(m, gear);
    if (sweep) {
        angles.clear();
        for (long k = 0;; ++k) {
            const double a = static_cast<double>(k) * *sweep;
            if (a > 360.0 + 1e-9) break;
            angles.push_back(a);
        }
    }
    if (angles.empty()) angles.push_back(0.0);
    std::string out;
    for (double a : angles) out += SolveJson(m, a) + "\n";
    std::fputs(out.c_str(), stdout);
    return kExitOk;
}

const bool kRegistered = Register(Command{
    "solve",
    "solve [--file F] [--set ID=VALUE]... [--revarm X | --notch F] [--angle DEG]... [--sweep STEP]",
    "Solves the linkage and the valve and prints one JSON object per driver angle.\n" +
        std::string(kGearOptionsHelp) +
        "  --angle DEG        driver angle in degrees; repeatable (default 0)\n"
        "  --sweep STEP       every angle 0, STEP, 2 STEP ... up to 360\n"
        "Keys: angle, revarm, mid_gear, geometry_error, pivots (world x, y of pivots 0..20),\n"
        "radius_hanger_deg, valve {displacement, piston, front_steam, front_exhaust,\n"
        "rear_steam, rear_exhaust}.\n",
    RunSolve});

}  // namespace
}  // namespace mv::cli
