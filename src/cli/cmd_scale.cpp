// merrovan-cli scale: the gear scaled to another size, as "ScaleGear…" of the window does it.
#include <optional>
#include <string>

#include "analysis/scale_gear.hpp"
#include "cli/cli.hpp"
#include "files/dimension_file.hpp"

namespace mv::cli {
namespace {

int RunScale(const Args& args) {
    GearOptions gear;
    std::optional<double> factor;
    std::optional<std::string> out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--revarm" || a == "--notch")
            throw UsageError{a + " does not apply here: the reverse arm keeps its notch"};
        if (TakeGearOption(args, i, gear)) continue;
        if (a == "--factor") {
            factor = NumberValue(a, OptionValue(args, i));
        } else if (a == "--out") {
            out = OptionValue(args, i);
            if (out->empty()) throw UsageError{"--out: empty file name"};
        } else {
            throw UsageError{"unknown option '" + a + "'"};
        }
    }
    if (!factor) throw UsageError{"give the scale factor: --factor K"};
    if (!out) throw UsageError{"give the file to write: --out OUT.dst"};

    Model m;
    BuildGear(m, gear);
    if (const std::string problem = ScaleFactorProblem(m, *factor); !problem.empty())
        throw UsageError{"--factor: " + problem};
    ScaleWorkingGear(m, *factor);
    std::string error;
    if (!files::SaveDimensionFile(m, *out, error)) throw FileError{error};
    return kExitOk;
}

const bool kRegistered = Register(Command{
    "scale", "scale --factor K [--file F] [--set ID=V]... --out OUT.dst",
    "Writes the gear scaled to another size: every length times K, that is the frame\n"
    "dimensions 1..24, 26 and 27 and every cylinder dimension; the offset angle (25) stays.\n"
    "The events in per cent of the stroke stay the same; leads, laps and travel become K\n"
    "times as large. The view scale is divided by K and the reference points, lines and\n"
    "circles and diagram positions follow, so the picture looks the same.\n"
    "  --factor K         the scale factor, a finite number above 0\n"
    "  --file PATH        load a .dst or .mvo dimension file first\n"
    "  --set ID=VALUE     commit dimension ID (1..27, 101..122) as a dialog does; repeatable\n"
    "  --out PATH         the scaled gear's file (.mvo when the name ends in .mvo, else .dst)\n"
    "Exit status 2 for a factor that is not a finite number above 0, or one that takes a\n"
    "dimension out of the range of the model's numbers; 1 for a file that cannot be read or\n"
    "written.\n",
    RunScale});

}  // namespace
}  // namespace mv::cli
