// The Design Assistant window headless: the search on its worker thread, Cancel and Discard
// leaving the model alone, Apply committing through the undo path and UnDo restoring every bit.
#include "design/design_assistant_window.hpp"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStringList>
#include <QTableWidget>
#include <algorithm>
#include <bit>
#include <memory>
#include <vector>

#include "analysis/sensitivity.hpp"
#include "model/dimensions.hpp"
#include "model/edits.hpp"
#include "model/model.hpp"
#include "model/solver.hpp"
#include "support/widgets_support.hpp"

namespace {

// Every dimension's bits, the valve-stem line and mid gear.
std::vector<std::uint32_t> Bits(const mv::Model& m) {
    std::vector<std::uint32_t> out;
    for (auto infos : {mv::FrameDimensionInfo(), mv::CylinderDimensionInfo()})
        for (const mv::DimensionInfo& d : infos)
            out.push_back(std::bit_cast<std::uint32_t>(mv::GetDimension(m, d.id)));
    out.push_back(std::bit_cast<std::uint32_t>(m.pivots[mv::pv::ValveJoint].y));
    out.push_back(std::bit_cast<std::uint32_t>(m.revArmPositions[0]));
    return out;
}

class DesignAssistantWindow : public ::testing::Test {
protected:
    void SetUp() override {
        mvtest::EnsureApplication();
        mv::StartUp(m);
        w = std::make_unique<mv::TDesignAssistant>(m);
        w->show();
        // One forward row at a notch keeps each evaluation short.
        Child<QComboBox>("ComboRows")->setCurrentIndex(1);
        Child<QLineEdit>("EditNotches")->setText("0.5");
        Child<QComboBox>("ComboDirection")->setCurrentIndex(1);
        Child<QSpinBox>("SpinEvaluations")->setValue(30);
    }
    template <class T>
    T* Child(const char* name) {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void RunToEnd() {
        QSignalSpy done(w.get(), &mv::TDesignAssistant::SearchFinished);
        w->StartClick();
        ASSERT_TRUE(w->Running());
        ASSERT_TRUE(done.wait(120000));
        ASSERT_FALSE(w->Running());
        ASSERT_NE(w->Result(), nullptr);
    }

    mv::Model m;
    std::unique_ptr<mv::TDesignAssistant> w;
};

TEST_F(DesignAssistantWindow, OffersThePresetDimensionsFirstWithTenPerCentLimits) {
    EXPECT_EQ(w->windowTitle(), "Design Assistant");
    QTableWidget* t = Child<QTableWidget>("TableDimensions");
    ASSERT_EQ(t->rowCount(), 46);  // 1..24 and 101..122
    const std::vector<mv::DimensionId> preset = mv::DesignPresetDimensions();
    for (int i = 0; i < t->rowCount(); ++i) {
        const bool inPreset = i < static_cast<int>(preset.size());
        EXPECT_EQ(t->item(i, 0)->checkState() == Qt::Checked, inPreset) << i;
        if (inPreset) {
            EXPECT_TRUE(t->item(i, 0)->text().startsWith(QString::number(preset[i]) + "  "));
        }
    }
    EXPECT_EQ(t->item(0, 0)->text(), "5  Ecc Crank Length");
    EXPECT_EQ(t->item(0, 2)->text(), "1.593");
    EXPECT_EQ(t->item(0, 3)->text(), "1.947");

    QString error;
    const auto p = w->Problem(error);
    ASSERT_TRUE(p) << error.toStdString();
    EXPECT_EQ(p->vary.size(), preset.size());
    ASSERT_EQ(p->goals.size(), 1u);
    EXPECT_EQ(p->goals[0].kind, mv::GoalKind::CutoffBalance);
    EXPECT_EQ(p->rows.directions, mv::Directions::Forward);
}

TEST_F(DesignAssistantWindow, BadFieldsAreReportedAndNothingStarts) {
    QTableWidget* t = Child<QTableWidget>("TableDimensions");
    t->item(0, 2)->setText("abc");
    w->StartClick();
    EXPECT_FALSE(w->Running());
    EXPECT_TRUE(Child<QLabel>("LblStatus")->text().contains("limits must be numbers"));
    t->item(0, 2)->setText("1.9");  // above the value 1.77
    w->StartClick();
    EXPECT_FALSE(w->Running());
    EXPECT_TRUE(Child<QLabel>("LblStatus")->text().contains("do not contain its value"));
}

TEST_F(DesignAssistantWindow, CancelAndDiscardLeaveTheModelUntouched) {
    const std::vector<std::uint32_t> before = Bits(m);
    const int undoCount = m.undoCount;
    // A hundred notches each way: each evaluation takes long enough to cancel the search.
    QStringList notches;
    for (int k = 1; k <= 100; ++k) notches << QString::number(k / 100.0);
    Child<QLineEdit>("EditNotches")->setText(notches.join(", "));
    Child<QComboBox>("ComboDirection")->setCurrentIndex(0);
    Child<QSpinBox>("SpinEvaluations")->setValue(100000);
    QSignalSpy progressed(w.get(), &mv::TDesignAssistant::Progressed);
    QSignalSpy done(w.get(), &mv::TDesignAssistant::SearchFinished);
    w->StartClick();
    ASSERT_TRUE(progressed.wait(60000));
    ASSERT_TRUE(done.isEmpty());
    EXPECT_FALSE(Child<QPushButton>("BtnStart")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>("BtnCancel")->isEnabled());
    Child<QPushButton>("BtnCancel")->click();
    ASSERT_TRUE(done.wait(60000));
    ASSERT_NE(w->Result(), nullptr);
    EXPECT_TRUE(w->Result()->stopped);
    EXPECT_LT(w->Result()->evaluations, 100000);
    EXPECT_EQ(Bits(m), before);
    EXPECT_EQ(m.undoCount, undoCount);

    Child<QPushButton>("BtnDiscard")->click();
    EXPECT_EQ(w->Result(), nullptr);
    EXPECT_FALSE(Child<QPushButton>("BtnApply")->isEnabled());
    EXPECT_EQ(Bits(m), before);
    EXPECT_EQ(m.undoCount, undoCount);
}

TEST_F(DesignAssistantWindow, ApplyCommitsEachChangeAndUndoRestoresEveryBit) {
    const std::vector<std::uint32_t> before = Bits(m);
    RunToEnd();
    const mv::DesignResult result = *w->Result();
    ASSERT_TRUE(result.improved);
    QString error;
    const mv::DesignProblem problem = *w->Problem(error);
    const std::vector<mv::DimensionValue> changed = mv::ChangedDimensions(problem, result);
    ASSERT_FALSE(changed.empty());
    // Before and after in the valve-event table's columns, front beside rear.
    QTableWidget* after = Child<QTableWidget>("TableAfter");
    EXPECT_EQ(after->rowCount(), static_cast<int>(result.best.rows.size()));
    ASSERT_EQ(after->columnCount(), 10);
    EXPECT_EQ(after->horizontalHeaderItem(2)->text(), "Front\ncut %");
    EXPECT_EQ(after->horizontalHeaderItem(3)->text(), "Rear\ncut %");
    EXPECT_EQ(after->item(0, 2)->text().toStdString(),
              mv::EventPercentText(result.best.rows[0].events.front.cutoff));
    EXPECT_EQ(Child<QTableWidget>("TableChanges")->rowCount(), static_cast<int>(changed.size()));

    Child<QPushButton>("BtnApply")->click();
    for (const mv::DimensionValue& c : changed) EXPECT_EQ(mv::GetDimension(m, c.id), c.value);
    ASSERT_EQ(m.undoCount, static_cast<int>(changed.size()));
    EXPECT_TRUE(m.undoEnabled);
    EXPECT_EQ(m.undo[1].id, static_cast<std::int32_t>(changed.back().id));
    // Mid gear follows the new dimensions and the arm stands there.
    mv::Gear check = m;
    mv::ComputeMidGear(check);
    EXPECT_EQ(m.revArmPositions[0], check.revArmPositions[0]);
    EXPECT_EQ(m.gear.revArmSetting, m.revArmPositions[0]);
    EXPECT_EQ(w->Result(), nullptr);

    for (std::size_t k = 0; k < changed.size(); ++k) mv::UndoLastChange(m);
    mv::ComputeMidGear(m);
    EXPECT_EQ(Bits(m), before);
    EXPECT_EQ(m.undoCount, 0);
}

TEST_F(DesignAssistantWindow, ApplyRefusesAResultForDimensionsChangedSince) {
    RunToEnd();
    ASSERT_TRUE(w->Result()->improved);
    m.pendingEdit = true;
    mv::CommitDimension(m, 3, 10.5f);  // the main rod, typed meanwhile
    const std::vector<std::uint32_t> typed = Bits(m);
    Child<QPushButton>("BtnApply")->click();
    EXPECT_EQ(Bits(m), typed);
    EXPECT_EQ(m.undoCount, 1);
    EXPECT_TRUE(Child<QLabel>("LblStatus")->text().contains("start it again"));
}

}  // namespace

// The ranking is taken at the window's rows and in its direction (it once took the default
// notches in both directions whatever the window said).
TEST_F(DesignAssistantWindow, TicksTheDimensionsTheSensitivityRankingPutsFirst) {
    // A gear changed from the nominal one: the ranking is taken from the model's present gear.
    mv::StoreDimension(m, 6, 8.3f);
    mv::ComputeMidGear(m);
    Child<QPushButton>("BtnRanked")->click();
    EXPECT_TRUE(w->Ranking());
    EXPECT_FALSE(Child<QPushButton>("BtnStart")->isEnabled());
    // The worker's signal is handled on this thread; wait for that, not for the signal.
    QElapsedTimer clock;
    clock.start();
    while (w->Ranking() && clock.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_FALSE(w->Ranking());
    EXPECT_TRUE(Child<QPushButton>("BtnStart")->isEnabled());

    std::vector<mv::DimensionId> want;
    const mv::RowChoice rows{mv::RowBasis::Notches, {0.5f}, mv::Directions::Forward};
    for (mv::DimensionId id : mv::TopCutoffImbalanceIds(m, 60, rows))
        if (mv::IsVariableDimension(id) && want.size() < 8) want.push_back(id);
    ASSERT_EQ(want.size(), 8u);
    QString error;
    const auto p = w->Problem(error);
    ASSERT_TRUE(p) << error.toStdString();
    std::vector<mv::DimensionId> ticked;
    for (const mv::VaryDimension& v : p->vary) ticked.push_back(v.id);
    std::sort(ticked.begin(), ticked.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(ticked, want);
}
