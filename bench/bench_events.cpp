#include <benchmark/benchmark.h>

#include <vector>

#include "analysis/compare.hpp"
#include "analysis/event_finder.hpp"
#include "analysis/event_table.hpp"
#include "model/dimensions.hpp"
#include "model/model.hpp"
#include "model/solver.hpp"

namespace {

mv::Model DefaultGear() {
    mv::Model m;
    mv::StartUp(m);
    return m;
}

// 1000 settings across the forward range, rows in parallel; wall time is what a user waits.
void BM_EventTable(benchmark::State& state) {
    const mv::Model m = DefaultGear();
    const std::vector<float> settings =
        mv::DefaultEventSettings(m, mv::SweepDirection::Forward, 1000);
    for (auto _ : state) {
        const std::vector<mv::EventRow> rows =
            mv::ComputeEventTable(m, settings, mv::SweepDirection::Forward);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(settings.size()));
}
BENCHMARK(BM_EventTable)->Unit(benchmark::kMillisecond)->UseRealTime();

// The "Valve Events" window's table: 19 rows each way.
void BM_EventTableDefault(benchmark::State& state) {
    const mv::Model m = DefaultGear();
    for (auto _ : state) {
        const std::vector<mv::EventRow> rows = mv::ComputeDefaultEventTable(m);
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(BM_EventTableDefault)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The second gear of the comparison: the default with a longer eccentric rod.
mv::Model OtherGear() {
    mv::Model b = DefaultGear();
    mv::StoreDimension(b, 6, 8.6f);
    mv::ComputeMidGear(b);
    return b;
}

// The other gear's table alone: a row's cost depends on the gear (its events and turning
// points), so the comparison is set beside the sum of both tables as well as beside one.
void BM_EventTableDefaultOther(benchmark::State& state) {
    const mv::Model b = OtherGear();
    for (auto _ : state) {
        const std::vector<mv::EventRow> rows = mv::ComputeDefaultEventTable(b);
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(BM_EventTableDefaultOther)->Unit(benchmark::kMicrosecond)->UseRealTime();

// merrovan-cli compare at its default rows: the same 19 notches each way for two gears, all rows
// in one parallel pass. Set it beside BM_EventTableDefault, one table of those rows; it may cost
// at most 2.1 times as much.
void BM_CompareDefault(benchmark::State& state) {
    const mv::Model a = DefaultGear();
    const mv::Model b = OtherGear();
    const std::vector<float> notches = mv::DefaultCompareNotches();
    for (auto _ : state) {
        const mv::GearComparison c = mv::CompareAtNotches(a, b, notches, mv::Directions::Both);
        benchmark::DoNotOptimize(c.rows.data());
    }
}
BENCHMARK(BM_CompareDefault)->Unit(benchmark::kMicrosecond)->UseRealTime();

// One row on one thread, with the number of solves it takes.
void BM_EventRow(benchmark::State& state) {
    const mv::Model m = DefaultGear();
    const float setting = m.revArmPositions[0] + 0.5f * m.frame.revArmMax;
    mv::EventFinderCost cost;
    long rows = 0;
    for (auto _ : state) {
        const mv::EventRow row =
            mv::FindEvents(m, setting, mv::SweepDirection::Forward, mv::kEventCoarseStep, &cost);
        benchmark::DoNotOptimize(row);
        ++rows;
    }
    state.counters["coarse_solves"] = static_cast<double>(cost.coarse) / static_cast<double>(rows);
    state.counters["refine_solves"] = static_cast<double>(cost.refine) / static_cast<double>(rows);
}
BENCHMARK(BM_EventRow)->Unit(benchmark::kMicrosecond);

}  // namespace
