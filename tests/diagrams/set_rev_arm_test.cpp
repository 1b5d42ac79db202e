// The reverse-arm positions dialog: key filter, row reveal, commits, clamps and invariants.
#include "diagrams/set_rev_arm.hpp"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "model/text.hpp"
#include "support/widgets_support.hpp"

namespace mv {
namespace {

class SetRevArmTest : public ::testing::Test {
protected:
    void SetUp() override {
        mvtest::EnsureApplication();
        StartUp(m);
        dialog = std::make_unique<TSetRevArm>(m, controls);
        dialog->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override { dialog.reset(); }

    // Types into edit k as a user would and leaves it.
    void Type(int k, const QString& text) {
        QLineEdit* e = dialog->Edit(k);
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, text);
        dialog->CloseButton()->setFocus();
    }

    float Mid() const { return m.revArmPositions[0]; }

    Model m;
    mvtest::FakeControls controls;
    std::unique_ptr<TSetRevArm> dialog;
};

TEST_F(SetRevArmTest, OpensOnTheStartPositions) {
    EXPECT_EQ(m.revArmPositionCount, 3);
    EXPECT_EQ(dialog->Edit(1)->text().toStdString(), FormatFixed(Mid(), 5, 3));
    EXPECT_TRUE(dialog->Edit(4)->isVisible());  // position 3 is set: row 4 is open for typing
    EXPECT_FALSE(dialog->Edit(5)->isVisible());
    EXPECT_TRUE(dialog->RowShown(4));
    EXPECT_FALSE(dialog->RowShown(5));
    EXPECT_EQ(dialog->Edit(10)->text().toStdString(), FormatFixed(1.5, 5, 3));
    EXPECT_TRUE(dialog->CloseButton()->hasFocus());
}

TEST_F(SetRevArmTest, ZeroInEdit1BecomesTheSmallestSettingThenIsClamped) {
    // 0.001 lies far below mid gear - Max for the default gear.
    ASSERT_LT(0.001f, Mid() - m.frame.revArmMax);
    Type(1, "0");
    EXPECT_EQ(m.revArmPositions[1], Mid() - m.frame.revArmMax);
    // With mid gear at 0 and a wide travel, 0.001 itself stands.
    m.revArmPositions[0] = 0;
    Type(1, "0");
    EXPECT_FLOAT_EQ(m.revArmPositions[1], 0.001f);
}

TEST_F(SetRevArmTest, PositionsAreClampedIntoTheTravel) {
    Type(2, "99");
    EXPECT_EQ(m.revArmPositions[2], Mid() + m.frame.revArmMax);
    Type(3, "-99");
    EXPECT_EQ(m.revArmPositions[3], Mid() - m.frame.revArmMax);
    dialog->PaintDialog();
    EXPECT_EQ(dialog->Edit(2)->text().toStdString(), FormatFixed(Mid() + m.frame.revArmMax, 5, 3));
}

TEST_F(SetRevArmTest, ZeroInEdit4EndsTheListAtTheNextPaint) {
    for (int k = 4; k <= 7; ++k) m.revArmPositions[k] = Mid();
    dialog->PaintDialog();
    EXPECT_EQ(m.revArmPositionCount, 7);
    EXPECT_TRUE(dialog->Edit(8)->isVisible());
    Type(4, "0");
    EXPECT_EQ(m.revArmPositions[4], 0.0f);
    dialog->PaintDialog();
    EXPECT_EQ(m.revArmPositionCount, 3);
    for (int k = 5; k <= 9; ++k) {
        EXPECT_EQ(m.revArmPositions[k], 0.0f) << k;
        EXPECT_FALSE(dialog->Edit(k)->isVisible()) << k;
        EXPECT_FALSE(dialog->RowShown(k)) << k;
    }
    EXPECT_TRUE(dialog->Edit(4)->isVisible());
}

TEST_F(SetRevArmTest, TypingInEdit3RevealsRow4AtOnce) {
    m.revArmPositions[3] = 0;
    dialog->PaintDialog();
    ASSERT_TRUE(dialog->Edit(3)->isVisible());
    ASSERT_FALSE(dialog->Edit(4)->isVisible());
    dialog->Edit(3)->setFocus();
    // Even a refused key opens the next row.
    QTest::keyClick(dialog->Edit(3), Qt::Key_X);
    EXPECT_TRUE(dialog->Edit(4)->isVisible());
    EXPECT_TRUE(dialog->RowShown(4));
    EXPECT_EQ(m.revArmPositions[3], 0.0f);  // nothing committed yet
}

TEST_F(SetRevArmTest, KeyFilterTakesDigitsOneMinusAndOnePoint) {
    QLineEdit* e = dialog->Edit(2);
    e->setFocus();
    e->clear();
    QTest::keyClicks(e, "-1a.5.-x2 e");
    EXPECT_EQ(e->text(), QStringLiteral("-1.52"));
    QTest::keyClick(e, Qt::Key_Backspace);
    EXPECT_EQ(e->text(), QStringLiteral("-1.5"));
    // Typing over the whole text: its point and minus are being replaced.
    e->selectAll();
    QTest::keyClicks(e, "-4.3");
    EXPECT_EQ(e->text(), QStringLiteral("-4.3"));
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);  // no paste around the filter
    EXPECT_EQ(e->text(), QStringLiteral("-4.3"));
}

TEST_F(SetRevArmTest, VerticalScaleHasAFloorOfOneTenth) {
    Type(10, "0.05");
    EXPECT_FLOAT_EQ(m.diagramVerticalScale, 0.1f);
    Type(10, "250");
    EXPECT_FLOAT_EQ(m.diagramVerticalScale, 250.0f);  // no upper limit
}

TEST_F(SetRevArmTest, CloseCommitsTheFieldAndAsksForARedraw) {
    m.diagramRedrawPending = false;
    QLineEdit* e = dialog->Edit(2);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, "4.1");
    QTest::mouseClick(dialog->CloseButton(), Qt::LeftButton);
    EXPECT_FLOAT_EQ(m.revArmPositions[2], 4.1f);
    EXPECT_TRUE(m.diagramRedrawPending);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(SetRevArmTest, ZeroFirstPositionKeepsThePreviousCount) {
    m.revArmPositions[1] = 0;
    dialog->PaintDialog();
    EXPECT_EQ(m.revArmPositionCount, 3);
    for (int k = 2; k <= 9; ++k) EXPECT_EQ(m.revArmPositions[k], 0.0f);
}

}  // namespace
}  // namespace mv
