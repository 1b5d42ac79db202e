// View block (pan, zoom, Norm, presets, pan to a reference point) and the mouse on the picture:
// reference points, pivot picking, lines and the dimension graphic.
#include <cmath>

#include "main_form_fixture.hpp"

using mvtest::MainFormTest;

namespace {
// Screen point of a world point under a view, unrounded.
QPointF ToScreen(const mv::ViewTransform& v, double h, double vert) {
    return {h * v.scale + v.ox, -vert * v.scale + v.oy};
}
}  // namespace

TEST_F(MainFormTest, PanArrowJogsByATenthAndSnapsBack) {
    ClickBar(Bar("SBPanVert"), QStyle::SC_ScrollBarAddLine);
    EXPECT_EQ(Bar("SBPanVert")->value(), 0);
    EXPECT_NEAR(m.view.oy, 270 - 0.1f, 1e-4);
    EXPECT_TRUE(Button("NormVHZ")->isEnabled());
    EXPECT_FLOAT_EQ(m.zoomAnchor.oy, m.view.oy);
    ClickBar(Bar("SBPanVert"), QStyle::SC_ScrollBarSubLine);
    EXPECT_NEAR(m.view.oy, 270, 1e-4);
    ClickBar(Bar("SBPanHorz"), QStyle::SC_ScrollBarAddLine);
    EXPECT_NEAR(m.view.ox, 115.1f, 1e-4);
    EXPECT_EQ(Bar("SBPanHorz")->value(), 0);
}

TEST_F(MainFormTest, ZoomPageKeepsScreenCentreFixed) {
    const mv::ViewTransform before = m.view;
    // World point under screen (320, 240) before the zoom.
    const double h = (320.0 - before.ox) / before.scale;
    const double v = -(240.0 - before.oy) / before.scale;
    ClickBar(Bar("SBZoom"), QStyle::SC_ScrollBarAddPage);
    EXPECT_EQ(Bar("SBZoom")->value(), 0);
    EXPECT_NEAR(m.view.scale, 28 * 1.01, 1e-4);
    const QPointF p = ToScreen(m.view, h, v);
    EXPECT_NEAR(p.x(), 320, 1e-3);
    EXPECT_NEAR(p.y(), 240, 1e-3);
    ClickBar(Bar("SBZoom"), QStyle::SC_ScrollBarSubLine);
    EXPECT_NEAR(m.view.scale, 28 * 1.01 * 0.999, 1e-3);
}

TEST_F(MainFormTest, ZoomClampsAtThreeThousandButOffsetsUseTheUnclampedScale) {
    m.view = {2990, 100, 200};
    ClickBar(Bar("SBZoom"), QStyle::SC_ScrollBarAddPage);
    EXPECT_FLOAT_EQ(m.view.scale, 3000);
    EXPECT_NEAR(m.view.ox, (100 - 320) * 3019.9 / 2990 + 320, 1e-2);
    EXPECT_NEAR(m.view.oy, 3019.9 * (200 - 240) / 2990 + 240, 1e-2);
    m.view = {0.5f, 100, 200};
    ClickBar(Bar("SBZoom"), QStyle::SC_ScrollBarSubPage);
    EXPECT_FLOAT_EQ(m.view.scale, 0.5f);
}

TEST_F(MainFormTest, ZoomFromAZeroScaleViewStaysFinite) {
    m.view = {0, 100, 200};  // as a damaged file could leave it
    ClickBar(Bar("SBZoom"), QStyle::SC_ScrollBarAddPage);
    EXPECT_TRUE(std::isfinite(m.view.ox));
    EXPECT_TRUE(std::isfinite(m.view.oy));
    EXPECT_FLOAT_EQ(m.view.scale, 0.5f);
}

TEST_F(MainFormTest, PresetCaptureAndRecall) {
    ClickBar(Bar("SBPanHorz"), QStyle::SC_ScrollBarAddPage);  // ox 116
    const mv::ViewTransform panned = m.view;
    Click("Preset0");
    EXPECT_FALSE(Button("Preset0")->isEnabled());
    Click("Preset3");
    EXPECT_TRUE(Button("Preset0")->isEnabled());
    EXPECT_FLOAT_EQ(m.presets[3].ox, panned.ox);
    Click("Preset1");
    EXPECT_FLOAT_EQ(m.view.scale, 62);
    EXPECT_FLOAT_EQ(m.view.ox, 315);
    EXPECT_FLOAT_EQ(m.view.oy, 237);
    Click("Preset3");
    EXPECT_FLOAT_EQ(m.view.ox, panned.ox);
    EXPECT_FLOAT_EQ(m.view.scale, panned.scale);
    EXPECT_FLOAT_EQ(m.presets[1].scale, 62);  // recalling does not store
}

TEST_F(MainFormTest, NormReturnsHomeAndDisablesItself) {
    ClickBar(Bar("SBPanVert"), QStyle::SC_ScrollBarAddPage);
    ClickBar(Bar("SBZoom"), QStyle::SC_ScrollBarAddPage);
    const mv::ViewTransform moved = m.view;
    Click("Preset0");
    Click("NormVHZ");
    EXPECT_FLOAT_EQ(m.view.scale, 28);
    EXPECT_FLOAT_EQ(m.view.ox, 115);
    EXPECT_FLOAT_EQ(m.view.oy, 270);
    EXPECT_FLOAT_EQ(m.previousView.scale, moved.scale);
    EXPECT_FALSE(Button("NormVHZ")->isEnabled());
    EXPECT_TRUE(Button("Preset0")->isEnabled());
}

TEST_F(MainFormTest, PanToReferencePointCentresIt) {
    Action("RefPoints")->trigger();
    Click("RefPt1");
    EXPECT_FLOAT_EQ(m.view.ox, 320);
    EXPECT_FLOAT_EQ(m.view.oy, 240);
    EXPECT_EQ(Bar("SBPanHorz")->value(), 0);
    m.pivots[mv::pv::Ref2] = {1.5f, -2.0f, 0, 0};
    Click("RefPt2");
    const QPointF p = ToScreen(m.view, 1.5, -2.0);
    EXPECT_NEAR(p.x(), 320, 1e-3);
    EXPECT_NEAR(p.y(), 240, 1e-3);
}

TEST_F(MainFormTest, ReferencePointsSwitchShowsTheirControls) {
    Action("RefPoints")->trigger();
    EXPECT_TRUE(m.display.referencePoints);
    for (const char* n : {"SBRef1Vert", "SBRef1Horz", "SBRef2Vert", "SBRef2Horz"})
        EXPECT_TRUE(Bar(n)->isVisible()) << n;
    EXPECT_TRUE(Button("RefPt1Zero")->isVisible());
    EXPECT_TRUE(Button("RefPt1")->isEnabled());
    EXPECT_TRUE(Action("DrawLines1")->isEnabled());
    EXPECT_TRUE(Action("ToolDrawLines")->isEnabled());
    for (int k : {5, 6, 11})
        EXPECT_TRUE(W<QWidget>(qPrintable(QString("Panel%1").arg(k)))->isVisible());
    Action("SetPivotData")->trigger();
    EXPECT_TRUE(Button("DataTableBut")->isVisible());
    // Off again: pivot data goes too.
    Action("RefPoints")->trigger();
    EXPECT_FALSE(m.display.referencePoints);
    EXPECT_FALSE(m.display.pivotData);
    EXPECT_FALSE(Button("DataTableBut")->isVisible());
    EXPECT_FALSE(Bar("SBRef1Vert")->isVisible());
    EXPECT_FALSE(Button("RefPt2")->isEnabled());
    EXPECT_FALSE(Action("DrawLines1")->isEnabled());
}

TEST_F(MainFormTest, PivotDataTurnsReferencePointsOn) {
    Action("SetPivotData")->trigger();
    EXPECT_TRUE(m.display.pivotData);
    EXPECT_TRUE(m.display.referencePoints);
    Click("DataTableBut");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], windows.dataTable);
    Action("SetPivotData")->trigger();
    EXPECT_FALSE(m.display.pivotData);
    EXPECT_TRUE(m.display.referencePoints);
}

TEST_F(MainFormTest, ReferenceBarsNudgeAndZeroResets) {
    Action("RefPoints")->trigger();
    ClickBar(Bar("SBRef1Vert"), QStyle::SC_ScrollBarAddLine);
    EXPECT_NEAR(m.pivots[mv::pv::Ref1].y, 0.001f, 1e-7);
    EXPECT_EQ(Bar("SBRef1Vert")->value(), 0);
    EXPECT_TRUE(Button("RefPt1Zero")->isEnabled());
    ClickBar(Bar("SBRef2Horz"), QStyle::SC_ScrollBarSubPage);
    EXPECT_NEAR(m.pivots[mv::pv::Ref2].x, -0.025f, 1e-7);
    Click("RefPt1Zero");
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::Ref1].y, 0);
    EXPECT_FALSE(Button("RefPt1Zero")->isEnabled());
    Click("RefPt2Zero");
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::Ref2].x, 0);
}

TEST_F(MainFormTest, ClickMovesReferencePointOnlyInsideThePicture) {
    ClickPicture(Qt::LeftButton, 300, 100);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::Ref1].x, 0);  // reference points off
    Action("RefPoints")->trigger();
    ClickPicture(Qt::LeftButton, 200, 100);  // left of the drive block, above 120
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::Ref1].x, 0);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::Ref1].y, 0);
    ClickPicture(Qt::LeftButton, 300, 100);
    EXPECT_NEAR(m.pivots[mv::pv::Ref1].x, (300 - 115) / 28.0, 1e-5);
    EXPECT_NEAR(m.pivots[mv::pv::Ref1].y, (270 - 100) / 28.0, 1e-5);
    EXPECT_TRUE(Button("RefPt1Zero")->isEnabled());
    ClickPicture(Qt::RightButton, 100, 121);
    EXPECT_NEAR(m.pivots[mv::pv::Ref2].x, (100 - 115) / 28.0, 1e-5);
    EXPECT_NEAR(m.pivots[mv::pv::Ref2].y, (270 - 121) / 28.0, 1e-5);
    EXPECT_TRUE(Button("RefPt2Zero")->isEnabled());
    EXPECT_TRUE(opened.empty());
}

TEST_F(MainFormTest, PivotPickTiesGoToTheLowerNumber) {
    Action("SetPivotData")->trigger();
    ClickPicture(Qt::LeftButton, 10, 156);  // row of slot 1
    EXPECT_TRUE(m.pickArmed);
    EXPECT_EQ(m.pickingSlot, 1);
    EXPECT_TRUE(m.picks[1].assigned);
    for (int i = 1; i <= 18; ++i) m.pivots[i].x = m.pivots[i].y = 500;
    // Click world point of (400, 200): pivots 7 and 4 are equally far from it.
    const float h = (400 - 115) / 28.0f, v = (270 - 200) / 28.0f;
    m.pivots[mv::pv::BellPivot2] = {h + 0.5f, v, 0, 0};
    m.pivots[mv::pv::ValveJoint] = {h, v - 0.5f, 0, 0};
    m.pivots[mv::pv::EccRodEnd] = {h + 0.3f, v + 0.3f, 0, 0};  // farther: 0.6
    ClickPicture(Qt::LeftButton, 400, 200);
    EXPECT_FALSE(m.pickArmed);
    EXPECT_FLOAT_EQ(m.picks[1].pivot, 4);
    // Slot rows follow the text scale.
    Action("LargeFont")->trigger();
    ClickPicture(Qt::LeftButton, 10, 156);  // slot 1's unscaled row lies above the scaled rows
    EXPECT_FALSE(m.pickArmed);
    ClickPicture(Qt::LeftButton, 22, 227);  // slot 4 spans 222 < y < 233, x below 25
    EXPECT_TRUE(m.pickArmed);
    EXPECT_EQ(m.pickingSlot, 4);
}

TEST_F(MainFormTest, LineChoiceOpensTheLinesWindow) {
    Action("RefPoints")->trigger();
    m.lines.selected = 2;
    m.lines.entries[1] = mv::LineEntry{0, 1, 0};
    // Outside the picture the reference point stays at 0,0, so the beep comes too.
    ClickPicture(Qt::LeftButton, 100, 50);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], windows.drawLines);
    EXPECT_EQ(beeps, 1);
    ClickPicture(Qt::LeftButton, 400, 200);
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(beeps, 1);
    // No colour chosen: nothing opens.
    m.lines.entries[1].colour = -1;
    ClickPicture(Qt::LeftButton, 400, 200);
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(MainFormTest, TwoPivotLineNeedsLeftThenRight) {
    Action("RefPoints")->trigger();
    m.lines.entries[0] = mv::LineEntry{0, 2, 3};
    m.leftButtonSeen = false;
    ClickPicture(Qt::RightButton, 400, 200);
    EXPECT_TRUE(opened.empty());
    ClickPicture(Qt::LeftButton, 400, 200);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(m.leftButtonSeen);
    ClickPicture(Qt::RightButton, 400, 250);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_FALSE(m.leftButtonSeen);
}

TEST_F(MainFormTest, SelectedLineOutOfRangeIsIgnored) {
    Action("RefPoints")->trigger();
    for (int sel : {0, -3, 21, 1000000}) {
        m.lines.selected = sel;
        ClickPicture(Qt::LeftButton, 400, 200);
        ClickPicture(Qt::RightButton, 400, 200);
    }
    EXPECT_TRUE(opened.empty());
}

TEST_F(MainFormTest, ClickEndsTheDimensionGraphic) {
    ClickPicture(Qt::LeftButton, 400, 200);
    EXPECT_EQ(m.graphicFrameCounter, 0);
    m.dimensionGraphicId = 105;
    m.graphicFrameCounter = 12;
    ClickPicture(Qt::RightButton, 10, 10);
    EXPECT_EQ(m.graphicFrameCounter, 1005);
}

TEST_F(MainFormTest, DrawLinesMenuBeepsWithoutReferencePoints) {
    Action("RefPoints")->trigger();
    Action("DrawLines1")->trigger();
    EXPECT_EQ(beeps, 1);
    m.pivots[mv::pv::Ref2].x = 0.25f;
    Action("DrawLines1")->trigger();
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(opened.size(), 2u);
}

TEST(MainLayout, ThePictureBeginsBelowAndBesideTheControlRows) {
    EXPECT_TRUE(mv::InPicture(300, 100));
    EXPECT_FALSE(mv::InPicture(200, 100)) << "among the reference-point controls";
    EXPECT_FALSE(mv::InPicture(247, 100));
    EXPECT_TRUE(mv::InPicture(248, 68));
    EXPECT_FALSE(mv::InPicture(248, 67)) << "the drive block";
    EXPECT_TRUE(mv::InPicture(0, 121));
    EXPECT_FALSE(mv::InPicture(0, 120));
}
