// A gear scaled to another size: the events in per cent stay, the lengths follow the factor, bad
// factors are refused, and in the window the scale is one step that UnDo takes back whole.
#include "analysis/scale_gear.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <span>
#include <vector>

#include "analysis/design_objective.hpp"
#include "analysis/event_table.hpp"
#include "model/dimensions.hpp"
#include "model/edits.hpp"
#include "model/solver.hpp"

namespace {

mv::Gear Nominal() {
    mv::Model m;
    mv::StartUp(m);
    return m;
}

// The default gear with every length moved at random by up to 4 %, kept only if it solves
// without a clamp from mid gear to full gear.
std::vector<mv::Gear> RandomGears(int count) {
    std::mt19937 rng(20260525);
    std::uniform_real_distribution<float> change(0.96f, 1.04f);
    std::vector<mv::Gear> out;
    const mv::Gear base = Nominal();
    while (static_cast<int>(out.size()) < count) {
        std::vector<mv::DimensionValue> c;
        for (const mv::DimensionValue& d : mv::ScaledDimensions(base, 1.0))
            c.push_back({d.id, d.value * change(rng)});
        mv::Gear g = mv::WithDimensions(base, c);
        g.gear.errorBeep = true;
        bool sound = true;
        const std::vector<float> notches = {0, 0.5f, 1};
        for (const mv::NotchRow& r : mv::NotchRows(g, notches, mv::Directions::Both))
            sound = sound && !r.events.geometryError;
        if (sound) out.push_back(g);
    }
    return out;
}

void ExpectSameEventsScaled(const mv::Gear& a, const mv::Gear& b, double k, double points) {
    const std::vector<float> notches = {0, 0.25f, 0.5f, 0.75f, 1};
    const auto ra = mv::NotchRows(a, notches, mv::Directions::Both);
    const auto rb = mv::NotchRows(b, notches, mv::Directions::Both);
    ASSERT_EQ(ra.size(), rb.size());
    const double lengthTol = 1e-5 * a.frame.stroke * k;
    auto percent = [points](const std::optional<float>& x, const std::optional<float>& y,
                            const char* what, const mv::NotchRow& r) {
        ASSERT_EQ(x.has_value(), y.has_value()) << what << " " << mv::RowText(r);
        if (x) {
            EXPECT_NEAR(*x, *y, points) << what << " " << mv::RowText(r);
        }
    };
    auto length = [&](const std::optional<float>& x, const std::optional<float>& y,
                      const char* what, const mv::NotchRow& r) {
        ASSERT_EQ(x.has_value(), y.has_value()) << what << " " << mv::RowText(r);
        if (x) {
            EXPECT_NEAR(*x * k, *y, lengthTol) << what << " " << mv::RowText(r);
        }
    };
    for (std::size_t i = 0; i < ra.size(); ++i) {
        const mv::EventRow& x = ra[i].events;
        const mv::EventRow& y = rb[i].events;
        EXPECT_EQ(x.geometryError, y.geometryError);
        length(x.travel, y.travel, "travel", ra[i]);
        for (auto [ex, ey] : {std::pair{&x.front, &y.front}, std::pair{&x.rear, &y.rear}}) {
            percent(ex->admission, ey->admission, "admission", ra[i]);
            percent(ex->cutoff, ey->cutoff, "cut-off", ra[i]);
            percent(ex->release, ey->release, "release", ra[i]);
            percent(ex->compression, ey->compression, "compression", ra[i]);
            length(ex->lead, ey->lead, "lead", ra[i]);
            length(ex->maxSteam, ey->maxSteam, "largest steam opening", ra[i]);
        }
    }
    const mv::ValveThresholds ta = mv::ValveThresholdsOf(a.cyl), tb = mv::ValveThresholdsOf(b.cyl);
    for (auto [x, y] : {std::pair{ta.frontSteamLap, tb.frontSteamLap},
                        std::pair{ta.rearSteamLap, tb.rearSteamLap},
                        std::pair{ta.frontExhaustLap, tb.frontExhaustLap},
                        std::pair{ta.rearExhaustLap, tb.rearExhaustLap}})
        EXPECT_NEAR(x * k, y, lengthTol);
}

// Where the scaled lengths are exactly floats (a power of two), the events agree to 1e-4 points.
TEST(ScaleGear, EventsStayInPerCentAndLengthsFollowTheFactor) {
    const mv::Gear nominal = Nominal();
    const double factors[] = {0.0625, 0.5, 2.0, 8.0, 32.0};
    for (double k : factors) {
        SCOPED_TRACE(k);
        ExpectSameEventsScaled(nominal, mv::ScaledGear(nominal, k), k, 1e-4);
    }
    int i = 0;
    for (const mv::Gear& g : RandomGears(5)) {
        const double k = factors[i++];
        SCOPED_TRACE(k);
        ExpectSameEventsScaled(g, mv::ScaledGear(g, k), k, 1e-4);
    }
}

// Any other factor rounds each scaled length (and mid gear) to the nearest float, and the events
// of a gear move by up to about 1e-3 points when its lengths move by one unit in the last place:
// so much and no more.
TEST(ScaleGear, AnyFactorKeepsTheEventsAsFarAsFloatLengthsAllow) {
    const mv::Gear nominal = Nominal();
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> factor(0.1, 100.0);
    for (int i = 0; i < 4; ++i) {
        const double k = factor(rng);
        SCOPED_TRACE(k);
        ExpectSameEventsScaled(nominal, mv::ScaledGear(nominal, k), k, 3e-3);
    }
}

TEST(ScaleGear, EveryLengthIsMultipliedAndOnlyTheOffsetAngleStays) {
    const mv::DimensionValue offset[] = {{25, 3.5f}};
    const mv::Gear g = mv::WithDimensions(Nominal(), offset);
    const mv::Gear s = mv::ScaledGear(g, 4.0);
    for (std::span<const mv::DimensionInfo> infos :
         {mv::FrameDimensionInfo(), mv::CylinderDimensionInfo()})
        for (const mv::DimensionInfo& d : infos)
            EXPECT_EQ(mv::GetDimension(s, d.id),
                      mv::GetDimension(g, d.id) * (d.id == 25 ? 1.0f : 4.0f))
                << d.id;
    // Both copies of the fixed pivots and the valve-stem line move with them.
    EXPECT_EQ(s.pivots[mv::pv::BellPivot2].x, 4 * g.pivots[mv::pv::BellPivot].x);
    EXPECT_EQ(s.pivots[mv::pv::RevArmPivot2].y, 4 * g.pivots[mv::pv::RevArmPivot].y);
    EXPECT_EQ(s.pivots[mv::pv::ValveJoint].y, 4 * g.pivots[mv::pv::ValveJoint].y);
    EXPECT_NEAR(s.revArmPositions[0], 4 * g.revArmPositions[0], 1e-5);
}

TEST(ScaleGear, FactorsThatAreNotFiniteAndAboveZeroOrLeaveTheRangeAreRefused) {
    const mv::Gear g = Nominal();
    for (double k : {0.0, -1.0, -0.0, std::nan(""), double(INFINITY), -double(INFINITY)})
        EXPECT_NE(mv::ScaleFactorProblem(g, k), "") << k;
    EXPECT_NE(mv::ScaleFactorProblem(g, 1e38), "");
    EXPECT_NE(mv::ScaleFactorProblem(g, 1e-40), "");
    for (double k : {1e-3, 1.0, 1e3}) EXPECT_EQ(mv::ScaleFactorProblem(g, k), "") << k;
}

TEST(ScaleGearEdit, OneUndoStepScalesThePictureAndTakesEverythingBack) {
    mv::Model m;
    mv::StartUp(m);
    m.pendingEdit = true;
    mv::CommitDimension(m, 6, 8.5f);  // an earlier edit stays on the stack beneath
    m.gear.revArmSetting = m.revArmPositions[0] + 0.5f;
    m.pivots[mv::pv::Ref1] = {1.5f, -2.0f};
    m.lines.entries[0].h2 = 0.75f;
    m.revArmPositions[4] = m.revArmPositions[0] + 0.3f;
    const mv::Model before = m;

    mv::ScaleWorkingGear(m, 2.0);
    EXPECT_EQ(m.undoCount, 2);
    EXPECT_EQ(m.undo[1].id, mv::kGroupUndoId);
    EXPECT_EQ(m.undo[1].name, "Scale Gear");
    EXPECT_EQ(m.frame.stroke, 6.0f);
    EXPECT_EQ(m.cyl.cylCtr, 32.0f);
    EXPECT_EQ(m.frame.offsetAngle, before.frame.offsetAngle);
    EXPECT_EQ(m.view.scale, before.view.scale / 2);
    EXPECT_EQ(m.view.ox, before.view.ox);
    EXPECT_EQ(m.presets[1].scale, before.presets[1].scale / 2);
    EXPECT_EQ(m.pivots[mv::pv::Ref1].x, 3.0f);
    EXPECT_EQ(m.lines.entries[0].h2, 1.5f);
    EXPECT_EQ(m.graphicZoomFactor, 2 * before.graphicZoomFactor);
    EXPECT_EQ(m.diagramVerticalScale, 2 * before.diagramVerticalScale);
    EXPECT_NEAR(m.gear.revArmSetting - m.revArmPositions[0], 1.0f, 1e-5);
    EXPECT_NEAR(m.revArmPositions[4] - m.revArmPositions[0], 0.6f, 1e-5);
    EXPECT_EQ(m.revArmBarMax, 2600);
    EXPECT_EQ(m.revArmBarPosition, 1000);
    // The slot of the earlier edit shows the scaled value.
    EXPECT_EQ(m.dynSlots[1].id, 6u);
    EXPECT_EQ(m.dynSlots[1].value, 17.0f);

    mv::UndoLastChange(m);
    for (std::span<const mv::DimensionInfo> infos :
         {mv::FrameDimensionInfo(), mv::CylinderDimensionInfo()})
        for (const mv::DimensionInfo& d : infos)
            EXPECT_EQ(mv::GetDimension(m, d.id), mv::GetDimension(before, d.id)) << d.id;
    EXPECT_EQ(m.view.scale, before.view.scale);
    EXPECT_EQ(m.pivots[mv::pv::Ref1].x, before.pivots[mv::pv::Ref1].x);
    EXPECT_NEAR(m.gear.revArmSetting, before.gear.revArmSetting, 1e-5);
    EXPECT_EQ(m.revArmBarMax, 1300);
    EXPECT_EQ(m.dynSlots[1].value, 8.5f);
    EXPECT_EQ(m.undoCount, 1);
    EXPECT_EQ(m.undo[1].id, 6);
    mv::UndoLastChange(m);
    EXPECT_EQ(m.frame.eccRodLeft, 8.47f);
}

}  // namespace
