// The Design Assistant window's rows at cut-offs, limits and seed: the defaults a designer gets,
// the fields read back as a problem, default cut-offs out of reach left out and said, and the
// ranking taken at the rows shown.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <algorithm>
#include <memory>

#include "analysis/sensitivity.hpp"
#include "design/design_assistant_window.hpp"
#include "model/dimensions.hpp"
#include "model/model.hpp"
#include "model/solver.hpp"
#include "support/widgets_support.hpp"

namespace {

class DesignAssistantRows : public ::testing::Test {
protected:
    void SetUp() override {
        mvtest::EnsureApplication();
        mv::StartUp(m);
        w = std::make_unique<mv::TDesignAssistant>(m);
        w->show();
    }
    template <class T>
    T* Child(const char* name) {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    std::optional<mv::DesignProblem> Problem() {
        error.clear();
        return w->Problem(error);
    }

    mv::Model m;
    std::unique_ptr<mv::TDesignAssistant> w;
    QString error;
};

TEST_F(DesignAssistantRows, DefaultsAreTheCutoffsBothWaysWithReverseWeightedAndLimits) {
    const auto p = Problem();
    ASSERT_TRUE(p) << error.toStdString();
    EXPECT_EQ(p->rows.basis, mv::RowBasis::Cutoffs);
    EXPECT_EQ(p->rows.values, (std::vector<float>{15, 25, 40, 60}));
    EXPECT_EQ(p->rows.directions, mv::Directions::Both);
    EXPECT_EQ(p->reverseWeight, 0.25);
    EXPECT_FALSE(p->limits.minLead);
    EXPECT_EQ(p->limits.fullGearDrop, 2.0);
    EXPECT_FALSE(p->limits.travel);
    EXPECT_EQ(p->seed, 1u);
    EXPECT_TRUE(p->undoable);
}

TEST_F(DesignAssistantRows, FieldsAreReadIntoTheProblemOrRefusedWithAReason) {
    Child<QLineEdit>("EditCutoffs")->setText("20, 45");
    Child<QLineEdit>("EditReverseWeight")->setText("0.5");
    Child<QLineEdit>("EditMinLead")->setText("0.004");
    Child<QLineEdit>("EditFullGearDrop")->setText("3");
    Child<QLineEdit>("EditTravelLow")->setText("0.7");
    Child<QLineEdit>("EditTravelHigh")->setText("0.9");
    Child<QLineEdit>("EditSeed")->setText("4294967295");
    auto p = Problem();
    ASSERT_TRUE(p) << error.toStdString();
    EXPECT_EQ(p->rows.values, (std::vector<float>{20, 45}));
    EXPECT_EQ(p->reverseWeight, 0.5);
    EXPECT_EQ(*p->limits.minLead, 0.004f);
    EXPECT_EQ(p->limits.fullGearDrop, 3.0);
    ASSERT_TRUE(p->limits.travel);
    EXPECT_EQ(p->limits.travel->first, 0.7f);
    EXPECT_EQ(p->seed, 4294967295u);

    const auto refused = [&](const char* field, const char* text, const char* reason) {
        QLineEdit* e = Child<QLineEdit>(field);
        const QString was = e->text();
        e->setText(QString::fromLatin1(text));
        EXPECT_FALSE(Problem()) << field << " " << text;
        EXPECT_TRUE(error.contains(QString::fromLatin1(reason))) << error.toStdString();
        e->setText(was);
    };
    refused("EditSeed", "4294967296", "seed");
    refused("EditSeed", "-1", "seed");
    refused("EditCutoffs", "20, 100", "Cut-offs");
    refused("EditTravelHigh", "", "both ends");
    refused("EditMinLead", "9", "min-lead");  // more than the stroke
    refused("EditReverseWeight", "x", "reverse weight");
    EXPECT_NE(Child<QCheckBox>("Goal_travel"), nullptr);

    // The steam of the work-balance goal: read only when that goal is ticked.
    QLineEdit* pressure = Child<QLineEdit>("EditPressure");
    EXPECT_FALSE(pressure->isEnabled());
    Child<QCheckBox>("Goal_work-balance")->setChecked(true);
    EXPECT_TRUE(pressure->isEnabled());
    pressure->setText("150");
    Child<QLineEdit>("EditBackPressure")->setText("20");
    Child<QLineEdit>("EditClearance")->setText("10");
    p = Problem();
    ASSERT_TRUE(p) << error.toStdString();
    EXPECT_EQ(p->goals.back().kind, mv::GoalKind::WorkBalance);
    EXPECT_EQ(p->steam.pressure, 150.0f);
    EXPECT_EQ(p->steam.backPressure, 20.0f);
    EXPECT_EQ(p->steam.clearance, 10.0f);
    refused("EditBackPressure", "200", "back pressure");
}

TEST_F(DesignAssistantRows, DefaultCutoffsTheGearDoesNotReachAreLeftOutAndSaid) {
    // A short lever travel: forward it reaches 15 % but none of the later defaults.
    mv::StoreDimension(m, 26, 0.2f);
    mv::StoreDimension(m, 27, 0.3f);
    mv::ComputeMidGear(m);
    Child<QComboBox>("ComboDirection")->setCurrentIndex(1);
    Child<QSpinBox>("SpinEvaluations")->setValue(5);
    QSignalSpy done(w.get(), &mv::TDesignAssistant::SearchFinished);
    w->StartClick();
    ASSERT_TRUE(done.wait(120000));
    ASSERT_NE(w->Result(), nullptr);
    EXPECT_EQ(w->LeftOut().size(), 3u);
    EXPECT_EQ(w->Result()->start.rows.size(), 1u);
    EXPECT_TRUE(Child<QLabel>("LblStatus")->text().startsWith("Left out: cut-off 25 %"));
    EXPECT_EQ(Child<QTableWidget>("TableBefore")->item(0, 0)->text(), "fwd 15 %");
    QTableWidget* limits = Child<QTableWidget>("TableLimits");
    ASSERT_GE(limits->rowCount(), 2);
    EXPECT_TRUE(limits->item(1, 0)->text().startsWith("full-gear drop"));
}

TEST_F(DesignAssistantRows, TheRankingIsTakenAtCutoffRowsWhenTheWindowShowsThem) {
    Child<QLineEdit>("EditCutoffs")->setText("40");
    Child<QComboBox>("ComboDirection")->setCurrentIndex(2);
    w->TickRankedClick();
    QElapsedTimer clock;
    clock.start();
    while (w->Ranking() && clock.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_FALSE(w->Ranking());
    std::vector<mv::DimensionId> want;
    const mv::RowChoice rows{mv::RowBasis::Cutoffs, {40}, mv::Directions::Reverse};
    for (mv::DimensionId id : mv::TopCutoffImbalanceIds(m, 60, rows))
        if (mv::IsVariableDimension(id) && want.size() < 8) want.push_back(id);
    const auto p = Problem();
    ASSERT_TRUE(p) << error.toStdString();
    std::vector<mv::DimensionId> ticked;
    for (const mv::VaryDimension& v : p->vary) ticked.push_back(v.id);
    std::sort(ticked.begin(), ticked.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(ticked, want);

    // Rows that cannot be read rank nothing and say why.
    Child<QLineEdit>("EditCutoffs")->setText("abc");
    w->TickRankedClick();
    EXPECT_FALSE(w->Ranking());
    EXPECT_TRUE(Child<QLabel>("LblStatus")->text().startsWith("Cut-offs:"));
}

}  // namespace
