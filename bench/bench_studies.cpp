#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <vector>

#include "analysis/notch_rows.hpp"
#include "analysis/sensitivity.hpp"
#include "analysis/tolerance.hpp"
#include "model/model.hpp"

namespace {

// Process CPU seconds (every thread), which a loaded machine inflates far less than wall time.
double CpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct RowCost {
    double wall = 0, cpu = 0;
};

// One exact event row at half notch, serial: the unit of work of the studies.
RowCost OneRow(const mv::Gear& g) {
    constexpr int kRows = 200;
    const float setting = mv::NotchSetting(g, 0.5f, mv::SweepDirection::Forward);
    const double cpu = CpuSeconds(), wall = WallSeconds();
    for (int i = 0; i < kRows; ++i)
        benchmark::DoNotOptimize(mv::ComputeEventRow(g, setting, mv::SweepDirection::Forward));
    return RowCost{(WallSeconds() - wall) / kRows, (CpuSeconds() - cpu) / kRows};
}

// The full table: 49 dimensions at 4 notches in both directions. "rows" is the work done in
// event rows (at most 2 x 49 x 8 = 784); "row_ratio" is the wall time over that of one serial
// row, "cpu_row_ratio" the CPU time of all threads over that of one row (the work, whatever the
// machine's load).
void BM_Sensitivity(benchmark::State& state) {
    mv::Model m;
    mv::StartUp(m);
    const std::vector<mv::DimensionId> ids = mv::AllDimensionIds();
    const RowCost row = OneRow(m);
    std::size_t rows = 0;
    double wall = 0, cpu = 0;
    for (auto _ : state) {
        const double cpuStart = CpuSeconds(), wallStart = WallSeconds();
        const mv::SensitivityResult r =
            mv::ComputeSensitivity(m, ids, mv::kDefaultStudyNotches, mv::Directions::Both);
        wall += WallSeconds() - wallStart;
        cpu += CpuSeconds() - cpuStart;
        rows = r.eventRows;
        benchmark::DoNotOptimize(r);
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["row_ratio"] = wall / n / row.wall;
    state.counters["cpu_row_ratio"] = cpu / n / row.cpu;
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
