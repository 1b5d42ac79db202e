#include "analysis/cutoff_search.hpp"

#include <algorithm>
#include <array>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdint>
#include <exception>
#include <execution>
#include <numeric>

namespace mv {
namespace {

using LD = long double;

constexpr int kSamples = 16;  // steps of the notch from mid gear to the largest setting
constexpr std::uintmax_t kMaxSteps = 60;
constexpr double kNotchTolerance = 1e-9;

// The samples of one direction: the mean cut-off at notch k / kSamples.
struct Grid {
    std::array<std::optional<float>, kSamples + 1> mean{};
};

Grid SampleGrid(const Gear& g, SweepDirection dir) {
    Grid grid;
    std::array<int, kSamples + 1> k{};
    std::iota(k.begin(), k.end(), 0);
    std::for_each(std::execution::par, k.begin(), k.end(), [&](int i) {
        const float notch = static_cast<float>(LD(i) / kSamples);
        grid.mean[static_cast<std::size_t>(i)] =
            MeanCutoff(ComputeEventRow(g, NotchSetting(g, notch, dir), dir));
    });
    return grid;
}

// Thrown out of the root finder when a probe has no cut-off at one end.
struct NoCutoff {};

std::optional<float> Refine(const Gear& g, const Grid& grid, float cutoff, SweepDirection dir) {
    const LD c = cutoff;
    for (std::size_t i = 0; i < kSamples; ++i) {
        const auto& a = grid.mean[i];
        const auto& b = grid.mean[i + 1];
        if (!a || !b) continue;
        const double fa = static_cast<double>(LD(*a) - c), fb = static_cast<double>(LD(*b) - c);
        const double na = static_cast<double>(i) / kSamples;
        const double nb = static_cast<double>(i + 1) / kSamples;
        if (fa == 0) return NotchSetting(g, static_cast<float>(na), dir);
        if (fb == 0) return NotchSetting(g, static_cast<float>(nb), dir);
        if ((fa < 0) == (fb < 0)) continue;
        auto f = [&](double n) {
            const std::optional<float> m =
                MeanCutoff(ComputeEventRow(g, NotchSetting(g, static_cast<float>(n), dir), dir));
            if (!m) throw NoCutoff{};
            return static_cast<double>(LD(*m) - c);
        };
        try {
            std::uintmax_t steps = kMaxSteps;
            const auto [r0, r1] = boost::math::tools::toms748_solve(
                f, na, nb, fa, fb,
                [](double x, double y) { return std::fabs(y - x) <= kNotchTolerance; }, steps);
            return NotchSetting(g, static_cast<float>((r0 + r1) / 2), dir);
        } catch (const NoCutoff&) {
            return std::nullopt;
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<float> MeanCutoff(const EventRow& row) {
    if (!row.front.cutoff || !row.rear.cutoff) return std::nullopt;
    return static_cast<float>((LD(*row.front.cutoff) + LD(*row.rear.cutoff)) / 2);
}

std::optional<float> CutoffSetting(const Gear& g, float cutoff, SweepDirection dir) {
    if (!std::isfinite(cutoff)) return std::nullopt;
    return Refine(g, SampleGrid(g, dir), cutoff, dir);
}

std::vector<CutoffRow> CutoffRows(const Gear& g, std::span<const float> cutoffs, Directions dirs) {
    std::vector<CutoffRow> rows;
    for (SweepDirection d : {SweepDirection::Forward, SweepDirection::Reverse}) {
        if (dirs == Directions::Forward && d == SweepDirection::Reverse) continue;
        if (dirs == Directions::Reverse && d == SweepDirection::Forward) continue;
        const Grid grid = SampleGrid(g, d);
        const std::size_t first = rows.size();
        for (float c : cutoffs) rows.push_back(CutoffRow{d, c, std::nullopt});
        // Each cut-off is its own search over the same samples.
        std::for_each(std::execution::par, rows.begin() + static_cast<std::ptrdiff_t>(first),
                      rows.end(), [&](CutoffRow& r) {
                          if (!std::isfinite(r.cutoff)) return;
                          if (const std::optional<float> s = Refine(g, grid, r.cutoff, d))
                              r.events = ComputeEventRow(g, *s, d);
                      });
    }
    return rows;
}

}  // namespace mv
