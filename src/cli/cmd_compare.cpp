// merrovan-cli compare: two gears side by side: the dimensions that differ and the valve events
// of both at the same rows, with B - A for every event.
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/compare.hpp"
#include "cli/cli.hpp"
#include "cli/cli_study.hpp"
#include "files/dimension_file.hpp"

namespace mv::cli {
namespace {

struct LoadedGear {
    Gear gear;
    std::string name;
};

LoadedGear Load(const std::string& path) {
    LoadedGear g;
    std::string error;
    if (!files::ReadGearFile(path, g.gear, g.name, error)) throw FileError{error};
    return g;
}

int RunCompare(const Args& args) {
    std::vector<std::string> files;
    RowOptions rows;
    std::string format = "table";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (TakeRowOption(args, i, rows)) continue;
        if (a == "--format") {
            format = FormatValue(a, OptionValue(args, i));
        } else if (a.size() > 1 && a[0] == '-') {
            throw UsageError{"unknown option '" + a + "'"};
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2)
        throw UsageError{"expected two dimension files A and B, got " +
                         std::to_string(files.size())};

    const LoadedGear a = Load(files[0]);
    const LoadedGear b = Load(files[1]);
    const GearComparison c =
        rows.cutoffs
            ? CompareAtCutoffs(a.gear, b.gear, *rows.cutoffs, rows.directions)
            : CompareAtNotches(a.gear, b.gear, rows.notches.value_or(DefaultCompareNotches()),
                               rows.directions);

    for (const ComparedRow& r : c.rows) {
        const std::string at = Num(r.at) + (c.kind == CompareAt::Cutoff ? " %" : "");
        for (const auto& [gear, row] : {std::pair{"A", &r.a}, std::pair{"B", &r.b}}) {
            if (!*row)
                std::fprintf(stderr,
                             "merrovan-cli compare: warning: %s does not reach cut-off %s (%s)\n",
                             gear, at.c_str(), SweepDirectionText(r.direction));
            else if ((*row)->geometryError)
                std::fprintf(stderr,
                             "merrovan-cli compare: warning: geometry error in %s at %s %s (%s)\n",
                             gear, c.kind == CompareAt::Cutoff ? "cut-off" : "notch", at.c_str(),
                             SweepDirectionText(r.direction));
        }
    }
    std::string out;
    if (format == "json")
        out = ComparisonJson(c) + "\n";
    else if (format == "csv")
        out = ComparisonCsv(c);
    else
        out = ComparisonText(c, files[0] + " (" + a.name + ")", files[1] + " (" + b.name + ")");
    std::fputs(out.c_str(), stdout);
    return kExitOk;
}

const bool kRegistered = Register(Command{
    "compare",
    "compare A B [--cutoffs C,...|--notches F,...] [--direction fwd|rev|both] "
    "[--format table|csv|json]",
    "Compares gear B with gear A (two dimension files, .dst or .mvo, recognised by their\n"
    "content): the dimensions that differ, then the valve events of both at the same rows\n"
    "with B - A for every event.\n"
    "  --notches F,...    rows at these fractions 0..1 of \"Rev Arm to Cent Max\" from each\n"
    "                     gear's own mid gear (default: 19 from 0 to 1, as the events table)\n"
    "  --cutoffs C,...    rows where the mean of the front and rear cut-off is C per cent\n"
    "                     (0 < C < 100), each gear at its own reverse-arm setting between mid\n"
    "                     gear and full gear, as events --cutoffs places them; a cut-off a\n"
    "                     gear does not reach gives null\n"
    "  --direction D      fwd, rev or both (default)\n"
    "  --format F         table (default), csv or json\n"
    "JSON: {\"dimensions\":[{\"id\",\"name\",\"a\",\"b\",\"diff\"}],\"rows\":[{\"direction\",\n"
    "\"notch\" or \"cutoff\",\"a\":{row},\"b\":{row},\"diff\":{...}}]}; a row is an object of\n"
    "merrovan-cli events --format json; diff holds B - A of revarm, notch, travel and of each\n"
    "end's events, null where either gear has none. CSV: the dimensions (id,name,a,b,diff),\n"
    "a blank line, then three lines per row: direction, row_notch or row_cutoff, gear (a, b,\n"
    "diff) and the columns of merrovan-cli events.\n",
    RunCompare});

}  // namespace
}  // namespace mv::cli
