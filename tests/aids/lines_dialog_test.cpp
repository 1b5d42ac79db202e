// The lines-and-circles table: what each choice writes into the overlay records, and the
// picking of pivots with the reference points.
#include "aids/lines_dialog.hpp"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableWidget>
#include <cmath>

#include "model/solver.hpp"
#include "support/widgets_support.hpp"

namespace {

using mv::TDrawLines;

class LinesDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        mvtest::EnsureApplication();
        mv::StartUp(m);
        mv::SolveLinkage(m);
        dlg = std::make_unique<TDrawLines>(m, c);
        ASSERT_TRUE(mvtest::ShowActive(*dlg));
    }
    void TearDown() override { dlg->hide(); }

    void Choose(int row, TDrawLines::Column col, int index) {
        QComboBox* cb = dlg->Combo(row, col);
        cb->setCurrentIndex(index);
        emit cb->activated(index);
    }
    void Type(int row, TDrawLines::Column col, const QString& keys) {
        QLineEdit* e = dlg->NumberCell(row, col);
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, keys);
        dlg->CloseButton()->setFocus();
    }
    // Puts a reference point right on a pivot, as a click on the picture would.
    void ClickNear(int point, int pivot, float dx = 0.01f) {
        m.pivots[point].x = m.pivots[pivot].x + dx;
        m.pivots[point].y = m.pivots[pivot].y;
    }

    mv::Model m;
    mvtest::FakeControls c{m};
    std::unique_ptr<TDrawLines> dlg;
};

TEST_F(LinesDialogTest, OffersTheChoicesInOrder) {
    EXPECT_EQ(dlg->windowTitle(), "Draw Lines");
    EXPECT_EQ(dlg->Table()->rowCount(), 20);
    QComboBox* type = dlg->Combo(0, TDrawLines::kType);
    ASSERT_EQ(type->count(), 3);
    EXPECT_EQ(type->itemText(1), "Line");
    EXPECT_EQ(type->itemText(2), "Circle");
    QComboBox* colour = dlg->Combo(0, TDrawLines::kColour);
    ASSERT_EQ(colour->count(), 7);
    EXPECT_EQ(colour->itemText(1), "Black");
    EXPECT_EQ(colour->itemText(6), "Gray");
    QComboBox* ref = dlg->Combo(0, TDrawLines::kReference);
    ASSERT_EQ(ref->count(), 5);
    EXPECT_EQ(ref->itemText(1), "0 , 0");
    EXPECT_EQ(ref->itemText(2), "Pivot1");
    EXPECT_EQ(ref->itemText(3), "Piv1/0,0");
    EXPECT_EQ(ref->itemText(4), "Piv1/P2");
    EXPECT_EQ(dlg->ClearButton()->text(), "Clear Line");
}

TEST_F(LinesDialogTest, ChoicesAndNumbersFillTheEntry) {
    Choose(2, TDrawLines::kType, 1);
    Choose(2, TDrawLines::kColour, 2);
    Choose(2, TDrawLines::kReference, 4);
    Type(2, TDrawLines::kP, "5");
    Type(2, TDrawLines::kQ, "18");
    Type(2, TDrawLines::kH1, "-1.5");
    Type(2, TDrawLines::kV1, "0.25");
    Type(2, TDrawLines::kH2, "2");
    Type(2, TDrawLines::kV2, "-3.125");
    const mv::LineEntry& e = m.lines.entries[2];
    EXPECT_EQ(e.kind, 0);
    EXPECT_EQ(e.colour, 1);  // Red
    EXPECT_EQ(e.reference, 3);
    EXPECT_EQ(e.p, 5);
    EXPECT_EQ(e.q, 18);
    EXPECT_FLOAT_EQ(e.h1, -1.5f);
    EXPECT_FLOAT_EQ(e.v1, 0.25f);
    EXPECT_FLOAT_EQ(e.h2, 2.0f);
    EXPECT_FLOAT_EQ(e.v2, -3.125f);
    EXPECT_EQ(m.lines.selected, 3);
    EXPECT_EQ(m.lines.count, 3);
    EXPECT_TRUE(dlg->Hint()->text().contains("pivot 5 + (H1, V1) to pivot 18 + (H2, V2)"));
}

TEST_F(LinesDialogTest, PivotNumbersStayWithinThePicture) {
    Type(0, TDrawLines::kP, "99");
    EXPECT_EQ(m.lines.entries[0].p, 20);
    EXPECT_EQ(dlg->NumberCell(0, TDrawLines::kP)->text(), "20");
    Type(0, TDrawLines::kQ, "4.7");  // the point is refused: digits only
    EXPECT_EQ(m.lines.entries[0].q, 20);
    Type(0, TDrawLines::kP, "");
    EXPECT_EQ(m.lines.entries[0].p, 0);
}

TEST_F(LinesDialogTest, CirclesUseOnlyCentredReferencesAndNoV2) {
    Choose(0, TDrawLines::kType, 1);
    Choose(0, TDrawLines::kReference, 4);  // Piv1/P2 on a line
    Choose(0, TDrawLines::kType, 2);       // now a circle: that reference draws nothing
    EXPECT_EQ(m.lines.entries[0].kind, 1);
    EXPECT_EQ(m.lines.entries[0].reference, -1);
    auto* model = qobject_cast<QStandardItemModel*>(dlg->Combo(0, TDrawLines::kReference)->model());
    EXPECT_TRUE(model->item(2)->isEnabled());
    EXPECT_FALSE(model->item(3)->isEnabled());
    EXPECT_FALSE(model->item(4)->isEnabled());
    EXPECT_FALSE(dlg->NumberCell(0, TDrawLines::kV2)->isEnabled());
    Choose(0, TDrawLines::kReference, 2);
    EXPECT_TRUE(dlg->NumberCell(0, TDrawLines::kP)->isEnabled());
    EXPECT_FALSE(dlg->NumberCell(0, TDrawLines::kQ)->isEnabled());
    Type(0, TDrawLines::kH2, "1.75");
    EXPECT_FLOAT_EQ(m.lines.entries[0].h2, 1.75f) << "the radius is kept in h2";
}

TEST_F(LinesDialogTest, ClearLineEmptiesOnlyTheSelectedEntry) {
    for (int r : {0, 1}) {
        Choose(r, TDrawLines::kType, 1);
        Choose(r, TDrawLines::kColour, 1);
        Choose(r, TDrawLines::kReference, 1);
        Type(r, TDrawLines::kH1, "1");
    }
    dlg->SelectEntry(2);
    QTest::mouseClick(dlg->ClearButton(), Qt::LeftButton);
    const mv::LineEntry& e = m.lines.entries[1];
    EXPECT_EQ(e.kind, -1);
    EXPECT_EQ(e.colour, -1);
    EXPECT_EQ(e.reference, -1);
    EXPECT_FLOAT_EQ(e.h1, 0.0f);
    EXPECT_EQ(dlg->Combo(1, TDrawLines::kType)->currentIndex(), 0);
    EXPECT_EQ(m.lines.entries[0].kind, 0);
    EXPECT_FLOAT_EQ(m.lines.entries[0].h1, 1.0f);
    EXPECT_EQ(m.lines.count, 1);
}

TEST_F(LinesDialogTest, ShowsEntriesLoadedFromAFile) {
    dlg->hide();
    mv::LineEntry& e = m.lines.entries[7];
    e.kind = 1;
    e.colour = 4;
    e.reference = 1;
    e.p = 11;
    e.h2 = 0.5f;
    m.lines.selected = 8;
    dlg->show();
    EXPECT_EQ(dlg->Combo(7, TDrawLines::kType)->currentText(), "Circle");
    EXPECT_EQ(dlg->Combo(7, TDrawLines::kColour)->currentText(), "Blue");
    EXPECT_EQ(dlg->Combo(7, TDrawLines::kReference)->currentText(), "Pivot1");
    EXPECT_EQ(dlg->NumberCell(7, TDrawLines::kP)->text(), "11");
    EXPECT_EQ(dlg->NumberCell(7, TDrawLines::kH2)->text(), "0.500");
    EXPECT_EQ(m.lines.selected, 8) << "opening keeps the selected entry";
    EXPECT_TRUE(dlg->Table()->selectionModel()->isRowSelected(7, QModelIndex()));
}

TEST_F(LinesDialogTest, PickTakesTheNearestPivotWhenTheDialogReopens) {
    Choose(0, TDrawLines::kType, 1);
    Choose(0, TDrawLines::kColour, 3);
    EXPECT_FALSE(dlg->PickButton()->isEnabled()) << "no reference chosen yet";
    Choose(0, TDrawLines::kReference, 2);
    ASSERT_TRUE(dlg->PickButton()->isEnabled());
    QTest::mouseClick(dlg->PickButton(), Qt::LeftButton);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(m.lines.promptOn);
    EXPECT_TRUE(c.referencePoints);

    // The main window sets reference point 1 from the click and opens the dialog again.
    ClickNear(19, 9);
    dlg->show();
    EXPECT_FALSE(m.lines.promptOn);
    EXPECT_EQ(m.lines.entries[0].p, 9);
    EXPECT_EQ(dlg->NumberCell(0, TDrawLines::kP)->text(), "9");
    EXPECT_TRUE(dlg->Hint()->text().contains("Picked pivot 9"));
}

TEST_F(LinesDialogTest, TwoPivotPickUsesBothReferencePoints) {
    Choose(4, TDrawLines::kType, 1);
    Choose(4, TDrawLines::kColour, 1);
    Choose(4, TDrawLines::kReference, 4);
    QTest::mouseClick(dlg->PickButton(), Qt::LeftButton);
    ASSERT_TRUE(m.lines.promptOn);
    ClickNear(19, 3);
    ClickNear(20, 13);
    dlg->show();
    EXPECT_EQ(m.lines.entries[4].p, 3);
    EXPECT_EQ(m.lines.entries[4].q, 13);
    EXPECT_FALSE(m.lines.promptOn);
}

TEST_F(LinesDialogTest, OpeningWithoutAClickEndsTheWaitAndKeepsThePivot) {
    Choose(0, TDrawLines::kType, 2);
    Choose(0, TDrawLines::kColour, 1);
    Choose(0, TDrawLines::kReference, 2);
    Type(0, TDrawLines::kP, "6");
    QTest::mouseClick(dlg->PickButton(), Qt::LeftButton);
    dlg->show();  // from the menu; the reference points did not move
    EXPECT_EQ(m.lines.entries[0].p, 6);
    EXPECT_FALSE(m.lines.promptOn);
    // A later opening after a click elsewhere does not pick either: no pick is under way.
    ClickNear(19, 2);
    dlg->hide();
    dlg->show();
    EXPECT_EQ(m.lines.entries[0].p, 6);
}

}  // namespace
