// The design assistant's objective and search: a case with a known answer, limits, infeasible
// gears, stopping, repeatability, validation, and the nominal gear's cut-off balance.
#include "analysis/design_assistant.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <stop_token>
#include <string>

#include "model/dimensions.hpp"
#include "model/model.hpp"

namespace {

using mv::DesignProblem;
using mv::GoalKind;

mv::Gear Nominal() {
    mv::Model m;
    mv::StartUp(m);
    return m;
}

// One forward row at half notch: a single row can be balanced exactly.
DesignProblem OneRow(GoalKind goal) {
    DesignProblem p;
    p.goals = {mv::DesignGoal{goal, 0, 1}};
    p.rows = {mv::RowBasis::Notches, {0.5f}, mv::Directions::Forward};
    return p;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The valve-stem length (122) moves the valve against the linkage: the front lead falls and the
// rear lead rises by the same amount, so the balanced length follows from one row's leads.
TEST(DesignSearch, FindsTheBalancedValueOfTheOneDimensionMovedOffIt) {
    const mv::Gear nominal = Nominal();
    DesignProblem p = OneRow(GoalKind::LeadBalance);
    const auto rows = mv::NotchRows(nominal, p.rows.values, p.rows.directions);
    ASSERT_TRUE(rows[0].events.front.lead && rows[0].events.rear.lead);
    const float balanced = static_cast<float>(
        nominal.cyl.valveStem + (*rows[0].events.front.lead - *rows[0].events.rear.lead) / 2.0);

    // Balanced, then moved off by 0.05.
    const mv::Gear off = mv::WithDimensions(nominal, {{{122, balanced + 0.05f}}});
    const mv::DesignEvaluation check =
        mv::EvaluateDesign(mv::WithDimensions(nominal, {{{122, balanced}}}), p, nullptr);
    ASSERT_LT(check.objective, 1e-6);

    p.vary = {mv::VaryDimension{122, balanced - 0.1f, balanced + 0.1f}};
    const mv::DesignResult r = mv::RunDesignSearch(off, p);
    ASSERT_TRUE(r.improved);
    EXPECT_NEAR(r.after[0], balanced, 1e-3 * 0.2);
    EXPECT_LT(r.best.objective, 1e-4 * r.start.objective);
    EXPECT_LE(r.evaluations, p.maxEvaluations);
}

TEST(DesignSearch, KeepsEveryValueWithinItsLimits) {
    // Narrow limits on one side of the current values: the optimum lies beyond them.
    const mv::Gear g = Nominal();
    DesignProblem p = OneRow(GoalKind::CutoffBalance);
    p.vary = {mv::VaryDimension{6, 8.47f, 8.48f}, mv::VaryDimension{22, 1.9f, 1.905f},
              mv::VaryDimension{5, 1.77f, 1.77f}};
    p.maxEvaluations = 60;
    const mv::DesignResult r = mv::RunDesignSearch(g, p);
    ASSERT_EQ(r.after.size(), 3u);
    bool atABound = false;
    for (std::size_t i = 0; i < p.vary.size(); ++i) {
        EXPECT_GE(r.after[i], p.vary[i].lower) << p.vary[i].id;
        EXPECT_LE(r.after[i], p.vary[i].upper) << p.vary[i].id;
        atABound = atABound || r.after[i] == p.vary[i].lower || r.after[i] == p.vary[i].upper;
    }
    EXPECT_TRUE(atABound);
    EXPECT_EQ(r.after[2], 1.77f);  // lower = upper: fixed
    EXPECT_LE(r.evaluations, 60);
}

TEST(DesignSearch, AnInfeasibleStartIsReportedAndNothingSearched) {
    // An eccentric rod far too short to reach the radius hanger.
    const mv::Gear g = mv::WithDimensions(Nominal(), {{{6, 2.0f}}});
    DesignProblem p;
    p.vary = {mv::DefaultLimits(g, 6), mv::DefaultLimits(g, 8)};
    ASSERT_EQ(mv::ValidateProblem(g, p), "");
    const mv::DesignResult r = mv::RunDesignSearch(g, p);
    EXPECT_FALSE(r.start.feasible);
    EXPECT_TRUE(r.start.geometryError);
    EXPECT_TRUE(Contains(r.start.problem, "geometry error at notch")) << r.start.problem;
    EXPECT_FALSE(r.searched);
    EXPECT_FALSE(r.improved);
    EXPECT_EQ(r.evaluations, 1);
    EXPECT_EQ(r.after, r.before);
    EXPECT_TRUE(mv::ChangedDimensions(p, r).empty());
}

TEST(DesignObjective, AGearThatLosesAnEventOrHasAGeometryErrorIsInfeasible) {
    const mv::Gear g = Nominal();
    const DesignProblem p = OneRow(GoalKind::CutoffBalance);
    const mv::DesignEvaluation start = mv::EvaluateDesign(g, p, nullptr);
    ASSERT_TRUE(start.feasible) << start.problem;

    // A front valve half so long that the front port never opens: admission and cut-off lost.
    const mv::DesignEvaluation lost =
        mv::EvaluateDesign(mv::WithDimensions(g, {{{119, 2.0f}}}), p, &start);
    EXPECT_FALSE(lost.feasible);
    EXPECT_TRUE(Contains(lost.problem, "front admission lost at notch 0.5 fwd")) << lost.problem;

    mv::Gear broken = mv::WithDimensions(g, {{{8, 0.5f}}});
    const mv::DesignEvaluation geometry = mv::EvaluateDesign(broken, p, &start);
    EXPECT_FALSE(geometry.feasible);
    EXPECT_TRUE(geometry.geometryError);
    // Seen even with the user's error beep off.
    broken.gear.errorBeep = false;
    DesignProblem vary = p;
    vary.vary = {mv::DefaultLimits(broken, 8)};
    EXPECT_FALSE(mv::RunDesignSearch(broken, vary).start.feasible);
}

TEST(DesignSearch, NeverReportsAnInfeasibleCandidateAsBest) {
    // Wide limits on the eccentric rod: much of the range cannot be assembled.
    const mv::Gear g = Nominal();
    DesignProblem p = OneRow(GoalKind::CutoffBalance);
    p.vary = {mv::VaryDimension{6, 2.0f, 12.0f}, mv::VaryDimension{8, 0.5f, 6.0f}};
    p.maxEvaluations = 80;
    ASSERT_FALSE(
        mv::EvaluateDesign(mv::WithDimensions(g, {{{6, 2.0f}, {8, 0.5f}}}), p, nullptr).feasible);
    const mv::DesignResult r = mv::RunDesignSearch(g, p);
    EXPECT_TRUE(r.best.feasible);
    for (const mv::NotchRow& row : r.best.rows) EXPECT_FALSE(row.events.geometryError);
    EXPECT_LE(r.best.objective, r.start.objective);
}

TEST(DesignSearch, StopsWhenAskedAndKeepsTheBestSoFar) {
    const mv::Gear g = Nominal();
    DesignProblem p = OneRow(GoalKind::CutoffBalance);
    p.vary = {mv::DefaultLimits(g, 6), mv::DefaultLimits(g, 22)};
    std::stop_source stop;
    int calls = 0;
    const mv::DesignResult r =
        mv::RunDesignSearch(g, p, stop.get_token(), [&](const mv::DesignProgress& progress) {
            calls = progress.evaluations;
            if (progress.evaluations == 12) stop.request_stop();
        });
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.evaluations, 12);
    EXPECT_EQ(calls, 12);
    EXPECT_TRUE(r.best.feasible);
    EXPECT_LE(r.best.objective, r.start.objective);

    std::stop_source early;
    early.request_stop();
    const mv::DesignResult none = mv::RunDesignSearch(g, p, early.get_token());
    EXPECT_EQ(none.evaluations, 1);
    EXPECT_EQ(none.after, none.before);
}

TEST(DesignSearch, TheSameInputsAndSeedGiveTheSameResult) {
    const mv::Gear g = Nominal();
    DesignProblem p = OneRow(GoalKind::CutoffBalance);
    p.vary = {mv::DefaultLimits(g, 6), mv::DefaultLimits(g, 11), mv::DefaultLimits(g, 22)};
    p.maxEvaluations = 45;
    p.seed = 7;
    const mv::DesignResult a = mv::RunDesignSearch(g, p);
    const mv::DesignResult b = mv::RunDesignSearch(g, p);
    EXPECT_EQ(a.after, b.after);
    EXPECT_EQ(a.evaluations, b.evaluations);
    EXPECT_EQ(a.best.objective, b.best.objective);
}

TEST(DesignProblemCheck, RefusesWhatCannotBeSearched) {
    const mv::Gear g = Nominal();
    auto problem = [&](auto change) {
        DesignProblem p;
        p.vary = {mv::DefaultLimits(g, 5)};
        change(p);
        return mv::ValidateProblem(g, p);
    };
    EXPECT_EQ(problem([](DesignProblem&) {}), "");
    EXPECT_TRUE(Contains(problem([](DesignProblem& p) { p.vary.clear(); }), "no dimension"));
    EXPECT_TRUE(Contains(problem([](DesignProblem& p) { p.vary[0].id = 27; }), "cannot be varied"));
    EXPECT_TRUE(
        Contains(problem([](DesignProblem& p) { p.vary.push_back(p.vary[0]); }), "given twice"));
    EXPECT_TRUE(
        Contains(problem([](DesignProblem& p) { std::swap(p.vary[0].lower, p.vary[0].upper); }),
                 "is above upper limit"));
    EXPECT_TRUE(Contains(problem([](DesignProblem& p) { p.vary[0].upper = NAN; }), "finite"));
    EXPECT_TRUE(Contains(problem([](DesignProblem& p) { p.vary[0].lower = -INFINITY; }), "finite"));
    EXPECT_TRUE(Contains(problem([](DesignProblem& p) { p.vary[0].lower = 1.8f; }),
                         "do not contain its value 1.77"));
    EXPECT_TRUE(Contains(problem([](DesignProblem& p) {
                             for (mv::DimensionId id = 1; id <= 21; ++id)
                                 p.vary.push_back(mv::VaryDimension{id, -1e9f, 1e9f});
                         }),
                         "more than 20"));
    const auto notches = [](std::vector<float> v) {
        return [v](DesignProblem& p) { p.rows = {mv::RowBasis::Notches, v, mv::Directions::Both}; };
    };
    EXPECT_TRUE(Contains(problem(notches({0.5f, 1.5f})), "0..1"));
    EXPECT_TRUE(Contains(problem(notches({NAN})), "0..1"));
    EXPECT_TRUE(Contains(problem(notches({})), "no notch"));
    EXPECT_TRUE(Contains(problem([](DesignProblem& p) {
                             p.goals = {mv::DesignGoal{GoalKind::Lead, 0.03, 1},
                                        mv::DesignGoal{GoalKind::Lead, 0.05, 1}};
                         }),
                         "goal lead given twice"));
    EXPECT_TRUE(Contains(problem([](DesignProblem& p) {
                             p.goals = {mv::DesignGoal{GoalKind::CutoffBalance, 0, NAN}};
                         }),
                         "weight"));
    EXPECT_TRUE(Contains(problem([](DesignProblem& p) { p.maxEvaluations = 0; }), "evaluations"));
    EXPECT_TRUE(Contains(problem([](DesignProblem& p) { p.subproblemShare = 1.5; }), "share"));
    EXPECT_TRUE(Contains(problem([](DesignProblem& p) { p.subproblemShare = NAN; }), "share"));
}

TEST(DesignGoalText, ParsesNamesTargetsAndWeights) {
    std::string error;
    const auto lead = mv::ParseGoal("lead=0.03@2.5", error);
    ASSERT_TRUE(lead) << error;
    EXPECT_EQ(lead->kind, GoalKind::Lead);
    EXPECT_EQ(lead->target, 0.03);
    EXPECT_EQ(lead->weight, 2.5);
    const auto balance = mv::ParseGoal("compression-balance", error);
    ASSERT_TRUE(balance);
    EXPECT_EQ(balance->kind, GoalKind::CompressionBalance);
    EXPECT_EQ(balance->weight, 1.0);
    ASSERT_TRUE(mv::ParseGoal("full-gear-cutoff=75", error));

    for (const char* bad : {"", "cutoff", "lead", "lead=", "lead=x", "cutoff-balance=1",
                            "cutoff-balance@", "cutoff-balance@-1", "lead=nan", "lead=0.03@inf"}) {
        error.clear();
        EXPECT_FALSE(mv::ParseGoal(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

// Varying the preset list within its default limits for cutoff-balance at the quarter notches in
// both directions, equally weighted, with limits that never bind: the largest front/rear cut-off
// difference falls by at least 70 % within 400 evaluations, with no geometry error and every
// event still present.
TEST(DesignSearch, BalancesTheNominalGearsCutoffs) {
    const mv::Gear g = Nominal();
    DesignProblem p;
    p.rows = {mv::RowBasis::Notches, {0.25f, 0.5f, 0.75f, 1.0f}, mv::Directions::Both};
    p.reverseWeight = 1;
    p.limits.minLead = -1;
    p.limits.fullGearDrop = 100;
    for (mv::DimensionId id : mv::DesignPresetDimensions())
        p.vary.push_back(mv::DefaultLimits(g, id));
    ASSERT_EQ(mv::ValidateProblem(g, p), "");
    const mv::DesignResult r = mv::RunDesignSearch(g, p);
    ASSERT_TRUE(r.improved);
    EXPECT_LE(r.evaluations, 400);
    const auto before = mv::LargestCutoffDifference(r.start.rows);
    const auto after = mv::LargestCutoffDifference(r.best.rows);
    ASSERT_TRUE(before && after);
    EXPECT_LE(*after, 0.3f * *before) << *before << " -> " << *after;
    // Every event of the start is still there and nothing was clamped.
    const mv::DesignEvaluation again = mv::EvaluateDesign(
        mv::WithDimensions(g, mv::ChangedDimensions(p, r)), p, &r.start, &r.limits);
    EXPECT_TRUE(again.feasible) << again.problem;
    EXPECT_EQ(again.objective, r.best.objective);
}

}  // namespace
