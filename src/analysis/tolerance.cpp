#include "analysis/tolerance.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <utility>

#include "analysis/cutoff_rows.hpp"
#include "analysis/parallel.hpp"
#include "model/dimensions.hpp"

namespace mv {
namespace {

using LD = long double;

constexpr DimensionId kReachVert = 19;
// "Rev Arm to Cent Norm": it sets the normal running positions only, so no notch row moves.
constexpr DimensionId kRevArmNorm = 26;
constexpr DimensionId kReachHorz = 20;
// Rods that vary on their own; the auxiliary reach rod (19 with 20) is handled apart.
constexpr std::array<DimensionId, 7> kPlainRods = {3, 6, 7, 8, 9, 12, 18};
constexpr std::array<DimensionId, 9> kPinClearanceIds = {3, 6, 7, 8, 9, 12, 18, 19, 20};

// Samples computed between two ordered reductions: bounds the memory of a long run.
constexpr int kBlock = 1024;

// Running figures of one event, reduced in sample order so that the sums are the same on any
// number of threads.
struct Accumulator {
    long count = 0;
    LD mean = 0, m2 = 0, min = 0, max = 0;

    void Add(LD v) {
        if (count == 0) min = max = v;
        min = std::min(min, v);
        max = std::max(max, v);
        ++count;
        const LD delta = v - mean;
        mean += delta / count;
        m2 += delta * (v - mean);
    }
    std::optional<EventStats> Stats() const {
        if (count == 0) return std::nullopt;
        EventStats s;
        s.count = static_cast<int>(count);
        s.min = static_cast<double>(min);
        s.mean = static_cast<double>(mean);
        s.max = static_cast<double>(max);
        s.std = count > 1 ? static_cast<double>(std::sqrt(m2 / (count - 1))) : 0.0;
        return s;
    }
};

struct RowAccumulators {
    std::array<Accumulator, kStudyEvents> front, rear;
};

// Whether a sample's row can be used: solved without a clamp, and every event the gear itself
// has is still there.
bool RowFailed(const EventRow& nominal, const EventRow& row) {
    if (row.geometryError) return true;
    for (StudyEvent e : kAllStudyEvents) {
        if (StudyEventValue(nominal.front, e) && !StudyEventValue(row.front, e)) return true;
        if (StudyEventValue(nominal.rear, e) && !StudyEventValue(row.rear, e)) return true;
    }
    return false;
}

// The rows of one sample: placed on its own mid gear (reset), or at the settings of the gear
// itself, which `nominal` holds (fixed; a row the gear itself cannot place stays unplaced).
std::vector<NotchRow> SampleRows(const Gear& copy, const ToleranceOptions& opt,
                                 const RowChoice& choice, const std::vector<NotchRow>& nominal) {
    if (opt.lever == ToleranceLever::Reset) return RowsAt(copy, choice);
    std::vector<NotchRow> rows = nominal;
    for (NotchRow& r : rows)
        if (r.Reachable()) r.events = ComputeEventRow(copy, r.events.revArm, r.direction);
    return rows;
}

}  // namespace

const char* ToleranceLeverText(ToleranceLever l) {
    return l == ToleranceLever::Fixed ? "fixed" : "reset";
}

std::string CheckToleranceOptions(const ToleranceOptions& opt) {
    if (opt.samples < 1 || opt.samples > kMaxToleranceSamples)
        return "the number of samples must be from 1 to " + std::to_string(kMaxToleranceSamples);
    if (opt.seed > kMaxStudySeed)
        return "the seed must be a whole number from 0 to " + std::to_string(kMaxStudySeed);
    bool varies = false;
    for (std::size_t i = 0; i < opt.tolerances.size(); ++i) {
        const DimensionTolerance& t = opt.tolerances[i];
        const std::string id = "dimension " + std::to_string(t.id);
        if (!IsDimensionId(t.id)) return id + " is not a dimension id (1..27, 101..122)";
        if (t.id == kRevArmNorm)
            return id +
                   " (Rev Arm to Cent Norm) cannot have a tolerance: it only sets the normal "
                   "running positions and moves no event at the notches";
        if (!std::isfinite(t.tol)) return id + ": the tolerance is too large";
        if (t.tol < 0.0f) return id + ": the tolerance must be 0 or more";
        for (std::size_t j = 0; j < i; ++j)
            if (opt.tolerances[j].id == t.id) return id + " is given twice";
        varies |= t.tol > 0.0f;
    }
    if (!std::isfinite(opt.pinClearance)) return "the pin clearance is too large";
    if (opt.pinClearance < 0.0f) return "the pin clearance must be 0 or more";
    if (!varies && !(opt.pinClearance > 0.0f))
        return "nothing varies: give a tolerance above 0 or a pin clearance above 0";
    return {};
}

std::span<const DimensionId> PinClearanceIds() {
    return kPinClearanceIds;
}

std::vector<DimensionValue> ToleranceSample(const Gear& g, const ToleranceOptions& opt, int index) {
    const auto seed = opt.seed;
    const auto k = static_cast<std::uint64_t>(static_cast<std::int64_t>(index));
    std::seed_seq seq{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32),
                      static_cast<std::uint32_t>(k), static_cast<std::uint32_t>(k >> 32)};
    std::mt19937_64 rng(seq);
    // Uniform in -half..half from the generator's raw bits: the same numbers on every platform,
    // which the standard's distributions do not promise.
    auto offset = [&rng](LD half) {
        const LD u = static_cast<LD>(rng() >> 11) * 0x1.0p-53L;
        return half * (2.0L * u - 1.0L);
    };

    std::vector<std::pair<DimensionId, LD>> values;
    auto slot = [&values, &g](DimensionId id) -> LD& {
        for (auto& [i, v] : values)
            if (i == id) return v;
        values.emplace_back(id, static_cast<LD>(GetDimension(g, id)));
        return values.back().second;
    };
    for (const DimensionTolerance& t : opt.tolerances) {
        if (!IsDimensionId(t.id)) continue;
        slot(t.id) += offset(t.tol);
    }
    if (opt.pinClearance > 0.0f) {
        const LD wear = 2.0L * opt.pinClearance;
        for (DimensionId id : kPlainRods) slot(id) += offset(wear);
        // The reach rod is L-shaped; its pins are the ends of the hypotenuse.
        const LD delta = offset(wear);
        slot(kReachVert);
        slot(kReachHorz);  // both present before references are taken: no reallocation
        LD& vert = slot(kReachVert);
        LD& horz = slot(kReachHorz);
        const LD length = std::hypot(vert, horz);
        if (length > 0.0L) {
            const LD f = (length + delta) / length;
            vert *= f;
            horz *= f;
        }
    }

    std::vector<DimensionValue> out;
    out.reserve(values.size());
    for (const auto& [id, v] : values) out.push_back({id, SaturatedFloat(v)});
    return out;
}

namespace {

ToleranceResult RunTolerance(const Gear& g, const ToleranceOptions& opt,
                             const StudyControl& control) {
    ToleranceResult result;
    result.seed = opt.seed;
    result.lever = opt.lever;
    const int samples = std::max(opt.samples, 0);
    // The samples recompute mid gear, so the gear they are compared with does too: a gear whose
    // dimensions were swept without it would otherwise sit at other settings than its samples.
    const RowChoice choice = opt.cutoffs.empty()
                                 ? RowChoice{RowBasis::Notches, opt.notches, opt.directions}
                                 : RowChoice{RowBasis::Cutoffs, opt.cutoffs, opt.directions};
    const std::vector<NotchRow> nominal = RowsAt(WithDimensions(g, {}), choice);
    result.rows.resize(nominal.size());
    for (std::size_t j = 0; j < nominal.size(); ++j) {
        result.rows[j].direction = nominal[j].direction;
        result.rows[j].notch = nominal[j].notch;
        result.rows[j].cutoff = nominal[j].cutoff;
        result.rows[j].unreachable = nominal[j].unreachable;
        result.rows[j].nominal = nominal[j].events;
    }
    std::vector<RowAccumulators> acc(nominal.size());

    std::atomic<std::size_t> done{0};
    std::vector<std::vector<NotchRow>> block;
    for (int first = 0; first < samples && !control.Cancelled(); first += kBlock) {
        const int count = std::min(kBlock, samples - first);
        block.assign(static_cast<std::size_t>(count), {});
        ParallelFor(static_cast<std::size_t>(count), [&](std::size_t i) {
            if (control.Cancelled()) return;
            const int k = first + static_cast<int>(i);
            const std::vector<DimensionValue> changes = ToleranceSample(g, opt, k);
            block[i] = SampleRows(WithDimensions(g, changes), opt, choice, nominal);
            const std::size_t n = done.fetch_add(1, std::memory_order_relaxed) + 1;
            if (control.progress) control.progress(n, static_cast<std::size_t>(samples));
        });
        if (control.Cancelled()) break;

        for (const std::vector<NotchRow>& rows : block) {
            bool failed = false;
            for (std::size_t j = 0; j < rows.size() && j < nominal.size(); ++j) {
                const EventRow& row = rows[j].events;
                ToleranceRow& out = result.rows[j];
                if (!nominal[j].Reachable()) continue;  // nothing to compare with
                if (RowFailed(nominal[j].events, row)) {
                    ++out.failed;
                    failed = true;
                    continue;
                }
                for (StudyEvent e : kAllStudyEvents) {
                    const int i = static_cast<int>(e);
                    if (const auto v = StudyEventValue(row.front, e)) acc[j].front[i].Add(*v);
                    if (const auto v = StudyEventValue(row.rear, e)) acc[j].rear[i].Add(*v);
                }
                if (opt.keepCutoffs) {
                    if (row.front.cutoff) out.frontCutoffs.push_back(*row.front.cutoff);
                    if (row.rear.cutoff) out.rearCutoffs.push_back(*row.rear.cutoff);
                }
            }
            result.failed += failed;
            ++result.samples;
        }
    }
    result.cancelled = control.Cancelled();

    for (std::size_t j = 0; j < result.rows.size(); ++j) {
        for (int i = 0; i < kStudyEvents; ++i) {
            result.rows[j].front.events[i] = acc[j].front[i].Stats();
            result.rows[j].rear.events[i] = acc[j].rear[i].Stats();
        }
    }
    return result;
}

}  // namespace

ToleranceResult ComputeTolerance(const Gear& g, const ToleranceOptions& opt,
                                 const StudyControl& control) {
    try {
        return RunTolerance(g, opt, control);
    } catch (...) {
        ToleranceResult failed;
        failed.seed = opt.seed;
        failed.lever = opt.lever;
        failed.error = ExceptionText(std::current_exception());
        return failed;
    }
}

}  // namespace mv
