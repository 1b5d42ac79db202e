#include "files/load_steps.hpp"

#include <cmath>

#include "model/edits.hpp"
#include "model/solver.hpp"

namespace mv::files {

int RevArmBarPositionAfterLoad(const Model& m) {
    const long double setting = m.gear.revArmSetting;
    const long double mid = m.revArmPositions[0];
    const long double v = 1000.0L * (setting - mid);
    if (std::isnan(v)) return 0;
    constexpr long double kLimit = 2.0e9L;
    if (v >= kLimit) return 2000000000;
    if (v <= -kLimit) return -2000000000;
    return static_cast<int>(std::nearbyint(v));
}

void FinishLoad(Model& m) {
    // The edits so far were edits of the gear the file replaces: undoing one would write an old
    // value into the new gear, and a slot would jog a dimension the user never picked for it.
    ClearUndo(m);
    ClearDynamicVariables(m);
    m.dynBarMemory = {};
    m.dynBarValueBefore = {};
    m.pendingEdit = false;
    m.undoLineText.clear();
    ComputeMidGear(m);
    SetRevArmBarLimits(m);
    RequestRevArmBarPosition(m, RevArmBarPositionAfterLoad(m));
}

}  // namespace mv::files
