// Start-up state, menus and tool bar, and the drive block: run/stop, driver angle, step angle,
// reverse arm.
#include <QMenuBar>
#include <QToolBar>
#include <cmath>

#include "main_form_fixture.hpp"
#include "model/edits.hpp"

using mvtest::MainFormTest;

namespace {
QStringList TopLevelCaptions(QMenuBar* mb) {
    QStringList out;
    for (QAction* a : mb->actions()) out << a->text();
    return out;
}
}  // namespace

TEST_F(MainFormTest, StartsRunningForwardWithStepTen) {
    EXPECT_EQ(form->windowTitle(), "Merrovan Outside Admission");
    EXPECT_EQ(Picture()->size(), QSize(632, 380));
    EXPECT_EQ(Button("Run")->text(), "Stop");
    EXPECT_TRUE(form->Running());
    EXPECT_FLOAT_EQ(m.gear.currentStep, 10);
    EXPECT_FLOAT_EQ(m.gear.chosenStep, 10);
    EXPECT_EQ(m.gear.direction, mv::RunDirection::Fwd);
    EXPECT_FALSE(Bar("SBDrvAng")->isEnabled());
    EXPECT_FALSE(Button("Center")->isEnabled());
    EXPECT_FALSE(Button("Step10")->isEnabled());
    EXPECT_TRUE(Button("Step1")->isEnabled());
    EXPECT_TRUE(Button("Step45")->isEnabled());
    EXPECT_FALSE(Button("NormVHZ")->isEnabled());
    EXPECT_FALSE(Button("RefPt1")->isEnabled());
    EXPECT_FALSE(Button("UnDoDn")->isVisible());
    EXPECT_FALSE(Button("UnDoDn")->isEnabled());
    EXPECT_FALSE(Button("DataTableBut")->isVisible());
    EXPECT_FALSE(Bar("SBDynVar1")->isVisible());
    EXPECT_FALSE(Bar("SBRef1Vert")->isVisible());
    // Reverse-arm bar sized from "Rev Arm to Cent Max" = 1.3.
    EXPECT_EQ(Bar("SBRevArm")->minimum(), -1300);
    EXPECT_EQ(Bar("SBRevArm")->maximum(), 1300);
    EXPECT_EQ(Bar("SBRevArm")->value(), 0);
    EXPECT_EQ(Bar("SBStepAng")->value(), 12000);
    EXPECT_EQ(Bar("SBRevArm")->geometry(), QRect(336, 26, 121, 12));
    EXPECT_EQ(Button("UnDoDn")->geometry(), QRect(280, 127, 40, 16));
    for (int k : {5, 6, 7, 8, 11})
        EXPECT_FALSE(W<QWidget>(qPrintable(QString("Panel%1").arg(k)))->isVisible());
    for (int k : {1, 2, 3, 4, 9, 10, 12})
        EXPECT_TRUE(W<QWidget>(qPrintable(QString("Panel%1").arg(k)))->isVisible());
}

TEST_F(MainFormTest, MenuBarHasEveryItemInOrder) {
    const QStringList top = TopLevelCaptions(form->menuBar());
    const QStringList want = {"&File",
                              "&SetUp",
                              "&EditDimen",
                              "&ReferPoints",
                              "&DrawLinesCircles",
                              "Pi&votData",
                              "D&ynamicVari",
                              "&UnDo",
                              "Draw&Graphs",
                              "&Help",
                              ""};
    EXPECT_EQ(top, want);
    EXPECT_FALSE(Action("Error")->isVisible());
    EXPECT_FALSE(Action("DrawLines1")->isEnabled());
    EXPECT_FALSE(Action("SetPanZoom")->isEnabled());
    const std::pair<const char*, const char*> captions[] = {
        {"OpenDimensions", "&OpenDimensions"},
        {"OpenDosDimensions", "Open&DosDimensions"},
        {"SaveAsDimensions", "Save&AsDimensions"},
        {"Exit1", "E&xit"},
        {"RevArmPos", "Set&RevArmPos"},
        {"DriverAng", "Set&DriverAng"},
        {"StepAng1", "Set&StepAng"},
        {"RefPoints1", "SetRef&Points"},
        {"LargeFont", "SetLarge&Font"},
        {"FindRevArmCent", "&CalcCentRevArm"},
        {"SetSteam", "SetS&teamDisp On"},
        {"SetBeepOnError", "Set&ErrorBeep Off"},
        {"SetLineWidth", "Set&LineWidth 2"},
        {"SetScreenData", "SetScree&nData Off"},
        {"SetPanZoom", "SetP&anZoom On"},
        {"FrameDim", "&FrameDimensions"},
        {"CylDim", "&CylinderDimensions"},
        {"SetGraphicZoom", "Set&GraphicZoom"},
        {"ResetAll", "&ResetAllDimensions"},
        {"Sensitivity", "&Sensitivity"},
        {"ScaleGear", "Sca&leGear\u2026"},
        {"SineDiag", "&SineDiagram"},
        {"OvalDiag", "&OvalDiagram"},
        {"SteamDiag", "S&teamDiagram"},
        {"FourEvents", "&PortOpenClose"},
        {"IndicatorDiag", "&IndicatorDiagram"},
        {"ValveEvents", "&ValveEvents"},
        {"Instructions", "&Instructions"},
        {"SpecInstr", "Instructions&Special"},
        {"About1", "&About"}};
    for (const auto& [name, caption] : captions) EXPECT_EQ(Action(name)->text(), caption) << name;
    const QList<QAction*> graphs = W<QMenu>("View1")->actions();
    ASSERT_FALSE(graphs.isEmpty());
    EXPECT_EQ(graphs.back()->text(), "&ValveEvents");
    // The design assistant and the studies follow the classic items of the dimensions menu.
    const QList<QAction*> edit = W<QMenu>("Edit1")->actions();
    ASSERT_EQ(edit.size(), 7);
    EXPECT_EQ(edit[3]->text(), "&ResetAllDimensions");
    EXPECT_EQ(edit[4]->text(), "&DesignAssistant");
    EXPECT_EQ(edit[5]->text(), "&Sensitivity");
    EXPECT_EQ(edit[6]->text(), "Sca&leGear\u2026");
    edit[4]->trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], windows.designAssistant);
}

TEST_F(MainFormTest, ToolBarButtonsInOrderWithHints) {
    auto* tb = W<QToolBar>("ToolBar1");
    EXPECT_EQ(tb->parentWidget(), Picture());
    EXPECT_EQ(tb->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(tb->height(), 24);
    QStringList hints;
    for (QAction* a : tb->actions()) hints << (a->isSeparator() ? QString("|") : a->toolTip());
    const QStringList want = {"Open File: Dimensional Data",
                              "Save As: Dimensional Data",
                              "|",
                              "Change Frame Dimensions",
                              "Change Cylinder Dimensions",
                              "|",
                              "Set Driver Angle to Desired Position",
                              "Set Step Angle to Desired Amount",
                              "Set Reverse Arm to Desired Position",
                              "|",
                              "Calculate Mid Gear Position if Necessary",
                              "|",
                              "Turn On Steam Display and Sound",
                              "|",
                              "Turn On Reference Points",
                              "Draw Lines and Circles",
                              "Turn On Pivot Data",
                              "Turn On Dynamic Variables",
                              "Turn On UnDo",
                              "|",
                              "Fit the Whole Mechanism in the Window (Ctrl+0)",
                              "|",
                              "View Sine Diagram",
                              "View Oval Diagram",
                              "View Steam Diagram",
                              "View Port Events vs Reverse Arm Position",
                              "View Indicator Cards",
                              "Valve Event Table",
                              "Design Assistant: Tune Dimensions to Balance the Valve Events"};
    EXPECT_EQ(hints, want);
    // Every button fits the bar: none is pushed into an overflow menu.
    for (QAction* a : tb->actions()) {
        const QWidget* w = tb->widgetForAction(a);
        ASSERT_NE(w, nullptr) << a->toolTip().toStdString();
        EXPECT_TRUE(w->isVisible()) << a->toolTip().toStdString();
        EXPECT_LE(w->geometry().right(), tb->width() - 1) << a->toolTip().toStdString();
    }
    EXPECT_FALSE(Action("ToolDrawLines")->isEnabled());
    Action("ToolValveEvents")->trigger();
    Action("ToolDesignAssistant")->trigger();
    const std::vector<QDialog*> opens = {windows.Graph(mv::DiagramKind::ValveEvents),
                                         windows.designAssistant};
    EXPECT_EQ(opened, opens);
}

TEST_F(MainFormTest, RunStopsAndRestarts) {
    m.gear.driverAngle = 123.456f;
    Click("Run");
    EXPECT_EQ(Button("Run")->text(), "Run");
    EXPECT_FLOAT_EQ(m.gear.currentStep, 0);
    EXPECT_TRUE(Bar("SBDrvAng")->isEnabled());
    EXPECT_EQ(Bar("SBDrvAng")->value(), 12346);
    EXPECT_FLOAT_EQ(m.gear.driverAngle, 123.46f);
    EXPECT_TRUE(Button("Deg00")->isEnabled());
    EXPECT_TRUE(Button("Deg180")->isEnabled());
    Click("Run");
    EXPECT_EQ(Button("Run")->text(), "Stop");
    EXPECT_FLOAT_EQ(m.gear.currentStep, 10);
    EXPECT_FALSE(Bar("SBDrvAng")->isEnabled());
}

TEST_F(MainFormTest, DriverAngleBarOutsideTurnWrapsOnNextTick) {
    Click("Run");
    Bar("SBDrvAng")->setValue(40000);
    EXPECT_FLOAT_EQ(m.gear.driverAngle, 400.0f);
    form->Timer1Timer();
    EXPECT_NEAR(m.gear.driverAngle, 40.0f, 1e-4);
    Bar("SBDrvAng")->setValue(-4000);
    EXPECT_FLOAT_EQ(m.gear.driverAngle, -40.0f);
    form->Timer1Timer();
    EXPECT_NEAR(m.gear.driverAngle, 320.0f, 1e-4);
}

TEST_F(MainFormTest, AngleJustAboveFullTurnStays) {
    m.gear.driverAngle = 350.05f;
    form->Timer1Timer();
    EXPECT_NEAR(m.gear.driverAngle, 360.05f, 1e-3);
    m.gear.driverAngle = 350.2f;
    form->Timer1Timer();
    EXPECT_NEAR(m.gear.driverAngle, 0.2f, 1e-3);
}

TEST_F(MainFormTest, DegreeButtonsStopAtTheirAngle) {
    Click("Deg180");
    EXPECT_FLOAT_EQ(m.gear.driverAngle, 180);
    EXPECT_EQ(Bar("SBDrvAng")->value(), 18000);
    EXPECT_FLOAT_EQ(m.gear.currentStep, 0);
    EXPECT_EQ(Button("Run")->text(), "Run");
    EXPECT_FALSE(Button("Deg180")->isEnabled());
    EXPECT_TRUE(Button("Deg00")->isEnabled());
    EXPECT_TRUE(Bar("SBDrvAng")->isEnabled());
    Click("Deg00");
    EXPECT_FLOAT_EQ(m.gear.driverAngle, 0);
    EXPECT_EQ(Bar("SBDrvAng")->value(), 0);
    EXPECT_FALSE(Button("Deg00")->isEnabled());
    EXPECT_TRUE(Button("Deg180")->isEnabled());
    // Moving the bar re-enables both.
    Bar("SBDrvAng")->setValue(100);
    EXPECT_TRUE(Button("Deg00")->isEnabled());
    EXPECT_FLOAT_EQ(m.gear.driverAngle, 1.0f);
}

TEST(StepTable, BoundariesSelectTheirSteps) {
    const struct {
        int pos;
        float step;
        int small, large;
    } rows[] = {{0, 0.01f, 1, 5},        {704, 0.01f, 1, 5},      {705, 0.02f, 2, 10},
                {1592, 0.03f, 3, 15},    {2409, 0.05f, 5, 25},    {3613, 0.1f, 10, 50},
                {4705, 0.2f, 20, 100},   {5592, 0.3f, 30, 150},   {6409, 0.5f, 50, 250},
                {7612, 0.5f, 50, 250},   {7613, 1, 100, 500},     {8705, 2, 200, 1000},
                {9592, 3, 300, 1500},    {10409, 5, 500, 2500},   {11612, 5, 500, 2500},
                {11613, 10, 1000, 4500}, {12705, 20, 2000, 4500}, {13592, 30, 3000, 4500},
                {14408, 30, 3000, 4500}, {14409, 45, 4500, 4500}, {14613, 45, 4500, 4500}};
    for (const auto& r : rows) {
        const mv::StepChoice c = mv::StepForPosition(r.pos);
        EXPECT_FLOAT_EQ(c.step, r.step) << r.pos;
        EXPECT_EQ(c.smallChange, r.small) << r.pos;
        EXPECT_EQ(c.largeChange, r.large) << r.pos;
    }
}

TEST_F(MainFormTest, StepBarSelectsStepAndDriverBarSteps) {
    // The very first user move already counts: the load-time change is spent at start-up.
    Bar("SBStepAng")->setValue(11612);
    EXPECT_FLOAT_EQ(m.gear.chosenStep, 5);
    EXPECT_FLOAT_EQ(m.gear.currentStep, 5);
    EXPECT_EQ(Bar("SBDrvAng")->singleStep(), 500);
    EXPECT_EQ(Bar("SBDrvAng")->pageStep(), 2500);
    EXPECT_TRUE(Button("Step10")->isEnabled());
    Bar("SBStepAng")->setValue(11613);
    EXPECT_FLOAT_EQ(m.gear.chosenStep, 10);
    EXPECT_EQ(Bar("SBDrvAng")->singleStep(), 1000);
    EXPECT_FALSE(Button("Step10")->isEnabled());
}

TEST_F(MainFormTest, StepButtonWhileStoppedKeepsCurrentStepZero) {
    Click("Run");
    Click("Step45");
    EXPECT_FLOAT_EQ(m.gear.chosenStep, 45);
    EXPECT_EQ(Bar("SBStepAng")->value(), 14613);
    EXPECT_FLOAT_EQ(m.gear.currentStep, 0);
    EXPECT_FALSE(Button("Step45")->isEnabled());
    EXPECT_TRUE(Button("Step1")->isEnabled());
    EXPECT_TRUE(Button("Step10")->isEnabled());
    Click("Run");
    EXPECT_FLOAT_EQ(m.gear.currentStep, 45);
    Click("Step1");
    EXPECT_FLOAT_EQ(m.gear.currentStep, 1);
    EXPECT_EQ(Bar("SBStepAng")->value(), 8000);
    EXPECT_FALSE(Button("Step1")->isEnabled());
    EXPECT_TRUE(Button("Step45")->isEnabled());
}

TEST_F(MainFormTest, NegativeReverseArmRunsBackwards) {
    const float mid = m.revArmPositions[0];
    Bar("SBRevArm")->setValue(-500);
    EXPECT_EQ(m.gear.direction, mv::RunDirection::Rev);
    EXPECT_NEAR(m.gear.revArmSetting, mid - 0.5f, 1e-5);
    EXPECT_TRUE(Button("Center")->isEnabled());
    m.gear.driverAngle = 100;
    form->Timer1Timer();
    EXPECT_NEAR(m.gear.driverAngle, 90, 1e-4);
    form->Timer1Timer();
    EXPECT_NEAR(m.gear.driverAngle, 80, 1e-4);
    Bar("SBRevArm")->setValue(0);
    EXPECT_EQ(m.gear.direction, mv::RunDirection::Fwd);
    EXPECT_FALSE(Button("Center")->isEnabled());
}

TEST_F(MainFormTest, FwdRevCenterEnableEachOther) {
    const float mid = m.revArmPositions[0];
    m.cutoff.frontText = "55.0";
    Click("Fwd");
    EXPECT_TRUE(m.cutoff.frontText.empty());
    EXPECT_EQ(Bar("SBRevArm")->value(), 1040);
    EXPECT_NEAR(m.gear.revArmSetting, mid + 1.04f, 1e-5);
    EXPECT_FALSE(Button("Fwd")->isEnabled());
    EXPECT_TRUE(Button("Rev")->isEnabled());
    EXPECT_TRUE(Button("Center")->isEnabled());
    Click("Rev");
    EXPECT_EQ(Bar("SBRevArm")->value(), -1040);
    EXPECT_EQ(m.gear.direction, mv::RunDirection::Rev);
    EXPECT_FALSE(Button("Rev")->isEnabled());
    EXPECT_TRUE(Button("Fwd")->isEnabled());
    Click("Center");
    EXPECT_EQ(Bar("SBRevArm")->value(), 0);
    EXPECT_FLOAT_EQ(m.gear.revArmSetting, mid);
    EXPECT_FALSE(Button("Center")->isEnabled());
    EXPECT_TRUE(Button("Fwd")->isEnabled());
    EXPECT_TRUE(Button("Rev")->isEnabled());
    // The bar moved back to exactly mid gear + norm disables Fwd again.
    Bar("SBRevArm")->setValue(1040);
    EXPECT_FALSE(Button("Fwd")->isEnabled());
    Bar("SBRevArm")->setValue(1039);
    EXPECT_TRUE(Button("Fwd")->isEnabled());
}

TEST_F(MainFormTest, ReverseArmBarFollowsTheModel) {
    mv::CommitRevArmMax(m, 2.0f);
    EXPECT_EQ(Bar("SBRevArm")->maximum(), 2000);
    EXPECT_EQ(Bar("SBRevArm")->minimum(), -2000);
    mv::RequestRevArmBarPosition(m, 700);
    EXPECT_EQ(Bar("SBRevArm")->value(), 700);
    EXPECT_NEAR(m.gear.revArmSetting, m.revArmPositions[0] + 0.7f, 1e-5);
    // A Max of 0 must not make Fwd divide its way into undefined behaviour.
    m.frame.revArmMax = 0;
    Click("Fwd");
    EXPECT_GE(Bar("SBRevArm")->value(), Bar("SBRevArm")->minimum());
    EXPECT_LE(Bar("SBRevArm")->value(), Bar("SBRevArm")->maximum());
}

TEST_F(MainFormTest, MainControlsReachTheControls) {
    mv::MainControls& c = *form;
    c.SetRunning(false);
    EXPECT_EQ(Button("Run")->text(), "Run");
    EXPECT_FALSE(c.Running());
    EXPECT_FLOAT_EQ(m.gear.currentStep, 0);
    // Taking the steps again keeps the state: the driver bar follows the angle once more.
    m.gear.driverAngle = 12.34f;
    c.SetRunning(false);
    EXPECT_EQ(Bar("SBDrvAng")->value(), 1234);
    c.SetRunning(true);
    EXPECT_EQ(Button("Run")->text(), "Stop");
    EXPECT_FLOAT_EQ(m.gear.currentStep, m.gear.chosenStep);
    EXPECT_FALSE(Bar("SBDrvAng")->isEnabled());
    c.SetRunning(false);
    c.SetDriverAngleBar(9000);
    EXPECT_FLOAT_EQ(m.gear.driverAngle, 90);
    c.SetDriverAngleBarEnabled(true);
    EXPECT_TRUE(Bar("SBDrvAng")->isEnabled());
    c.SetDriverAngleBarSteps(7, 35);
    EXPECT_EQ(Bar("SBDrvAng")->singleStep(), 7);
    EXPECT_EQ(Bar("SBDrvAng")->pageStep(), 35);
    c.SetStepAngleBar(14613);
    EXPECT_FLOAT_EQ(m.gear.chosenStep, 45);
    c.SetRefPointZeroEnabled(2, true);
    EXPECT_TRUE(Button("RefPt2Zero")->isEnabled());
    c.SetReferencePoints(true);
    EXPECT_TRUE(m.display.referencePoints);
    c.SetReferencePoints(true);
    EXPECT_TRUE(m.display.referencePoints);
    c.SetAnimationTimerEnabled(true);
    EXPECT_TRUE(Timer()->isActive());
    c.SetAnimationTimerEnabled(false);
    EXPECT_FALSE(Timer()->isActive());
    c.SetDynamicVariableBarsVisible(true);
    EXPECT_TRUE(Bar("SBDynVar3")->isVisible());
    EXPECT_TRUE(W<QWidget>("Panel8")->isVisible());
    c.Beep();
    EXPECT_EQ(beeps, 1);
}
