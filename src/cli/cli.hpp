// merrovan-cli: command registry and the options every command shares.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/model.hpp"

namespace mv::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitBadFile = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitAnalysis = 3;

// A usage problem: reported on stderr as one line, exit status 2.
struct UsageError {
    std::string message;
};
// A file that cannot be read or written: exit status 1.
struct FileError {
    std::string message;
};

// An analysis that could not run (nothing searched, every sample failed, the search library
// gave up): the reason on stderr, exit status 3.
struct AnalysisError {
    std::string message;
};

using Args = std::vector<std::string>;

struct Command {
    std::string name;
    std::string synopsis;  // one line for the overview
    std::string help;      // full option description
    std::function<int(const Args&)> run;
};

// An option as a command's help lists it: a line "  --name VALUE   what it does" (or
// "  --name   what it does" for one without a value).
struct HelpOption {
    std::string name;
    bool takesValue = false;
};
// The options a help text lists, in its order. The help is where the options are written down,
// so this is what tells an option's value from the next option (and what the fuzzer reads).
std::vector<HelpOption> HelpOptions(const std::string& help);

// Registers a command; used from static initialisers in each command's file.
bool Register(Command c);
const std::vector<Command>& Commands();

// Options shared by the commands that work on a gear: --file, --set, --revarm, --notch.
struct GearOptions {
    std::optional<std::string> file;
    std::vector<std::pair<DimensionId, float>> sets;
    std::optional<double> revarm;
    std::optional<double> notch;
};

// If args[i] is one of the gear options, consumes it (and its value) and returns true.
bool TakeGearOption(const Args& args, std::size_t& i, GearOptions& opt);

// The value of option args[i]; throws UsageError when it is missing.
const std::string& OptionValue(const Args& args, std::size_t& i);
double NumberValue(const std::string& option, const std::string& text);
// A number that becomes a model value: beyond the float range it is "too large".
float FloatValue(const std::string& option, const std::string& text);
int IntValue(const std::string& option, const std::string& text);

// Builds the working set: start-up state, the file (as the open command loads it), every --set
// through the dialog commit path, mid gear recomputed, then the reverse-arm setting.
void BuildGear(Model& m, const GearOptions& opt);

// Help text of the gear options, for the commands' --help.
extern const char* const kGearOptionsHelp;

// JSON or CSV number: the value as the float the model holds, in the shortest text that reads
// back as that float; null for what a float cannot hold (mv::FormatJsonNumber).
std::string Num(double v);

}  // namespace mv::cli
