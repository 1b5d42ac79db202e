#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "analysis/notch_rows.hpp"
#include "analysis/sensitivity.hpp"
#include "analysis/tolerance.hpp"
#include "model/model.hpp"

namespace {

// Seconds of one exact event row at half notch, serial: the unit of work of the studies.
double OneRowSeconds(const mv::Gear& g) {
    constexpr int kRows = 20;
    const float setting = mv::NotchSetting(g, 0.5f, mv::SweepDirection::Forward);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRows; ++i)
        benchmark::DoNotOptimize(mv::ComputeEventRow(g, setting, mv::SweepDirection::Forward));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kRows;
}

// The full table: 49 dimensions at 4 notches in both directions. "rows" is the work done in
// event rows (at most 2 x 49 x 8 = 784); "row_ratio" is the wall time over one serial row.
void BM_Sensitivity(benchmark::State& state) {
    mv::Model m;
    mv::StartUp(m);
    const std::vector<mv::DimensionId> ids = mv::AllDimensionIds();
    const double row = OneRowSeconds(m);
    std::size_t rows = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const mv::SensitivityResult r =
            mv::ComputeSensitivity(m, ids, mv::kDefaultStudyNotches, mv::Directions::Both);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        rows = r.eventRows;
        benchmark::DoNotOptimize(r);
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["row_ratio"] = seconds / static_cast<double>(state.iterations()) / row;
}
BENCHMARK(BM_Sensitivity)->Unit(benchmark::kMillisecond)->UseRealTime();

// tolerance --samples 1000 at 4 notches in both directions, two toleranced dimensions and worn
// pins; "samples_per_second" of wall time.
void BM_Tolerance(benchmark::State& state) {
    mv::Model m;
    mv::StartUp(m);
    mv::ToleranceOptions opt;
    opt.tolerances = {{6, 0.005f}, {119, 0.002f}};
    opt.pinClearance = 0.001f;
    opt.samples = 1000;
    for (auto _ : state) {
        const mv::ToleranceResult r = mv::ComputeTolerance(m, opt);
        benchmark::DoNotOptimize(r);
    }
    state.counters["samples_per_second"] = benchmark::Counter(
        static_cast<double>(opt.samples) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Tolerance)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
