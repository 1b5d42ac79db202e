#include "model/pivot_table.hpp"

#include <gtest/gtest.h>

#include "model/solver.hpp"

namespace {

TEST(PivotTable, RowsPerStepAndStateRestored) {
    mv::Model m;
    mv::StartUp(m);
    m.gear.driverAngle = 33.0f;
    m.gear.currentStep = 10.0f;
    const std::array<int, 6> piv{2, 4, 10, 13, 15, 18};
    EXPECT_EQ(mv::BuildPivotRows(m, piv).size(), 37u);
    m.gear.chosenStep = 45.0f;
    const auto rows = mv::BuildPivotRows(m, piv);
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows.back().angle, 360.0f);
    EXPECT_EQ(m.gear.driverAngle, 33.0f);
    EXPECT_EQ(m.gear.currentStep, 10.0f);
    EXPECT_NEAR(rows[0].horz[0], 1.5, 1e-5);   // crank pin at 0 degrees
    EXPECT_NEAR(rows[2].vert[0], -1.5, 1e-5);  // at 90 degrees the crank points down
}

TEST(PivotTable, StepThatDoesNotDivideStopsBelow360AndZeroStepTerminates) {
    mv::Model m;
    mv::StartUp(m);
    m.gear.chosenStep = 7.0f;
    const auto rows = mv::BuildPivotRows(m, {1, 2, 3, 4, 5, 6});
    EXPECT_LE(rows.back().angle, 360.0f);
    EXPECT_GT(rows.back().angle + 7.0f, 360.0f);
    m.gear.chosenStep = 0.0f;
    EXPECT_GT(mv::BuildPivotRows(m, {1, 2, 3, 4, 5, 6}).size(), 30000u)
        << "a zero step is raised to 0.01 and the table ends";
}

TEST(PivotTable, ChosenPivotsRoundAndStayInTheTable) {
    mv::Model m;
    m.picks[1].pivot = 4.6f;
    m.picks[2].pivot = -3.0f;
    m.picks[3].pivot = 1e9f;
    const auto p = mv::ChosenPivots(m);
    EXPECT_EQ(p[0], 5);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[2], mv::kPivotCount - 1);
}

}  // namespace
