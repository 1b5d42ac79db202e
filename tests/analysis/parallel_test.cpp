// The parallel loop of the analyses: every item once, and a failure on any thread, in any loop
// that uses it, comes back to the caller as an error instead of ending the program.
#include "analysis/parallel.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <vector>

#include "analysis/compare.hpp"
#include "analysis/cutoff_rows.hpp"
#include "analysis/event_table.hpp"
#include "analysis/notch_rows.hpp"
#include "analysis/performance.hpp"
#include "analysis/sensitivity.hpp"
#include "analysis/tolerance.hpp"

namespace {

mv::Model DefaultGear() {
    mv::Model m;
    mv::StartUp(m);
    return m;
}

TEST(ParallelFor, RunsEveryItemOnceAndNestedLoopsToo) {
    for (std::size_t threads : {1u, 4u}) {
        const mv::ParallelismLimit limit(threads);
        std::vector<std::atomic<int>> seen(50);
        mv::ParallelFor(10, [&](std::size_t i) {
            mv::ParallelFor(5, [&](std::size_t j) { seen[i * 5 + j].fetch_add(1); });
        });
        for (const auto& s : seen) EXPECT_EQ(s.load(), 1) << threads;
    }
    mv::ParallelFor(0, [](std::size_t) { FAIL() << "no items, no calls"; });
}

TEST(ParallelFor, AFailureComesBackToTheCallerAndStopsTheRest) {
    // On one thread the order is known: the items after the failing one never start.
    const mv::ParallelismLimit one(1);
    std::atomic<int> ran{0};
    try {
        mv::ParallelFor(1000, [&](std::size_t i) {
            ran.fetch_add(1);
            if (i == 3) throw std::bad_alloc();
        });
        FAIL() << "nothing thrown";
    } catch (const std::bad_alloc&) {
        EXPECT_EQ(mv::ExceptionText(std::current_exception()), "out of memory");
    }
    EXPECT_EQ(ran.load(), 4);
}

TEST(ParallelFor, AFailureInANestedLoopComesOutOfTheOuterOne) {
    EXPECT_THROW(mv::ParallelFor(4,
                                 [](std::size_t) {
                                     mv::ParallelFor(4, [](std::size_t j) {
                                         if (j == 2) throw std::runtime_error("inner");
                                     });
                                 }),
                 std::runtime_error);
}

// Every loop of the analyses, made to fail on one of its items.
TEST(ParallelFailure, EveryAnalysisReportsItInsteadOfEndingTheProgram) {
    const mv::Model m = DefaultGear();
    const mv::ParallelFaultForTest fault([](std::size_t i) {
        if (i == 2) throw std::runtime_error("injected failure");
    });

    const std::vector<float> settings = mv::DefaultEventSettings(m, mv::SweepDirection::Forward, 6);
    EXPECT_THROW(mv::ComputeEventTable(m, settings, mv::SweepDirection::Forward),
                 std::runtime_error);
    const float notches[] = {0.25f, 0.5f, 0.75f};
    EXPECT_THROW(mv::NotchRows(m, notches, mv::Directions::Both), std::runtime_error);
    mv::Model positions = m;  // the diagrams' positions: mid gear, normal forward and reverse
    positions.revArmPositionCount = 4;
    EXPECT_THROW(mv::PositionEventRows(positions), std::runtime_error);
    EXPECT_THROW(mv::CompareAtNotches(m, positions, notches, mv::Directions::Both),
                 std::runtime_error);

    const mv::DimensionId ids[] = {6, 8};
    const mv::SensitivityResult s = mv::ComputeSensitivity(m, ids, notches, mv::Directions::Both);
    EXPECT_EQ(s.error, "injected failure");
    EXPECT_TRUE(s.ranking.empty());

    mv::ToleranceOptions opt;
    opt.tolerances = {{6, 0.01f}};
    opt.samples = 8;
    const mv::ToleranceResult t = mv::ComputeTolerance(m, opt);
    EXPECT_EQ(t.error, "injected failure");
}

TEST(ParallelFailure, RowsAtCutoffsReportItFromTheLoopThatPlacesThem) {
    // On one thread the loops run in order: the grid of nine notches, then one item per
    // cut-off. The fault waits for the grid's last item, so it strikes while placing.
    const mv::Model m = DefaultGear();
    const mv::ParallelismLimit one(1);
    std::atomic<bool> gridDone{false};
    const mv::ParallelFaultForTest fault([&gridDone](std::size_t i) {
        if (i == 8) gridDone = true;
        if (gridDone && i == 2) throw std::runtime_error("injected while placing");
    });
    const float cutoffs[] = {15.0f, 25.0f, 40.0f};
    try {
        (void)mv::CutoffRows(m, cutoffs, mv::Directions::Forward);
        FAIL() << "nothing thrown";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "injected while placing");
    }
}

TEST(ParallelFailure, AProgressCallbackThatThrowsEndsTheStudyWithTheReason) {
    const mv::Model m = DefaultGear();
    mv::StudyControl control;
    control.progress = [](std::size_t done, std::size_t) {
        if (done == 2) throw std::length_error("progress failed");
    };
    const float notches[] = {0.5f};
    const mv::DimensionId ids[] = {6, 8, 18};
    EXPECT_EQ(mv::ComputeSensitivity(m, ids, notches, mv::Directions::Forward, control).error,
              "progress failed");
    mv::ToleranceOptions opt;
    opt.tolerances = {{8, 0.01f}};
    opt.samples = 5;
    opt.notches = {0.5f};
    EXPECT_EQ(mv::ComputeTolerance(m, opt, control).error, "progress failed");
}

}  // namespace
