#include <benchmark/benchmark.h>

#include "analysis/new_gear.hpp"

namespace {

// merrovan-cli new for a full-size engine (30 in stroke, 69 in wheel, 120 in main rod): all four
// steps with the default number of evaluations. Must stay well under 10 s on the build machine.
void BM_NewGear(benchmark::State& state) {
    mv::BasicData d;
    d.stroke = 30;
    d.driverDia = 69;
    d.mainRod = 120;
    d.bore = 25;
    d.travel = 7.5;
    d.lap = 1.5;
    d.lead = 0.25;
    mv::NewGearResult r;
    for (auto _ : state) {
        r = mv::MakeNewGear(d);
        benchmark::DoNotOptimize(r.evaluations);
    }
    int met = 0;
    for (const mv::NewGearTarget& t : r.targets) met += t.met ? 1 : 0;
    state.counters["evaluations"] = r.evaluations;
    state.counters["targets_met"] = met;
    state.counters["targets"] = static_cast<double>(r.targets.size());
    state.SetItemsProcessed(state.iterations() * r.evaluations);
}
BENCHMARK(BM_NewGear)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
