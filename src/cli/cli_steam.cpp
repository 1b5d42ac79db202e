#include "cli/cli_steam.hpp"

#include <cmath>

#include "model/text.hpp"

namespace mv::cli {

bool TakeSteamOption(const Args& args, std::size_t& i, SteamOptions& o) {
    const std::string& a = args[i];
    SteamConditions& s = o.conditions;
    if (a == "--pressure") {
        s.pressure = FloatValue(a, OptionValue(args, i));
        o.pressureGiven = true;
    } else if (a == "--back-pressure") {
        s.backPressure = FloatValue(a, OptionValue(args, i));
    } else if (a == "--clearance") {
        s.clearance = FloatValue(a, OptionValue(args, i));
    } else if (a == "--rod-dia") {
        s.rodDia = FloatValue(a, OptionValue(args, i));
    } else if (a == "--cylinders") {
        s.cylinders = IntValue(a, OptionValue(args, i));
    } else {
        return false;
    }
    o.anyGiven = true;
    return true;
}

void CheckSteamOptions(const SteamOptions& o, const Gear& g) {
    const SteamConditions& s = o.conditions;
    const auto text = [](float v) { return FormatShortest(v); };
    if (!(s.backPressure > 0))
        throw UsageError{"--back-pressure: " + text(s.backPressure) + " is not above 0"};
    if (!(s.pressure > s.backPressure))
        throw UsageError{"--pressure: " + text(s.pressure) + " is not above the back pressure " +
                         text(s.backPressure)};
    if (!(s.clearance > 0) || s.clearance > 100)
        throw UsageError{"--clearance: " + text(s.clearance) + " is outside (0, 100] per cent"};
    if (s.rodDia < 0) throw UsageError{"--rod-dia: " + text(s.rodDia) + " is below 0"};
    if (s.rodDia > 0 && s.rodDia >= g.cyl.boreDia)
        throw UsageError{"--rod-dia: " + text(s.rodDia) + " is as wide as the bore " +
                         text(g.cyl.boreDia)};
    if (s.cylinders < 1)
        throw UsageError{"--cylinders: " + std::to_string(s.cylinders) + " is fewer than 1"};
}

const char* const kSteamOptionsHelp =
    "  --pressure P       steam-chest pressure, absolute, in your unit\n"
    "  --back-pressure B  exhaust back pressure, absolute (default 15); 0 < B < P\n"
    "  --clearance PCT    clearance volume of each end, per cent of the swept volume, above 0\n"
    "                     and at most 100 (default 8)\n"
    "  --rod-dia D        piston rod diameter; it passes the rear end only (default 0)\n"
    "  --cylinders N      cylinders of the engine, at least 1 (default 2)\n";

const char* const kSteamModelHelp =
    "The card of each end is the ideal one, from that end's events in per cent of the stroke\n"
    "(admission a, cut-off c, release r, compression k): admission a->c at the pressure P,\n"
    "expansion c->r with p V constant, exhaust r->k at the back pressure B, compression k->a\n"
    "with p V constant. No wire-drawing, no condensation or leakage, pressures absolute.\n"
    "V(e) = Vc + Vs e / 100 with Vs = area x stroke and Vc = clearance / 100 x Vs; the area\n"
    "is pi/4 bore^2, less pi/4 rod^2 at the rear end. Work W = P (V(c) - V(a))\n"
    "+ P V(c) ln(V(r)/V(c)) + B (V(k) - V(r)) + B V(k) ln(V(a)/V(k)); MEP = W / Vs.\n"
    "Work per turn = cylinders x (W front + W rear); tractive effort = work per turn /\n"
    "(pi x driver diameter); work imbalance = 100 (W front - W rear) / their mean.\n"
    "Units are yours: work in pressure x length^3, tractive effort in pressure x length^2.\n"
    "An end has no card (null figures with a reason) when an event is missing, when the\n"
    "release comes before the cut-off, when the cut-off comes before an admission that\n"
    "begins after the dead centre, or when the exhaust closes after an admission that\n"
    "begins before it (a positive lead); the row's totals are then null too.\n";

}  // namespace mv::cli
