// The list of reverse-arm positions the sine, oval and steam diagrams draw, and the rules by
// which TSetRevArm and merrovan-cli change it. No Qt here.
#pragma once

#include <array>

#include "model/model.hpp"

namespace mv {

// Stores position k (1..9) as typed: 0 in position 1 becomes 0.001, a non-zero position is
// clamped into [mid gear - Max, mid gear + Max]; a zero position 2..9 stays zero and ends the list.
void CommitRevArmPosition(Model& m, int k, float value);
// Stores the vertical scale, at least 0.1.
void CommitVerticalScale(Model& m, float value);

// What the positions dialog does when it paints: every position after the first zero becomes
// zero and the count becomes the number of leading non-zero positions (unchanged when position 1
// is zero). Returns which rows 1..9 are shown (row 1 always).
std::array<bool, kRevArmPositions> NormalizeRevArmPositions(Model& m);

}  // namespace mv
