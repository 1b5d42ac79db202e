// Helpers of the merrovan-cli commands that draw: the display-less application and the list of
// reverse-arm positions the diagrams sweep.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/model.hpp"

namespace mv::cli {

// A display-less application for the font and painting machinery, created once per process.
// Uses the offscreen platform unless QT_QPA_PLATFORM names another, and keeps Qt's notes
// about the session environment off stderr.
void EnsureGuiApplication();

// "X,Y,..." as given to --positions: at most 9 finite numbers; throws UsageError otherwise.
std::vector<double> ParsePositions(const std::string& option, const std::string& list);

// Stores the positions (when given) as the positions dialog would and normalises the list.
void ApplyPositions(Model& m, const std::optional<std::vector<double>>& positions);

}  // namespace mv::cli
