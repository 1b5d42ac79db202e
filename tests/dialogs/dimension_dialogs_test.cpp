// Typing into the frame and cylinder dimension dialogs and checking what reaches the model.
#include "dialogs/dimension_dialogs.hpp"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <QToolTip>

#include "model/dimensions.hpp"
#include "model/edits.hpp"
#include "model/screen_math.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"
#include "support/widgets_support.hpp"

namespace {

using mv::DimensionField;
using mv::Model;

class FrameDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        mvtest::EnsureApplication();
        mv::StartUp(m);
        dlg = std::make_unique<mv::TFrameDi>(m);
        ASSERT_TRUE(mvtest::ShowActive(*dlg));
    }
    void TearDown() override { dlg->hide(); }

    // Focus into field n, type, and leave the field for the Close button.
    void TypeInto(int n, const QString& keys) {
        DimensionField* f = dlg->Field(n);
        f->setFocus();
        if (!keys.isEmpty()) QTest::keyClicks(f, keys);
        dlg->CloseButton()->setFocus();
    }
    void Retype(int n, const QString& keys) {
        dlg->Field(n)->setFocus();
        dlg->Field(n)->clear();
        TypeInto(n, keys);
    }

    Model m;
    std::unique_ptr<mv::TFrameDi> dlg;
};

TEST_F(FrameDialogTest, OpensWithCloseFocusedAndFieldsInDisplayFormat) {
    EXPECT_EQ(dlg->windowTitle(), "Frame Dimensions");
    EXPECT_TRUE(dlg->CloseButton()->hasFocus());
    EXPECT_EQ(dlg->Field(1)->text(), "7.000");
    EXPECT_EQ(dlg->Field(2)->text(), "3.000");
    EXPECT_EQ(dlg->FieldCount(), 27);
    // Long values are cut to ten characters on display.
    dlg->hide();
    m.frame.mainRod = 123456789.5f;
    dlg->show();
    EXPECT_EQ(dlg->Field(3)->text().size(), 10);
}

TEST_F(FrameDialogTest, LabelsKeepTheirBlanksAndPositions) {
    const auto& labels = dlg->Labels();
    ASSERT_EQ(labels.size(), 29u);
    EXPECT_EQ(labels[0].text, "Driver                    Diameter");
    EXPECT_EQ(labels[0].x, 10);
    EXPECT_EQ(labels[13].y, 13 * 13);
    EXPECT_EQ(labels[14].text, "Bell Crank                      Vert");
    EXPECT_EQ(labels[14].x, 204);
    EXPECT_EQ(labels[14].y, 0);
    EXPECT_EQ(labels[26].text, "\"           \"             Max");
    EXPECT_EQ(labels[26].x, 234);
    EXPECT_EQ(labels[26].y, 156);
    EXPECT_EQ(labels[28].text, "To Select Dynamic Variable, Click Dimension in Gray Area");
    EXPECT_EQ(dlg->Field(15)->geometry(), QRect(342, 0, 40, 13));
    EXPECT_EQ(dlg->Field(27)->geometry(), QRect(342, 156, 40, 13));
}

TEST_F(FrameDialogTest, LargeFontMovesFieldsWithTheLabels) {
    dlg->hide();
    m.display.textScaleX = 1.27f;
    m.display.textScaleY = 1.22f;
    dlg->show();
    EXPECT_EQ(dlg->Field(15)->geometry(), QRect(434, 0, 51, 16));
    EXPECT_EQ(dlg->Field(27)->geometry().y(), 190);  // 156 * 1.22
    EXPECT_EQ(dlg->size(), QSize(490, 281));
    dlg->hide();
    m.display.textScaleX = m.display.textScaleY = 1.0f;
    dlg->show();
    EXPECT_EQ(dlg->Field(15)->geometry(), QRect(342, 0, 40, 13));
}

TEST_F(FrameDialogTest, KeyFilterLetsOnlyNumberCharactersThrough) {
    DimensionField* f = dlg->Field(5);
    f->setFocus();
    f->clear();
    m.pendingEdit = false;
    QTest::keyClicks(f, "a b");
    EXPECT_EQ(f->text(), "");
    EXPECT_FALSE(m.pendingEdit) << "discarded keys must not mark an edit";
    EXPECT_EQ(QToolTip::text(), "Digits, one point and a leading minus sign only")
        << "a refused key says what the field takes";
    QTest::keyClicks(f, "1.2.3--4");
    EXPECT_EQ(f->text(), "1.234") << "one point; a minus only in front";
    EXPECT_TRUE(m.pendingEdit);
    f->setCursorPosition(0);
    QTest::keyClicks(f, "-x,");
    EXPECT_EQ(f->text(), "-1.234");
    QTest::keyClicks(f, "-");
    EXPECT_EQ(f->text(), "-1.234") << "cursor after the minus: a second one is refused";
    // Typing over a selection judges the text the selection leaves.
    f->selectAll();
    QTest::keyClicks(f, ".5");
    EXPECT_EQ(f->text(), ".5");
    f->clear();
    QTest::keyClicks(f, "1e30");
    EXPECT_EQ(f->text(), "130");
    EXPECT_FALSE(QToolTip::text().isEmpty()) << "the refused 'e' was announced, not swallowed";
    f->end(false);
    QTest::keyClick(f, Qt::Key_Backspace);
    EXPECT_EQ(f->text(), "13");
    dlg->CloseButton()->setFocus();
    EXPECT_FLOAT_EQ(m.frame.eccCrankLen, 13.0f);
}

TEST_F(FrameDialogTest, CommittedValueIsShownInTheFieldFormat) {
    Retype(2, "3.25");
    EXPECT_EQ(dlg->Field(2)->text(), "3.250") << "reformatted on leaving the field";
    Retype(2, "-.5");
    EXPECT_EQ(dlg->Field(2)->text(), "-0.500");
    // Norm above Max is clamped: the field shows what is used.
    Retype(26, "99");
    EXPECT_EQ(dlg->Field(26)->text().toStdString(), mv::FormatFixed(m.frame.revArmMax, 5, 3));
    // Too long for ten characters: exponent form, never the leading digits alone.
    Retype(3, "123456789012");
    EXPECT_EQ(dlg->Field(3)->text(), "1.235e+11");
    EXPECT_FLOAT_EQ(m.frame.mainRod, 123456789012.0f);
}

TEST_F(FrameDialogTest, TooltipsGiveMeaningAndLimits) {
    EXPECT_TRUE(dlg->Field(3)->toolTip().startsWith("Main Rod Length: Main rod from the crank pin"))
        << dlg->Field(3)->toolTip().toStdString();
    EXPECT_TRUE(dlg->Field(26)->toolTip().contains("Limit: at most the Max"));
    EXPECT_FALSE(dlg->Field(3)->toolTip().contains("Limit"));
    for (int n = 1; n <= dlg->FieldCount(); ++n)
        EXPECT_GT(dlg->Field(n)->toolTip().size(), 30) << n;
    mv::TCylDimen cyl(m);
    for (int n = 1; n <= cyl.FieldCount(); ++n) EXPECT_GT(cyl.Field(n)->toolTip().size(), 30) << n;
}

TEST_F(FrameDialogTest, PasteRoutesAreClosed) {
    DimensionField* f = dlg->Field(1);
    EXPECT_EQ(f->contextMenuPolicy(), Qt::NoContextMenu);
    EXPECT_FALSE(f->acceptDrops());
    QApplication::clipboard()->setText("abc");
    f->setFocus();
    QTest::keyClick(f, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f->text(), "7.000");
}

TEST_F(FrameDialogTest, EnterCommitsAndMovesToClose) {
    DimensionField* f = dlg->Field(6);
    f->setFocus();
    f->clear();
    QTest::keyClicks(f, "4.5");
    QTest::keyClick(f, Qt::Key_Return);
    EXPECT_TRUE(dlg->CloseButton()->hasFocus());
    EXPECT_FLOAT_EQ(m.frame.eccRodLeft, 4.5f);
    EXPECT_EQ(m.undoCount, 1);
    EXPECT_EQ(m.undo[1].id, 6);
    EXPECT_FLOAT_EQ(m.undo[1].newValue, 4.5f);
    EXPECT_EQ(m.undo[1].name, "Ecc Rod Left End");
    EXPECT_FALSE(m.pendingEdit);
    EXPECT_TRUE(dlg->isVisible()) << "Enter must not close the dialog";
}

TEST_F(FrameDialogTest, PassingThroughAFieldMakesADynamicVariableWithoutUndo) {
    TypeInto(3, {});
    EXPECT_EQ(m.dynSlots[1].id, 3u);
    EXPECT_EQ(m.dynSlots[1].name, "Main Rod Length");
    EXPECT_EQ(m.undoCount, 0);
    EXPECT_FALSE(m.undoEnabled);
}

TEST_F(FrameDialogTest, PassingThroughKeepsTheExactValue) {
    dlg->hide();
    m.frame.eccRodRight = 5.43219f;
    m.frame.mainRod = 1.0e12f;
    dlg->show();
    TypeInto(7, {});
    TypeInto(3, {});
    EXPECT_FLOAT_EQ(m.frame.eccRodRight, 5.43219f);
    EXPECT_FLOAT_EQ(m.frame.mainRod, 1.0e12f);
}

TEST_F(FrameDialogTest, EnterOnlyMakesAnUndoEntryWithEqualValues) {
    DimensionField* f = dlg->Field(8);
    const float before = m.frame.radiusHanger;
    f->setFocus();
    QTest::keyClick(f, Qt::Key_Enter);
    ASSERT_EQ(m.undoCount, 1);
    EXPECT_EQ(m.undo[1].id, 8);
    EXPECT_FLOAT_EQ(m.undo[1].oldValue, before);
    EXPECT_FLOAT_EQ(m.undo[1].newValue, before);
    EXPECT_TRUE(m.undoEnabled);
}

TEST_F(FrameDialogTest, TypedValueBecomesNewestDynamicVariableAndUndoEntry) {
    const float before = m.frame.stroke;
    Retype(2, "3.25");
    Retype(1, "7.5");
    EXPECT_FLOAT_EQ(m.frame.stroke, 3.25f);
    EXPECT_EQ(m.dynSlots[1].id, 1u);
    EXPECT_EQ(m.dynSlots[2].id, 2u);
    ASSERT_EQ(m.undoCount, 2);
    EXPECT_EQ(m.undo[2].id, 2);
    EXPECT_FLOAT_EQ(m.undo[2].oldValue, before);
    EXPECT_FLOAT_EQ(m.undo[2].newValue, 3.25f);
    mv::UndoLastChange(m);
    mv::UndoLastChange(m);
    EXPECT_FLOAT_EQ(m.frame.stroke, before);
}

TEST_F(FrameDialogTest, NonNumbersStoreTheirLeadingNumberOrZero) {
    Retype(4, "-");
    EXPECT_FLOAT_EQ(m.frame.eccCircleDia, 0.0f);
    Retype(4, ".");
    EXPECT_FLOAT_EQ(m.frame.eccCircleDia, 0.0f);
    Retype(4, "");
    EXPECT_FLOAT_EQ(m.frame.eccCircleDia, 0.0f);
    Retype(4, "2.5-");
    EXPECT_FLOAT_EQ(m.frame.eccCircleDia, 2.5f);
}

TEST_F(FrameDialogTest, PivotCoordinateFieldsMoveBothCopies) {
    Retype(13, "1.5");
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::BellPivot].y, 1.5f);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::BellPivot2].y, 1.5f);
    Retype(14, "-2.25");
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::BellPivot].x, -2.25f);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::BellPivot2].x, -2.25f);
    Retype(23, "4");
    Retype(24, "-6");
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::RevArmPivot2].y, 4.0f);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::RevArmPivot2].x, -6.0f);
    Retype(10, "3");
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::GuideCentre].y, 3.0f);
}

TEST_F(FrameDialogTest, SettingFieldsNeverMakeUndoOrDynamicVariables) {
    Retype(25, "2.5");
    Retype(26, "0.4");
    Retype(27, "0.9");
    EXPECT_FLOAT_EQ(m.frame.offsetAngle, 2.5f);
    EXPECT_FLOAT_EQ(m.frame.revArmNorm, 0.4f);
    EXPECT_FLOAT_EQ(m.frame.revArmMax, 0.9f);
    EXPECT_EQ(m.undoCount, 0);
    EXPECT_EQ(m.dynSlots[1].id, 0u);
    EXPECT_FALSE(m.pendingEdit);
    EXPECT_EQ(m.revArmBarMax, 900);
    EXPECT_EQ(m.revArmBarMin, -900);
}

TEST_F(FrameDialogTest, NormAndMaxClampEachOtherAndTheUserPositions) {
    m.frame.revArmNorm = 0.3f;
    m.frame.revArmMax = 0.6f;
    m.revArmPositions[0] = 1.0f;
    m.revArmPositions[4] = 2.0f;   // above mid + norm after the clamp
    m.revArmPositions[5] = 0.0f;   // unused: never touched
    m.revArmPositions[6] = -1.0f;  // below
    m.revArmPositions[7] = 1.1f;   // inside
    Retype(26, "0.8");
    EXPECT_FLOAT_EQ(m.frame.revArmNorm, 0.6f);
    EXPECT_FLOAT_EQ(m.revArmPositions[4], 1.6f);
    EXPECT_FLOAT_EQ(m.revArmPositions[5], 0.0f);
    EXPECT_FLOAT_EQ(m.revArmPositions[6], 0.4f);
    EXPECT_FLOAT_EQ(m.revArmPositions[7], 1.1f);

    Retype(27, "0.2");
    EXPECT_FLOAT_EQ(m.frame.revArmMax, 0.6f);
    EXPECT_EQ(m.revArmBarMax, 600);
    EXPECT_EQ(m.revArmBarMin, -600);
    EXPECT_FLOAT_EQ(m.revArmPositions[5], 0.0f);
}

TEST_F(FrameDialogTest, SmallButtonRequestsTheDimensionGraphic) {
    QTest::mouseClick(dlg->GraphicButton(9), Qt::LeftButton);
    EXPECT_EQ(m.dimensionGraphicId, 9);
    QTest::mouseClick(dlg->GraphicButton(27), Qt::LeftButton);
    EXPECT_EQ(m.dimensionGraphicId, 27);
}

// Eight pixels leave no room for a bevel: under a style whose left edge is light the small
// buttons looked cut in half. Every edge must stand out from the dialog.
TEST_F(FrameDialogTest, SmallButtonsShowAllFourEdgesUnderAnyStyle) {
    std::unique_ptr<QStyle> style(QStyleFactory::create(QStringLiteral("Windows")));
    QPushButton* b = dlg->GraphicButton(1);
    b->setStyle(style.get());
    const QImage img = b->grab().toImage();
    b->setStyle(nullptr);
    const int w = img.width(), h = img.height(), back = dlg->palette().window().color().value();
    for (const QPoint edge :
         {QPoint(0, h / 2), QPoint(w - 1, h / 2), QPoint(w / 2, 0), QPoint(w / 2, h - 1)})
        EXPECT_GT(std::abs(QColor(img.pixel(edge)).value() - back), 40)
            << edge.x() << "," << edge.y();
}

TEST_F(FrameDialogTest, ResetByPressKeepsUndoAndByClickClearsIt) {
    Retype(1, "8");
    Retype(2, "4");
    ASSERT_EQ(m.undoCount, 2);
    ASSERT_NE(m.dynSlots[1].id, 0u);

    QTest::mousePress(dlg->ResetButton(), Qt::RightButton);
    QTest::mouseRelease(dlg->ResetButton(), Qt::RightButton);
    EXPECT_FLOAT_EQ(m.frame.driverDia, 7.0f);
    EXPECT_FLOAT_EQ(m.frame.stroke, 3.0f);
    EXPECT_EQ(dlg->Field(1)->text(), "7.000");
    EXPECT_EQ(m.dynSlots[1].id, 0u);
    EXPECT_FLOAT_EQ(m.gear.scrollIncrement, 0.0f);
    EXPECT_EQ(m.undoCount, 2) << "a press alone must keep the undo stack";

    Retype(3, "11");
    QTest::mouseClick(dlg->ResetButton(), Qt::LeftButton);
    EXPECT_FLOAT_EQ(m.frame.mainRod, 10.0f);
    EXPECT_EQ(m.undoCount, 0);
    EXPECT_FALSE(m.undoEnabled);
}

TEST_F(FrameDialogTest, ResetRestoresBarLimits) {
    Retype(27, "5");
    ASSERT_EQ(m.revArmBarMax, 5000);
    QTest::mouseClick(dlg->ResetButton(), Qt::LeftButton);
    EXPECT_EQ(m.revArmBarMax, mv::RoundToScreen(m.frame.revArmMax * 1000.0L));
}

TEST_F(FrameDialogTest, CloseComputesMidGearAndCentresTheBar) {
    int positionRequests = 0;
    m.AddListener([&](mv::ModelEvent e) {
        if (e == mv::ModelEvent::RevArmBarPosition) ++positionRequests;
    });
    m.revArmBarPosition = 1234;
    Retype(21, "2.5");
    m.revArmPositions[0] = 99;
    QTest::mouseClick(dlg->CloseButton(), Qt::LeftButton);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(m.revArmBarPosition, 0);
    EXPECT_EQ(positionRequests, 1);
    Model ref;
    mv::StartUp(ref);
    ref.frame.revArmUpper = 2.5f;
    mv::ComputeMidGear(ref);
    EXPECT_FLOAT_EQ(m.revArmPositions[0], ref.revArmPositions[0]);
}

TEST_F(FrameDialogTest, EscapeLeavesLikeClose) {
    m.revArmBarPosition = 77;
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(m.revArmBarPosition, 0);
}

// The main window hides the dialog while it shows a dimension graphic and opens it again at
// the end; each opening runs exec() anew.
TEST_F(FrameDialogTest, HideDuringExecEndsItAndExecWorksAgain) {
    dlg->hide();
    int rounds = 0;
    QTimer::singleShot(0, dlg.get(), [&] {
        ++rounds;
        QTest::mouseClick(dlg->GraphicButton(5), Qt::LeftButton);
        dlg->hide();
    });
    dlg->exec();
    EXPECT_EQ(m.dimensionGraphicId, 5);
    m.dimensionGraphicId = 0;
    m.frame.driverDia = 6.5f;
    QTimer::singleShot(0, dlg.get(), [&] {
        ++rounds;
        EXPECT_EQ(dlg->Field(1)->text(), "6.500") << "reopening fills the fields again";
        dlg->reject();
    });
    dlg->exec();
    EXPECT_EQ(rounds, 2);
}

TEST(CylinderDialog, FieldsTwoAndNineKeepPivotFourOnTheValveLine) {
    mvtest::EnsureApplication();
    Model m;
    mv::StartUp(m);
    mv::TCylDimen dlg(m);
    ASSERT_TRUE(mvtest::ShowActive(dlg));
    EXPECT_EQ(dlg.windowTitle(), "Cylinder Dimensions");
    EXPECT_TRUE(dlg.CloseButton()->hasFocus());
    auto retype = [&](int n, const char* keys) {
        dlg.Field(n)->setFocus();
        dlg.Field(n)->clear();
        QTest::keyClicks(dlg.Field(n), keys);
        dlg.CloseButton()->setFocus();
    };
    retype(2, "1.5");
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::Crosshead].y, 1.5f);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::ValveJoint].y, 1.5f + m.cyl.valveStemCL);
    retype(9, "2.25");
    EXPECT_FLOAT_EQ(m.cyl.valveStemCL, 2.25f);
    EXPECT_FLOAT_EQ(m.pivots[mv::pv::ValveJoint].y, 3.75f);
    EXPECT_EQ(m.dynSlots[1].id, 109u);
    EXPECT_EQ(m.dynSlots[2].id, 102u);
    EXPECT_EQ(m.undo[2].name, "Cyl CL above Driver ctr");

    // The last field is a dimension like the others.
    retype(22, "0.75");
    EXPECT_FLOAT_EQ(m.cyl.valveStem, 0.75f);
    EXPECT_EQ(m.undo[1].id, 122);
    EXPECT_EQ(m.dynSlots[1].name, "Valve Stem");

    QTest::mouseClick(dlg.GraphicButton(6), Qt::LeftButton);
    EXPECT_EQ(m.dimensionGraphicId, 106);
    EXPECT_EQ(dlg.GraphicButton(6)->geometry(), QRect(0, 65, 8, 26));
    dlg.hide();
}

TEST(CylinderDialog, ResetKeepsBarLimitsAndPressKeepsUndo) {
    mvtest::EnsureApplication();
    Model m;
    mv::StartUp(m);
    mv::TCylDimen dlg(m);
    ASSERT_TRUE(mvtest::ShowActive(dlg));
    dlg.Field(3)->setFocus();
    dlg.Field(3)->clear();
    QTest::keyClicks(dlg.Field(3), "3");
    QTest::keyClick(dlg.Field(3), Qt::Key_Return);
    ASSERT_FLOAT_EQ(m.cyl.boreDia, 3.0f);
    m.revArmBarMax = 4242;  // left alone by the cylinder reset

    QTest::mousePress(dlg.ResetButton(), Qt::MiddleButton);
    QTest::mouseRelease(dlg.ResetButton(), Qt::MiddleButton);
    EXPECT_FLOAT_EQ(m.cyl.boreDia, 2.125f);
    EXPECT_EQ(m.undoCount, 1);
    EXPECT_EQ(m.revArmBarMax, 4242);

    QTest::mouseClick(dlg.ResetButton(), Qt::LeftButton);
    EXPECT_EQ(m.undoCount, 0);
    EXPECT_EQ(m.dynSlots[1].id, 0u);
    EXPECT_EQ(m.revArmBarMax, 4242);
    const auto& labels = dlg.Labels();
    EXPECT_EQ(labels[6].text, "(Piston Rod)");
    EXPECT_EQ(labels[6].x, 82);
    EXPECT_EQ(labels.back().text, "To Select a Dynamic Variable, Click Dimension in Gray Area");
    dlg.hide();
}

}  // namespace
