// The valve-event window headless: rows, refresh on dimension changes, clipboard and CSV.
#include "diagrams/valve_events_window.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "model/dimensions.hpp"
#include "model/edits.hpp"
#include "model/model.hpp"
#include "model/text.hpp"

namespace {

void EnsureApp() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives until the process ends
}

class ValveEventsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        mv::StartUp(m);
        w = std::make_unique<TValveEvents>(m);
    }
    QString Cell(QTableWidget* t, int row, int col) {
        const QTableWidgetItem* item = t->item(row, col);
        return item ? item->text() : QString();
    }
    QPushButton* Button(const char* name) { return w->findChild<QPushButton*>(name); }

    mv::Model m;
    std::unique_ptr<TValveEvents> w;
};

// Columns: rev arm, notch, travel, front admission, front cut-off, ...
constexpr int kFrontCutoff = 4;
constexpr int kRearCutoff = 11;

TEST_F(ValveEventsWindow, ShowingFillsForwardAndReverseRows) {
    EXPECT_EQ(w->windowTitle(), "Valve Events");
    w->show();
    QTableWidget* f = w->forwardTable();
    QTableWidget* r = w->reverseTable();
    ASSERT_EQ(f->rowCount(), 19);
    ASSERT_EQ(r->rowCount(), 19);
    EXPECT_EQ(f->columnCount(), 17);
    const QString mid = QString::fromStdString(mv::FormatFixed(m.revArmPositions[0], 0, 4));
    EXPECT_EQ(Cell(f, 0, 0), mid);
    EXPECT_EQ(Cell(r, 0, 0), mid);
    EXPECT_EQ(Cell(f, 18, 1), "1.000");
    EXPECT_EQ(Cell(r, 18, 1), "-1.000");
    // Front and rear side by side.
    EXPECT_TRUE(f->horizontalHeaderItem(kFrontCutoff)->text().startsWith("Front"));
    EXPECT_TRUE(f->horizontalHeaderItem(kRearCutoff)->text().startsWith("Rear"));
    for (int i = 0; i < 19; ++i) {
        EXPECT_GT(Cell(f, i, kFrontCutoff).toDouble(), 0.0) << i;
        EXPECT_GT(Cell(r, i, kRearCutoff).toDouble(), 0.0) << i;
    }
    // Notching up lengthens the forward cut-off.
    EXPECT_GT(Cell(f, 18, kFrontCutoff).toDouble(), Cell(f, 9, kFrontCutoff).toDouble());
}

TEST_F(ValveEventsWindow, ADimensionChangeWhileShownRefreshesTheRows) {
    w->show();
    const float angle = m.gear.driverAngle = 77.0f;
    const float setting = m.gear.revArmSetting;
    m.pendingEdit = true;
    mv::CommitDimension(m, 119, 3.0f);  // front valve half: the front steam port never opens
    QCoreApplication::processEvents();
    for (int i = 0; i < 19; ++i) {
        EXPECT_EQ(Cell(w->forwardTable(), i, kFrontCutoff), QString::fromUtf8("\u2014")) << i;
        EXPECT_NE(Cell(w->forwardTable(), i, kRearCutoff), QString::fromUtf8("\u2014")) << i;
    }
    EXPECT_EQ(m.gear.driverAngle, angle);
    EXPECT_EQ(m.gear.revArmSetting, setting);

    // Undo brings the events back.
    mv::UndoLastChange(m);
    QCoreApplication::processEvents();
    EXPECT_NE(Cell(w->forwardTable(), 5, kFrontCutoff), QString::fromUtf8("\u2014"));
}

TEST_F(ValveEventsWindow, HiddenWindowCatchesUpWhenShownAgain) {
    w->show();
    w->hide();
    m.pendingEdit = true;
    mv::CommitDimension(m, 118, 3.0f);  // rear valve half
    QCoreApplication::processEvents();
    EXPECT_NE(Cell(w->forwardTable(), 0, kRearCutoff), QString::fromUtf8("\u2014"));
    w->show();
    EXPECT_EQ(Cell(w->forwardTable(), 0, kRearCutoff), QString::fromUtf8("\u2014"));
}

TEST_F(ValveEventsWindow, ADroppedWindowIsNotCalledByTheModel) {
    w->show();
    w.reset();
    // The model still tells the windows that are there; the dropped one is skipped.
    TValveEvents live(m);
    live.show();
    const std::optional<float> leadBefore = live.rows().front().front.lead;
    int notified = 0;
    m.AddListener([&notified](mv::ModelEvent e) {
        if (e == mv::ModelEvent::DimensionsChanged) ++notified;
    });
    m.pendingEdit = true;
    mv::CommitDimension(m, 119, 0.7f);  // a longer front valve half: another lead
    QCoreApplication::processEvents();
    EXPECT_EQ(notified, 1);
    ASSERT_TRUE(leadBefore && live.rows().front().front.lead);
    EXPECT_NE(*live.rows().front().front.lead, *leadBefore);
}

TEST_F(ValveEventsWindow, CopyPutsTabSeparatedRowsOnTheClipboard) {
    w->show();
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(Button("BtnCopy"), Qt::LeftButton);
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 38);
    EXPECT_TRUE(lines[0].startsWith("direction\trevarm\tnotch\ttravel\tfront_admission"));
    EXPECT_EQ(lines[1].split('\t').size(), 19);
    EXPECT_TRUE(lines[1].startsWith("fwd\t"));
    EXPECT_TRUE(lines[20].startsWith("rev\t"));
}

TEST_F(ValveEventsWindow, SaveCsvWritesTheWholeTableOrNothing) {
    w->show();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("events.csv");
    QString error;
    ASSERT_TRUE(w->SaveCsv(path, &error)) << error.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 38);
    EXPECT_TRUE(lines[0].startsWith("direction,revarm,notch,travel,"));
    EXPECT_EQ(lines[38].split(',').size(), 19);

    const QString bad = dir.filePath("no/such/folder/events.csv");
    EXPECT_FALSE(w->SaveCsv(bad, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(bad));
}

TEST_F(ValveEventsWindow, CloseHidesTheWindow) {
    w->show();
    ASSERT_TRUE(w->isVisible());
    QTest::mouseClick(Button("BtnClose"), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
}

}  // namespace

namespace {

// With a comparison gear: its rows beside the working gear's, each value with B - A; without,
// no comparison section.
TEST_F(ValveEventsWindow, ComparisonSectionShowsTheOtherGearAndTheDifferences) {
    w->show();
    EXPECT_FALSE(w->comparisonBox()->isVisible());
    mv::ComparisonGear c{m, "other"};
    mv::StoreDimension(c.gear, 122, m.cyl.valveStem + 0.02f);  // the valve 0.02 forward
    m.comparison = c;
    m.Notify(mv::ModelEvent::ComparisonChanged);
    QTest::qWait(0);
    QCoreApplication::processEvents();
    ASSERT_TRUE(w->comparisonBox()->isVisible());
    EXPECT_EQ(w->comparisonBox()->title(), "Compared with other");
    QTableWidget* f = w->comparisonForwardTable();
    ASSERT_EQ(f->rowCount(), 19);
    ASSERT_EQ(w->comparisonRows().size(), 38u);
    // Row 10's front cut-off: the other gear's value, below it the signed difference.
    const mv::EventRow& a = w->rows()[10];
    const mv::EventRow& b = w->comparisonRows()[10];
    const float d = *b.front.cutoff - *a.front.cutoff;
    const QString want = QString::fromStdString(mv::FormatFixed(*b.front.cutoff, 0, 2)) + "\n" +
                         (d > 0 ? "+" : "") + QString::fromStdString(mv::FormatFixed(d, 0, 2));
    EXPECT_EQ(Cell(f, 10, kFrontCutoff), want);
    // Same motion, same setting: the reverse-arm column differs by nothing.
    EXPECT_TRUE(Cell(f, 10, 0).endsWith("\n0.0000")) << Cell(f, 10, 0).toStdString();

    // At cut-offs each gear stands at its own setting for the same cut-off.
    w->findChild<QComboBox*>("ComboRows")->setCurrentIndex(1);
    w->Refresh();
    ASSERT_EQ(w->comparisonRows().size(), w->rows().size());
    EXPECT_EQ(f->rowCount(), static_cast<int>(w->rows().size() / 2));
    EXPECT_TRUE(w->comparisonBox()->title().contains("other"));
    // A cut-off the comparison gear does not reach (its arm travels a third as far) is a dash
    // row with the reason, never zeros beside the working gear's values.
    mv::StoreDimension(m.comparison->gear, 27, m.frame.revArmMax / 3);
    w->findChild<QLineEdit*>("EditCutoffs")->setText("15, 75");
    w->Refresh();
    ASSERT_EQ(f->rowCount(), 2);
    EXPECT_EQ(Cell(f, 1, 0), "75");
    EXPECT_EQ(Cell(f, 1, 1), QString::fromUtf8(mv::kAbsentText));
    EXPECT_FALSE(f->item(1, 1)->toolTip().isEmpty());
    EXPECT_NE(Cell(f, 0, 1), QString::fromUtf8(mv::kAbsentText));
    w->findChild<QComboBox*>("ComboRows")->setCurrentIndex(0);

    m.comparison.reset();
    m.Notify(mv::ModelEvent::ComparisonChanged);
    QCoreApplication::processEvents();
    EXPECT_FALSE(w->comparisonBox()->isVisible());
    EXPECT_EQ(w->forwardTable()->rowCount(), 19);
}

}  // namespace
