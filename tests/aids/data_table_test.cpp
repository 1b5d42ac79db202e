// The pivot data table: rows over one turn, formats, the Edit menu and the CSV export.
#include "aids/data_table.hpp"

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>

#include "model/solver.hpp"
#include "model/text.hpp"
#include "support/widgets_support.hpp"

namespace {

class DataTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        mvtest::EnsureApplication();
        mv::StartUp(m);
        for (int k = 1; k <= 6; ++k) m.picks[k] = mv::PickSlot{static_cast<float>(k + 1), true};
    }
    QStringList Lines() const { return table.DataMemo()->toPlainText().split('\n'); }

    mv::Model m;
    mv::TDataTable table{m};
};

TEST_F(DataTableTest, StepTenGivesThirtySevenRowsAndLeavesTheGearAlone) {
    m.gear.driverAngle = 123.5f;
    m.gear.currentStep = 10;
    table.show();
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 4 + 37);
    EXPECT_EQ(table.RowCount(), 37);
    EXPECT_TRUE(lines[4].startsWith("   0.00"));
    EXPECT_TRUE(lines[40].startsWith(" 360.00"));
    EXPECT_FLOAT_EQ(m.gear.driverAngle, 123.5f);
    EXPECT_FLOAT_EQ(m.gear.currentStep, 10.0f);
    table.hide();
}

TEST_F(DataTableTest, StepFortyFiveGivesNineRows) {
    m.gear.chosenStep = 45;
    m.gear.currentStep = 0;
    table.show();
    EXPECT_EQ(table.RowCount(), 9);
    EXPECT_TRUE(Lines().last().startsWith(" 360.00"));
    EXPECT_FLOAT_EQ(m.gear.currentStep, 0.0f);
    table.hide();
}

TEST_F(DataTableTest, AStepThatDoesNotDivide360EndsBelowIt) {
    m.gear.chosenStep = 7;
    table.FormActivate();
    EXPECT_EQ(table.RowCount(), 52);  // 0, 7, ..., 357
    EXPECT_TRUE(Lines().last().startsWith(" 357.00"));
}

TEST_F(DataTableTest, ANonPositiveStepGivesOneRowInsteadOfHanging) {
    m.gear.chosenStep = 0;
    table.FormActivate();
    EXPECT_EQ(table.RowCount(), 1);
    m.gear.chosenStep = -5;
    table.FormActivate();
    EXPECT_EQ(table.RowCount(), 1);
}

TEST_F(DataTableTest, HeaderLinesAndRowLayout) {
    m.dataSetName = "Mogul";
    m.gear.revArmSetting = 0.125f;
    table.FormActivate();
    const QStringList lines = Lines();
    EXPECT_TRUE(lines[0].startsWith("Pivot Data   Mogul     "));
    EXPECT_EQ(lines[1], "       Reverse Arm   0.125      Step Angle  10.000");
    EXPECT_TRUE(lines[2].startsWith("  Driver         No.1                   No.2"));
    EXPECT_TRUE(lines[3].startsWith("  Angle     Vert   Horz         Vert"));

    // Row 0 shows pivots 2..7 as solved at 0 degrees.
    mv::Model ref;
    mv::StartUp(ref);
    ref.gear.revArmSetting = 0.125f;
    ref.gear.driverAngle = 0;
    mv::SolveLinkage(ref);
    std::string expect = mv::FormatField(0, 7, 2);
    for (int k = 0; k < 6; ++k) {
        const mv::Pivot& p = ref.pivots[k + 2];
        expect +=
            "   " + mv::FormatField(p.y, k == 0 ? 7 : 9, 3) + "  " + mv::FormatField(p.x, 7, 3);
    }
    EXPECT_EQ(lines[4].toStdString(), expect);
}

TEST_F(DataTableTest, FixedPitchSoColumnsLineUpAndHugeValuesStayReadable) {
    EXPECT_TRUE(QFontInfo(table.DataMemo()->font()).fixedPitch());
    const QFontMetrics fm(table.DataMemo()->font());
    EXPECT_EQ(fm.horizontalAdvance("1111"), fm.horizontalAdvance("-.00"));
    m.pivots[mv::pv::GuideCentre].y = 1e20f;  // pivot 12: a fixed pivot far away
    m.picks[1].pivot = 12;
    table.FormActivate();
    EXPECT_TRUE(Lines()[4].contains("1.000e+20")) << Lines()[4].toStdString();
}

TEST_F(DataTableTest, ColumnsUseTheRoundedPivotNumber) {
    m.picks[1].pivot = 2.6f;   // pivot 3
    m.picks[2].pivot = 99.0f;  // beyond the table: clamped, never read out of range
    m.picks[3].pivot = -4.0f;
    table.FormActivate();
    ASSERT_TRUE(table.SaveCsv(QDir::temp().filePath("merrovan_pick_cols.csv")));
    QFile f(QDir::temp().filePath("merrovan_pick_cols.csv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString header = QString::fromUtf8(f.readLine());
    EXPECT_TRUE(
        header.startsWith("Driver Angle,No.1 Pivot 3 Vert,No.1 Pivot 3 Horz,No.2 Pivot 26"));
    EXPECT_TRUE(header.contains("No.3 Pivot 0 Vert"));
    f.close();
    f.remove();
}

TEST_F(DataTableTest, CsvHasAHeaderAndTheSameRows) {
    m.gear.chosenStep = 90;
    table.FormActivate();
    QTemporaryDir dir;
    const QString path = dir.filePath("pivots.csv");
    QString error;
    ASSERT_TRUE(table.SaveCsv(path, &error)) << error.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 1 + 5);
    EXPECT_EQ(rows[0].count(','), 12);
    EXPECT_TRUE(rows[1].startsWith("0.00,"));
    EXPECT_TRUE(rows[5].startsWith("360.00,"));
    // The memo's first row shows the same numbers.
    const QStringList memoRow = Lines()[4].split(' ', Qt::SkipEmptyParts);
    const QStringList csvRow = rows[1].split(',');
    ASSERT_EQ(memoRow.size(), 13);
    for (int i = 0; i < 13; ++i) EXPECT_EQ(memoRow[i], csvRow[i]) << i;
}

TEST_F(DataTableTest, CsvFailureIsReportedAndLeavesNoFile) {
    table.FormActivate();
    QTemporaryDir dir;
    const QString path = dir.filePath("missing/folder/pivots.csv");
    QString error;
    EXPECT_FALSE(table.SaveCsv(path, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(DataTableTest, EditMenuFollowsTheSelection) {
    table.show();
    EXPECT_FALSE(table.CutAction()->isEnabled());
    EXPECT_FALSE(table.CopyAction()->isEnabled());
    EXPECT_TRUE(table.SelectAllAction()->isEnabled());
    table.Edit1Click();
    EXPECT_FALSE(table.CopyAction()->isEnabled()) << "nothing selected yet";

    table.SelectAll1Click();
    EXPECT_TRUE(table.CutAction()->isEnabled());
    EXPECT_TRUE(table.CopyAction()->isEnabled());
    EXPECT_FALSE(table.SelectAllAction()->isEnabled());
    table.Copy1Click();
    EXPECT_TRUE(table.SelectAllAction()->isEnabled());
    EXPECT_EQ(QApplication::clipboard()->text(), table.DataMemo()->toPlainText());

    // Paste at the end, then reopening rebuilds the text and discards the edit.
    QApplication::clipboard()->setText("pasted");
    QTextCursor cur = table.DataMemo()->textCursor();
    cur.movePosition(QTextCursor::End);
    table.DataMemo()->setTextCursor(cur);
    table.Past1Click();
    EXPECT_TRUE(table.DataMemo()->toPlainText().endsWith("pasted"));
    table.hide();
    table.show();
    EXPECT_FALSE(table.DataMemo()->toPlainText().contains("pasted"));
    EXPECT_FALSE(table.CopyAction()->isEnabled());

    // A partial selection enables Cut and Copy when the menu opens.
    QTextCursor sel = table.DataMemo()->textCursor();
    sel.setPosition(0);
    sel.setPosition(5, QTextCursor::KeepAnchor);
    table.DataMemo()->setTextCursor(sel);
    table.Edit1Click();
    EXPECT_TRUE(table.CutAction()->isEnabled());
    table.Cut1Click();
    EXPECT_EQ(QApplication::clipboard()->text(), "Pivot");
    table.hide();
}

}  // namespace
