#include <benchmark/benchmark.h>

#include "analysis/design_assistant.hpp"
#include "model/model.hpp"

namespace {

void Report(benchmark::State& state, const mv::DesignResult& r) {
    const auto before = mv::LargestCutoffDifference(r.start.rows);
    const auto after = mv::LargestCutoffDifference(r.best.rows);
    state.counters["evaluations"] = r.evaluations;
    state.counters["objective_start"] = r.start.objective;
    state.counters["objective_best"] = r.best.objective;
    if (before && after && *before > 0)
        state.counters["cutoff_diff_fall_pct"] = 100.0 * (1.0 - *after / *before);
    if (r.best.values.minLead) state.counters["min_lead"] = *r.best.values.minLead;
    if (r.best.values.drop) state.counters["full_gear_drop"] = *r.best.values.drop;
    state.SetItemsProcessed(state.iterations() * r.evaluations);
}

mv::DesignProblem Preset(const mv::Gear& g) {
    mv::DesignProblem p;
    for (mv::DimensionId id : mv::DesignPresetDimensions())
        p.vary.push_back(mv::DefaultLimits(g, id));
    return p;
}

// The design assistant on the nominal gear as it once was: the preset dimensions within their
// default bounds, cutoff-balance at the quarter notches in both directions equally weighted,
// with limits that never bind. Reports the evaluations the search took and how far the largest
// front/rear cut-off difference fell.
void BM_DesignAssistant(benchmark::State& state) {
    mv::Model m;
    mv::StartUp(m);
    mv::DesignProblem p = Preset(m);
    p.rows = {mv::RowBasis::Notches, {0.25f, 0.5f, 0.75f, 1.0f}, mv::Directions::Both};
    p.reverseWeight = 1;
    p.limits.minLead = -1;
    p.limits.fullGearDrop = 100;
    mv::DesignResult r;
    for (auto _ : state) {
        r = mv::RunDesignSearch(m, p);
        benchmark::DoNotOptimize(r.evaluations);
    }
    Report(state, r);
}
BENCHMARK(BM_DesignAssistant)->Unit(benchmark::kSecond)->Iterations(1);

// At the default cut-offs forward, every lead at least 0.005: each evaluation places its rows
// anew (a root finder per row), so this is the slow case of the window's defaults.
void BM_DesignAssistantCutoffs(benchmark::State& state) {
    mv::Model m;
    mv::StartUp(m);
    mv::DesignProblem p = Preset(m);
    p.rows.directions = mv::Directions::Forward;
    p.limits.minLead = 0.005;
    mv::DesignResult r;
    for (auto _ : state) {
        r = mv::RunDesignSearch(m, p);
        benchmark::DoNotOptimize(r.evaluations);
    }
    Report(state, r);
}
BENCHMARK(BM_DesignAssistantCutoffs)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
