// merrovan-cli new: a new gear from a locomotive's basic data (stroke, wheel, main rod,
// cylinder, valve), tuned toward its travel, lead and balanced cut-offs, written to a file.
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "analysis/design_objective.hpp"
#include "analysis/new_gear.hpp"
#include "cli/cli.hpp"
#include "cli/cli_study.hpp"
#include "files/dimension_file.hpp"

namespace mv::cli {
namespace {

int RunNew(const Args& args) {
    BasicData d;
    std::optional<double> stroke, driver, mainRod, travel, lap, lead;
    SearchOptions search;
    // The options that take a length or a per cent, and where each goes.
    const std::pair<const char*, std::optional<double>*> numbers[] = {
        {"--stroke", &stroke},
        {"--driver-dia", &driver},
        {"--main-rod", &mainRod},
        {"--cylinder-ctr", &d.cylinderCentre},
        {"--cylinder-height", &d.cylinderHeight},
        {"--bore", &d.bore},
        {"--travel", &travel},
        {"--lap", &lap},
        {"--exhaust-lap", &d.exhaustLap},
        {"--lead", &lead},
        {"--port-width", &d.portWidth},
        {"--bridge-width", &d.bridgeWidth},
        {"--exhaust-port-width", &d.exhaustPortWidth},
        {"--full-gear-cutoff", &d.fullGearCutoff},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool taken = false;
        for (const auto& [name, slot] : numbers) {
            if (a != name) continue;
            if (slot->has_value()) throw UsageError{a + " given twice"};
            *slot = NumberValue(a, OptionValue(args, i));
            taken = true;
        }
        if (taken || TakeSearchOption(args, i, search)) continue;
        throw UsageError{"unknown option '" + a + "'"};
    }
    const std::pair<const char*, const std::optional<double>*> required[] = {
        {"--stroke", &stroke}, {"--driver-dia", &driver}, {"--main-rod", &mainRod},
        {"--travel", &travel}, {"--lap", &lap},           {"--lead", &lead}};
    for (const auto& [name, slot] : required)
        if (!slot->has_value()) throw UsageError{std::string("give ") + name};
    if (!search.out) throw UsageError{"give the file to write: --out NEW.dst"};
    d.stroke = *stroke;
    d.driverDia = *driver;
    d.mainRod = *mainRod;
    d.travel = *travel;
    d.lap = *lap;
    d.lead = *lead;
    d.maxEvaluations = search.maxEvaluations.value_or(d.maxEvaluations);
    d.seed = search.seed.value_or(d.seed);
    if (const std::string problem = BasicDataProblem(d); !problem.empty())
        throw UsageError{problem};

    const NewGearResult r = MakeNewGear(d);
    if (!r.failure.empty()) throw AnalysisError{"the tuning ended without a result: " + r.failure};
    Model m;
    StartUp(m);
    InstallNewGear(m, r.gear);
    std::string error;
    if (!files::SaveDimensionFile(m, *search.out, error)) throw FileError{error};
    const std::string text = search.format == "json" ? NewGearJson(r) : NewGearTable(r);
    std::fputs(text.c_str(), stdout);
    return kExitOk;
}

const bool kRegistered = Register(Command{
    "new",
    "new --stroke S --driver-dia D --main-rod L [--cylinder-ctr X] [--cylinder-height H] "
    "[--bore B] --travel T --lap LAP [--exhaust-lap E] --lead LEAD [--port-width W] "
    "[--bridge-width BW] [--exhaust-port-width EW] [--full-gear-cutoff C] [--max-evals N] "
    "[--seed S] --out NEW.dst [--format json|table]",
    "Makes a new gear from a locomotive's basic data, in the user's length unit:\n"
    "  1. the built-in gear scaled by S / its stroke;\n"
    "  2. the cylinder placed at X, H, the frame pivots between driver and cylinder moved\n"
    "     with it and the eccentric rod lengthened, so the linkage keeps its geometry;\n"
    "  3. the valve cut so that its steam lap is LAP and its exhaust lap E at both ends;\n"
    "  4. the linkage tuned toward the full-gear travel T, the full-gear lead LEAD at both ends\n"
    "     (forward), the full-gear cut-off C if given, and equal front and rear cut-offs at\n"
    "     15, 25, 40 and 60 % forward, never with a geometry error, a negative lead or a lost\n"
    "     event. docs/new-gear.md gives the reasons.\n"
    "  --stroke S, --driver-dia D, --main-rod L   the engine (L longer than S / 2)\n"
    "  --cylinder-ctr X   cylinder centre to driver centre (default: the built-in gear's, scaled\n"
    "                     and moved by the main rod's difference)\n"
    "  --cylinder-height H  cylinder centre line above the driver centre (default 0)\n"
    "  --bore B           cylinder bore (default scaled from the built-in gear)\n"
    "  --travel T         full-gear valve travel\n"
    "  --lap LAP          steam lap, 0 or more and below T / 2\n"
    "  --exhaust-lap E    exhaust lap (default 0; negative for exhaust clearance)\n"
    "  --lead LEAD        full-gear lead, 0 or more\n"
    "  --port-width W, --bridge-width BW, --exhaust-port-width EW\n"
    "                     steam port, bridge and exhaust port widths (default scaled)\n"
    "  --full-gear-cutoff C  full-gear cut-off in per cent of the stroke (default: none)\n"
    "  --max-evals N      at most N evaluations in step 4 (default 1000)\n"
    "  --seed S           seed of the search's restarts, 0..4294967295 (default 1)\n"
    "  --out PATH         the new gear's file (.mvo when the name ends in .mvo, else .dst)\n"
    "  --format F         json (default) or table\n"
    "Met means: laps within 1e-5 of the stroke, travel within 3 %, leads within 20 % of their\n"
    "target, cut-offs within 2 points; a target not met carries its reason.\n"
    "JSON keys: targets {steam_lap_front, steam_lap_rear, exhaust_lap_front, exhaust_lap_rear,\n"
    "travel, lead_front, lead_rear, full_gear_cutoff (when C is given), cutoff_balance_25\n"
    "(front - rear cut-off at 25 %): {target, reached, met, reason (when not met)}},\n"
    "dimensions {ID: value}, cutoff_differences {15, 25, 40, 60: front - rear cut-off in\n"
    "points, null where no notch gives that cut-off}, evaluations, geometry_error (at any\n"
    "notch from mid gear to full gear, either direction).\n"
    "Exit status 0 also when a target is not met; 2 for missing or bad basic data.\n",
    RunNew});

}  // namespace
}  // namespace mv::cli
