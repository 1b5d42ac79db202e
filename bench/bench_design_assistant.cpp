#include <benchmark/benchmark.h>

#include "analysis/design_assistant.hpp"
#include "model/model.hpp"

namespace {

// The design assistant on the nominal gear: the preset dimensions within their default limits,
// cutoff-balance at the default notches in both directions. Reports the evaluations the search
// took and how far the largest front/rear cut-off difference fell.
void BM_DesignAssistant(benchmark::State& state) {
    mv::Model m;
    mv::StartUp(m);
    mv::DesignProblem p;
    for (mv::DimensionId id : mv::DesignPresetDimensions())
        p.vary.push_back(mv::DefaultLimits(m, id));
    mv::DesignResult r;
    for (auto _ : state) {
        r = mv::RunDesignSearch(m, p);
        benchmark::DoNotOptimize(r.evaluations);
    }
    const auto before = mv::LargestCutoffDifference(r.start.rows);
    const auto after = mv::LargestCutoffDifference(r.best.rows);
    state.counters["evaluations"] = r.evaluations;
    state.counters["objective_start"] = r.start.objective;
    state.counters["objective_best"] = r.best.objective;
    if (before && after && *before > 0)
        state.counters["cutoff_diff_fall_pct"] = 100.0 * (1.0 - *after / *before);
    state.SetItemsProcessed(state.iterations() * r.evaluations);
}
BENCHMARK(BM_DesignAssistant)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
