#include <cmath>
#include <limits>

#include "analysis/study.hpp"
#include "cli/cli.hpp"
#include "files/dimension_file.hpp"
#include "model/dimensions.hpp"
#include "model/edits.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv::cli {

namespace {
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}
}  // namespace

bool Register(Command c) {
    Registry().push_back(std::move(c));
    return true;
}

const std::vector<Command>& Commands() {
    return Registry();
}

std::vector<HelpOption> HelpOptions(const std::string& help) {
    std::vector<HelpOption> out;
    std::size_t start = 0;
    while (start < help.size()) {
        std::size_t end = help.find('\n', start);
        if (end == std::string::npos) end = help.size();
        const std::string line = help.substr(start, end - start);
        start = end + 1;
        if (line.rfind("  -", 0) != 0) continue;
        const std::size_t nameEnd = std::min(line.find(' ', 2), line.size());
        HelpOption o;
        o.name = line.substr(2, nameEnd - 2);
        // One blank, then a word: the value's placeholder. Two blanks: the description.
        o.takesValue = nameEnd + 1 < line.size() && line[nameEnd + 1] != ' ';
        out.push_back(o);
    }
    return out;
}

const char* const kGearOptionsHelp =
    "  --file PATH        load a .dst or .mvo dimension file first\n"
    "  --set ID=VALUE     commit dimension ID (1..27, 101..122) as a dialog does; repeatable\n"
    "  --revarm X         reverse-arm setting X (default: mid gear)\n"
    "  --notch F          reverse-arm setting mid gear + F x \"Rev Arm to Cent Max\", F in -1..1\n";

const std::string& OptionValue(const Args& args, std::size_t& i) {
    if (i + 1 >= args.size()) throw UsageError{args[i] + " needs a value"};
    return args[++i];
}

double NumberValue(const std::string& option, const std::string& text) {
    double v = 0;
    if (!ParseStrict(text, v)) throw UsageError{option + ": '" + text + "' is not a number"};
    return v;
}

float FloatValue(const std::string& option, const std::string& text) {
    const double v = NumberValue(option, text);
    if (std::fabs(v) > std::numeric_limits<float>::max())
        throw UsageError{option + ": '" + text + "' is too large"};
    return static_cast<float>(v);
}

int IntValue(const std::string& option, const std::string& text) {
    const double v = NumberValue(option, text);
    if (v != std::floor(v) || v < -1e9 || v > 1e9)
        throw UsageError{option + ": '" + text + "' is not a whole number"};
    return static_cast<int>(v);
}

bool TakeGearOption(const Args& args, std::size_t& i, GearOptions& opt) {
    const std::string& a = args[i];
    if (a == "--file") {
        opt.file = OptionValue(args, i);
        return true;
    }
    if (a == "--set") {
        const std::string& v = OptionValue(args, i);
        const auto eq = v.find('=');
        if (eq == std::string::npos) throw UsageError{"--set: expected ID=VALUE, got '" + v + "'"};
        const std::string idText = v.substr(0, eq);
        double idv = 0;
        if (!ParseStrict(idText, idv) || idv != std::floor(idv) || idv < 0 || idv > 1000 ||
            !IsDimensionId(static_cast<DimensionId>(idv)))
            throw UsageError{"--set: '" + idText + "' is not a dimension id (1..27, 101..122)"};
        const float value = FloatValue("--set", v.substr(eq + 1));
        opt.sets.emplace_back(static_cast<DimensionId>(idv), value);
        return true;
    }
    if (a == "--revarm") {
        if (opt.notch) throw UsageError{"--revarm and --notch exclude each other"};
        opt.revarm = FloatValue(a, OptionValue(args, i));
        return true;
    }
    if (a == "--notch") {
        if (opt.revarm) throw UsageError{"--revarm and --notch exclude each other"};
        const double f = NumberValue(a, OptionValue(args, i));
        if (f < -1.0 || f > 1.0) throw UsageError{"--notch: " + args[i] + " is outside -1..1"};
        opt.notch = f;
        return true;
    }
    return false;
}

void BuildGear(Model& m, const GearOptions& opt) {
    StartUp(m);
    if (opt.file) {
        std::string err;
        if (!files::OpenDimensionFile(m, *opt.file, err)) throw FileError{err};
    }
    for (const auto& [id, value] : opt.sets) {
        // A typed value: the field's key handler raised the pending flag.
        m.pendingEdit = id != 25 && id != 26 && id != 27;
        CommitAnyDimension(m, id, value);
    }
    ComputeMidGear(m);
    if (opt.revarm) {
        m.gear.revArmSetting = static_cast<float>(*opt.revarm);
    } else if (opt.notch) {
        // A gear of absurd dimensions can put the notch beyond a float: it stays at the edge.
        m.gear.revArmSetting = SaturatedFloat(static_cast<long double>(m.revArmPositions[0]) +
                                              *opt.notch * m.frame.revArmMax);
    }
    m.gear.direction =
        m.gear.revArmSetting >= m.revArmPositions[0] ? RunDirection::Fwd : RunDirection::Rev;
}

std::string Num(double v) {
    return FormatJsonNumber(v);
}

}  // namespace mv::cli
