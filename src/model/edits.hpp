// Dimension edits, the dynamic-variable dynSlots, the undo stack and the jog-bar increment rule.
#pragma once

#include <span>
#include <string_view>
#include <utility>

#include "model/model.hpp"

namespace mv {

// Jog scroll-bar rule: turns a bar's new position p into a signed increment and moves the
// bar's remembered positions on. divisor k and page size g are the bar's own.
float JogIncrement(JogMemory& mem, int p, float divisor, int page);

void RecordDynamicVariable(Model& m);
void ClearDynamicVariables(Model& m);
void StepDynamicVariable(Model& m);
void ApplyDynamicVariable(Model& m);

void SaveUndo(Model& m);
void UndoLastChange(Model& m);
void ClearUndo(Model& m);

// Commits a typed dimension (ids 1..24 and 101..122) the way a dimension field does on exit:
// undo entry while an edit is pending, the value, the dynamic-variable dynSlots, the side effects.
void CommitDimension(Model& m, DimensionId id, float value);
void CommitDimensionText(Model& m, DimensionId id, std::string_view text);

// Several dimensions changed as one step (ids 1..27, 101..122, each at most once): one undo
// entry, shown as `name`, that restores them all. The dynamic-variable slots keep their
// dimensions and show the new values. With a `worldScale` other than 1 the step also scales
// what the picture holds in world lengths, so that a gear scaled by that factor looks the same:
// the view scales are divided by it; the reference points, the lines and circles, the user's
// reverse-arm positions, the graphic zoom and the diagrams' vertical scale are multiplied; the
// reverse arm keeps its notch. Undo scales them back. Mid gear is recomputed either way.
void CommitDimensionGroup(Model& m, std::string_view name,
                          std::span<const std::pair<DimensionId, float>> values,
                          float worldScale = 1);

// What the picture and the diagrams hold in world lengths follows a gear whose lengths were
// scaled by f (the part of CommitDimensionGroup after the dimensions are stored): mid gear is
// recomputed, the reverse arm keeps its notch, the view scales are divided by f, the rest as
// there.
void ScaleWorldLengths(Model& m, float f);

// Fields 25..27: plain stores with the Norm/Max rule; 27 also sets the reverse-arm bar limits.
void CommitOffsetAngle(Model& m, float value);
void CommitRevArmNorm(Model& m, float value);
void CommitRevArmMax(Model& m, float value);

// Any dimension id through the path its dialog field uses.
void CommitAnyDimension(Model& m, DimensionId id, float value);

// A dynamic-variable bar k (1..4) moved to position p: jog rule, ApplyDynamicVariable.
void DynamicBarChanged(Model& m, int k, int p);
// Bar k received the focus: remembers the slot's value as the value before the change.
void DynamicBarEntered(Model& m, int k);
// End of a scroll of bar k: undo entry from the remembered value to the present one.
void DynamicBarScrollEnded(Model& m, int k);

}  // namespace mv
