// The indicator cards cost what their events cost: the default table's 38 rows with the cards of
// every end, against BM_EventTableDefault (bench_events.cpp) in the same run.
#include <benchmark/benchmark.h>

#include <vector>

#include "analysis/event_table.hpp"
#include "analysis/performance.hpp"
#include "model/model.hpp"

namespace {

mv::Model DefaultGear() {
    mv::Model m;
    mv::StartUp(m);
    return m;
}

// Events and the figures of every card, as `performance` and the report work them out.
void BM_Performance(benchmark::State& state) {
    const mv::Model m = DefaultGear();
    const mv::SteamConditions s;
    for (auto _ : state) {
        const std::vector<mv::EventRow> rows = mv::ComputeDefaultEventTable(m);
        const std::vector<mv::PerformanceRow> cards = mv::PerformanceRows(m, rows, s);
        benchmark::DoNotOptimize(cards.data());
    }
}
BENCHMARK(BM_Performance)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The same with every card's points, 200 along each curved phase (--card-points 200).
void BM_PerformanceCardPoints(benchmark::State& state) {
    const mv::Model m = DefaultGear();
    const mv::SteamConditions s;
    for (auto _ : state) {
        const std::vector<mv::EventRow> rows = mv::ComputeDefaultEventTable(m);
        const std::vector<mv::PerformanceRow> cards = mv::PerformanceRows(m, rows, s, 200);
        benchmark::DoNotOptimize(cards.data());
    }
}
BENCHMARK(BM_PerformanceCardPoints)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The cards alone, on rows computed once: what the closed form adds.
void BM_PerformanceCardsOnly(benchmark::State& state) {
    const mv::Model m = DefaultGear();
    const mv::SteamConditions s;
    const std::vector<mv::EventRow> rows = mv::ComputeDefaultEventTable(m);
    for (auto _ : state) {
        const std::vector<mv::PerformanceRow> cards = mv::PerformanceRows(m, rows, s);
        benchmark::DoNotOptimize(cards.data());
    }
}
BENCHMARK(BM_PerformanceCardsOnly)->Unit(benchmark::kMicrosecond);

}  // namespace
