// Committing dimensions, the dynamic-variable slots, undo and the jog increment rule.
#include "model/edits.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/dimensions.hpp"
#include "model/model.hpp"

namespace {

mv::Model DefaultGear() {
    mv::Model m;
    mv::StartUp(m);
    return m;
}

void Typed(mv::Model& m, mv::DimensionId id, float v) {
    m.pendingEdit = true;
    mv::CommitDimension(m, id, v);
}

TEST(Dimensions, IdsLabelsAndShortNames) {
    EXPECT_EQ(mv::FrameDimensionInfo().size(), 27u);
    EXPECT_EQ(mv::CylinderDimensionInfo().size(), 22u);
    for (std::size_t k = 0; k < 27; ++k) EXPECT_EQ(mv::FrameDimensionInfo()[k].id, k + 1);
    for (std::size_t k = 0; k < 22; ++k) EXPECT_EQ(mv::CylinderDimensionInfo()[k].id, k + 101);
    EXPECT_STREQ(mv::FindDimension(27)->label, "\"           \"             Max");
    EXPECT_STREQ(mv::FindDimension(110)->shortName, "Exhaust Port  Width");
    EXPECT_STREQ(mv::FindDimension(120)->shortName, "Valve Exh CavityRearHalf");
    EXPECT_EQ(mv::FindDimension(0), nullptr);
    EXPECT_EQ(mv::FindDimension(28), nullptr);
    EXPECT_EQ(mv::FindDimension(123), nullptr);
    for (const auto& d : mv::CylinderDimensionInfo())
        EXPECT_LE(std::string(d.shortName).size(), 25u);
}

TEST(Dimensions, DefaultsReadBackById) {
    mv::Model m = DefaultGear();
    EXPECT_FLOAT_EQ(mv::GetDimension(m, 1), 7.0f);
    EXPECT_FLOAT_EQ(mv::GetDimension(m, 10), 0.25f);
    EXPECT_FLOAT_EQ(mv::GetDimension(m, 11), 8.4f);
    EXPECT_FLOAT_EQ(mv::GetDimension(m, 13), 3.43f);
    EXPECT_FLOAT_EQ(mv::GetDimension(m, 14), 11.1f);
    EXPECT_FLOAT_EQ(mv::GetDimension(m, 23), 2.54f);
    EXPECT_FLOAT_EQ(mv::GetDimension(m, 24), 3.85f);
    EXPECT_FLOAT_EQ(mv::GetDimension(m, 27), 1.3f);
    EXPECT_FLOAT_EQ(mv::GetDimension(m, 102), 0.0f);
    EXPECT_FLOAT_EQ(mv::GetDimension(m, 122), 2.514f);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::ValveJoint].y, 2.062f);
    EXPECT_EQ(m.cyl.spare, 0u);
}

TEST(Dimensions, PivotCopiesAndTheValveStemLineMoveTogether) {
    mv::Model m = DefaultGear();
    mv::StoreDimension(m, 14, 12.0f);
    EXPECT_EQ(m.pivots[mv::pv::BellPivot].x, 12.0f);
    EXPECT_EQ(m.pivots[mv::pv::BellPivot2].x, 12.0f);
    mv::StoreDimension(m, 23, 2.0f);
    EXPECT_EQ(m.pivots[mv::pv::RevArmPivot].y, 2.0f);
    EXPECT_EQ(m.pivots[mv::pv::RevArmPivot2].y, 2.0f);
    mv::StoreDimension(m, 102, 0.5f);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::Crosshead].y, 0.5f);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::ValveJoint].y, 0.5f + 2.062f);
    mv::StoreDimension(m, 109, 1.0f);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::ValveJoint].y, 1.5f);
}

TEST(DynamicVariables, SameDimensionKeepsItsSlotAndFiveDropTheFirst) {
    mv::Model m = DefaultGear();
    mv::CommitDimension(m, 3, 10.5f);
    mv::CommitDimension(m, 5, 1.8f);
    mv::CommitDimension(m, 3, 10.6f);
    EXPECT_EQ(m.dynSlots[1].id, 5u);
    EXPECT_EQ(m.dynSlots[2].id, 3u);
    EXPECT_FLOAT_EQ(m.dynSlots[2].value, 10.6f);
    EXPECT_EQ(m.dynSlots[2].name, "Main Rod Length");
    for (mv::DimensionId id : {6u, 7u, 8u}) mv::CommitDimension(m, id, mv::GetDimension(m, id));
    // Slots now 8, 7, 6, 5: dimension 3 has dropped out.
    EXPECT_EQ(m.dynSlots[1].id, 8u);
    EXPECT_EQ(m.dynSlots[4].id, 5u);
    for (int k = 1; k <= 4; ++k) EXPECT_NE(m.dynSlots[k].id, 3u);
}

TEST(DynamicVariables, CommitWithoutTypingAddsASlotButNoUndo) {
    mv::Model m = DefaultGear();
    m.pendingEdit = false;
    mv::CommitDimension(m, 6, 8.5f);
    EXPECT_EQ(m.dynSlots[1].id, 6u);
    EXPECT_EQ(m.undoCount, 0);
    EXPECT_EQ(m.undo[1].id, 0);
    EXPECT_FALSE(m.undoEnabled);
    EXPECT_FLOAT_EQ(m.frame.eccRodLeft, 8.5f);
}

TEST(DynamicVariables, FieldsTwentyFiveToTwentySevenAreNeverSlotsNorUndone) {
    mv::Model m = DefaultGear();
    for (mv::DimensionId id : {25u, 26u, 27u}) {
        m.pendingEdit = true;
        mv::CommitAnyDimension(m, id, 1.0f);
    }
    EXPECT_EQ(m.dynSlots[1].id, 0u);
    EXPECT_EQ(m.undoCount, 0);
}

TEST(DynamicVariables, NormAndMaxClampEachOtherAndTheUserPositions) {
    mv::Model m = DefaultGear();
    const float mid = m.revArmPositions[0];
    m.revArmPositions[4] = mid + 1.2f;
    m.revArmPositions[5] = 0.0f;
    mv::CommitRevArmNorm(m, 2.0f);  // above Max 1.3: becomes 1.3
    EXPECT_FLOAT_EQ(m.frame.revArmNorm, 1.3f);
    EXPECT_FLOAT_EQ(m.revArmPositions[4], mid + 1.2f);
    mv::CommitRevArmMax(m, 1.0f);  // below Norm: becomes Norm
    EXPECT_FLOAT_EQ(m.frame.revArmMax, 1.3f);
    mv::CommitRevArmNorm(m, 1.0f);
    mv::CommitRevArmMax(m, 0.5f);  // Max := Norm = 1.0, positions clamped to mid +- 1.0
    EXPECT_FLOAT_EQ(m.frame.revArmMax, 1.0f);
    EXPECT_FLOAT_EQ(m.revArmPositions[4], mid + 1.0f);
    EXPECT_EQ(m.revArmPositions[5], 0.0f) << "unset positions are never clamped";
    EXPECT_EQ(m.revArmBarMax, 1000);
    EXPECT_EQ(m.revArmBarMin, -1000);
}

TEST(DynamicVariables, SteppingASlotChangesItsDimension) {
    mv::Model m = DefaultGear();
    mv::CommitDimension(m, 14, 11.1f);
    m.currentSlot = 1;
    m.gear.scrollIncrement = 0.01f;
    mv::ApplyDynamicVariable(m);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::BellPivot].x, 11.11f);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::BellPivot2].x, 11.11f);
    EXPECT_FLOAT_EQ(m.dynSlots[1].value, 11.11f);
    // An empty slot does nothing.
    m.currentSlot = 3;
    mv::ApplyDynamicVariable(m);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::BellPivot].x, 11.11f);
}

TEST(Undo, TypedEditRecordsOldAndNewAndUndoRestores) {
    mv::Model m = DefaultGear();
    int enabledEvents = 0;
    m.AddListener([&](mv::ModelEvent e) {
        if (e == mv::ModelEvent::UndoButtonsEnabled) ++enabledEvents;
    });
    Typed(m, 3, 11.0f);
    EXPECT_TRUE(m.undoEnabled);
    EXPECT_EQ(m.undoCount, 1);
    EXPECT_EQ(m.undo[1].id, 3);
    EXPECT_FLOAT_EQ(m.undo[1].oldValue, 10.0f);
    EXPECT_FLOAT_EQ(m.undo[1].newValue, 11.0f);
    EXPECT_EQ(m.undo[1].name, "Main Rod Length");
    EXPECT_FALSE(m.pendingEdit);
    mv::UndoLastChange(m);
    EXPECT_FLOAT_EQ(m.frame.mainRod, 10.0f);
    EXPECT_FLOAT_EQ(m.dynSlots[1].value, 10.0f) << "slots follow their dimensions";
    EXPECT_EQ(m.undoCount, 0);
    EXPECT_FALSE(m.undoEnabled);
    EXPECT_GE(enabledEvents, 2);
}

TEST(Undo, EnterOnlyGivesAnEntryWithEqualValues) {
    mv::Model m = DefaultGear();
    Typed(m, 8, m.frame.radiusHanger);
    EXPECT_EQ(m.undoCount, 1);
    EXPECT_EQ(m.undo[1].oldValue, m.undo[1].newValue);
}

TEST(Undo, TwentyFirstChangeDropsTheOldestAndTwentyUndosEmptyTheStack) {
    mv::Model m = DefaultGear();
    for (int k = 0; k < 21; ++k) Typed(m, 3, 10.0f + static_cast<float>(k + 1));
    EXPECT_EQ(m.undoCount, 20);
    EXPECT_FLOAT_EQ(m.undo[20].oldValue, 11.0f) << "the change from 10 to 11 is gone";
    for (int k = 0; k < 20; ++k) mv::UndoLastChange(m);
    EXPECT_EQ(m.undoCount, 0);
    EXPECT_FALSE(m.undoEnabled);
    EXPECT_FLOAT_EQ(m.frame.mainRod, 11.0f);
    EXPECT_EQ(m.undo[1].id, 0);
}

TEST(Undo, UndoOfTheCylinderLineMovesTheValveStemLine) {
    mv::Model m = DefaultGear();
    Typed(m, 102, 0.75f);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::ValveJoint].y, 0.75f + 2.062f);
    mv::UndoLastChange(m);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::Crosshead].y, 0.0f);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::ValveJoint].y, 2.062f);
}

TEST(Undo, RefreshKeepsOtherSlotValuesExactly) {
    mv::Model m = DefaultGear();
    Typed(m, 110, 0.0003f);  // tiny value that a +1/-1 round trip would disturb
    Typed(m, 3, 12.0f);
    mv::UndoLastChange(m);
    EXPECT_EQ(m.cyl.exhaustPort, 0.0003f);
    EXPECT_EQ(m.dynSlots[2].value, 0.0003f);
}

TEST(Undo, ClearEmptiesEverything) {
    mv::Model m = DefaultGear();
    Typed(m, 3, 11.0f);
    Typed(m, 4, 2.5f);
    mv::ClearUndo(m);
    EXPECT_EQ(m.undoCount, 0);
    EXPECT_FALSE(m.undoEnabled);
    for (const auto& e : m.undo) EXPECT_EQ(e.id, 0);
}

TEST(Jog, ArrowsPagesAndDragsFromRest) {
    mv::JogMemory mem;
    EXPECT_FLOAT_EQ(mv::JogIncrement(mem, 1, 1000, 10), 0.001f);
    EXPECT_FLOAT_EQ(mv::JogIncrement(mem, 0, 1000, 10), 0.0f);
    EXPECT_FLOAT_EQ(mv::JogIncrement(mem, -1, 1000, 10), -0.001f);
    EXPECT_FLOAT_EQ(mv::JogIncrement(mem, 0, 1000, 10), 0.0f);
    EXPECT_FLOAT_EQ(mv::JogIncrement(mem, 10, 1000, 10), 0.01f);
    EXPECT_FLOAT_EQ(mv::JogIncrement(mem, 0, 1000, 10), 0.0f);
    EXPECT_FLOAT_EQ(mv::JogIncrement(mem, -10, 1000, 10), -0.01f);
    EXPECT_FLOAT_EQ(mv::JogIncrement(mem, 0, 1000, 10), 0.0f);
    mv::JogMemory pan;
    EXPECT_FLOAT_EQ(mv::JogIncrement(pan, 1, 10, 10), 0.1f);
}

TEST(Jog, SharedSlotMemoryContinuesAcrossBars) {
    mv::Model m = DefaultGear();
    mv::CommitDimension(m, 4, 2.0f);
    mv::CommitDimension(m, 5, 1.77f);  // slot 2 holds dimension 4
    mv::DynamicBarChanged(m, 2, 37);   // a drag to 37 from rest
    mv::DynamicBarChanged(m, 2, 0);    // the bar snaps back
    EXPECT_NEAR(m.frame.eccCircleDia, 2.037f, 1e-6);
    mv::DynamicBarChanged(m, 2, -1);  // arrow click, e.g. on another window's bar 2
    mv::DynamicBarChanged(m, 2, 0);
    EXPECT_NEAR(m.frame.eccCircleDia, 2.036f, 1e-6);
}

TEST(Jog, EndOfScrollRecordsTheWholeMovement) {
    mv::Model m = DefaultGear();
    mv::CommitDimension(m, 4, 2.0f);
    mv::DynamicBarEntered(m, 1);
    for (int i = 0; i < 3; ++i) {
        mv::DynamicBarChanged(m, 1, 1);
        mv::DynamicBarChanged(m, 1, 0);
    }
    mv::DynamicBarScrollEnded(m, 1);
    EXPECT_EQ(m.undoCount, 1);
    EXPECT_EQ(m.undo[1].id, 4);
    EXPECT_FLOAT_EQ(m.undo[1].oldValue, 2.0f);
    EXPECT_NEAR(m.undo[1].newValue, 2.003f, 1e-6);
    EXPECT_FALSE(m.pendingEdit);
    mv::UndoLastChange(m);
    EXPECT_FLOAT_EQ(m.frame.eccCircleDia, 2.0f);
}

TEST(Reset, ModelStateDefaults) {
    mv::Model m = DefaultGear();
    EXPECT_EQ(m.presets[1].scale, 62.0f);
    EXPECT_EQ(m.presets[6].ox, -5460.0f);
    EXPECT_EQ(m.view.scale, 28.0f);
    EXPECT_EQ(m.homeView.ox, 115.0f);
    EXPECT_EQ(m.graphicZoomFactor, 7.5f);
    EXPECT_EQ(m.diagramVerticalScale, 1.5f);
    EXPECT_EQ(m.dynSlots[1].name, mv::kEmptySlotName);
    EXPECT_EQ(std::string(mv::kEmptySlotName).size(), 15u);
    EXPECT_EQ(m.lines.entries[19].reference, -1);
    EXPECT_EQ(m.steam.frontAccumulator, 20.0f);
    EXPECT_FLOAT_EQ(m.gear.scrollIncrement, 0.001f);
}

}  // namespace
