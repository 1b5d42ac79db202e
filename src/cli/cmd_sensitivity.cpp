// merrovan-cli sensitivity: how much each dimension moves each valve event, and which dimensions
// matter most for an even beat (front/rear cut-off balance).
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/cutoff_rows.hpp"
#include "analysis/sensitivity.hpp"
#include "cli/cli.hpp"
#include "cli/cli_study.hpp"

namespace mv::cli {
namespace {

int RunSensitivity(const Args& args) {
    GearOptions gear;
    std::vector<DimensionId> ids = AllDimensionIds();
    RowOptions rows;
    std::string format = "json";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--revarm" || a == "--notch")
            throw UsageError{a + " does not apply here; give the notches with --notches"};
        if (TakeGearOption(args, i, gear) || TakeRowOption(args, i, rows)) continue;
        if (a == "--ids") {
            ids = IdsValue(a, OptionValue(args, i));
        } else if (a == "--format") {
            format = FormatValue(a, OptionValue(args, i));
        } else {
            throw UsageError{"unknown option '" + a + "'"};
        }
    }

    Model m;
    BuildGear(m, gear);
    const SensitivityResult r =
        rows.cutoffs ? ComputeSensitivity(
                           m, ids, RowChoice{RowBasis::Cutoffs, *rows.cutoffs, rows.directions})
                     : ComputeSensitivity(m, ids, rows.notches.value_or(DefaultStudyNotches()),
                                          rows.directions);
    if (!r.error.empty()) throw AnalysisError{"the study could not run: " + r.error};
    // Every row of the study has the same cells; the first tells which cut-offs are out of reach.
    if (!r.rows.empty())
        for (const DerivativeCell& c : r.rows.front().cells)
            if (c.cutoff && !c.revArm)
                std::fprintf(stderr,
                             "merrovan-cli sensitivity: warning: cut-off %s %% %s is out of "
                             "reach of the gear; its derivatives are null\n",
                             CutoffText(*c.cutoff).c_str(), SweepDirectionText(c.direction));

    int absent = 0, all = 0;
    for (const DimensionSensitivity& s : r.rows)
        for (const DerivativeCell& c : s.cells)
            for (const EndDerivatives* e : {&c.front, &c.rear})
                for (const auto& d : e->d) {
                    absent += !d;
                    ++all;
                }
    if (absent == all)
        throw AnalysisError{
            "every derivative is null (a geometry error or a missing event at "
            "every notch): nothing to rank"};
    if (absent > 0)
        std::fprintf(stderr,
                     "merrovan-cli sensitivity: warning: %d derivatives are null (a geometry error "
                     "or an event that vanishes within the step)\n",
                     absent);

    const std::string out = format == "json"  ? SensitivityJson(r)
                            : format == "csv" ? SensitivityCsv(r)
                                              : SensitivityTable(r);
    std::fputs(out.c_str(), stdout);
    return kExitOk;
}

const bool kRegistered = Register(Command{
    "sensitivity",
    "sensitivity [--file F] [--set ID=VALUE]... [--ids ID,...] [--notches F1,...] "
    "[--cutoffs C1,...] [--direction fwd|rev|both] [--format json|csv|table]",
    "Derivative of every valve event with respect to every dimension, and a ranking of the\n"
    "dimensions by their effect on the front/rear cut-off imbalance.\n"
    "  --file PATH        load a .dst or .mvo dimension file first\n"
    "  --set ID=VALUE     commit dimension ID (1..27, 101..122) as a dialog does; repeatable\n"
    "  --ids ID,...       the dimensions to study (default: all 49, 1..27 and 101..122)\n"
    "  --notches F1,...   reverse-arm settings mid gear +- F x \"Rev Arm to Cent Max\", each F\n"
    "                     in 0..1 (default 0.25,0.5,0.75,1)\n"
    "  --cutoffs C1,...   instead of notches, the settings where the mean of the front and rear\n"
    "                     cut-off is C per cent (0 < C < 100); each changed copy of the gear\n"
    "                     places them anew, so these are derivatives at a fixed cut-off. The\n"
    "                     cells are keyed by the cut-off and give where the gear itself places\n"
    "                     it (\"notch\", \"revarm\"; csv columns cutoff, notch, revarm); JSON\n"
    "                     has \"cutoffs\" in place of \"notches\". A cut-off out of the gear's\n"
    "                     reach has null derivatives and a warning on stderr.\n"
    "  --direction D      fwd (driver angle increasing), rev (decreasing) or both (default)\n"
    "  --format F         json (default), csv (one line per dimension, direction and notch)\n"
    "                     or table\n"
    "Events per end: admission, cutoff, release, compression in per cent of the stroke from\n"
    "that end's dead centre, lead in dimension units; the derivatives are per unit of the\n"
    "dimension (per degree for the offset angle, id 25).\n"
    "Method: central differences. The dimension is stored at value - h and at value + h, each\n"
    "time with its side effects and mid gear recomputed, as committing a typed value does, and\n"
    "the events are taken at mid gear +- notch x \"Rev Arm to Cent Max\" of that gear; the\n"
    "derivative is the difference of the events over the difference of the stored values.\n"
    "Step: h = 0.001 x |value|, but at least 0.0001 x stroke (0.001 degree for id 25).\n"
    "Id 26 only sets the normal running positions and has derivative 0; id 27 scales the\n"
    "notch settings, so its derivative is the effect of a reverse-arm travel that is off.\n"
    "A derivative taken across a geometry error or an event that is missing at either end of\n"
    "the step is null (an empty cell in csv, a dash in the table); stderr counts them. When\n"
    "every derivative is null there is nothing to give: exit status 3.\n"
    "Ranking: each dimension's score is the largest |d(front cutoff - rear cutoff)| over the\n"
    "notches and directions, in per cent of stroke per unit; largest first, null last.\n"
    "JSON: {\"notches\":[...], \"rows\":[{\"id\", \"name\", \"value\", \"step\", \"d\":\n"
    "{\"fwd\":{\"0.5\":{\"front\":{\"admission\", \"cutoff\", \"release\", \"compression\",\n"
    "\"lead\"}, \"rear\":{...}}, ...}, \"rev\":{...}}}, ...], \"ranking\":[{\"id\", \"name\",\n"
    "\"score\"}, ...]}.\n"
    "Numbers are the shortest text that reads back as the same float.\n",
    RunSensitivity});

}  // namespace
}  // namespace mv::cli
