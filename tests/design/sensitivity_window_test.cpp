// The "Sensitivity" window headless: the ranking fills a sortable table and the bar chart, the
// Monte Carlo fills the box plot, Cancel stops a study, bad input is refused, and the model is
// never written.
#include "design/sensitivity_window.hpp"

#include <gtest/gtest.h>

#include <QAbstractBarSeries>
#include <QApplication>
#include <QBarSet>
#include <QBoxPlotSeries>
#include <QChart>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>

#include "analysis/parallel.hpp"
#include "model/dimensions.hpp"
#include "model/model.hpp"
#include "support/widgets_support.hpp"

namespace {

class SensitivityWindow : public ::testing::Test {
protected:
    void SetUp() override {
        mvtest::EnsureApplication();
        mv::StartUp(m);
        w = std::make_unique<mv::TSensitivity>(m);
        // One notch forward keeps the studies short.
        Find<QLineEdit>("EditNotches")->setText("0.5");
        Find<QComboBox>("ComboDirection")->setCurrentIndex(1);
    }
    template <class T>
    T* Find(const char* name) {
        T* t = w->findChild<T*>(name);
        EXPECT_NE(t, nullptr) << name;
        return t;
    }
    bool WaitIdle() {
        QElapsedTimer clock;
        clock.start();
        while (w->Running() && clock.elapsed() < 120000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
        }
        return !w->Running();
    }
    QString Status() { return Find<QLabel>("LblStatus")->text(); }

    mv::Model m;
    std::unique_ptr<mv::TSensitivity> w;
};

TEST_F(SensitivityWindow, RankingFillsASortableTableAndTheBarChart) {
    EXPECT_EQ(w->windowTitle(), "Sensitivity");
    const mv::Gear before = m;
    ASSERT_TRUE(w->StartRanking());
    EXPECT_FALSE(w->StartRanking());  // one study at a time
    ASSERT_TRUE(WaitIdle());
    QTableWidget* t = Find<QTableWidget>("TableRanking");
    ASSERT_EQ(t->rowCount(), 49);
    EXPECT_EQ(w->rankingResult().eventRows, 2u * 49);
    // Rank order: the scores fall, and the one with no effect at all is at the bottom.
    for (int r = 1; r < t->rowCount(); ++r)
        EXPECT_GE(t->item(r - 1, 4)->data(Qt::UserRole).toDouble(),
                  t->item(r, 4)->data(Qt::UserRole).toDouble());
    EXPECT_EQ(t->item(0, 1)->text().toUInt(), w->rankingResult().ranking[0].id);
    EXPECT_EQ(t->item(48, 4)->text(), "0");
    // Sorting by id is by number, not text: 9 before 10.
    t->sortByColumn(1, Qt::AscendingOrder);
    EXPECT_EQ(t->item(0, 1)->text(), "1");
    EXPECT_EQ(t->item(8, 1)->text(), "9");
    EXPECT_EQ(t->item(9, 1)->text(), "10");
    EXPECT_EQ(t->item(27, 1)->text(), "101");

    // The bar chart: the top dimensions, the largest drawn last (at the top).
    const QList<QAbstractSeries*> series = w->rankingChart()->series();
    ASSERT_EQ(series.size(), 1);
    const QBarSet* bars = static_cast<QAbstractBarSeries*>(series[0])->barSets().at(0);
    ASSERT_EQ(bars->count(), 12);
    EXPECT_DOUBLE_EQ(bars->at(11), *w->rankingResult().ranking[0].score);
    EXPECT_LE(bars->at(0), bars->at(11));
    // The window works on a copy.
    EXPECT_EQ(std::memcmp(&before.frame, &m.frame, sizeof m.frame), 0);
    EXPECT_EQ(m.revArmPositions, before.revArmPositions);
}

TEST_F(SensitivityWindow, ToleranceRunFillsTheBoxPlotAndTheSpreadTable) {
    QTableWidget* input = Find<QTableWidget>("TableTolerances");
    ASSERT_EQ(input->rowCount(), 49);
    int row119 = -1;
    for (int r = 0; r < input->rowCount(); ++r)
        if (input->item(r, 0)->text() == "119") row119 = r;
    ASSERT_GE(row119, 0);
    input->item(row119, 3)->setText("0.005");
    Find<QSpinBox>("SpinSamples")->setValue(24);
    Find<QComboBox>("ComboDirection")->setCurrentIndex(0);  // both directions
    ASSERT_TRUE(w->StartTolerance());
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(w->toleranceResult().samples, 24);
    EXPECT_TRUE(Status().startsWith("24 samples")) << Status().toStdString();
    EXPECT_EQ(Find<QTableWidget>("TableSpread")->rowCount(), 4);  // 2 rows x 2 ends
    const QList<QAbstractSeries*> series = w->toleranceChart()->series();
    ASSERT_EQ(series.size(), 2);
    // Shown as the change from the gear's own cut-off: the front boxes straddle zero; the
    // front valve half cannot move the rear cut-off at all.
    const auto* front = static_cast<QBoxPlotSeries*>(series[0]);
    const auto* rear = static_cast<QBoxPlotSeries*>(series[1]);
    ASSERT_EQ(front->count(), 2);
    ASSERT_EQ(rear->count(), 2);
    for (QBoxSet* set : front->boxSets()) {
        EXPECT_LT(set->at(QBoxSet::LowerExtreme), set->at(QBoxSet::LowerQuartile));
        EXPECT_LE(set->at(QBoxSet::LowerQuartile), set->at(QBoxSet::Median));
        EXPECT_LE(set->at(QBoxSet::Median), set->at(QBoxSet::UpperQuartile));
        EXPECT_LT(set->at(QBoxSet::UpperQuartile), set->at(QBoxSet::UpperExtreme));
        EXPECT_LT(set->at(QBoxSet::LowerExtreme), 0.0);
        EXPECT_GT(set->at(QBoxSet::UpperExtreme), 0.0);
    }
    for (QBoxSet* set : rear->boxSets()) {
        EXPECT_EQ(set->at(QBoxSet::LowerExtreme), 0.0);
        EXPECT_EQ(set->at(QBoxSet::UpperExtreme), 0.0);
    }
}

TEST_F(SensitivityWindow, BadInputIsRefusedWithAReason) {
    Find<QLineEdit>("EditNotches")->setText("0.5, 2");
    EXPECT_FALSE(w->StartRanking());
    EXPECT_TRUE(Status().contains("outside 0..1")) << Status().toStdString();
    Find<QLineEdit>("EditNotches")->setText("0.5");
    EXPECT_FALSE(w->StartTolerance());  // nothing toleranced
    EXPECT_TRUE(Status().contains("at least one")) << Status().toStdString();
    Find<QTableWidget>("TableTolerances")->item(5, 3)->setText("-1");
    EXPECT_FALSE(w->StartTolerance());
    EXPECT_TRUE(Status().contains("Ecc Rod Left End")) << Status().toStdString();
    Find<QTableWidget>("TableTolerances")->item(5, 3)->setText("");
    Find<QLineEdit>("EditPinClearance")->setText("abc");
    EXPECT_FALSE(w->StartTolerance());
    EXPECT_TRUE(Status().startsWith("Pin clearance")) << Status().toStdString();
    EXPECT_FALSE(w->Running());
}

TEST_F(SensitivityWindow, CancelStopsTheStudyAndKeepsTheLastResults) {
    Find<QLineEdit>("EditNotches")->setText("0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1");
    Find<QComboBox>("ComboDirection")->setCurrentIndex(0);
    ASSERT_TRUE(w->StartRanking());
    QPushButton* cancel = Find<QPushButton>("BtnCancel");
    EXPECT_TRUE(cancel->isEnabled());
    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(Status().startsWith("Cancelled")) << Status().toStdString();
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_EQ(Find<QTableWidget>("TableRanking")->rowCount(), 0);
    EXPECT_TRUE(w->rankingResult().rows.empty());
    // A window dropped while a study runs cancels and waits for it.
    ASSERT_TRUE(w->StartRanking());
    w.reset();
}

TEST_F(SensitivityWindow, ToleranceInputFollowsTheCommandLinesRules) {
    // The same seed range and sample cap as merrovan-cli tolerance.
    const auto* seed = Find<QDoubleSpinBox>("SpinSeed");
    EXPECT_EQ(seed->maximum(), 4294967295.0);
    EXPECT_EQ(seed->decimals(), 0);
    EXPECT_EQ(Find<QSpinBox>("SpinSamples")->maximum(), mv::kMaxToleranceSamples);

    QTableWidget* input = Find<QTableWidget>("TableTolerances");
    auto row = [input](const char* id) {
        for (int r = 0; r < input->rowCount(); ++r)
            if (input->item(r, 0)->text() == id) return r;
        return -1;
    };
    const std::pair<const char*, const char*> refused[] = {
        {"26", "moves no event"}, {"6", "too large"}, {"8", "Nothing varies"}};
    const char* values[] = {"0.01", "1e39", "0"};
    for (int k = 0; k < 3; ++k) {
        input->item(row(refused[k].first), 3)->setText(values[k]);
        EXPECT_FALSE(w->StartTolerance()) << refused[k].first;
        EXPECT_TRUE(Status().contains(refused[k].second)) << Status().toStdString();
        input->item(row(refused[k].first), 3)->setText("");
    }
    Find<QLineEdit>("EditPinClearance")->setText("0");
    EXPECT_FALSE(w->StartTolerance());
    EXPECT_TRUE(Status().contains("Nothing varies")) << Status().toStdString();

    // Keeping the gear's settings is the command line's --lever fixed.
    Find<QLineEdit>("EditPinClearance")->setText("");
    input->item(row("20"), 3)->setText("0.01");
    Find<QSpinBox>("SpinSamples")->setValue(4);
    Find<QComboBox>("ComboLever")->setCurrentIndex(1);
    ASSERT_TRUE(w->StartTolerance());
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(w->toleranceResult().lever, mv::ToleranceLever::Fixed);
    EXPECT_EQ(w->toleranceResult().samples, 4);
}

TEST_F(SensitivityWindow, AStudyThatFailsSaysWhyAndKeepsTheLastResults) {
    const mv::ParallelFaultForTest fault([](std::size_t i) {
        if (i == 1) throw std::runtime_error("injected failure");
    });
    ASSERT_TRUE(w->StartRanking());
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(Status().contains("could not run: injected failure")) << Status().toStdString();
    EXPECT_EQ(Find<QTableWidget>("TableRanking")->rowCount(), 0);
    EXPECT_TRUE(w->rankingResult().rows.empty());
}

}  // namespace
