// The valve-event window at cut-offs: rows where the mean cut-off is as listed, one out of reach
// shown as dashes with its reason, the list read as typed, and CSV in the command line's form.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <memory>

#include "analysis/cutoff_rows.hpp"
#include "diagrams/valve_events_window.hpp"
#include "model/model.hpp"

namespace {

class ValveEventsCutoffs : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QApplication::instance()) {
            static int argc = 1;
            static char name[] = "test_ui";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);  // lives until the process ends
        }
        mv::StartUp(m);
        w = std::make_unique<TValveEvents>(m);
        w->show();
        list = w->findChild<QLineEdit*>("EditCutoffs");
        kind = w->findChild<QComboBox*>("ComboRows");
        ASSERT_TRUE(list && kind);
    }
    void Show(const QString& cutoffs) {
        list->setText(cutoffs);
        kind->setCurrentIndex(1);
        Q_EMIT list->editingFinished();
    }

    mv::Model m;
    std::unique_ptr<TValveEvents> w;
    QLineEdit* list = nullptr;
    QComboBox* kind = nullptr;
};

TEST_F(ValveEventsCutoffs, RowsSitWhereTheMeanCutoffIsAsListed) {
    EXPECT_FALSE(list->isEnabled());
    Show("25, 40, 95");
    EXPECT_TRUE(list->isEnabled());
    QTableWidget* f = w->forwardTable();
    ASSERT_EQ(f->rowCount(), 3);
    ASSERT_EQ(f->columnCount(), 18);  // the cut-off, then the table's own columns
    EXPECT_EQ(f->horizontalHeaderItem(0)->text(), "Cut-off\n%");
    EXPECT_EQ(f->item(1, 0)->text(), "40");
    ASSERT_EQ(w->cutoffRows().size(), 6u);
    for (const mv::NotchRow& r : w->cutoffRows()) {
        if (*r.cutoff == 95.0f) continue;
        ASSERT_TRUE(r.Reachable());
        EXPECT_NEAR(*mv::MeanCutoff(r.events), *r.cutoff, 0.01f);
    }
    // Out of reach: dashes, the reason as the tip.
    EXPECT_EQ(f->item(2, 5)->text(), QString::fromUtf8("\u2014"));
    EXPECT_TRUE(f->item(2, 5)->toolTip().contains("out of reach"));

    // A list that cannot be read keeps the rows and says why.
    Show("25, 0");
    EXPECT_EQ(f->rowCount(), 3);
    EXPECT_TRUE(w->findChild<QLabel*>("LblInfo")->text().startsWith("Cut-offs:"));

    // Back at notches: the usual table.
    kind->setCurrentIndex(0);
    EXPECT_EQ(f->rowCount(), 19);
    EXPECT_EQ(f->columnCount(), 17);
    EXPECT_TRUE(w->cutoffRows().empty());
}

TEST_F(ValveEventsCutoffs, CsvHasTheCutoffAndTheReasonColumns) {
    Show("40, 95");
    QTemporaryDir dir;
    const QString path = dir.filePath("cutoffs.csv");
    QString error;
    ASSERT_TRUE(w->SaveCsv(path, &error)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 4);
    EXPECT_TRUE(lines[0].startsWith("cutoff,direction,revarm,notch,"));
    EXPECT_TRUE(lines[0].endsWith(",geometry_error,unreachable"));
    EXPECT_TRUE(lines[1].startsWith("40,fwd,"));
    EXPECT_TRUE(lines[2].startsWith("95,fwd,,"));
    EXPECT_TRUE(lines[2].endsWith("forward\""));
}

}  // namespace
