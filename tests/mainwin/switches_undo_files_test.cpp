// Screen data and the other SetUp toggles, dynamic variables and undo, reset and mid gear,
// files, windows and what a frame asks of the window.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QToolBar>
#include <cmath>

#include "dialogs/dimension_dialogs.hpp"
#include "main_form_fixture.hpp"
#include "model/dimensions.hpp"
#include "model/edits.hpp"
#include "model/solver.hpp"

using mvtest::MainFormTest;

TEST_F(MainFormTest, ScreenDataOffAndOnLeavesSwitchesOff) {
    Action("RefPoints")->trigger();
    Action("SetPivotData")->trigger();
    Action("DynamicVariables")->trigger();
    Action("SetUnDo")->trigger();
    ASSERT_TRUE(m.display.undoLineVisible);
    Action("SetScreenData")->trigger();
    EXPECT_FALSE(m.display.screenData);
    EXPECT_EQ(Action("SetScreenData")->text(), "SetScree&nData On");
    EXPECT_FALSE(m.display.referencePoints);
    EXPECT_FALSE(m.display.pivotData);
    EXPECT_FALSE(m.display.dynamicVariablesVisible);
    EXPECT_FALSE(m.display.undoLineVisible);
    for (const char* n :
         {"Run", "Fwd", "Step45", "NormVHZ", "Preset3", "RefPt1Zero", "DataTableBut"})
        EXPECT_FALSE(Button(n)->isVisible()) << n;
    for (const char* n : {"SBRevArm", "SBZoom", "SBRef2Horz", "SBDynVar4"})
        EXPECT_FALSE(Bar(n)->isVisible()) << n;
    EXPECT_FALSE(W<QToolBar>("ToolBar1")->isVisible());
    for (int k = 1; k <= 12; ++k)
        EXPECT_FALSE(W<QWidget>(qPrintable(QString("Panel%1").arg(k)))->isVisible());
    for (const char* n : {"DriverAng", "FindRevArmCent", "DynamicVariables", "RefPoints", "SetUnDo",
                          "SetPivotData", "DrawLines1", "ToolDrawLines"})
        EXPECT_FALSE(Action(n)->isEnabled()) << n;
    EXPECT_FALSE(Action("RefPoints1")->isVisible());
    EXPECT_TRUE(Action("SetPanZoom")->isEnabled());

    Action("SetPanZoom")->trigger();
    EXPECT_EQ(Action("SetPanZoom")->text(), "SetP&anZoom Off");
    EXPECT_TRUE(Bar("SBPanVert")->isVisible());
    Action("SetPanZoom")->trigger();
    EXPECT_EQ(Action("SetPanZoom")->text(), "SetP&anZoom On");
    EXPECT_FALSE(Bar("SBZoom")->isVisible());

    Action("SetScreenData")->trigger();
    EXPECT_TRUE(m.display.screenData);
    EXPECT_EQ(Action("SetScreenData")->text(), "SetScree&nData Off");
    EXPECT_FALSE(m.display.referencePoints);
    EXPECT_FALSE(m.display.pivotData);
    EXPECT_FALSE(m.display.dynamicVariablesVisible);
    EXPECT_FALSE(m.display.undoLineVisible);
    EXPECT_TRUE(Button("Run")->isVisible());
    EXPECT_TRUE(Bar("SBZoom")->isVisible());
    EXPECT_TRUE(W<QToolBar>("ToolBar1")->isVisible());
    EXPECT_FALSE(Bar("SBRef1Vert")->isVisible());
    EXPECT_FALSE(Bar("SBDynVar1")->isVisible());
    EXPECT_FALSE(W<QWidget>("Panel5")->isVisible());
    EXPECT_TRUE(W<QWidget>("Panel9")->isVisible());
    EXPECT_TRUE(Action("RefPoints")->isEnabled());
    EXPECT_TRUE(Action("RefPoints1")->isVisible());
    EXPECT_FALSE(Action("DrawLines1")->isEnabled());
    EXPECT_FALSE(Action("SetPanZoom")->isEnabled());
    EXPECT_EQ(Action("SetPanZoom")->text(), "Set&PanZoom On");
}

TEST_F(MainFormTest, SetUpTogglesFlipCaptionAndModel) {
    Action("SetLineWidth")->trigger();
    EXPECT_EQ(m.display.lineWidth, 2);
    EXPECT_EQ(Action("SetLineWidth")->text(), "Set&LineWidth 1");
    Action("SetLineWidth")->trigger();
    EXPECT_EQ(m.display.lineWidth, 1);
    EXPECT_EQ(Action("SetLineWidth")->text(), "Set&LineWidth 2");

    Action("LargeFont")->trigger();
    EXPECT_FLOAT_EQ(m.display.textScaleX, 1.27f);
    EXPECT_FLOAT_EQ(m.display.textScaleY, 1.22f);
    EXPECT_EQ(Action("LargeFont")->text(), "SetSmall&Font");
    Action("LargeFont")->trigger();
    EXPECT_FLOAT_EQ(m.display.textScaleX, 1.0f);
    EXPECT_EQ(Action("LargeFont")->text(), "SetLarge&Font");

    Action("SetSteam")->trigger();
    EXPECT_TRUE(m.steam.display);
    EXPECT_EQ(Action("SetSteam")->text(), "SetS&teamDisp Off");
    Action("ToolSteam")->trigger();
    EXPECT_FALSE(m.steam.display);
    EXPECT_EQ(Action("SetSteam")->text(), "SetS&teamDisp On");

    Action("SetBeepOnError")->trigger();
    EXPECT_FALSE(m.gear.errorBeep);
    EXPECT_EQ(Action("SetBeepOnError")->text(), "Set&ErrorBeep On");
    Action("SetBeepOnError")->trigger();
    EXPECT_TRUE(m.gear.errorBeep);
    EXPECT_EQ(Action("SetBeepOnError")->text(), "Set&ErrorBeep Off");
}

class DynamicBarTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        mv::CommitDimension(m, 3, 10.0f);  // main rod becomes the newest dynamic variable
        Action("DynamicVariables")->trigger();
        mv::PictureOutput out;
        out.dynBarEnabled = {true, false, false, false};
        out.undoButtonVisible = true;
        out.undoButtonTop = 127;
        form->ApplyPictureOutput(out);
    }
};

TEST_F(DynamicBarTest, ArrowClickNudgesAndRecordsUndo) {
    EXPECT_TRUE(Bar("SBDynVar1")->isVisible());
    EXPECT_TRUE(Bar("SBDynVar1")->isEnabled());
    EXPECT_FALSE(Bar("SBDynVar2")->isEnabled());
    for (int k : {7, 8, 9})
        EXPECT_TRUE(W<QWidget>(qPrintable(QString("Panel%1").arg(k)))->isVisible());
    ClickBar(Bar("SBDynVar1"), QStyle::SC_ScrollBarAddLine);
    EXPECT_NEAR(m.frame.mainRod, 10.001f, 1e-6);
    EXPECT_EQ(Bar("SBDynVar1")->value(), 0);
    EXPECT_EQ(m.undo[1].id, 3);
    EXPECT_FLOAT_EQ(m.undo[1].oldValue, 10.0f);
    EXPECT_NEAR(m.undo[1].newValue, 10.001f, 1e-6);
    EXPECT_EQ(m.undoCount, 1);
    EXPECT_TRUE(Button("UnDoDn")->isEnabled());
    EXPECT_TRUE(Bar("SBRevArm")->hasFocus());

    ClickBar(Bar("SBDynVar1"), QStyle::SC_ScrollBarSubPage);
    EXPECT_NEAR(m.frame.mainRod, 9.991f, 1e-5);
    EXPECT_EQ(m.undoCount, 2);
    EXPECT_NEAR(m.undo[1].oldValue, 10.001f, 1e-6);

    Click("UnDoDn");
    EXPECT_NEAR(m.frame.mainRod, 10.001f, 1e-6);
    Click("UnDoDn");
    EXPECT_FLOAT_EQ(m.frame.mainRod, 10.0f);
    EXPECT_EQ(m.undoCount, 0);
    EXPECT_FALSE(Button("UnDoDn")->isEnabled());
}

TEST_F(DynamicBarTest, CtrlZUndoesAsTheButtonDoes) {
    ClickBar(Bar("SBDynVar1"), QStyle::SC_ScrollBarAddLine);
    QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(m.frame.mainRod, 10.0f);
    EXPECT_EQ(m.undoCount, 0);
}

TEST_F(DynamicBarTest, UndoWithNothingToUndoDisablesItself) {
    mv::SetUndoEnabled(m, true);
    ASSERT_TRUE(Button("UnDoDn")->isEnabled());
    Click("UnDoDn");
    EXPECT_FALSE(Button("UnDoDn")->isEnabled());
    EXPECT_FLOAT_EQ(m.frame.mainRod, 10.0f);
}

TEST_F(DynamicBarTest, KeyboardStepEndsTheScrollToo) {
    Bar("SBDynVar1")->setFocus();
    QTest::keyClick(Bar("SBDynVar1"), Qt::Key_Right);
    EXPECT_NEAR(m.frame.mainRod, 10.001f, 1e-6);
    EXPECT_EQ(m.undoCount, 1);
    EXPECT_FLOAT_EQ(m.undo[1].oldValue, 10.0f);
}

TEST_F(MainFormTest, UndoLineSwitchAndButtonPlacement) {
    Action("SetUnDo")->trigger();
    EXPECT_TRUE(m.display.undoLineVisible);
    mv::PictureOutput out;
    out.undoButtonVisible = true;
    out.undoButtonTop = 72;
    form->ApplyPictureOutput(out);
    EXPECT_TRUE(Button("UnDoDn")->isVisible());
    EXPECT_EQ(Button("UnDoDn")->y(), 72);
    out.undoButtonVisible = false;
    form->ApplyPictureOutput(out);
    EXPECT_FALSE(Button("UnDoDn")->isVisible());
    Action("SetUnDo")->trigger();
    EXPECT_FALSE(m.display.undoLineVisible);
}

TEST_F(MainFormTest, ResetAllReturnsToDefaults) {
    mv::CommitRevArmMax(m, 2.5f);
    m.pendingEdit = true;
    mv::CommitDimension(m, 3, 12.0f);
    ASSERT_EQ(m.undoCount, 1);
    Action("DynamicVariables")->trigger();
    Action("SetUnDo")->trigger();
    ClickBar(Bar("SBPanVert"), QStyle::SC_ScrollBarAddPage);
    Click("Fwd");
    m.dataSetName = "Loco";
    m.diagramVerticalScale = 3;

    Action("ResetAll")->trigger();
    EXPECT_FLOAT_EQ(m.frame.mainRod, 10.0f);
    EXPECT_FLOAT_EQ(m.frame.revArmMax, 1.3f);
    EXPECT_EQ(Bar("SBRevArm")->maximum(), 1300);  // sized for the default limit again
    EXPECT_EQ(Bar("SBRevArm")->value(), 0);
    EXPECT_FLOAT_EQ(m.gear.revArmSetting, m.revArmPositions[0]);
    EXPECT_FALSE(Button("Center")->isEnabled());
    EXPECT_FLOAT_EQ(m.view.oy, 270);
    EXPECT_FALSE(Button("NormVHZ")->isEnabled());
    EXPECT_EQ(m.dataSetName, "Nominal");
    EXPECT_FLOAT_EQ(m.diagramVerticalScale, 1.5f);
    EXPECT_FALSE(m.display.dynamicVariablesVisible);
    EXPECT_FALSE(Bar("SBDynVar1")->isVisible());
    EXPECT_FALSE(W<QWidget>("Panel9")->isVisible());
    EXPECT_EQ(m.undoCount, 0);
    EXPECT_EQ(m.undo[1].id, 0);
    EXPECT_FALSE(Button("UnDoDn")->isEnabled());
    EXPECT_FALSE(m.display.undoLineVisible);
    // Fwd lands on normal forward with the re-sized bar.
    Click("Fwd");
    EXPECT_EQ(Bar("SBRevArm")->value(), 1040);
}

TEST_F(MainFormTest, CalcCentRevArmFollowsChangedDimensionsWhileRunning) {
    Click("Fwd");
    const float oldMid = m.revArmPositions[0];
    mv::CommitDimension(m, 22, 2.2f);  // reverse arm lower
    Action("FindRevArmCent")->trigger();
    EXPECT_NE(m.revArmPositions[0], oldMid);
    EXPECT_FLOAT_EQ(m.gear.revArmSetting, m.revArmPositions[0]);
    EXPECT_EQ(Bar("SBRevArm")->value(), 0);
    EXPECT_FALSE(Button("Center")->isEnabled());
    EXPECT_EQ(Button("Run")->text(), "Stop");
    form->Timer1Timer();
    EXPECT_NEAR(m.gear.driverAngle, 10, 1e-4);
}

TEST_F(MainFormTest, FailedOpenShowsMessageAndKeepsWorkingSet) {
    const mv::FrameDimensions before = m.frame;
    const std::string name = m.dataSetName;
    form->chooseFile = [](mv::FileCommand) { return QString("/nonexistent-dir/none.dst"); };
    Action("OpenDimensions")->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("none.dst"));
    EXPECT_FLOAT_EQ(m.frame.mainRod, before.mainRod);
    EXPECT_FLOAT_EQ(m.frame.revArmMax, before.revArmMax);
    Action("OpenDosDimensions")->trigger();
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_FALSE(form->OpenFile("/nonexistent-dir/other.mvo"));
    EXPECT_EQ(messages.size(), 3u);
}

TEST_F(MainFormTest, FailedSaveShowsMessageAndCancelDoesNothing) {
    form->chooseFile = [](mv::FileCommand c) {
        EXPECT_EQ(c, mv::FileCommand::SaveAs);
        return QString("/nonexistent-dir/out.dst");
    };
    Action("SaveAsDimensions")->trigger();
    EXPECT_EQ(messages.size(), 1u);
    form->chooseFile = [](mv::FileCommand) { return QString(); };
    Action("SaveAsDimensions")->trigger();
    Action("OpenDimensions")->trigger();
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(MainFormTest, MenuItemsOpenTheirWindows) {
    m.portSelector = 'R';
    Action("FourEvents")->trigger();
    EXPECT_EQ(m.portSelector, 'F');
    Action("DriverAng")->trigger();
    Action("FrameDim")->trigger();
    Action("ValveEvents")->trigger();
    Action("SineDiag")->trigger();
    const std::vector<QDialog*> want = {
        windows.Graph(mv::DiagramKind::Port), windows.drivAng, windows.frameDi,
        windows.Graph(mv::DiagramKind::ValveEvents), windows.Graph(mv::DiagramKind::Sine)};
    EXPECT_EQ(opened, want);
    Action("About1")->trigger();  // no window given: nothing happens
    EXPECT_EQ(opened.size(), want.size());
}

TEST_F(MainFormTest, FrameOutputIsAppliedAndDialogsReopenOutsideTheTick) {
    windows.frameDi->show();
    mv::PictureOutput out;
    out.captions.main = "MERROVAN Outside Admission            Nominal";
    out.captions.diagrams[0] = "sine caption";
    out.closeDialog = 1;
    out.errorItemVisible = true;
    form->ApplyPictureOutput(out);
    EXPECT_EQ(form->windowTitle(), out.captions.main);
    EXPECT_EQ(windows.Graph(mv::DiagramKind::Sine)->windowTitle(), "sine caption");
    EXPECT_FALSE(windows.frameDi->isVisible());
    EXPECT_TRUE(Action("Error")->isVisible());

    mv::PictureOutput end;
    end.reopenDialog = 2;
    form->ApplyPictureOutput(end);
    EXPECT_TRUE(opened.empty());                        // posted, not opened inside the frame
    EXPECT_EQ(form->windowTitle(), out.captions.main);  // empty captions leave titles alone
    EXPECT_FALSE(Action("Error")->isVisible());
    QCoreApplication::processEvents();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], windows.cylDimen);
}

// The graphic only hides the dialog: the Close logic (mid gear, arm to mid gear) would lose
// a full-gear setting.
TEST_F(MainFormTest, GraphicButtonHidesTheDialogAndKeepsTheReverseArm) {
    mv::TFrameDi frame(m);
    windows.frameDi = &frame;
    form->SetAppWindows(windows);
    Bar("SBRevArm")->setValue(Bar("SBRevArm")->maximum());
    const float setting = m.gear.revArmSetting, mid = m.revArmPositions[0];
    frame.show();
    mv::CommitAnyDimension(m, 21, 0.5f);  // mid gear would move if recomputed
    QTest::mouseClick(frame.GraphicButton(8), Qt::LeftButton);
    form->Timer1Timer();
    EXPECT_FALSE(frame.isVisible());
    EXPECT_EQ(m.gear.revArmSetting, setting);
    EXPECT_EQ(m.revArmPositions[0], mid);
    windows.frameDi = dialogs[1];
    form->SetAppWindows(windows);
}

// No control over the picture may cover a text beside it (the panels framing the blocks hid
// the first letters of "Rev Arm", "Driv Ang" and "Pt1V").
TEST_F(MainFormTest, ControlsLeaveThePictureTextsVisible) {
    Action("RefPoints")->trigger();
    form->Timer1Timer();
    const QImage shown = Picture()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (const QRect r : {QRect(459, 25, 80, 40), QRect(545, 25, 80, 110), QRect(143, 71, 60, 47)})
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                ASSERT_EQ(shown.pixel(x, y), form->Buffer().pixel(x, y)) << x << "," << y;
}

TEST_F(MainFormTest, TickSolvesAdvancesAndDrawsIntoTheBuffer) {
    EXPECT_EQ(form->Buffer().size(), QSize(1280, 1024));
    const uchar* bits = form->Buffer().constBits();
    form->Timer1Timer();
    form->Timer1Timer();
    EXPECT_NEAR(m.gear.driverAngle, 20, 1e-4);
    EXPECT_EQ(form->Buffer().constBits(), bits);    // one buffer, reused
    EXPECT_NE(m.pivots[mv::pv::CrankPin].x, 0.0f);  // crank pin placed by the solve
}

TEST(TimerPacing, IntervalFollowsTheFrameRate) {
    EXPECT_EQ(mv::TimerIntervalForRate(60), 17);
    EXPECT_EQ(mv::TimerIntervalForRate(59.94), 17);
    EXPECT_EQ(mv::TimerIntervalForRate(100), 10);
    EXPECT_EQ(mv::TimerIntervalForRate(0), 0);
    EXPECT_EQ(mv::TimerIntervalForRate(-5), 0);
    EXPECT_EQ(mv::TimerIntervalForRate(std::nan("")), 0);
    EXPECT_EQ(mv::TimerIntervalForRate(5000), 1);
    EXPECT_EQ(mv::TimerIntervalForRate(0.5), 1000);
}

TEST_F(MainFormTest, TimerIsNeverTheOldMillisecond) {
    mv::TMainForm paced(m);
    const double rate = mv::ScreenRefreshRate();
    EXPECT_GE(rate, 1);
    const QTimer* timer = paced.findChild<QTimer*>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), mv::TimerIntervalForRate(rate));
    EXPECT_GT(timer->interval(), 1);
    EXPECT_TRUE(timer->isActive());
}
