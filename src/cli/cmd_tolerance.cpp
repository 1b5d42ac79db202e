// merrovan-cli tolerance: Monte Carlo over a gear whose parts are made to a tolerance or whose
// pins are worn: the spread of every valve event at each notch.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/tolerance.hpp"
#include "cli/cli.hpp"
#include "cli/cli_study.hpp"

namespace mv::cli {
namespace {

DimensionTolerance TolValue(const std::string& option, const std::string& text) {
    const auto eq = text.find('=');
    if (eq == std::string::npos) throw UsageError{option + ": expected ID=T, got '" + text + "'"};
    DimensionTolerance t;
    t.id = IdValue(option, text.substr(0, eq));
    t.tol = SizeValue(option, text.substr(eq + 1));
    return t;
}

int RunTolerance(const Args& args) {
    GearOptions gear;
    ToleranceOptions opt;
    bool clearanceGiven = false;
    RowOptions rows;
    std::string format = "json";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--revarm" || a == "--notch")
            throw UsageError{a + " does not apply here; give the notches with --notches"};
        if (TakeGearOption(args, i, gear) || TakeRowOption(args, i, rows)) continue;
        if (a == "--tol") {
            const DimensionTolerance t = TolValue(a, OptionValue(args, i));
            for (const DimensionTolerance& o : opt.tolerances)
                if (o.id == t.id)
                    throw UsageError{a + ": dimension " + std::to_string(t.id) + " is given twice"};
            opt.tolerances.push_back(t);
        } else if (a == "--pin-clearance") {
            opt.pinClearance = SizeValue(a, OptionValue(args, i));
            clearanceGiven = true;
        } else if (a == "--samples") {
            const int n = IntValue(a, OptionValue(args, i));
            if (n < 1 || n > kMaxToleranceSamples)
                throw UsageError{a + ": " + args[i] + " is outside 1.." +
                                 std::to_string(kMaxToleranceSamples)};
            opt.samples = n;
        } else if (a == "--lever") {
            const std::string& l = OptionValue(args, i);
            if (l == "reset") {
                opt.lever = ToleranceLever::Reset;
            } else if (l == "fixed") {
                opt.lever = ToleranceLever::Fixed;
            } else {
                std::string message = a;
                message.append(": expected reset or fixed, got '").append(l).append("'");
                throw UsageError{message};
            }
        } else if (a == "--seed") {
            opt.seed = SeedValue(a, OptionValue(args, i));
        } else if (a == "--format") {
            format = FormatValue(a, OptionValue(args, i));
        } else {
            throw UsageError{"unknown option '" + a + "'"};
        }
    }
    if (rows.notches) opt.notches = *rows.notches;
    if (rows.cutoffs) opt.cutoffs = *rows.cutoffs;
    opt.directions = rows.directions;
    if (opt.tolerances.empty() && !clearanceGiven)
        throw UsageError{"give at least one --tol ID=T (or --pin-clearance C)"};
    if (const std::string why = CheckToleranceOptions(opt); !why.empty()) throw UsageError{why};

    Model m;
    BuildGear(m, gear);
    const ToleranceResult r = ComputeTolerance(m, opt);
    if (!r.error.empty()) throw AnalysisError{"the study could not run: " + r.error};
    bool figures = false;
    for (const ToleranceRow& row : r.rows)
        for (const EndStats* e : {&row.front, &row.rear})
            for (const auto& st : e->events) figures |= st.has_value();
    if (r.samples > 0 && !figures)
        throw AnalysisError{
            "every sample failed in every row (a geometry error or a lost event), or no row "
            "could be placed: there are no figures to give"};

    for (const ToleranceRow& row : r.rows) {
        if (!row.unreachable.empty())
            std::fprintf(stderr, "merrovan-cli tolerance: warning: %s; no figures there\n",
                         row.unreachable.c_str());
        if (row.nominal.geometryError)
            std::fprintf(stderr,
                         "merrovan-cli tolerance: warning: the gear itself has a geometry error "
                         "at %s notch %s\n",
                         SweepDirectionText(row.direction), NotchText(row.notch).c_str());
    }
    if (r.failed > 0)
        std::fprintf(stderr,
                     "merrovan-cli tolerance: %d of %d samples failed in at least one row "
                     "(geometry error or a lost event); they are left out of the figures\n",
                     r.failed, r.samples);

    const std::string out = format == "json"  ? ToleranceJson(r)
                            : format == "csv" ? ToleranceCsv(r)
                                              : ToleranceTable(r);
    std::fputs(out.c_str(), stdout);
    return kExitOk;
}

const bool kRegistered = Register(Command{
    "tolerance",
    "tolerance [--file F] [--set ID=VALUE]... --tol ID=T... [--pin-clearance C] [--samples N] "
    "[--seed S] [--lever reset|fixed] [--notches F1,... | --cutoffs C1,...] "
    "[--direction fwd|rev|both] "
    "[--format json|csv|table]",
    "Monte Carlo over parts made to a tolerance or worn: the spread of every valve event.\n"
    "  --file PATH        load a .dst or .mvo dimension file first\n"
    "  --set ID=VALUE     commit dimension ID (1..27, 101..122) as a dialog does; repeatable\n"
    "  --tol ID=T         dimension ID varies uniformly in value - T .. value + T; repeatable.\n"
    "                     Not id 26: it only sets the normal running positions\n"
    "  --pin-clearance C  worn pins: every rod with a pin at each end varies uniformly in\n"
    "                     length - 2C .. length + 2C. The rods: main rod (3), eccentric rod\n"
    "                     left and right end (6, 7), radius hanger (8), guide link (9),\n"
    "                     transmission yoke (12), valve connecting rod (18) and the auxiliary\n"
    "                     reach rod (its pin-to-pin length; legs 19 and 20 in proportion).\n"
    "                     The eccentric crank, bell crank and reverse arm are rigid levers.\n"
    "  --samples N        samples, 1..1000000 (default 1000)\n"
    "  --seed S           seed of the draws, 0..4294967295 (default 1); the same seed gives\n"
    "                     the same figures on any number of threads, and the first N samples of\n"
    "                     a larger run are those of a run of N\n"
    "  --lever L          reset (default): each sample finds its own mid gear and takes the\n"
    "                     notches (or places the cut-offs) from it, as a fitter sets up the\n"
    "                     gear he has made; fixed: every sample runs at the reverse-arm\n"
    "                     settings of the gear itself, so a part error that moves mid gear\n"
    "                     shows in the events\n"
    "  --notches F1,...   reverse-arm settings mid gear +- F x \"Rev Arm to Cent Max\", each F\n"
    "                     in 0..1 (default 0.25,0.5,0.75,1)\n"
    "  --cutoffs C1,...   instead of notches, the settings where the mean of the front and rear\n"
    "                     cut-off is C per cent (0 < C < 100), placed anew for each sample as\n"
    "                     a driver sets the lever by the cut-off (with --lever fixed: where the\n"
    "                     gear itself places them); each row then also has\n"
    "                     \"cutoff\", \"revarm\" and \"unreachable\" (why the gear itself cannot\n"
    "                     place it: no figures there, a warning on stderr), and its \"notch\" is\n"
    "                     where the gear itself places it. A sample that cannot place a row\n"
    "                     fails there.\n"
    "  --direction D      fwd, rev or both (default)\n"
    "  --format F         json (default), csv (one line per row) or table\n"
    "At least one --tol or --pin-clearance is needed, and something must vary (a T or C above\n"
    "0). Each sample stores its values as committing typed values does and recomputes mid gear.\n"
    "Per direction, notch, end and event (admission, cutoff, release, compression in per cent\n"
    "of the stroke from that end's dead centre; lead in dimension units): n (the samples in the\n"
    "figures), min, mean, max and the sample standard deviation. A sample fails in a row when\n"
    "the solver has to clamp the geometry or an event the gear itself has there goes missing;\n"
    "it is counted in the row's \"failed\" and left out of that row's figures; the top-level\n"
    "\"failed\" counts samples that failed in any row. An event the gear itself lacks has the\n"
    "figures of the samples that have it (n says how many); an event without figures is null.\n"
    "When no row has figures (every sample failed in every row) the status is 3.\n"
    "JSON: {\"samples\", \"failed\", \"seed\", \"lever\", \"rows\":[{\"direction\", \"notch\",\n"
    "\"failed\", \"front\":{\"admission\":{\"n\", \"min\", \"mean\", \"max\", \"std\"}, "
    "\"cutoff\",\n"
    "\"release\", \"compression\", \"lead\"}, \"rear\":{...}}, ...]}. CSV: the counts are the\n"
    "last columns (front_admission_n ... rear_lead_n).\n",
    RunTolerance});

}  // namespace
}  // namespace mv::cli
