// Per-frame state of the picture: cut-off display, undo line, error indicator and the dimension
// position graphic with its counters, view changes and dialog requests.
#include <gtest/gtest.h>

#include <string>

#include "mainwin/picture_canvas.hpp"
#include "model/text.hpp"
#include "picture_support.hpp"

namespace {

using namespace picture_test;

const QRect kFrontCutoff(600, 109, 32, 11);

// Runs the animation until the front admission closes; returns false if it never does.
bool RunToFrontCutoff(mv::Model& m) {
    for (int t = 0; t < 200; ++t) {
        mv::TickSolve(m);
        Frame(m, nullptr, false);
        if (m.cutoff.frontCountdown > 0) return true;
        mv::AdvanceDriverAngle(m);
    }
    return false;
}

TEST(CutoffDisplay, ValueShowsForFortyFramesAtStepTen) {
    mv::Model m = DefaultGear();
    m.gear.revArmSetting = m.revArmPositions[0] + m.frame.revArmNorm;
    ASSERT_TRUE(RunToFrontCutoff(m));
    EXPECT_EQ(m.cutoff.frontCountdown, 39);  // 40 set, the crossing frame shown
    const double percent = mv::ParseLenient(m.cutoff.frontText);
    EXPECT_GT(percent, 5.0);
    EXPECT_LT(percent, 95.0);
    // The valve stands still from here on: no new crossing, only the countdown.
    int shown = 1;
    for (int f = 0; f < 60; ++f)
        if (InkIn(Frame(m, nullptr, false), kFrontCutoff) > 0) ++shown;
    EXPECT_EQ(shown, 40);
    EXPECT_EQ(m.cutoff.frontCountdown, 0);
}

TEST(CutoffDisplay, HiddenAtLargeStepsAndWhileStopped) {
    for (float step : {0.0f, 23.0f, 45.0f}) {
        mv::Model m = DefaultGear();
        m.cutoff.frontText = "42.0";
        m.cutoff.frontCountdown = 5;
        m.gear.currentStep = step;
        const QImage img = Frame(m);
        EXPECT_EQ(InkIn(img, QRect(545, 109, 87, 24)), 0) << step;
        EXPECT_EQ(m.cutoff.frontCountdown, 5) << "not shown, not counted";
    }
    mv::Model m = DefaultGear();
    m.cutoff.frontText = "42.0";
    m.cutoff.frontCountdown = 5;
    m.gear.currentStep = 22.9f;
    EXPECT_GT(InkIn(Frame(m), kFrontCutoff), 0);
    EXPECT_EQ(m.cutoff.frontCountdown, 4);
}

TEST(CutoffDisplay, MeasurementInterpolatesTheClosingPoint) {
    mv::Model m = DefaultGear();
    m.cutoff.prevPiston = 100.0f;
    m.cutoff.prevFrontSteam = 0.01f;
    m.cutoff.prevRearSteam = -1.0f;
    mv::TickSolve(m);
    m.valve.piston = 200.0f;
    m.valve.frontSteam = -0.03f;  // a quarter of the way: cut-off at piston 125
    m.valve.rearSteam = -1.0f;
    Frame(m, nullptr, false);
    EXPECT_EQ(m.cutoff.frontText, "19.5");  // 125 / 6.4
    EXPECT_EQ(m.cutoff.frontCountdown, 39);
    EXPECT_FLOAT_EQ(m.cutoff.prevPiston, 200.0f);
}

TEST(UndoLine, ButtonFollowsTheSwitchesAndTheTextScale) {
    mv::Model m = DefaultGear();
    mv::PictureOutput out;
    Frame(m, &out);
    EXPECT_FALSE(out.undoButtonVisible);
    m.display.undoLineVisible = true;
    m.undoCount = 3;
    m.undo[1] = mv::UndoEntry{3, 12.0f, 12.5f, "Main Rod Length"};
    QImage img = Frame(m, &out);
    EXPECT_TRUE(out.undoButtonVisible);
    EXPECT_EQ(out.undoButtonTop, 72);
    EXPECT_EQ(m.undoLineText, " 3- Main Rod Length 12.500 to 12.000");
    EXPECT_GT(InkIn(img, QRect(320, 73, 150, 12)), 20);
    m.display.dynamicVariablesVisible = true;
    img = Frame(m, &out);
    EXPECT_EQ(out.undoButtonTop, 127);
    EXPECT_GT(InkIn(img, QRect(320, 128, 150, 12)), 20);
    m.display.textScaleX = 1.27f;
    m.display.textScaleY = 1.22f;
    Frame(m, &out);
    EXPECT_EQ(out.undoButtonTop, 155);  // round(127 x 1.22)
    m.display.screenData = false;
    Frame(m, &out);
    EXPECT_FALSE(out.undoButtonVisible);
}

TEST(DynamicVariables, BarsEnabledPerSlotAndPromptWhenEmpty) {
    mv::Model m = DefaultGear();
    m.display.dynamicVariablesVisible = true;
    mv::PictureOutput out;
    QImage img = Frame(m, &out);
    for (bool e : out.dynBarEnabled) EXPECT_FALSE(e);
    int red = 0;
    for (int y = 71; y < 110; ++y)
        for (int x = 377; x < 560; ++x)
            if (Px(img, x, y) == mv::kRed) ++red;
    EXPECT_GT(red, 50);  // "* First Select Dimensions *"
    m.dynSlots[1] = mv::DynSlot{3, 12.0f, "Main Rod Length"};
    m.dynSlots[2] = mv::DynSlot{9, 3.56f, "Guide Link Radius"};
    img = Frame(m, &out);
    EXPECT_TRUE(out.dynBarEnabled[0]);
    EXPECT_TRUE(out.dynBarEnabled[1]);
    EXPECT_FALSE(out.dynBarEnabled[2]);
    EXPECT_FALSE(out.dynBarEnabled[3]);
    EXPECT_GT(InkIn(img, QRect(498, 71, 40, 24)), 20);  // the two values
}

// The longest short name ends before its value at 498, which starts with a blank.
TEST(DynamicVariables, LongNamesEndBeforeTheirValues) {
    mv::Model m = DefaultGear();
    m.display.dynamicVariablesVisible = true;
    m.dynSlots[1] = mv::DynSlot{120, 0.375f, "Valve Exh CavityRearHalf"};
    const QImage img = Frame(m);
    EXPECT_EQ(InkIn(img, QRect(497, 71, 4, 11)), 0);
    EXPECT_GT(InkIn(img, QRect(470, 71, 27, 11)), 20);
}

TEST(ErrorIndicator, FlashesSoundsAndClearsTheFlag) {
    mv::Model m = DefaultGear();
    mv::TickSolve(m);
    m.gear.geometryError = true;
    mv::PictureOutput out;
    for (int f = 1; f <= 9; ++f) {
        Frame(m, &out, false);
        EXPECT_TRUE(out.errorItemVisible) << f;
        EXPECT_FALSE(out.playError) << f;
    }
    Frame(m, &out, false);
    EXPECT_FALSE(out.errorItemVisible);
    EXPECT_TRUE(out.playError);
    for (int f = 11; f <= 20; ++f) {
        Frame(m, &out, false);
        EXPECT_FALSE(out.errorItemVisible || out.playError) << f;
        EXPECT_TRUE(m.gear.geometryError);
    }
    Frame(m, &out, false);
    EXPECT_FALSE(m.gear.geometryError);
    EXPECT_EQ(m.steam.errorFrameCounter, 0);
    // With screen data off the indicator waits.
    m.gear.geometryError = true;
    m.display.screenData = false;
    Frame(m, &out, false);
    EXPECT_EQ(m.steam.errorFrameCounter, 0);
    EXPECT_FALSE(out.errorItemVisible);
}

TEST(PivotData, RowsAndDistanceOfAPickedPair) {
    mv::Model m = DefaultGear();
    m.display.pivotData = m.display.referencePoints = true;
    m.picks[1] = {6.0f, true};   // bell-crank pivot (11.1, 3.43)
    m.picks[2] = {16.0f, true};  // reverse-arm pivot (3.85, 2.54)
    const QImage img = Frame(m);
    EXPECT_GT(InkIn(img, QRect(12, 150, 75, 20)), 40);  // two rows of values
    EXPECT_GT(InkIn(img, QRect(90, 155, 40, 11)), 10);  // their distance
    mv::Model plain = DefaultGear();
    const QImage base = Frame(plain);
    const QRect otherPairs(90, 175, 40, 30);  // not assigned: only the wheel's rim is there
    EXPECT_EQ(InkIn(img, otherPairs), InkIn(base, otherPairs));
    int red = 0;  // the slot number beside the pivot
    for (int y = m.pivots[mv::pv::BellPivot].sy - 12; y < m.pivots[mv::pv::BellPivot].sy; ++y)
        for (int x = m.pivots[mv::pv::BellPivot].sx + 4; x < m.pivots[mv::pv::BellPivot].sx + 12;
             ++x)
            if (Px(img, x, y) == mv::kRed) ++red;
    EXPECT_GT(red, 3);
}

TEST(ReferencePoints, CrossesInTheLastOverlayColour) {
    mv::Model m = DefaultGear();
    m.display.referencePoints = true;
    m.pivots[mv::pv::Ref1].x = 2.0f;  // screen (171, 242)
    m.pivots[mv::pv::Ref1].y = 1.0f;
    QImage img = Frame(m);
    EXPECT_EQ(Px(img, 161, 242), mv::kBlack);
    EXPECT_EQ(Px(img, 180, 242), mv::kBlack);
    EXPECT_EQ(Px(img, 181, 242), 0xFFFFFFu);  // 20 pixels, the end left out
    EXPECT_EQ(Px(img, 171, 232), mv::kBlack);
    m.lines.entries[19].colour = 4;
    img = Frame(m);
    EXPECT_EQ(Px(img, 161, 242), mv::kBlue);
}

// --- dimension position graphic ---------------------------------------------------------

TEST(DimensionGraphic, CylinderRequestZoomsAndReopensAfter1001Frames) {
    mv::Model m = DefaultGear();
    const mv::ViewTransform home = m.view;
    m.dimensionGraphicId = 103;
    mv::PictureOutput out;
    Frame(m, &out);
    EXPECT_EQ(out.closeDialog, 2);
    EXPECT_EQ(out.reopenDialog, 0);
    EXPECT_FALSE(out.restoreCursor);
    EXPECT_FLOAT_EQ(m.view.scale, 55.0f);
    EXPECT_FLOAT_EQ(m.view.ox, -600.0f);
    EXPECT_FLOAT_EQ(m.view.oy, 250.0f);
    EXPECT_FLOAT_EQ(m.previousView.scale, home.scale);
    for (int f = 2; f <= 1000; ++f) {
        Frame(m, &out);
        ASSERT_EQ(out.reopenDialog, 0) << f;
    }
    Frame(m, &out);
    EXPECT_EQ(out.reopenDialog, 2);
    EXPECT_EQ(out.closeDialog, 0);
    EXPECT_TRUE(out.restoreCursor);
    EXPECT_EQ(m.dimensionGraphicId, 0);
    EXPECT_EQ(m.graphicFrameCounter, 0);
    EXPECT_EQ(m.graphicBlinkCounter, 0);
    EXPECT_FLOAT_EQ(m.view.scale, home.scale);
    EXPECT_FLOAT_EQ(m.view.ox, home.ox);
    EXPECT_FLOAT_EQ(m.view.oy, home.oy);
    Frame(m, &out);
    EXPECT_EQ(out.reopenDialog, 0);
    EXPECT_EQ(out.closeDialog, 0);
}

TEST(DimensionGraphic, ClickEndsAFrameRequestOnTheNextFrame) {
    mv::Model m = DefaultGear();
    m.view = mv::ViewTransform{40.0f, 100.0f, 200.0f};
    m.dimensionGraphicId = 7;
    m.graphicZoomFactor = 15.0f;
    mv::PictureOutput out;
    Frame(m, &out);
    Frame(m, &out);
    EXPECT_EQ(out.closeDialog, 1);
    EXPECT_FLOAT_EQ(m.view.scale, 31.0f);  // 62 / 15 x 7.5
    EXPECT_FLOAT_EQ(m.view.ox, -150.0f);
    m.graphicFrameCounter = 1005;  // what a mouse press does
    Frame(m, &out);
    EXPECT_EQ(out.reopenDialog, 1);
    EXPECT_EQ(m.dimensionGraphicId, 0);
    EXPECT_FLOAT_EQ(m.view.scale, 40.0f);  // the view from before the request
    EXPECT_FLOAT_EQ(m.view.ox, 100.0f);
}

TEST(DimensionGraphic, HighlightBlinksThreeRedThreeBlack) {
    mv::Model m = DefaultGear();
    m.dimensionGraphicId = 11;  // kept offsets; scale 28 at the default zoom factor
    std::string seen;
    for (int f = 0; f < 12; ++f) {
        const QImage img = Frame(m);
        const int x = (m.pivots[mv::pv::GuideCentre].sx + m.pivots[mv::pv::Origin].sx) / 2,
                  y = m.pivots[mv::pv::GuideCentre].sy;
        const QRgb c = Px(img, x, y);
        seen += c == mv::kRed ? 'R' : (c == mv::kBlack ? 'B' : '?');
    }
    EXPECT_EQ(seen, "RRRBBBRRRBBB");
    // The hourglass and the label are there.
    const QImage img = Frame(m);
    EXPECT_EQ(Px(img, 30, 100), mv::kBlack);
    EXPECT_GT(InkIn(img, QRect(30, 75, 200, 20)), 50);
}

TEST(DimensionGraphic, EveryRowDrawsWithoutTouchingOtherState) {
    for (int k : {1, 2, 4, 9, 15, 16, 25, 26, 27, 101, 102, 106, 108, 118, 122, 200}) {
        mv::Model m = DefaultGear();
        m.dimensionGraphicId = k;
        Frame(m);
        Frame(m);
        EXPECT_EQ(m.graphicFrameCounter, 2) << k;
        EXPECT_FLOAT_EQ(m.frame.driverDia, 7.0f) << k;
    }
}

}  // namespace
