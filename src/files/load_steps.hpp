// What every successful open does once the new values are in place.
#pragma once

#include "model/model.hpp"

namespace mv::files {

// Forgets the edits of the gear before (undo stack, dynamic-variable slots, undo line), then
// mid gear from the new dimensions, the reverse-arm bar limits and its position.
void FinishLoad(Model& m);

// round(1000 x (setting - mid gear)), mirrored when exactly one sign factor is negative;
// saturates instead of overflowing.
int RevArmBarPositionAfterLoad(const Model& m);

}  // namespace mv::files
