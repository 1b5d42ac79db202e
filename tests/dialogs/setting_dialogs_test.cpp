// The five small setting dialogs: clamps, key filters and what they ask of the main window.
#include "dialogs/setting_dialogs.hpp"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <cmath>

#include "support/widgets_support.hpp"

namespace {

using mv::Model;

class SettingDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        mvtest::EnsureApplication();
        mv::StartUp(m);
    }
    // Opens the dialog as the main window does, types into its edit and presses OK.
    void EnterAndOk(mv::SettingDialog& d, const QString& keys) {
        ASSERT_TRUE(mvtest::ShowActive(d));
        d.Edit()->setFocus();
        d.Edit()->clear();
        QTest::keyClicks(d.Edit(), keys);
        QTest::mouseClick(d.OkButton(), Qt::LeftButton);
        EXPECT_FALSE(d.isVisible());
    }
    Model m;
    mvtest::FakeControls c{m};
};

TEST_F(SettingDialogTest, DriverAngleIsClampedAndStopsTheGear) {
    mv::TDrivAng d(m, c);
    EXPECT_EQ(d.windowTitle(), "Driver Angle");
    ASSERT_TRUE(mvtest::ShowActive(d));
    EXPECT_EQ(d.Edit()->text(), "0.00") << "a running gear shows 0.00";
    EXPECT_TRUE(d.CancelButton()->hasFocus());
    d.hide();

    EnterAndOk(d, "400");
    EXPECT_FLOAT_EQ(m.gear.driverAngle, 360.0f);
    EXPECT_EQ(c.driverBar, 36000);
    EXPECT_TRUE(c.driverBarEnabled);
    EXPECT_FLOAT_EQ(m.gear.currentStep, 0.0f);
    EXPECT_FALSE(c.running) << "the gear stopped";

    EnterAndOk(d, "");
    EXPECT_FLOAT_EQ(m.gear.driverAngle, 0.0f);

    EnterAndOk(d, "12.5");
    EXPECT_FLOAT_EQ(m.gear.driverAngle, 12.5f);
    EXPECT_EQ(c.driverBar, 1250);
    ASSERT_TRUE(mvtest::ShowActive(d));
    EXPECT_EQ(d.Edit()->text(), "12.50") << "a stopped gear shows its angle";
    d.hide();
}

TEST_F(SettingDialogTest, DriverAngleFilterRefusesMinusAndSecondPoint) {
    mv::TDrivAng d(m, c);
    ASSERT_TRUE(mvtest::ShowActive(d));
    d.Edit()->setFocus();
    d.Edit()->clear();
    QTest::keyClicks(d.Edit(), "-1.2.3a");
    EXPECT_EQ(d.Edit()->text(), "1.23");
    // OK is the default button: Enter accepts.
    QTest::keyClick(d.Edit(), Qt::Key_Return);
    EXPECT_FALSE(d.isVisible());
    EXPECT_FLOAT_EQ(m.gear.driverAngle, 1.23f);
}

TEST_F(SettingDialogTest, CancelChangesNothing) {
    mv::TDrivAng d(m, c);
    ASSERT_TRUE(mvtest::ShowActive(d));
    d.Edit()->setText("90");
    QTest::mouseClick(d.CancelButton(), Qt::LeftButton);
    EXPECT_FLOAT_EQ(m.gear.driverAngle, 0.0f);
    EXPECT_TRUE(c.log.empty());
}

TEST_F(SettingDialogTest, StepAngleIsClampedAndKeepsTheRunState) {
    mv::TStpAng d(m, c);
    EXPECT_EQ(d.windowTitle(), "Step Angle");
    ASSERT_TRUE(mvtest::ShowActive(d));
    EXPECT_EQ(d.Edit()->text(), "10.00");
    d.hide();

    EnterAndOk(d, "0");
    EXPECT_FLOAT_EQ(m.gear.chosenStep, 0.01f);
    EXPECT_EQ(c.stepBar, 0);
    EXPECT_TRUE(c.running) << "running before, running after";
    EXPECT_FLOAT_EQ(m.gear.currentStep, 0.01f);

    EnterAndOk(d, "100");
    EXPECT_FLOAT_EQ(m.gear.chosenStep, 45.0f);
    EXPECT_EQ(c.stepBar, 14613);
    EXPECT_EQ(c.smallChange, 4500);
    EXPECT_EQ(c.largeChange, 22500);

    // Stopped stays stopped.
    c.SetRunning(false);
    EnterAndOk(d, "2.5");
    EXPECT_FLOAT_EQ(m.gear.chosenStep, 2.5f);
    EXPECT_FALSE(c.running);
    EXPECT_FLOAT_EQ(m.gear.currentStep, 0.0f);
    EXPECT_EQ(c.stepBar, static_cast<int>(std::lround(std::log10(250.0) * 4000)));
}

TEST_F(SettingDialogTest, ReverseArmPositionIsClampedToMidGearPlusMinusMax) {
    m.revArmPositions[0] = 0.25f;
    m.frame.revArmMax = 0.5f;
    m.frame.revArmNorm = 0.3f;
    mv::TRevPos d(m);
    EXPECT_EQ(d.windowTitle(), "Reverse Arm Position");
    ASSERT_TRUE(mvtest::ShowActive(d));
    EXPECT_EQ(d.RangeLabel(2)->text(), "Min = -0.250");
    EXPECT_EQ(d.RangeLabel(3)->text(), "Cen = 0.250");
    EXPECT_EQ(d.RangeLabel(4)->text(), "Max = 0.750");
    EXPECT_EQ(d.RangeLabel(5)->text(), "Rev = -0.050");
    EXPECT_EQ(d.RangeLabel(6)->text(), "Fwd = 0.550");
    EXPECT_TRUE(d.CancelButton()->hasFocus());
    d.hide();

    EnterAndOk(d, "3");
    EXPECT_FLOAT_EQ(m.gear.revArmSetting, 0.75f);
    EXPECT_EQ(m.revArmBarPosition, 500);
    EnterAndOk(d, "-3");
    EXPECT_FLOAT_EQ(m.gear.revArmSetting, -0.25f);
    EXPECT_EQ(m.revArmBarPosition, -500);
    EnterAndOk(d, "0.35");
    EXPECT_EQ(m.revArmBarPosition, 100);
}

TEST_F(SettingDialogTest, ReverseArmFilterAllowsOneMinusAndEnterDoesNothing) {
    mv::TRevPos d(m);
    ASSERT_TRUE(mvtest::ShowActive(d));
    d.Edit()->setFocus();
    d.Edit()->clear();
    QTest::keyClicks(d.Edit(), "--1..5");
    EXPECT_EQ(d.Edit()->text(), "-1.5");
    QTest::keyClick(d.Edit(), Qt::Key_Return);
    EXPECT_TRUE(d.isVisible()) << "no default button here";
    d.hide();
}

TEST_F(SettingDialogTest, GraphicZoomIsClamped) {
    mv::TGraphZoom d(m);
    EXPECT_EQ(d.windowTitle(), "Set Zoom of Dimensional Graphic Position");
    ASSERT_TRUE(mvtest::ShowActive(d));
    EXPECT_EQ(d.Edit()->text(), "7.50");
    d.hide();
    EnterAndOk(d, "0.1");
    EXPECT_FLOAT_EQ(m.graphicZoomFactor, 0.5f);
    EnterAndOk(d, "5000");
    EXPECT_FLOAT_EQ(m.graphicZoomFactor, 2000.0f);
    EnterAndOk(d, "16.5");
    EXPECT_FLOAT_EQ(m.graphicZoomFactor, 16.5f);
    ASSERT_TRUE(mvtest::ShowActive(d));
    d.Edit()->setText("3");
    QTest::mouseClick(d.CancelButton(), Qt::LeftButton);
    EXPECT_FLOAT_EQ(m.graphicZoomFactor, 16.5f);
}

TEST_F(SettingDialogTest, ReferencePointsOkZeroAndCancel) {
    mv::TRefPnts d(m, c);
    EXPECT_EQ(d.windowTitle(), "Reference Points");
    ASSERT_TRUE(mvtest::ShowActive(d));
    EXPECT_EQ(d.Edit(1)->text(), "0.000");
    auto type = [&](int k, const char* keys) {
        d.Edit(k)->setFocus();
        d.Edit(k)->clear();
        QTest::keyClicks(d.Edit(k), keys);
    };
    type(1, "1.5");
    type(2, "-2..5");
    EXPECT_EQ(d.Edit(2)->text(), "-2.5");
    type(3, "7-");  // a minus only in front
    EXPECT_EQ(d.Edit(3)->text(), "7");
    type(3, "0");
    type(4, "0");
    QTest::mouseClick(d.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(d.isVisible());
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::Ref1].y, 1.5f);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::Ref1].x, -2.5f);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::Ref2].y, 0.0f);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::Ref2].x, 0.0f);
    EXPECT_TRUE(c.zeroEnabled[0]);
    EXPECT_FALSE(c.zeroEnabled[1]) << "point 2 stayed at 0, 0";
    EXPECT_TRUE(c.referencePoints);

    ASSERT_TRUE(mvtest::ShowActive(d));
    EXPECT_EQ(d.Edit(1)->text(), "1.500");
    EXPECT_EQ(d.Edit(2)->text(), "-2.500");
    QTest::mouseClick(d.ZeroButton(), Qt::LeftButton);
    EXPECT_FALSE(d.isVisible());
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::Ref1].y, 0.0f);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::Ref1].x, 0.0f);
    EXPECT_FALSE(c.zeroEnabled[0]);
    EXPECT_FALSE(c.referencePoints);

    c.referencePoints = true;
    ASSERT_TRUE(mvtest::ShowActive(d));
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
    EXPECT_FALSE(c.referencePoints) << "Cancel switches the reference points off";
}

TEST(SettingClamp, NanGoesToTheLowerLimit) {
    EXPECT_FLOAT_EQ(mv::ClampSetting(std::nanf(""), 0.5f, 2.0f), 0.5f);
    EXPECT_FLOAT_EQ(mv::ClampSetting(3e38f, 0.5f, 2.0f), 2.0f);
    EXPECT_FLOAT_EQ(mv::ClampSetting(1.0f, 0.5f, 2.0f), 1.0f);
}

}  // namespace
