// Tolerance Monte Carlo: the spread stays within the extremes and closes in on them, failed
// samples are counted and left out, draws are reproducible and worn pins act on the rods.
#include "analysis/tolerance.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>

#include "analysis/parallel.hpp"
#include "model/dimensions.hpp"

namespace {

using mv::StudyEvent;
using mv::SweepDirection;

constexpr int kCut = static_cast<int>(StudyEvent::Cutoff);
constexpr int kLead = static_cast<int>(StudyEvent::Lead);

mv::Model DefaultGear() {
    mv::Model m;
    mv::StartUp(m);
    return m;
}

mv::EventRow RowWith(const mv::Gear& g, mv::DimensionId id, float value, float notch) {
    const mv::DimensionValue c{id, value};
    const mv::Gear copy = mv::WithDimensions(g, std::span<const mv::DimensionValue>(&c, 1));
    return mv::ComputeEventRow(copy, mv::NotchSetting(copy, notch, SweepDirection::Forward),
                               SweepDirection::Forward);
}

mv::ToleranceOptions OneRow(mv::DimensionId id, float tol, int samples) {
    mv::ToleranceOptions opt;
    opt.tolerances = {{id, tol}};
    opt.samples = samples;
    opt.seed = 7;
    opt.notches = {0.5f};
    opt.directions = mv::Directions::Forward;
    return opt;
}

TEST(Tolerance, MonotoneDimensionStaysWithinItsExtremesAndClosesInOnThem) {
    // The front valve half moves the front cut-off one way only.
    const mv::Model m = DefaultGear();
    const float v = m.cyl.valveFrontHalf, t = 0.01f;
    const mv::EventRow lo = RowWith(m, 119, v + t, 0.5f);  // longer half: earlier cut-off
    const mv::EventRow hi = RowWith(m, 119, v - t, 0.5f);
    const double cutLo = *lo.front.cutoff, cutHi = *hi.front.cutoff;
    ASSERT_LT(cutLo, cutHi);

    double gap = cutHi - cutLo;
    for (int n : {8, 40, 100}) {
        const mv::ToleranceResult r = mv::ComputeTolerance(m, OneRow(119, t, n));
        ASSERT_EQ(r.samples, n);
        EXPECT_EQ(r.failed, 0);
        const auto& s = r.rows.at(0).front.events[kCut];
        ASSERT_TRUE(s);
        EXPECT_EQ(s->count, n);
        EXPECT_GE(s->min, cutLo - 1e-4);
        EXPECT_LE(s->max, cutHi + 1e-4);
        EXPECT_LE(s->min, s->mean);
        EXPECT_LE(s->mean, s->max);
        // The first n samples of a larger run are the run of n: the extremes only close in.
        const double g = (s->min - cutLo) + (cutHi - s->max);
        EXPECT_LE(g, gap + 1e-6) << n;
        gap = g;
    }
    EXPECT_LT(gap, 0.05 * (cutHi - cutLo));
    // The lead moves one for one with the valve half: its spread is the tolerance itself.
    const auto lead = mv::ComputeTolerance(m, OneRow(119, t, 40)).rows[0].front.events[kLead];
    EXPECT_NEAR(lead->max - lead->min, 2 * t, 0.2 * t);
    EXPECT_NEAR(lead->std, 2 * t / std::sqrt(12.0), 0.25 * t);
}

TEST(Tolerance, ExactPartsGiveTheGearsOwnEventsEvenWithAStaleMidGear) {
    // A dimension swept with a jog bar leaves mid gear where it was; the samples recompute it,
    // so the gear they are compared with must be the one with mid gear recomputed too.
    mv::Model m = DefaultGear();
    mv::StoreDimension(m, 20, m.frame.auxHorz + 0.05f);
    const mv::ToleranceResult r = mv::ComputeTolerance(m, OneRow(6, 0.0f, 3));
    const mv::ToleranceRow& row = r.rows.at(0);
    EXPECT_EQ(row.failed, 0);
    ASSERT_TRUE(row.nominal.front.cutoff && row.front.events[kCut]);
    EXPECT_EQ(row.front.events[kCut]->min, *row.nominal.front.cutoff);
    EXPECT_EQ(row.front.events[kCut]->max, *row.nominal.front.cutoff);
    EXPECT_EQ(row.front.events[kCut]->std, 0.0);
}

TEST(Tolerance, FailedSamplesAreCountedAndLeftOutOfEveryFigure) {
    mv::Model m = DefaultGear();
    // The front port at half notch just opens: a longer valve half keeps it shut, so about
    // half the samples lose front admission and cut-off.
    const mv::EventRow base = RowWith(m, 119, m.cyl.valveFrontHalf, 0.5f);
    mv::StoreDimension(m, 119, m.cyl.valveFrontHalf + *base.front.maxSteam - 0.001f);
    const mv::ToleranceResult r = mv::ComputeTolerance(m, OneRow(119, 0.004f, 60));
    const mv::ToleranceRow& row = r.rows.at(0);
    EXPECT_GT(row.failed, 10);
    EXPECT_LT(row.failed, 50);
    EXPECT_EQ(r.failed, row.failed);
    // The lead exists in every sample, yet only the good ones are in its figures.
    for (const auto* e : {&row.front, &row.rear}) {
        for (const auto& s : e->events) {
            ASSERT_TRUE(s);
            EXPECT_EQ(s->count, r.samples - row.failed);
        }
    }
    // Only samples whose port still opens are kept: a longer valve half that shut it would
    // have brought the lead below this.
    EXPECT_GE(row.front.events[kLead]->min, *base.front.lead - *base.front.maxSteam - 1e-4);

    // Every sample clamped: nothing to report, and no number made up.
    mv::Model bad = DefaultGear();
    mv::StoreDimension(bad, 3, 1.0f);
    const mv::ToleranceResult none = mv::ComputeTolerance(bad, OneRow(6, 0.01f, 5));
    EXPECT_EQ(none.failed, 5);
    EXPECT_EQ(none.rows.at(0).failed, 5);
    for (const auto& s : none.rows[0].front.events) EXPECT_FALSE(s);
    EXPECT_NE(mv::ToleranceJson(none).find("\"cutoff\":null"), std::string::npos);
}

TEST(Tolerance, SeedDecidesTheDrawsWhateverTheOrderOfWork) {
    const mv::Model m = DefaultGear();
    mv::ToleranceOptions opt = OneRow(8, 0.01f, 12);
    opt.keepCutoffs = true;
    const mv::ToleranceResult a = mv::ComputeTolerance(m, opt);
    const mv::ToleranceResult b = mv::ComputeTolerance(m, opt);
    EXPECT_EQ(mv::ToleranceJson(a), mv::ToleranceJson(b));
    EXPECT_EQ(a.rows[0].frontCutoffs, b.rows[0].frontCutoffs);
    ASSERT_EQ(a.rows[0].frontCutoffs.size(), 12u);
    // Each sample's cut-off is that of its own draw, computed alone.
    for (int k : {0, 11}) {
        const auto draw = mv::ToleranceSample(m, opt, k);
        ASSERT_EQ(draw.size(), 1u);
        EXPECT_EQ(*RowWith(m, 8, draw[0].value, 0.5f).front.cutoff, a.rows[0].frontCutoffs[k]);
    }
    opt.seed = 8;
    EXPECT_NE(mv::ToleranceJson(mv::ComputeTolerance(m, opt)), mv::ToleranceJson(a));
}

TEST(Tolerance, OneThreadGivesTheFiguresOfMany) {
    // More samples than one block of work, with worn pins: every draw and the order of the sums
    // must not depend on which thread took which sample.
    const mv::Model m = DefaultGear();
    mv::ToleranceOptions opt = OneRow(6, 0.01f, 1100);
    opt.pinClearance = 0.002f;
    const std::string many = mv::ToleranceJson(mv::ComputeTolerance(m, opt));
    const mv::ParallelismLimit single(1);
    EXPECT_EQ(mv::ToleranceJson(mv::ComputeTolerance(m, opt)), many);
}

TEST(Tolerance, PinClearanceVariesEveryPinnedRodByTwiceTheClearance) {
    const mv::Model m = DefaultGear();
    mv::ToleranceOptions opt;
    opt.pinClearance = 0.002f;
    const float reach = std::hypot(m.frame.auxVert, m.frame.auxHorz);
    bool moved = false;
    for (int k = 0; k < 50; ++k) {
        const std::vector<mv::DimensionValue> draw = mv::ToleranceSample(m, opt, k);
        ASSERT_EQ(draw.size(), mv::PinClearanceIds().size());
        float vert = 0, horz = 0;
        for (const mv::DimensionValue& d : draw) {
            const auto ids = mv::PinClearanceIds();
            EXPECT_NE(std::find(ids.begin(), ids.end(), d.id), ids.end()) << d.id;
            const float nominal = mv::GetDimension(m, d.id);
            if (d.id == 19) vert = d.value;
            if (d.id == 20) horz = d.value;
            if (d.id != 19 && d.id != 20) {
                EXPECT_LE(std::fabs(d.value - nominal), 0.004f + 1e-6f);
            }
            moved |= d.value != nominal;
        }
        // The reach rod keeps its shape; its pin-to-pin length is what wears.
        EXPECT_NEAR(vert / horz, m.frame.auxVert / m.frame.auxHorz, 1e-5);
        EXPECT_LE(std::fabs(std::hypot(vert, horz) - reach), 0.004f + 1e-5f);
    }
    EXPECT_TRUE(moved);
}

TEST(Tolerance, CancelledRunSaysSo) {
    const mv::Model m = DefaultGear();
    std::atomic<bool> cancel{true};
    mv::StudyControl control;
    control.cancel = &cancel;
    const mv::ToleranceResult r = mv::ComputeTolerance(m, OneRow(6, 0.01f, 100), control);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.samples, 0);
}

}  // namespace
