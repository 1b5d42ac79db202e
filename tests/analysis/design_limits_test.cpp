// The design assistant's limits: they hold in the result even where the best gear without them
// breaks them, a limit no gear can keep is reported with the amount, a start that breaks one is
// searched from, and broken gears are measured by how far off they are. Also the numbers the
// assistant must reach at chosen cut-offs, and the faults mended in the search.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>

#include "analysis/design_assistant.hpp"
#include "model/dimensions.hpp"
#include "model/model.hpp"

namespace {

using mv::DesignProblem;
using mv::GoalKind;
using mv::LimitKind;

mv::Gear Nominal() {
    mv::Model m;
    mv::StartUp(m);
    return m;
}

double Excess(const mv::DesignEvaluation& e, LimitKind k) {
    return e.excess[static_cast<std::size_t>(k)];
}

// Both leads toward -0.02 by the valve halves' lengths (the laps), at half notch forward.
DesignProblem NegativeLeads(double minLead) {
    const mv::Gear g = Nominal();
    DesignProblem p;
    p.vary = {mv::DefaultLimits(g, 118), mv::DefaultLimits(g, 119)};
    p.goals = {mv::DesignGoal{GoalKind::Lead, -0.02, 1}};
    p.rows = {mv::RowBasis::Notches, {0.5f}, mv::Directions::Forward};
    p.limits.minLead = minLead;
    p.limits.fullGearDrop = 100;  // more lap cuts off earlier at full gear too
    p.maxEvaluations = 120;
    return p;
}

TEST(DesignLimits, MinLeadHoldsWhereTheBestGearWithoutItBreaksIt) {
    const mv::Gear g = Nominal();
    const mv::DesignResult free = mv::RunDesignSearch(g, NegativeLeads(-1));
    ASSERT_TRUE(free.improved);
    ASSERT_LT(*free.best.values.minLead, -0.01);

    const mv::DesignResult kept = mv::RunDesignSearch(g, NegativeLeads(0));
    ASSERT_TRUE(kept.improved);
    EXPECT_TRUE(kept.best.feasible);
    EXPECT_TRUE(kept.limitsNotMet.empty());
    for (const mv::NotchRow& r : kept.best.rows) {
        EXPECT_GE(*r.events.front.lead, 0.0f);
        EXPECT_GE(*r.events.rear.lead, 0.0f);
    }
    // As near the target as the limit lets it: a lead close to 0.
    EXPECT_LT(*kept.best.values.minLead, 0.002);
}

TEST(DesignLimits, ALimitNoGearKeepsIsReportedWithHowFarItMissed) {
    const mv::Gear g = Nominal();
    DesignProblem p = NegativeLeads(0.5);
    p.goals.clear();
    const mv::DesignResult r = mv::RunDesignSearch(g, p);
    EXPECT_TRUE(r.searched);
    EXPECT_FALSE(r.improved);
    EXPECT_FALSE(r.best.feasible);
    EXPECT_EQ(r.after, r.before);
    ASSERT_EQ(r.limitsNotMet.size(), 1u);
    EXPECT_EQ(r.limitsNotMet[0].kind, LimitKind::MinLead);
    // By how much the closest gear's smallest lead falls short, in the length unit.
    ASSERT_TRUE(r.closest);
    EXPECT_NEAR(r.limitsNotMet[0].by, 0.5 - *r.closest->values.minLead, 1e-6);
    EXPECT_LT(r.limitsNotMet[0].by, 0.5 - *r.start.values.minLead);
}

TEST(DesignLimits, AStartThatBreaksALimitIsReportedAndSearchedFrom) {
    const mv::Gear g = Nominal();
    DesignProblem p;
    for (mv::DimensionId id : mv::DesignPresetDimensions())
        p.vary.push_back(mv::DefaultLimits(g, id));
    p.rows.directions = mv::Directions::Forward;
    p.limits.travel = {{0.85, 1.0}};
    p.maxEvaluations = 150;
    const mv::DesignResult r = mv::RunDesignSearch(g, p);
    EXPECT_FALSE(r.start.feasible);
    EXPECT_EQ(r.start.problem.rfind("travel:", 0), 0u) << r.start.problem;
    EXPECT_GT(Excess(r.start, LimitKind::Travel), 0);
    EXPECT_TRUE(r.searched);
    ASSERT_TRUE(r.improved);
    EXPECT_TRUE(r.best.feasible);
    EXPECT_GE(*r.best.values.travelLow, 0.85);
    EXPECT_LE(*r.best.values.travelHigh, 1.0);
}

TEST(DesignLimits, BrokenGearsAreMeasuredByHowFarOffTheyAre) {
    const mv::Gear g = Nominal();
    DesignProblem p;
    p.rows = {mv::RowBasis::Notches, {0.5f}, mv::Directions::Forward};
    const mv::DesignEvaluation start = mv::EvaluateDesign(g, p, nullptr);
    ASSERT_TRUE(start.feasible) << start.problem;
    for (LimitKind k : {LimitKind::Geometry, LimitKind::Events, LimitKind::Reach})
        EXPECT_EQ(Excess(start, k), 0) << mv::LimitName(k);

    auto at = [&](mv::DimensionId id, float v) {
        return mv::EvaluateDesign(mv::WithDimensions(g, {{{id, v}}}), p, &start);
    };
    // A radius hanger too short to reach the eccentric rod: the shorter, the further off.
    const double near = Excess(at(8, 1.2f), LimitKind::Geometry);
    const double far = Excess(at(8, 0.6f), LimitKind::Geometry);
    EXPECT_GT(near, 0);
    EXPECT_GT(far, near + 5);  // per cent of the stroke
    // Front valve halves so long that the front port never opens: the longer, the further off.
    const mv::DesignEvaluation shut = at(119, 1.2f);
    EXPECT_FALSE(shut.feasible);
    EXPECT_GT(Excess(at(119, 1.6f), LimitKind::Events), Excess(shut, LimitKind::Events) + 5);
    // A cut-off out of reach: by the points it lies beyond the gear's range.
    p.rows = {mv::RowBasis::Cutoffs, {95}, mv::Directions::Forward};
    const mv::DesignEvaluation beyond = mv::EvaluateDesign(g, p, nullptr);
    EXPECT_FALSE(beyond.feasible);
    EXPECT_NEAR(Excess(beyond, LimitKind::Reach), beyond.rows[0].reachShortfall, 1e-6);
    EXPECT_GT(Excess(beyond, LimitKind::Reach), 10);
}

// The nominal gear, the preset dimensions within their default bounds, cut-offs 15, 25, 40 and
// 60 % forward with every lead at least 0.005: the largest front/rear cut-off difference falls
// by at least 75 % within 400 evaluations, and full gear keeps its cut-off within 2 points.
TEST(DesignLimits, BalancesTheNominalGearAtChosenCutoffs) {
    const mv::Gear g = Nominal();
    DesignProblem p;
    for (mv::DimensionId id : mv::DesignPresetDimensions())
        p.vary.push_back(mv::DefaultLimits(g, id));
    p.rows.directions = mv::Directions::Forward;
    p.limits.minLead = 0.005;
    ASSERT_EQ(mv::ValidateProblem(g, p), "");
    const mv::DesignResult r = mv::RunDesignSearch(g, p);
    ASSERT_TRUE(r.improved);
    EXPECT_LE(r.evaluations, 400);
    const auto before = mv::LargestCutoffDifference(r.start.rows);
    const auto after = mv::LargestCutoffDifference(r.best.rows);
    ASSERT_TRUE(before && after);
    EXPECT_NEAR(*before, 7.55f, 0.01f);
    EXPECT_LE(*after, 0.25f * *before) << *before << " -> " << *after;
    for (const mv::NotchRow& row : r.best.rows) {
        ASSERT_TRUE(row.Reachable()) << row.unreachable;
        EXPECT_GE(*row.events.front.lead, 0.005f) << mv::RowText(row);
        EXPECT_GE(*row.events.rear.lead, 0.005f) << mv::RowText(row);
    }
    EXPECT_LE(*r.best.values.drop, 2.0);
}

TEST(DesignLimits, AGearWithoutUndoHistoryMayVaryTheOffsetAngleAndMore) {
    const mv::Gear g = Nominal();
    DesignProblem p;
    p.vary = {mv::VaryDimension{25, -2.0f, 2.0f}};
    EXPECT_NE(mv::ValidateProblem(g, p).find("cannot be varied"), std::string::npos);
    p.undoable = false;
    EXPECT_EQ(mv::ValidateProblem(g, p), "");
    for (mv::DimensionId id = 1; id <= 24; ++id) p.vary.push_back(mv::DefaultLimits(g, id));
    EXPECT_EQ(mv::ValidateProblem(g, p), "");  // more than an undo history holds
    p.undoable = true;
    EXPECT_NE(mv::ValidateProblem(g, p), "");
}

TEST(DesignGoals, WorkBalanceEvensTheIndicatorCardsForTheSteamGiven) {
    const mv::Gear g = Nominal();
    DesignProblem p;
    for (mv::DimensionId id : {5, 6, 8, 22}) p.vary.push_back(mv::DefaultLimits(g, id));
    p.rows = {mv::RowBasis::Cutoffs, {25, 40}, mv::Directions::Forward};
    p.goals = {mv::DesignGoal{GoalKind::WorkBalance, 0, 1}};
    p.maxEvaluations = 80;
    const mv::DesignResult r = mv::RunDesignSearch(g, p);
    ASSERT_TRUE(r.improved) << r.start.problem;
    // The goal is the mean squared imbalance the performance figures give.
    const auto imbalance = mv::WorkImbalance(g, r.start.rows[1].events, p.steam);
    ASSERT_TRUE(imbalance);
    EXPECT_GT(*imbalance, 5.0f);
    EXPECT_LT(r.best.objective, 0.01 * r.start.objective);

    p.steam.backPressure = 150;  // above the steam-chest pressure
    EXPECT_NE(mv::ValidateProblem(g, p).find("work-balance"), std::string::npos);
}

// A gear whose goals cannot be measured (its events are gone) once scored 0, the best value
// there is, and drew the search into the region it must avoid.
TEST(DesignSearchMended, AGearWhoseGoalsCannotBeMeasuredNeverLooksBetterThanTheStart) {
    const mv::Gear g = Nominal();
    DesignProblem p;
    p.rows = {mv::RowBasis::Cutoffs, {25, 40}, mv::Directions::Forward};
    for (GoalKind k : {GoalKind::CutoffBalance, GoalKind::WorkBalance}) {
        p.goals = {mv::DesignGoal{k, 0, 1}};
        const mv::DesignEvaluation start = mv::EvaluateDesign(g, p, nullptr);
        const mv::DesignEvaluation shut =
            mv::EvaluateDesign(mv::WithDimensions(g, {{{119, 1.2f}}}), p, &start);
        EXPECT_FALSE(shut.feasible);
        EXPECT_GE(shut.searchObjective, start.objective) << mv::GoalName(k);
    }
}

TEST(DesignSearchMended, EachDistinctGearCountsOnce) {
    // The valve stem moved off the length that balances the leads: with three evaluations the
    // search sees the start and a step each way, one of which is better. Counting the start twice
    // left it one step, the wrong way.
    const mv::Gear g = Nominal();
    DesignProblem p;
    p.rows = {mv::RowBasis::Notches, {0.5f}, mv::Directions::Forward};
    p.goals = {mv::DesignGoal{GoalKind::LeadBalance, 0, 1}};
    const mv::Gear off = mv::WithDimensions(g, {{{122, g.cyl.valveStem + 0.05f}}});
    p.vary = {mv::VaryDimension{122, g.cyl.valveStem - 0.1f, g.cyl.valveStem + 0.1f}};
    p.maxEvaluations = 3;
    int calls = 0;
    const mv::DesignResult r =
        mv::RunDesignSearch(off, p, {}, [&](const mv::DesignProgress&) { ++calls; });
    EXPECT_EQ(r.evaluations, 3);
    EXPECT_EQ(calls, 3);
    EXPECT_TRUE(r.improved);
}

TEST(DesignSearchMended, AFailureOfTheLibraryEndsTheSearchWithAReason) {
    const mv::Gear g = Nominal();
    DesignProblem p;
    p.rows = {mv::RowBasis::Notches, {0.5f}, mv::Directions::Forward};
    p.vary = {mv::DefaultLimits(g, 6), mv::DefaultLimits(g, 22)};
    // What the library throws when its own code fails: each ends the search, none escapes.
    const auto failing = [&](auto thrown, const char* reason) {
        int evaluations = 0;
        const mv::DesignResult r = mv::RunDesignSearch(g, p, {}, [&](const mv::DesignProgress& d) {
            evaluations = d.evaluations;
            if (d.evaluations == 6) throw thrown;
        });
        EXPECT_NE(r.failure.find(reason), std::string::npos) << r.failure;
        EXPECT_EQ(evaluations, 6);
        EXPECT_EQ(r.evaluations, 6);
        EXPECT_TRUE(r.best.feasible);  // the best so far is kept
    };
    failing(std::runtime_error("nlopt failure"), "failed");
    failing(std::invalid_argument("nlopt invalid argument"), "refused");
    failing(std::bad_alloc(), "out of memory");
}

}  // namespace
