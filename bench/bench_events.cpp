#include <benchmark/benchmark.h>

#include <vector>

#include "analysis/event_table.hpp"
#include "model/model.hpp"

namespace {

// 1000 settings across the reverse-arm range, one turn each at 1-degree steps.
void BM_EventTable(benchmark::State& state) {
    mv::Model m;
    mv::StartUp(m);
    const std::vector<float> settings =
        mv::DefaultEventSettings(m, mv::SweepDirection::Forward, 1000);
    for (auto _ : state) {
        for (float s : settings) {
            const mv::EventRow row = mv::ComputeEventRow(m, s, mv::SweepDirection::Forward, 1.0f);
            benchmark::DoNotOptimize(row);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(settings.size()));
}
BENCHMARK(BM_EventTable)->Unit(benchmark::kMillisecond);

}  // namespace
