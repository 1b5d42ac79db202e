// The mechanism as a DXF drawing for CAD programs: the gear at its solved position, full size,
// one drawing unit per unit of the dimensions. docs/workshop.md lists the layers and what each
// holds.
#pragma once

#include <array>
#include <string>

#include "model/model.hpp"

namespace mv::files {

// The layers, in the order they are declared.
inline constexpr std::array<const char*, 7> kDxfLayers = {"FRAME", "RODS",   "PINS", "VALVE",
                                                          "PORTS", "PISTON", "TEXT"};

// Writes the gear as solved (pivots, piston and valve from the latest SolveLinkage and
// SolvePistonAndPorts) in DXF R2000. The file is replaced in one step, so a failed export
// leaves an existing file as it was. A position whose coordinates are not all finite is
// refused with a message; nothing is written then.
bool WriteMechanismDxf(const Gear& g, const std::string& path, std::string& error);

}  // namespace mv::files
