// Tolerance Monte Carlo: the spread stays within the extremes and closes in on them, failed
// samples are counted and left out, draws are reproducible and worn pins act on the rods.
#include "analysis/tolerance.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "analysis/parallel.hpp"
#include "model/dimensions.hpp"
#include "model/text.hpp"

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

namespace {

TEST(ToleranceLever, FixedKeepsTheGearsSettingsResetFindsEachSamplesMidGear) {
    const mv::Model m = DefaultGear();
    // The auxiliary reach rod's horizontal leg moves mid gear; the valve's front half does not.
    for (mv::DimensionId id : {20u, 119u}) {
        mv::ToleranceOptions opt = OneRow(id, 0.02f, 6);
        opt.keepCutoffs = true;
        const mv::ToleranceResult reset = mv::ComputeTolerance(m, opt);
        opt.lever = mv::ToleranceLever::Fixed;
        const mv::ToleranceResult fixed = mv::ComputeTolerance(m, opt);
        EXPECT_EQ(fixed.lever, mv::ToleranceLever::Fixed);
        ASSERT_EQ(fixed.rows.at(0).frontCutoffs.size(), 6u) << id;
        const mv::Gear nominal = mv::WithDimensions(m, {});
        for (int k = 0; k < 6; ++k) {
            const std::vector<mv::DimensionValue> draw = mv::ToleranceSample(m, opt, k);
            const mv::Gear copy = mv::WithDimensions(m, draw);
            const float own = mv::NotchSetting(copy, 0.5f, SweepDirection::Forward);
            const float kept = mv::NotchSetting(nominal, 0.5f, SweepDirection::Forward);
            EXPECT_EQ(*mv::ComputeEventRow(copy, kept, SweepDirection::Forward).front.cutoff,
                      fixed.rows[0].frontCutoffs[k])
                << id;
            EXPECT_EQ(*mv::ComputeEventRow(copy, own, SweepDirection::Forward).front.cutoff,
                      reset.rows[0].frontCutoffs[k])
                << id;
        }
        const bool movesMidGear = id == 20;
        EXPECT_EQ(fixed.rows[0].frontCutoffs != reset.rows[0].frontCutoffs, movesMidGear) << id;
    }
}

TEST(ToleranceOptionsCheck, RefusesWhatCannotVaryOrCannotBeHeld) {
    mv::ToleranceOptions ok = OneRow(6, 0.01f, 10);
    EXPECT_EQ(mv::CheckToleranceOptions(ok), "");
    auto why = [&](auto change) {
        mv::ToleranceOptions o = ok;
        change(o);
        return mv::CheckToleranceOptions(o);
    };
    using O = mv::ToleranceOptions;
    EXPECT_NE(why([](O& o) { o.tolerances = {}; }).find("nothing varies"), std::string::npos);
    EXPECT_NE(why([](O& o) {
                  o.tolerances = {{6, 0.0f}};
              }).find("nothing varies"),
              std::string::npos);
    EXPECT_EQ(why([](O& o) { o.tolerances = {}, o.pinClearance = 0.001f; }), "");
    EXPECT_NE(why([](O& o) {
                  o.tolerances = {{26, 0.1f}};
              }).find("moves no event"),
              std::string::npos);
    EXPECT_NE(why([](O& o) {
                  o.tolerances = {{6, std::numeric_limits<float>::infinity()}};
              }).find("too large"),
              std::string::npos);
    EXPECT_NE(why([](O& o) { o.pinClearance = -0.1f; }).find("0 or more"), std::string::npos);
    EXPECT_NE(why([](O& o) {
                  o.tolerances.push_back({6, 0.2f});
              }).find("twice"),
              std::string::npos);
    EXPECT_EQ(why([](O& o) { o.seed = mv::kMaxStudySeed; }), "");
    EXPECT_NE(why([](O& o) { o.seed = mv::kMaxStudySeed + 1; }), "");
    EXPECT_EQ(why([](O& o) { o.samples = mv::kMaxToleranceSamples; }), "");
    EXPECT_NE(why([](O& o) { o.samples = mv::kMaxToleranceSamples + 1; }), "");
    EXPECT_NE(why([](O& o) { o.samples = 0; }), "");
}

TEST(ToleranceText, EveryFigureHasItsSampleCountAndReadsBackAsItsFloat) {
    mv::Model m = DefaultGear();
    // A front port that just opens: the samples that keep it open give its admission figures,
    // the others fail, and n tells how many there were.
    const mv::EventRow base = RowWith(m, 119, m.cyl.valveFrontHalf, 0.5f);
    mv::StoreDimension(m, 119, m.cyl.valveFrontHalf + *base.front.maxSteam - 0.001f);
    const mv::ToleranceResult r = mv::ComputeTolerance(m, OneRow(119, 0.004f, 30));
    const int n = r.samples - r.rows.at(0).failed;
    const std::string json = mv::ToleranceJson(r);
    EXPECT_NE(json.find("\"lever\":\"reset\""), std::string::npos);
    EXPECT_NE(json.find("\"admission\":{\"n\":" + std::to_string(n) + ",\"min\":"),
              std::string::npos)
        << json;
    const std::string csv = mv::ToleranceCsv(r);
    const std::string header = csv.substr(0, csv.find('\n'));
    EXPECT_EQ(header.rfind("direction,notch,failed,front_admission_min,", 0), 0u);
    EXPECT_NE(header.find(",front_admission_n,"), std::string::npos);
    EXPECT_EQ(header.substr(header.size() - 12), ",rear_lead_n");
    EXPECT_EQ(csv.substr(csv.size() - 1 - std::to_string(n).size()), std::to_string(n) + "\n");
    // Numbers are the shortest text of their float, as every other command prints them.
    std::size_t at = json.find("\"mean\":");
    ASSERT_NE(at, std::string::npos);
    at += 7;
    const std::string mean = json.substr(at, json.find(',', at) - at);
    EXPECT_EQ(mv::FormatShortest(std::strtof(mean.c_str(), nullptr)), mean);
    EXPECT_NE(mv::ToleranceTable(r).find(" n "), std::string::npos);
}

}  // namespace
