// Sensitivity of the valve events: derivatives against difference quotients taken by hand and
// against the closed-form lead, absent derivatives, the ranking and the work it takes.
#include "analysis/sensitivity.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/parallel.hpp"
#include "model/dimensions.hpp"

namespace {

using mv::DimensionId;
using mv::Directions;
using mv::StudyEvent;
using mv::SweepDirection;

constexpr int kAdm = static_cast<int>(StudyEvent::Admission);
constexpr int kCut = static_cast<int>(StudyEvent::Cutoff);
constexpr int kRel = static_cast<int>(StudyEvent::Release);
constexpr int kLead = static_cast<int>(StudyEvent::Lead);

mv::Model DefaultGear() {
    mv::Model m;
    mv::StartUp(m);
    return m;
}

// The events of the gear with one dimension changed, at a notch, as a user would check them.
mv::EventRow RowWith(const mv::Gear& g, DimensionId id, float value, float notch) {
    const mv::DimensionValue c{id, value};
    const mv::Gear copy = mv::WithDimensions(g, std::span<const mv::DimensionValue>(&c, 1));
    return mv::ComputeEventRow(copy, mv::NotchSetting(copy, notch, SweepDirection::Forward),
                               SweepDirection::Forward);
}

TEST(Sensitivity, AgreesWithADifferenceQuotientOverAWiderStep) {
    const mv::Model m = DefaultGear();
    const std::vector<DimensionId> ids = {6, 8, 18};
    const float notches[] = {0.5f};
    const mv::SensitivityResult r = mv::ComputeSensitivity(m, ids, notches, Directions::Forward);
    ASSERT_EQ(r.rows.size(), 3u);
    for (const mv::DimensionSensitivity& s : r.rows) {
        ASSERT_EQ(s.cells.size(), 1u);
        // Twice the step the study takes: a derivative, not noise, agrees within a percent.
        const float h = 2 * s.step;
        const mv::EventRow lo = RowWith(m, s.id, s.value - h, 0.5f);
        const mv::EventRow hi = RowWith(m, s.id, s.value + h, 0.5f);
        for (int e : {kAdm, kCut, kRel}) {
            const auto a = mv::StudyEventValue(lo.front, static_cast<StudyEvent>(e));
            const auto b = mv::StudyEventValue(hi.front, static_cast<StudyEvent>(e));
            ASSERT_TRUE(a && b && s.cells[0].front.d[e]) << s.id << " event " << e;
            const double quotient = (double(*b) - *a) / (2.0 * h);
            EXPECT_NEAR(*s.cells[0].front.d[e], quotient, 0.01 * std::fabs(quotient) + 0.05)
                << s.id << " event " << e;
        }
    }
}

TEST(Sensitivity, LeadFollowsTheValveDimensionsExactly) {
    // Lead = steam edge - valve displacement at the dead centre: the valve's front half, the
    // valve stem and the cylinder position move it one for one, the first at one end only.
    const mv::Model m = DefaultGear();
    const std::vector<DimensionId> ids = {119, 122, 101};
    const float notches[] = {0.75f};
    const mv::SensitivityResult r = mv::ComputeSensitivity(m, ids, notches, Directions::Forward);
    const double front[] = {-1, -1, 1};
    const double rear[] = {0, 1, -1};
    for (std::size_t k = 0; k < ids.size(); ++k) {
        const mv::DerivativeCell& c = r.rows[k].cells.at(0);
        ASSERT_TRUE(c.front.d[kLead] && c.rear.d[kLead]) << ids[k];
        EXPECT_NEAR(*c.front.d[kLead], front[k], 1e-3) << ids[k];
        EXPECT_NEAR(*c.rear.d[kLead], rear[k], 1e-3) << ids[k];
    }
    EXPECT_LT(*r.rows[0].cells[0].front.d[kCut], 0.0);  // more lap, earlier cut-off
    EXPECT_EQ(*r.rows[0].cells[0].rear.d[kCut], 0.0);
}

TEST(Sensitivity, DimensionsThatCannotMoveTheEventsRankLastWithZero) {
    const mv::Model m = DefaultGear();
    // Driver diameter, "Rev Arm to Cent Norm" and the bore: nothing the valve does depends on
    // them. Every other id here does move the cut-offs.
    const std::vector<DimensionId> ids = {1, 6, 26, 8, 103};
    const float notches[] = {0.5f, 1.0f};
    const mv::SensitivityResult r = mv::ComputeSensitivity(m, ids, notches, Directions::Both);
    // The work is exactly two event rows per dimension, notch and direction.
    EXPECT_EQ(r.eventRows, 2u * ids.size() * 2 * 2);
    EXPECT_FALSE(r.cancelled);
    {
        // Each copy is computed alone: one thread gives the same text, digit for digit.
        const mv::ParallelismLimit single(1);
        EXPECT_EQ(mv::SensitivityJson(mv::ComputeSensitivity(m, ids, notches, Directions::Both)),
                  mv::SensitivityJson(r));
    }
    for (const mv::DimensionSensitivity& s : r.rows) {
        ASSERT_EQ(s.cells.size(), 4u);
        const bool none = s.id == 1 || s.id == 26 || s.id == 103;
        for (const mv::DerivativeCell& c : s.cells) {
            for (const auto* e : {&c.front, &c.rear}) {
                for (const auto& d : e->d) {
                    ASSERT_TRUE(d) << s.id;
                    if (none) {
                        EXPECT_EQ(*d, 0.0) << s.id;
                    }
                }
            }
        }
        ASSERT_TRUE(s.score);
        EXPECT_EQ(*s.score == 0.0, none) << s.id;
    }
    std::vector<DimensionId> order;
    for (const mv::RankEntry& e : r.ranking) order.push_back(e.id);
    EXPECT_EQ(order, (std::vector<DimensionId>{8, 6, 1, 26, 103}));
    EXPECT_GE(*r.ranking[0].score, *r.ranking[1].score);
}

TEST(Sensitivity, IsAbsentAcrossAVanishingEventOrAGeometryError) {
    mv::Model m = DefaultGear();
    const float notches[] = {0.25f};
    const mv::EventRow base = RowWith(m, 119, m.cyl.valveFrontHalf, 0.25f);
    ASSERT_TRUE(base.front.maxSteam);
    // Lengthen the front valve half until the front port opens by less than the step: on one
    // side of the step it never opens, so admission and cut-off vanish; the lead does not.
    const float vf = m.cyl.valveFrontHalf + *base.front.maxSteam - 0.0002f;
    mv::StoreDimension(m, 119, vf);
    ASSERT_GT(mv::SensitivityStep(m, 119), 0.0002f);
    const DimensionId ids[] = {119, 1};
    mv::SensitivityResult r = mv::ComputeSensitivity(m, ids, notches, Directions::Forward);
    const mv::DerivativeCell& c = r.rows.at(0).cells.at(0);
    EXPECT_FALSE(c.front.d[kAdm]);
    EXPECT_FALSE(c.front.d[kCut]);
    EXPECT_TRUE(c.front.d[kLead]);
    EXPECT_TRUE(c.rear.d[kCut]);
    // Without a front cut-off there is no imbalance to score: ranked after a zero.
    EXPECT_FALSE(r.rows[0].score);
    EXPECT_EQ(r.ranking.at(0).id, 1u);
    EXPECT_FALSE(r.ranking.at(1).score);

    // A main rod shorter than the crank throw: every row is clamped and nothing is a number.
    mv::Model bad = DefaultGear();
    mv::StoreDimension(bad, 3, 1.0f);
    const DimensionId six[] = {6};
    r = mv::ComputeSensitivity(bad, six, notches, Directions::Forward);
    for (const auto* e : {&r.rows[0].cells.at(0).front, &r.rows[0].cells.at(0).rear})
        for (const auto& d : e->d) EXPECT_FALSE(d);
    EXPECT_FALSE(r.rows[0].score);
}

TEST(Sensitivity, StepIsRelativeWithAFloorFromTheStroke) {
    const mv::Model m = DefaultGear();
    EXPECT_FLOAT_EQ(mv::SensitivityStep(m, 6), 0.001f * 8.47f);
    EXPECT_FLOAT_EQ(mv::SensitivityStep(m, 16), 0.0001f * 3.0f);  // backset 0
    EXPECT_FLOAT_EQ(mv::SensitivityStep(m, 25), 0.001f);          // offset angle 0 degrees
    EXPECT_EQ(mv::SensitivityStep(m, 99), 0.0f);
    EXPECT_EQ(mv::AllDimensionIds().size(), 49u);
}

TEST(Sensitivity, ReportsProgressAndStopsWhenCancelled) {
    const mv::Model m = DefaultGear();
    const DimensionId ids[] = {6};
    const float notches[] = {0.5f};
    std::atomic<std::size_t> last{0}, total{0};
    mv::StudyControl control;
    control.progress = [&](std::size_t done, std::size_t all) {
        std::size_t seen = last.load();
        while (done > seen && !last.compare_exchange_weak(seen, done)) {
        }
        total = all;
    };
    mv::SensitivityResult r = mv::ComputeSensitivity(m, ids, notches, Directions::Both, control);
    EXPECT_EQ(last.load(), 2u);
    EXPECT_EQ(total.load(), 2u);

    std::atomic<bool> cancel{true};
    control.cancel = &cancel;
    r = mv::ComputeSensitivity(m, ids, notches, Directions::Both, control);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.eventRows, 0u);
}

TEST(Sensitivity, TopIdsForADesignSearchLeaveOutTheNotchDimensionsAndTheIneffective) {
    const mv::Model m = DefaultGear();
    const float notches[] = {0.5f};
    const std::vector<DimensionId> top =
        mv::TopCutoffImbalanceIds(m, 100, notches, Directions::Forward);
    EXPECT_LT(top.size(), 47u);
    EXPECT_GT(top.size(), 20u);
    for (DimensionId id : {1u, 26u, 27u, 103u, 120u})
        EXPECT_EQ(std::count(top.begin(), top.end(), id), 0) << id;
    const std::vector<DimensionId> three =
        mv::TopCutoffImbalanceIds(m, 3, notches, Directions::Forward);
    EXPECT_EQ(three, std::vector<DimensionId>(top.begin(), top.begin() + 3));
}

}  // namespace

namespace {

TEST(StudyNotches, AreKnownByTheTextTheyArePrintedWith) {
    std::vector<float> notches;
    std::string error;
    // Two floats, two texts: both are kept, each with a key of its own.
    ASSERT_TRUE(mv::ParseNotchList("0.1, 0.10000001", notches, error)) << error;
    ASSERT_EQ(notches.size(), 2u);
    EXPECT_EQ(mv::NotchText(notches[0]), "0.1");
    EXPECT_EQ(mv::NotchText(notches[1]), "0.10000001");
    // Texts that are one float are one notch, -0 included.
    for (const char* twice : {"0.1,0.1000000001", "0,-0", "0.5, 5e-1"}) {
        EXPECT_FALSE(mv::ParseNotchList(twice, notches, error)) << twice;
        EXPECT_NE(error.find("given twice"), std::string::npos) << twice << ": " << error;
    }

    const mv::Model m = DefaultGear();
    ASSERT_TRUE(mv::ParseNotchList("0.1,0.10000001", notches, error));
    const DimensionId ids[] = {6};
    const std::string json =
        mv::SensitivityJson(mv::ComputeSensitivity(m, ids, notches, Directions::Forward));
    std::size_t keys = 0;
    for (std::size_t at = json.find("\"0.1\":"); at != std::string::npos;
         at = json.find("\"0.1\":", at + 1))
        ++keys;
    EXPECT_EQ(keys, 1u) << json;
    EXPECT_NE(json.find("\"0.10000001\":{"), std::string::npos);
    // The value as the shortest text of its float, as every other command prints it.
    EXPECT_NE(json.find("\"value\":8.47,"), std::string::npos) << json;
}

}  // namespace
