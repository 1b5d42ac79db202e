#include "analysis/cutoff_rows.hpp"

#include <algorithm>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdint>

#include "analysis/parallel.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

using LD = long double;

// Settings tried from mid gear to full gear before refining: eighths of the lever's travel.
constexpr int kGridSteps = 8;
constexpr std::uintmax_t kMaxRefineSteps = 40;

// The mean cut-off grows with the lever's travel in a gear a designer would build: moving the
// reverse arm away from mid gear swings the guide link and carries the radius hanger's upper pin
// away from its centre, so more of the eccentric's throw reaches the valve; with lap and lead
// nearly fixed, a longer valve travel keeps the steam port open for longer. Nothing assures it
// for every set of dimensions a search may try (near mid gear the events can even come in the
// other order), so the rows do not rely on it: the grid below is searched from mid gear
// outward for the first interval whose ends lie on either side of C, and the root is refined
// within it. Where the mean cut-off is not monotone that is the setting nearest mid gear, the
// one a driver notching up from mid gear meets first.
std::vector<float> Grid() {
    std::vector<float> grid;
    for (int i = 0; i <= kGridSteps; ++i) grid.push_back(static_cast<float>(i) / kGridSteps);
    return grid;
}

struct Sample {
    float notch = 0;
    EventRow row;
    std::optional<float> mean;
};

CutoffRange RangeOf(const std::vector<Sample>& grid) {
    CutoffRange range;
    for (const Sample& s : grid) {
        if (!s.mean) continue;
        range.low = range.low ? std::min(*range.low, *s.mean) : *s.mean;
        range.high = range.high ? std::max(*range.high, *s.mean) : *s.mean;
    }
    return range;
}

std::string RangeText(const CutoffRange& range, SweepDirection dir) {
    const std::optional<float>& low = range.low;
    const std::optional<float>& high = range.high;
    const std::string where = dir == SweepDirection::Forward ? "forward" : "in reverse";
    if (!low) return "the gear has no mean cut-off " + where;
    return "the gear reaches a mean cut-off of " + FormatFixed(*low, 0, 2) + " to " +
           FormatFixed(*high, 0, 2) + " % " + where;
}

NotchRow Place(const Gear& g, const std::vector<Sample>& grid, float cutoff, SweepDirection dir) {
    NotchRow out{dir, 0, {}, cutoff, {}, 0};
    out.events.direction = dir;
    const LD c = cutoff;
    const auto h = [c](const Sample& s) { return LD(*s.mean) - c; };
    for (const Sample& s : grid) {
        if (s.mean && std::fabs(h(s)) <= LD(kCutoffTolerance) / 2) {
            out.notch = s.notch;
            out.events = s.row;
            return out;
        }
    }
    for (std::size_t i = 0; i + 1 < grid.size(); ++i) {
        const Sample& a = grid[i];
        const Sample& b = grid[i + 1];
        if (!a.mean || !b.mean || (h(a) < 0) == (h(b) < 0)) continue;
        // Refine on the notch fraction; the best row seen is kept, so the answer is a row that
        // was computed, not an interpolation.
        Sample best = std::fabs(h(a)) <= std::fabs(h(b)) ? a : b;
        bool jumped = false;
        auto f = [&](double x) {
            const float n = static_cast<float>(x);
            Sample s{n, ComputeEventRow(g, NotchSetting(g, n, dir), dir), {}};
            s.mean = MeanCutoff(s.row);
            if (!s.mean) {
                // No cut-off in between: the interval holds no root the finder can use.
                jumped = true;
                return static_cast<double>(h(a) < 0 ? 1 : -1);
            }
            if (std::fabs(h(s)) < std::fabs(h(best))) best = s;
            return static_cast<double>(h(s));
        };
        auto done = [&](double lo, double hi) {
            return jumped || std::fabs(h(best)) <= LD(kCutoffTolerance) / 2 ||
                   static_cast<float>(lo) == static_cast<float>(hi);
        };
        std::uintmax_t steps = kMaxRefineSteps;
        boost::math::tools::toms748_solve(f, static_cast<double>(a.notch),
                                          static_cast<double>(b.notch), static_cast<double>(h(a)),
                                          static_cast<double>(h(b)), done, steps);
        if (std::fabs(h(best)) <= LD(kCutoffTolerance) / 2) {
            out.notch = best.notch;
            out.events = best.row;
            return out;
        }
        out.unreachable = "the mean cut-off jumps past " + CutoffText(cutoff) + " % near notch " +
                          FormatFixed(best.notch, 0, 3) + " " + SweepDirectionText(dir);
        return out;
    }
    const CutoffRange range = RangeOf(grid);
    out.unreachable =
        "cut-off " + CutoffText(cutoff) + " % is out of reach: " + RangeText(range, dir);
    out.reachShortfall = range.low ? std::max(*range.low - cutoff, cutoff - *range.high) : cutoff;
    return out;
}

std::string JsonQuoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) >= 0x20) out += c;
    }
    return out + "\"";
}

}  // namespace

std::optional<float> MeanCutoff(const EventRow& r) {
    const auto end = [](const EndEvents& e) -> std::optional<LD> {
        if (e.cutoff) return LD(*e.cutoff);
        if (!e.maxSteam) return 0.0L;  // the port never opens to steam
        return std::nullopt;
    };
    const std::optional<LD> f = end(r.front), b = end(r.rear);
    if (!f || !b) return std::nullopt;
    return static_cast<float>((*f + *b) / 2);
}

CutoffRange ReachedCutoffs(const Gear& g, SweepDirection dir) {
    const std::vector<float> grid = Grid();
    CutoffRange range;
    const Directions one =
        dir == SweepDirection::Forward ? Directions::Forward : Directions::Reverse;
    for (const NotchRow& r : NotchRows(g, grid, one)) {
        const std::optional<float> m = MeanCutoff(r.events);
        if (!m) continue;
        range.low = range.low ? std::min(*range.low, *m) : *m;
        range.high = range.high ? std::max(*range.high, *m) : *m;
    }
    return range;
}

std::vector<NotchRow> CutoffRows(const Gear& g, std::span<const float> cutoffs, Directions dirs,
                                 std::vector<NotchRow>* fullGear) {
    const std::vector<float> grid = Grid();
    // The grid of both directions in one parallel call, then one refinement per row.
    const std::vector<NotchRow> sampled = NotchRows(g, grid, dirs);
    std::vector<NotchRow> rows;
    for (SweepDirection d : {SweepDirection::Forward, SweepDirection::Reverse}) {
        if (dirs == Directions::Forward && d == SweepDirection::Reverse) continue;
        if (dirs == Directions::Reverse && d == SweepDirection::Forward) continue;
        for (float c : cutoffs) rows.push_back(NotchRow{d, 0, {}, c, {}, 0});
    }
    std::vector<Sample> fwd, rev;
    for (const NotchRow& s : sampled) {
        (s.direction == SweepDirection::Forward ? fwd : rev)
            .push_back(Sample{s.notch, s.events, MeanCutoff(s.events)});
        if (fullGear && s.notch == 1.0f) fullGear->push_back(s);
    }
    ParallelFor(rows.size(), [&](std::size_t i) {
        NotchRow& r = rows[i];
        r = Place(g, r.direction == SweepDirection::Forward ? fwd : rev, *r.cutoff, r.direction);
    });
    return rows;
}

std::vector<NotchRow> RowsAt(const Gear& g, const RowChoice& choice) {
    return choice.basis == RowBasis::Cutoffs ? CutoffRows(g, choice.values, choice.directions)
                                             : NotchRows(g, choice.values, choice.directions);
}

bool ParseCutoffList(std::string_view text, std::vector<float>& out, std::string& error) {
    return ParseNumberList(text, out, error, kMaxCutoffs, "cut-offs", [](double v) {
        return v > 0.0 && v < 100.0
                   ? std::string()
                   : std::string("is not a cut-off above 0 and below 100 (per cent)");
    });
}

std::string NotchRowJson(const NotchRow& r) {
    const std::string cutoff = r.cutoff ? "\"cutoff\":" + FormatShortest(*r.cutoff) + "," : "";
    if (r.Reachable()) return "{" + cutoff + EventRowJson(r.events).substr(1);
    EventRow shape;
    shape.direction = r.direction;
    return "{" + cutoff + "\"unreachable\":" + JsonQuoted(r.unreachable) + "," +
           EventRowJson(shape, false).substr(1);
}

std::string CutoffRowsDelimited(const std::vector<NotchRow>& rows, char separator) {
    std::vector<EventRow> events;
    events.reserve(rows.size());
    for (const NotchRow& r : rows) events.push_back(r.events);
    const std::string table = EventTableDelimited(events, separator);
    const std::string sep(1, separator);
    const std::size_t columns = EventColumnNames().size();
    std::size_t at = table.find('\n');
    std::string out = "cutoff" + sep + table.substr(0, at) + sep + "unreachable\n";
    for (const NotchRow& r : rows) {
        const std::size_t next = table.find('\n', at + 1);
        const std::string line = table.substr(at + 1, next - at - 1);
        at = next;
        out += (r.cutoff ? FormatShortest(*r.cutoff) : std::string()) + sep;
        if (r.Reachable()) {
            out += line + sep + "\n";
            continue;
        }
        std::string quoted = "\"";
        for (char c : r.unreachable) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        out += SweepDirectionText(r.direction);
        for (std::size_t k = 1; k < columns; ++k) out += sep;
        out += sep + quoted + "\"\n";
    }
    return out;
}

std::string CutoffText(float cutoff) {
    // The shortest text of the float, as notches are keyed: two cut-offs told apart by the list
    // (as floats) get two keys.
    return FormatShortest(cutoff);
}

std::string RowText(const NotchRow& r) {
    if (r.cutoff)
        return "cut-off " + CutoffText(*r.cutoff) + " % " + SweepDirectionText(r.direction);
    return "notch " + FormatSignificant(static_cast<double>(r.notch), 7) + " " +
           SweepDirectionText(r.direction);
}

}  // namespace mv
