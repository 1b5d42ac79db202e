#include "diagrams/rev_arm_positions.hpp"

namespace mv {

void CommitRevArmPosition(Model& m, int k, float value) {
    if (k < 1 || k > 9) return;
    float v = value;
    if (k == 1 && v == 0.0f) v = 0.001f;
    if (v != 0.0f) {
        const float mid = m.revArmPositions[0];
        const float max = m.frame.revArmMax;
        if (v < mid - max) v = mid - max;
        if (v > mid + max) v = mid + max;
    }
    m.revArmPositions[k] = v;
}

void CommitVerticalScale(Model& m, float value) {
    m.diagramVerticalScale = value < 0.1f ? 0.1f : value;
}

std::array<bool, kRevArmPositions> NormalizeRevArmPositions(Model& m) {
    std::array<bool, kRevArmPositions> shown{};
    shown[1] = true;
    auto& pos = m.revArmPositions;
    for (int k = 1; k <= 8; ++k) {
        if (pos[k] != 0.0f) {
            m.revArmPositionCount = k;
            shown[k + 1] = true;
        } else {
            pos[k + 1] = 0.0f;
            shown[k + 1] = false;
        }
    }
    if (pos[9] != 0.0f) m.revArmPositionCount = 9;
    return shown;
}

}  // namespace mv
