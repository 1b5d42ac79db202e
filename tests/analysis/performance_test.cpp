// The ideal indicator card: the worked case of docs/steam.md, the card's polygon against its
// work, the rod, absent and degenerate events, and the text forms.
#include "analysis/performance.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "model/model.hpp"

namespace {

using mv::EndEvents;
using mv::SteamConditions;

EndEvents Events(float a, float c, float r, float k, float lead = 0.01f) {
    EndEvents e;
    e.admission = a;
    e.cutoff = c;
    e.release = r;
    e.compression = k;
    e.lead = lead;
    return e;
}

// Swept volume 10, clearance 1, P 100, B 10.
SteamConditions Worked() {
    SteamConditions s;
    s.pressure = 100;
    s.backPressure = 10;
    s.clearance = 10;
    return s;
}
constexpr mv::EndCylinder kWorkedCylinder{5, 2};

// The card's enclosed area: the line integral of p dV round the closed polygon.
double Area(const std::vector<mv::CardPoint>& card) {
    double area = 0;
    for (std::size_t i = 0; i + 1 < card.size(); ++i)
        area += (double(card[i + 1][0]) - card[i][0]) * (double(card[i][1]) + card[i + 1][1]) / 2;
    return area;
}

mv::Model DefaultGear() {
    mv::Model m;
    mv::StartUp(m);
    return m;
}

TEST(IndicatorCard, WorkedCaseByHand) {
    // V(a) 1, V(c) 5, V(r) 10, V(k) 3: 400 + 500 ln 2 - 70 - 30 ln 3.
    const mv::EndPerformance e = mv::EndCard(Events(0, 40, 90, 20), kWorkedCylinder, Worked());
    ASSERT_TRUE(e.work && e.mep) << e.reason;
    const double work = 400 + 500 * std::log(2.0) - 70 - 30 * std::log(3.0);
    EXPECT_NEAR(*e.work, work, 1e-3);
    EXPECT_NEAR(*e.work, 643.615, 1e-3);
    EXPECT_NEAR(*e.mep, work / 10, 1e-4);
    EXPECT_EQ(e.reason, nullptr);
}

TEST(IndicatorCard, PolygonEnclosesTheWork) {
    const std::vector<mv::CardPoint> card =
        mv::CardPolygon(Events(0, 40, 90, 20), kWorkedCylinder, Worked(), 200);
    ASSERT_FALSE(card.empty());
    EXPECT_EQ(card.front(), card.back()) << "closed, from admission round to admission";
    EXPECT_EQ(card.front(), (mv::CardPoint{1, 100}));
    const float work = *mv::EndCard(Events(0, 40, 90, 20), kWorkedCylinder, Worked()).work;
    EXPECT_NEAR(Area(card), work, 0.005 * work);

    // Every card of the default table, including mid gear, where admission begins well before
    // the dead centre and the cut-off lies earlier in the stroke than the admission.
    const mv::Model m = DefaultGear();
    const std::vector<mv::EventRow> events = mv::ComputeDefaultEventTable(m);
    const std::vector<mv::PerformanceRow> rows =
        mv::PerformanceRows(m, events, SteamConditions{}, 200);
    ASSERT_EQ(rows.size(), 38u);
    EXPECT_GT(*events[0].front.admission, *events[0].front.cutoff);
    for (const mv::PerformanceRow& r : rows) {
        ASSERT_TRUE(r.front.work && r.rear.work) << mv::PerformanceReasonText(r);
        const double scale = std::fabs(*r.front.work) + std::fabs(*r.rear.work);
        EXPECT_NEAR(Area(r.frontCard), *r.front.work, 0.005 * scale) << *r.notch;
        EXPECT_NEAR(Area(r.rearCard), *r.rear.work, 0.005 * scale) << *r.notch;
    }

    // Admission after the dead centre: the compression runs into the dead centre and out again,
    // even past the admission's place in the stroke.
    const EndEvents late = Events(3, 40, 90, 2, -0.01f);
    const mv::EndPerformance e = mv::EndCard(late, kWorkedCylinder, Worked());
    ASSERT_TRUE(e.work) << e.reason;
    const std::vector<mv::CardPoint> via = mv::CardPolygon(late, kWorkedCylinder, Worked(), 200);
    EXPECT_NEAR(Area(via), *e.work, 0.005 * *e.work);
    EXPECT_NE(std::find(via.begin(), via.end(), mv::CardPoint{1, 12}), via.end());
}

TEST(IndicatorCard, RodReducesOnlyTheRearEnd) {
    const mv::Model m = DefaultGear();
    const mv::EventRow row = mv::ComputeEventRow(m, m.revArmPositions[0] + 0.5f * m.frame.revArmMax,
                                                 mv::SweepDirection::Forward);
    SteamConditions s;
    const mv::PerformanceRow plain = mv::RowPerformance(m, row, s);
    s.rodDia = 0.5f;
    const mv::PerformanceRow rod = mv::RowPerformance(m, row, s);
    EXPECT_EQ(*rod.front.work, *plain.front.work);
    // Work scales with the piston area; the mean effective pressure does not.
    const double d = m.cyl.boreDia;
    EXPECT_NEAR(*rod.rear.work / *plain.rear.work, (d * d - 0.25) / (d * d), 1e-5);
    EXPECT_NEAR(*rod.rear.mep, *plain.rear.mep, 1e-3);
    EXPECT_LT(*rod.workPerTurn, *plain.workPerTurn);

    s.rodDia = m.cyl.boreDia;
    const mv::PerformanceRow wide = mv::RowPerformance(m, row, s);
    EXPECT_TRUE(wide.front.work);
    EXPECT_FALSE(wide.rear.work || wide.rear.mep || wide.workPerTurn || wide.workImbalance);
    EXPECT_STREQ(wide.rear.reason, "the piston rod is as wide as the bore");
}

TEST(IndicatorCard, RowTotals) {
    // The row of docs/steam.md: both ends with a piston area of 5 and a stroke of 2, three
    // cylinders, drivers of 7.
    mv::Model m = DefaultGear();
    m.cyl.boreDia = static_cast<float>(std::sqrt(20 / std::numbers::pi));
    m.frame.stroke = 2;
    mv::EventRow row;
    row.front = Events(0, 40, 90, 20);
    row.rear = Events(0, 30, 90, 20);
    SteamConditions s = Worked();
    s.cylinders = 3;
    const mv::PerformanceRow r = mv::RowPerformance(m, row, s);
    ASSERT_TRUE(r.workPerTurn && r.tractiveEffort && r.workImbalance) << r.reason;
    EXPECT_NEAR(*r.front.work, 643.615, 1e-3 * 643);
    EXPECT_NEAR(*r.rear.work, 563.558, 1e-3 * 563);
    EXPECT_NEAR(*r.workPerTurn, 3621.52, 1e-3 * 3621);
    EXPECT_NEAR(*r.tractiveEffort, 164.681, 1e-3 * 164);
    EXPECT_NEAR(*r.workImbalance, 13.2636, 1e-3);
    // Exactly the formulas on the ends' figures.
    const double f = *r.front.work, b = *r.rear.work;
    EXPECT_FLOAT_EQ(*r.workPerTurn, static_cast<float>(3 * (f + b)));
    EXPECT_FLOAT_EQ(*r.workImbalance, static_cast<float>(100 * (f - b) / ((f + b) / 2)));
    EXPECT_EQ(mv::WorkImbalance(m, row, s), r.workImbalance);

    m.frame.driverDia = 0;
    const mv::PerformanceRow still = mv::RowPerformance(m, row, s);
    EXPECT_TRUE(still.workPerTurn && still.workImbalance);
    EXPECT_FALSE(still.tractiveEffort);
    EXPECT_STREQ(still.reason, "the driver diameter is not above 0");
}

TEST(IndicatorCard, AbsentAndDegenerateEventsGiveNullsWithAReason) {
    struct Case {
        EndEvents events;
        const char* reason;
    };
    EndEvents noCutoff = Events(0, 40, 90, 20);
    noCutoff.cutoff.reset();
    const Case cases[] = {
        {noCutoff, "no cut-off"},
        {Events(0, 40, 30, 20), "release before cut-off"},
        {Events(10, 5, 90, 20, -0.01f), "cut-off before admission"},
        {Events(5, 40, 90, 3), "compression after admission"},
        {Events(0, 40, 101, 20), "an event outside the stroke"},
        {Events(NAN, 40, 90, 20), "an event outside the stroke"},
    };
    for (const Case& c : cases) {
        const mv::EndPerformance e = mv::EndCard(c.events, kWorkedCylinder, Worked());
        EXPECT_FALSE(e.work || e.mep) << c.reason;
        EXPECT_STREQ(e.reason, c.reason);
        EXPECT_TRUE(mv::CardPolygon(c.events, kWorkedCylinder, Worked(), 50).empty());
    }
    // Events at the dead centres are sound: V = Vc at admission, the whole cylinder at release.
    EXPECT_TRUE(mv::EndCard(Events(0, 0, 100, 0), kWorkedCylinder, Worked()).work);

    // An absent end empties the row's totals, and no text form shows a number for them.
    const mv::Model m = DefaultGear();
    mv::EventRow row;
    row.front = Events(0, 40, 90, 20);
    row.rear = noCutoff;
    const mv::PerformanceRow r = mv::RowPerformance(m, row, Worked());
    EXPECT_FALSE(r.workPerTurn || r.tractiveEffort || r.workImbalance);
    EXPECT_STREQ(r.reason, "the rear end has no card");
    EXPECT_EQ(mv::PerformanceReasonText(r), "rear: no cut-off");
    const std::string json = mv::PerformanceJson(Worked(), std::vector{r}, true);
    EXPECT_NE(json.find("\"rear\":{\"work\":null,\"mep\":null,\"card\":null,\"reason\":"
                        "\"no cut-off\"}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"work_per_turn\":null"), std::string::npos);
}

TEST(IndicatorCard, NothingOutOfRangeReachesTheFigures) {
    mv::Model m = DefaultGear();
    const mv::EventRow row = mv::ComputeEventRow(m, m.revArmPositions[0] + m.frame.revArmMax,
                                                 mv::SweepDirection::Forward);
    // Conditions no card can have.
    for (auto bad : {+[](SteamConditions& s) { s.backPressure = 0; },
                     +[](SteamConditions& s) { s.pressure = s.backPressure; },
                     +[](SteamConditions& s) { s.clearance = 0; },
                     +[](SteamConditions& s) { s.clearance = 100.5f; },
                     +[](SteamConditions& s) { s.cylinders = 0; },
                     +[](SteamConditions& s) { s.pressure = INFINITY; }}) {
        SteamConditions s;
        bad(s);
        ASSERT_NE(mv::SteamConditionsProblem(s), nullptr);
        const mv::PerformanceRow r = mv::RowPerformance(m, row, s);
        EXPECT_FALSE(r.front.work || r.rear.work || r.workPerTurn);
        EXPECT_STREQ(r.front.reason, mv::SteamConditionsProblem(s));
    }
    // A clearance of the whole swept volume is allowed.
    SteamConditions whole;
    whole.clearance = 100;
    EXPECT_TRUE(mv::RowPerformance(m, row, whole).workPerTurn);

    // Figures beyond a float are absent, never inf.
    m.cyl.boreDia = 1e30f;
    const mv::PerformanceRow huge = mv::RowPerformance(m, row, SteamConditions{});
    EXPECT_FALSE(huge.front.work);
    EXPECT_FALSE(huge.front.mep);
    m.cyl.boreDia = 0;
    EXPECT_STREQ(mv::RowPerformance(m, row, SteamConditions{}).front.reason,
                 "the bore is not above 0");
    const std::string text = mv::PerformanceJson(SteamConditions{}, std::vector{huge}, true) +
                             mv::PerformanceDelimited(std::vector{huge}, ',');
    EXPECT_EQ(text.find("inf"), std::string::npos) << text;
    EXPECT_EQ(text.find("nan"), std::string::npos) << text;
}

TEST(IndicatorCard, PositionRowsFollowTheDiagramPositions) {
    mv::Model m = DefaultGear();
    const float mid = m.revArmPositions[0];
    m.revArmPositions[1] = mid;
    m.revArmPositions[2] = mid + 0.5f;
    m.revArmPositions[3] = mid - 0.5f;
    m.revArmPositionCount = 3;
    const std::vector<mv::EventRow> rows = mv::PositionEventRows(m);
    ASSERT_EQ(rows.size(), 3u);
    // Mid gear runs forward; behind it, reverse; each row as the event table computes it.
    const mv::SweepDirection dirs[] = {mv::SweepDirection::Forward, mv::SweepDirection::Forward,
                                       mv::SweepDirection::Reverse};
    for (int k = 0; k < 3; ++k) {
        const mv::EventRow one = mv::ComputeEventRow(m, m.revArmPositions[k + 1], dirs[k]);
        EXPECT_EQ(rows[k].direction, dirs[k]);
        EXPECT_EQ(rows[k].revArm, m.revArmPositions[k + 1]);
        EXPECT_EQ(rows[k].front.cutoff, one.front.cutoff);
        EXPECT_EQ(rows[k].rear.release, one.rear.release);
    }
    m.revArmPositionCount = 0;
    EXPECT_TRUE(mv::PositionEventRows(m).empty());
}

TEST(IndicatorCard, TextFormsShareTheColumns) {
    const mv::Model m = DefaultGear();
    const std::vector<mv::EventRow> events = mv::ComputeDefaultEventTable(m, 2);
    const std::vector<mv::PerformanceRow> rows = mv::PerformanceRows(m, events, SteamConditions{});
    const std::string csv = mv::PerformanceDelimited(rows, ',');
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "direction,notch,revarm,front_work,front_mep,rear_work,rear_mep,work_per_turn,"
              "tractive_effort,work_imbalance,geometry_error,reason");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 5);
    const std::string table = mv::PerformanceTableText(rows);
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 5);
    // Five significant figures whatever the unit.
    mv::PerformanceRow r;
    r.front.work = 643.6153f;
    r.rear.work = 0.000123456f;
    EXPECT_EQ(mv::PerformanceCellText(mv::PerformanceColumns()[3], r), "643.62");
    EXPECT_EQ(mv::PerformanceCellText(mv::PerformanceColumns()[5], r), "0.00012346");
    EXPECT_EQ(mv::PerformanceCellText(mv::PerformanceColumns()[4], r), "\u2014");
}

}  // namespace
