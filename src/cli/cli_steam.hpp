// Options of the commands that work out the steam in the cylinder (performance, report): the
// pressures, the clearance, the rod and the cylinders, and the model's description for --help.
#pragma once

#include <string>

#include "analysis/performance.hpp"
#include "cli/cli.hpp"

namespace mv::cli {

struct SteamOptions {
    SteamConditions conditions;
    bool pressureGiven = false;
    bool anyGiven = false;  // any steam option at all
};

// If args[i] is --pressure, --back-pressure, --clearance, --rod-dia or --cylinders, consumes it
// and its value and returns true.
bool TakeSteamOption(const Args& args, std::size_t& i, SteamOptions& o);
// Throws UsageError naming the option when the values cannot give a card: the back pressure
// not above 0, the pressure not above it, a clearance outside (0, 100], a negative rod or one as
// wide as the gear's bore, fewer than one cylinder.
void CheckSteamOptions(const SteamOptions& o, const Gear& g);

extern const char* const kSteamOptionsHelp;
// The physical model in a few lines.
extern const char* const kSteamModelHelp;

}  // namespace mv::cli
