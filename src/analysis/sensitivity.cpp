#include "analysis/sensitivity.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/cutoff_rows.hpp"
#include "analysis/parallel.hpp"
#include "model/dimensions.hpp"

namespace mv {
namespace {

using LD = long double;

constexpr DimensionId kOffsetAngleId = 25;

// The derivatives of one cell from the rows of the two copies.
void FillCell(const EventRow& minus, const EventRow& plus, LD span, DerivativeCell& cell) {
    if (minus.geometryError || plus.geometryError || !(span != 0.0L)) return;
    auto fill = [span](const EndEvents& a, const EndEvents& b, EndDerivatives& out) {
        for (StudyEvent e : kAllStudyEvents) {
            const std::optional<float> va = StudyEventValue(a, e);
            const std::optional<float> vb = StudyEventValue(b, e);
            if (!va || !vb) continue;
            const LD d = (static_cast<LD>(*vb) - *va) / span;
            // Beyond a float's range (a step that underflowed) it is no derivative to report.
            if (std::fabs(d) <= std::numeric_limits<float>::max())
                out.d[static_cast<int>(e)] = static_cast<double>(d);
        }
    };
    fill(minus.front, plus.front, cell.front);
    fill(minus.rear, plus.rear, cell.rear);
}

std::optional<double> ImbalanceScore(const std::vector<DerivativeCell>& cells) {
    constexpr int kCut = static_cast<int>(StudyEvent::Cutoff);
    std::optional<double> score;
    for (const DerivativeCell& c : cells) {
        const auto& f = c.front.d[kCut];
        const auto& r = c.rear.d[kCut];
        if (!f || !r) continue;
        const double s = std::fabs(*f - *r);
        if (!(s <= std::numeric_limits<float>::max())) continue;  // no number a reader can take
        if (!score || s > *score) score = s;
    }
    return score;
}

}  // namespace

std::vector<DimensionId> AllDimensionIds() {
    std::vector<DimensionId> ids;
    for (const DimensionInfo& d : FrameDimensionInfo()) ids.push_back(d.id);
    for (const DimensionInfo& d : CylinderDimensionInfo()) ids.push_back(d.id);
    return ids;
}

float SensitivityStep(const Gear& g, DimensionId id) {
    if (!IsDimensionId(id)) return 0;
    const LD v = std::fabs(static_cast<LD>(GetDimension(g, id)));
    // A dimension that is 0 (a backset, a centre line) still needs a step of a sensible size:
    // lengths take one from the stroke, the one angle from a degree.
    const LD floor =
        id == kOffsetAngleId ? 1.0L : 0.1L * std::fabs(static_cast<LD>(g.frame.stroke));
    const float h = static_cast<float>(0.001L * std::max(v, floor));
    return std::isfinite(h) && h > 0.0f ? h : 0.0f;
}

namespace {

SensitivityResult RunSensitivity(const Gear& g, std::span<const DimensionId> ids,
                                 const RowChoice& choice, const StudyControl& control) {
    const bool atCutoffs = choice.basis == RowBasis::Cutoffs;
    const std::span<const float> notches = atCutoffs ? std::span<const float>() : choice.values;
    const Directions dirs = choice.directions;
    SensitivityResult result;
    result.notches.assign(notches.begin(), notches.end());
    if (atCutoffs) result.cutoffs = choice.values;
    result.directions = dirs;
    for (DimensionId id : ids) {
        if (!IsDimensionId(id)) continue;
        DimensionSensitivity s;
        s.id = id;
        s.value = GetDimension(g, id);
        result.rows.push_back(s);
    }

    // Copy 2k is dimension k at value - h, copy 2k + 1 at value + h.
    const std::size_t copies = 2 * result.rows.size();
    std::vector<std::vector<NotchRow>> rows(copies);
    std::vector<float> stored(copies, 0.0f);
    std::atomic<std::size_t> done{0};
    auto copy = [&](std::size_t i) {
        if (control.Cancelled()) return;
        const DimensionSensitivity& s = result.rows[i / 2];
        const float h = SensitivityStep(g, s.id);
        if (h > 0.0f) {
            const LD target = static_cast<LD>(s.value) + (i % 2 == 0 ? -h : h);
            const DimensionValue change{s.id, SaturatedFloat(target)};
            const Gear copy = WithDimensions(g, std::span<const DimensionValue>(&change, 1));
            // What was stored after the side effects, which is what the rows saw.
            stored[i] = GetDimension(copy, s.id);
            rows[i] = RowsAt(copy, choice);
        }
        const std::size_t n = done.fetch_add(1, std::memory_order_relaxed) + 1;
        if (control.progress) control.progress(n, copies);
    };
    ParallelFor(copies, copy);
    if (control.Cancelled()) {
        result.cancelled = true;
        return result;
    }
    // Where the gear itself places its rows at cut-offs, for the cells.
    const std::vector<NotchRow> placed = atCutoffs ? RowsAt(g, choice) : std::vector<NotchRow>{};

    for (std::size_t k = 0; k < result.rows.size(); ++k) {
        DimensionSensitivity& s = result.rows[k];
        const std::vector<NotchRow>& minus = rows[2 * k];
        const std::vector<NotchRow>& plus = rows[2 * k + 1];
        result.eventRows += minus.size() + plus.size();
        const LD span = static_cast<LD>(stored[2 * k + 1]) - stored[2 * k];
        s.step = static_cast<float>(span / 2);
        if (minus.empty() || minus.size() != plus.size()) {
            // No step could be taken: every derivative is absent.
            for (SweepDirection d : {SweepDirection::Forward, SweepDirection::Reverse}) {
                if ((dirs == Directions::Forward && d == SweepDirection::Reverse) ||
                    (dirs == Directions::Reverse && d == SweepDirection::Forward))
                    continue;
                for (float n : notches) s.cells.push_back(DerivativeCell{d, n, {}, {}, {}, {}});
                for (const NotchRow& r : placed)
                    if (r.direction == d)
                        s.cells.push_back(DerivativeCell{d, 0, {}, {}, r.cutoff, {}});
            }
            continue;
        }
        s.cells.resize(minus.size());
        for (std::size_t j = 0; j < minus.size(); ++j) {
            s.cells[j].direction = minus[j].direction;
            s.cells[j].notch = minus[j].notch;
            if (atCutoffs) {
                s.cells[j].cutoff = minus[j].cutoff;
                s.cells[j].notch = j < placed.size() && placed[j].Reachable() ? placed[j].notch : 0;
                if (j < placed.size() && placed[j].Reachable())
                    s.cells[j].revArm = placed[j].events.revArm;
            }
            FillCell(minus[j].events, plus[j].events, span, s.cells[j]);
        }
        s.score = ImbalanceScore(s.cells);
    }

    for (const DimensionSensitivity& s : result.rows) result.ranking.push_back({s.id, s.score});
    std::stable_sort(result.ranking.begin(), result.ranking.end(),
                     [](const RankEntry& a, const RankEntry& b) {
                         if (!a.score || !b.score) return a.score.has_value() && !b.score;
                         return *a.score > *b.score;
                     });
    return result;
}

}  // namespace

SensitivityResult ComputeSensitivity(const Gear& g, std::span<const DimensionId> ids,
                                     std::span<const float> notches, Directions dirs,
                                     const StudyControl& control) {
    return ComputeSensitivity(
        g, ids, RowChoice{RowBasis::Notches, {notches.begin(), notches.end()}, dirs}, control);
}

SensitivityResult ComputeSensitivity(const Gear& g, std::span<const DimensionId> ids,
                                     const RowChoice& choice, const StudyControl& control) {
    try {
        return RunSensitivity(g, ids, choice, control);
    } catch (...) {
        SensitivityResult failed;
        failed.directions = choice.directions;
        failed.error = ExceptionText(std::current_exception());
        return failed;
    }
}

std::vector<DimensionId> TopCutoffImbalanceIds(const Gear& g, std::size_t n,
                                               std::span<const float> notches, Directions dirs) {
    return TopCutoffImbalanceIds(
        g, n, RowChoice{RowBasis::Notches, {notches.begin(), notches.end()}, dirs});
}

std::vector<DimensionId> TopCutoffImbalanceIds(const Gear& g, std::size_t n,
                                               const RowChoice& rows) {
    std::vector<DimensionId> ids;
    for (DimensionId id : AllDimensionIds())
        if (id != 26 && id != 27) ids.push_back(id);
    const SensitivityResult r = ComputeSensitivity(g, ids, rows);
    std::vector<DimensionId> top;
    for (const RankEntry& e : r.ranking) {
        if (top.size() >= n || !e.score || !(*e.score > 0.0)) break;
        top.push_back(e.id);
    }
    return top;
}

}  // namespace mv
