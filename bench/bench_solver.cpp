#include <benchmark/benchmark.h>

#include "model/model.hpp"
#include "model/solver.hpp"

namespace {

void BM_SolveLinkage(benchmark::State& state) {
    mv::Model m;
    mv::StartUp(m);
    float angle = 0;
    for (auto _ : state) {
        m.gear.driverAngle = angle;
        mv::SolveLinkage(m);
        benchmark::DoNotOptimize(m.pivots[mv::pv::ValveJoint].x);
        angle += 1.0f;
        if (angle > 360.0f) angle -= 360.0f;
    }
}
BENCHMARK(BM_SolveLinkage);

void BM_SolvePistonAndPorts(benchmark::State& state) {
    mv::Model m;
    mv::StartUp(m);
    mv::SolveLinkage(m);
    float angle = 0;
    for (auto _ : state) {
        m.gear.driverAngle = angle;
        mv::SolvePistonAndPorts(m);
        benchmark::DoNotOptimize(m.valve.frontSteam);
        angle += 1.0f;
        if (angle > 360.0f) angle -= 360.0f;
    }
}
BENCHMARK(BM_SolvePistonAndPorts);

}  // namespace
