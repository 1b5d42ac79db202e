// Rows at chosen cut-offs: the mean cut-off is hit within 0.01 points on the nominal gear and on
// gears with dimensions moved at random, a cut-off out of reach gives a row without events and
// the reason, and the list of cut-offs is read as typed.
#include "analysis/cutoff_rows.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "analysis/design_objective.hpp"
#include "model/dimensions.hpp"
#include "model/model.hpp"

namespace {

using mv::SweepDirection;

mv::Gear Nominal() {
    mv::Model m;
    mv::StartUp(m);
    return m;
}

// Every placed row: its mean cut-off within 0.01 of the one asked for, at the setting its notch
// names, between mid gear and full gear.
void ExpectPlaced(const mv::Gear& g, const std::vector<mv::NotchRow>& rows, const char* what) {
    for (const mv::NotchRow& r : rows) {
        ASSERT_TRUE(r.cutoff);
        if (!r.Reachable()) continue;
        const std::optional<float> mean = mv::MeanCutoff(r.events);
        ASSERT_TRUE(mean) << what << " " << *r.cutoff;
        EXPECT_NEAR(*mean, *r.cutoff, mv::kCutoffTolerance) << what << " " << mv::RowText(r);
        EXPECT_GE(r.notch, 0.0f);
        EXPECT_LE(r.notch, 1.0f);
        EXPECT_EQ(r.events.revArm, mv::NotchSetting(g, r.notch, r.direction)) << what;
        EXPECT_EQ(r.events.direction, r.direction);
    }
}

TEST(CutoffRows, HitTheMeanCutoffOfTheNominalGearInBothDirections) {
    const mv::Gear g = Nominal();
    const std::vector<float> cutoffs = {15, 25, 40, 60};
    const std::vector<mv::NotchRow> rows = mv::CutoffRows(g, cutoffs, mv::Directions::Both);
    ASSERT_EQ(rows.size(), 8u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_TRUE(rows[i].Reachable()) << rows[i].unreachable;
        EXPECT_EQ(rows[i].direction, i < 4 ? SweepDirection::Forward : SweepDirection::Reverse);
        EXPECT_EQ(*rows[i].cutoff, cutoffs[i % 4]);
    }
    ExpectPlaced(g, rows, "nominal");
    // A later cut-off needs more of the lever's travel.
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_GT(rows[i].notch, rows[i - 1].notch);
        EXPECT_GT(rows[4 + i].notch, rows[4 + i - 1].notch);
    }
}

TEST(CutoffRows, HitTheMeanCutoffOnGearsMovedAtRandom) {
    const mv::Gear g = Nominal();
    std::mt19937 rng(29);
    std::uniform_real_distribution<float> factor(0.97f, 1.03f);
    const std::vector<float> cutoffs = {10, 20, 35, 50, 70};
    int placed = 0;
    for (int k = 0; k < 12; ++k) {
        std::vector<mv::DimensionValue> changes;
        for (mv::DimensionId id : mv::DesignPresetDimensions())
            changes.push_back({id, mv::GetDimension(g, id) * factor(rng)});
        const mv::Gear moved = mv::WithDimensions(g, changes);
        const auto rows = mv::CutoffRows(moved, cutoffs, mv::Directions::Both);
        ExpectPlaced(moved, rows, ("gear " + std::to_string(k)).c_str());
        for (const mv::NotchRow& r : rows) {
            placed += r.Reachable();
            if (r.Reachable() || r.unreachable.find("out of reach") == std::string::npos) continue;
            // Left out only when it truly lies beyond what the gear reaches.
            const mv::CutoffRange range = mv::ReachedCutoffs(moved, r.direction);
            ASSERT_TRUE(range.low && range.high);
            EXPECT_TRUE(*r.cutoff < *range.low || *r.cutoff > *range.high) << r.unreachable;
        }
    }
    EXPECT_GT(placed, 12 * 10 * 3 / 4);
}

TEST(CutoffRows, ACutoffOutOfReachHasNoEventsAndSaysWhy) {
    // A short lever travel: full gear cuts off well before 15 %.
    const mv::Gear g = mv::WithDimensions(Nominal(), {{{27, 0.15f}}});
    const mv::CutoffRange fwd = mv::ReachedCutoffs(g, SweepDirection::Forward);
    ASSERT_TRUE(fwd.low && fwd.high);
    ASSERT_LT(*fwd.high, 15.0f);

    const std::vector<float> cutoffs = {5, 15, 60};
    const auto rows = mv::CutoffRows(g, cutoffs, mv::Directions::Forward);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].Reachable()) << rows[0].unreachable;
    ExpectPlaced(g, rows, "short lever");
    for (std::size_t i : {1u, 2u}) {
        const mv::NotchRow& r = rows[i];
        EXPECT_FALSE(r.Reachable());
        EXPECT_NE(r.unreachable.find("out of reach"), std::string::npos) << r.unreachable;
        EXPECT_NE(r.unreachable.find("forward"), std::string::npos) << r.unreachable;
        EXPECT_FALSE(r.events.front.cutoff || r.events.rear.cutoff || r.events.travel);
        EXPECT_NEAR(r.reachShortfall, *r.cutoff - *fwd.high, 0.01f);
    }

    // The default cut-offs: those the gear cannot reach are left out of a search, and named;
    // a direction that reaches none keeps them all, so that the search says so.
    mv::DesignProblem p;
    p.rows.directions = mv::Directions::Forward;
    EXPECT_TRUE(mv::LeaveOutUnreachableRows(g, p).empty());
    EXPECT_TRUE(p.leftOut.empty());
    const mv::Gear longer = mv::WithDimensions(Nominal(), {{{27, 0.3f}}});
    const std::vector<mv::NotchRow> dropped = mv::LeaveOutUnreachableRows(longer, p);
    ASSERT_EQ(dropped.size(), 3u);
    ASSERT_EQ(p.leftOut.size(), 3u);
    EXPECT_EQ(p.leftOut[0].value, 25.0f);
    EXPECT_FALSE(dropped[0].unreachable.empty());
    p.vary = {mv::DefaultLimits(longer, 5)};
    EXPECT_EQ(mv::ValidateProblem(longer, p), "");
    p.rows.values = {25, 40, 60};  // all left out
    EXPECT_EQ(mv::ValidateProblem(longer, p), "every row is left out");
    mv::DesignProblem nominal;
    EXPECT_TRUE(mv::LeaveOutUnreachableRows(Nominal(), nominal).empty());
    EXPECT_TRUE(nominal.leftOut.empty());
}

TEST(CutoffRows, TheListIsReadAsTyped) {
    std::vector<float> out;
    std::string error;
    ASSERT_TRUE(mv::ParseCutoffList(" 15, 25 ,40,62.5", out, error)) << error;
    EXPECT_EQ(out, (std::vector<float>{15, 25, 40, 62.5f}));
    for (const char* bad : {"", "15,", "0", "100", "-5", "15,15", "x", "nan", "1e3"}) {
        error.clear();
        EXPECT_FALSE(mv::ParseCutoffList(bad, out, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    EXPECT_EQ(mv::CutoffText(12.5f), "12.5");
    EXPECT_EQ(mv::CutoffText(25.0f), "25");
}

}  // namespace
