// The indicator window's own controls: the fields redraw the cards, bad values are refused with
// a message and change nothing, and the table follows the cards, with Copy and Save as CSV.
#include "design/indicator_settings.hpp"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <memory>

#include "diagrams/rev_arm_positions.hpp"
#include "support/fake_controls.hpp"
#include "support/widgets_support.hpp"

namespace mv {
namespace {

class IndicatorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        mvtest::EnsureApplication();
        StartUp(m);
        NormalizeRevArmPositions(m);  // mid gear, normal forward, normal reverse
        w = std::make_unique<DiagramWindow>(m, controls, DiagramKind::Indicator);
        w->show();
        QCoreApplication::processEvents();
        panel = dynamic_cast<IndicatorSettings*>(w->Panel());
        ASSERT_NE(panel, nullptr);
    }
    void Type(QLineEdit* e, const QString& text) {
        e->setText(text);
        emit e->editingFinished();
    }

    Model m;
    mvtest::FakeControls controls;
    std::unique_ptr<DiagramWindow> w;
    IndicatorSettings* panel = nullptr;
};

TEST_F(IndicatorWindow, TableShowsTheFiguresOfTheDrawnPositions) {
    EXPECT_EQ(panel->PressureEdit()->text(), "100");
    EXPECT_EQ(panel->BackPressureEdit()->text(), "15");
    EXPECT_EQ(panel->ClearanceEdit()->text(), "8");
    QTableWidget* t = panel->Table();
    ASSERT_EQ(t->rowCount(), 3);
    const std::vector<PerformanceRow> rows =
        PerformanceRows(m, PositionEventRows(m), SteamConditions{});
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < t->columnCount(); ++k)
            EXPECT_EQ(t->item(i, k)->text().toStdString(),
                      PerformanceCellText(PerformanceColumns()[k], rows[i]));
    EXPECT_EQ(t->item(2, 0)->text(), "rev");
}

TEST_F(IndicatorWindow, FieldsRedrawAndBadValuesChangeNothing) {
    const QImage before = w->Image().copy();
    const QString work = panel->Table()->item(1, 3)->text();
    Type(panel->PressureEdit(), "160");
    EXPECT_EQ(panel->Conditions().pressure, 160);
    EXPECT_TRUE(panel->Message()->text().isEmpty());
    EXPECT_NE(w->Image(), before);
    EXPECT_NE(panel->Table()->item(1, 3)->text(), work);

    const QImage good = w->Image().copy();
    for (const auto& [edit, text] : {std::pair{panel->BackPressureEdit(), QString("abc")},
                                     std::pair{panel->BackPressureEdit(), QString("160")},
                                     std::pair{panel->ClearanceEdit(), QString("0")},
                                     std::pair{panel->PressureEdit(), QString("1e39")}}) {
        Type(edit, text);
        EXPECT_FALSE(panel->Message()->text().isEmpty()) << text.toStdString();
        EXPECT_EQ(panel->Conditions().pressure, 160);
        EXPECT_EQ(panel->Conditions().backPressure, 15);
        EXPECT_EQ(panel->Conditions().clearance, 8);
        EXPECT_EQ(w->Image(), good);
        edit->setText(edit == panel->PressureEdit()    ? "160"
                      : edit == panel->ClearanceEdit() ? "8"
                                                       : "15");
    }
    Type(panel->ClearanceEdit(), "8");
    EXPECT_TRUE(panel->Message()->text().isEmpty());
}

TEST_F(IndicatorWindow, CopyAndSaveAsCsv) {
    QGuiApplication::clipboard()->clear();
    panel->CopyClick();
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 3);
    EXPECT_TRUE(lines[0].startsWith("direction\tnotch\trevarm\tfront_work"));

    QTemporaryDir dir;
    const QString path = dir.filePath("cards.csv");
    QString error;
    ASSERT_TRUE(panel->SaveCsv(path, &error)) << error.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()),
              QString::fromStdString(PerformanceDelimited(panel->Rows(), ',')));
    const QString bad = dir.filePath("no/such/folder/cards.csv");
    EXPECT_FALSE(panel->SaveCsv(bad, &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace mv
