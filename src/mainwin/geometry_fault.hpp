// Naming a geometry fault for the user: which construction of the linkage could not be made as
// drawn, in words, and which rods to outline in red. Plain functions of the gear.
#pragma once

#include <span>
#include <string_view>

#include "model/model.hpp"

namespace mv {

// A rod of the picture, drawn between the screen points of two pivots.
struct RodSpan {
    int from;
    int to;
};

// The construction the picture names for the gear's latest solve: the first one the solver
// clamped; otherwise, with the error beep on, a piston that the solve left outside its stroke
// (which only a negative main rod does, without any clamp). None while the geometry is sound.
Construction PictureFault(const Gear& g);

// One line of text for the user; empty for None. The gear tells apart the causes that share a
// construction (a zero stroke and a short main rod both stop the piston).
std::string_view FaultText(const Gear& g, Construction c);

// The rods involved in the construction; empty for None.
std::span<const RodSpan> FaultRods(Construction c);

}  // namespace mv
