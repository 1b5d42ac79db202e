#include "analysis/compare.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "analysis/cutoff_rows.hpp"
#include "analysis/parallel.hpp"
#include "model/dimensions.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

using LD = long double;

std::optional<float> Minus(const std::optional<float>& b, const std::optional<float>& a) {
    if (!a || !b) return std::nullopt;
    const float d = static_cast<float>(LD(*b) - LD(*a));
    if (!std::isfinite(d)) return std::nullopt;
    return d;
}

EndEvents EndDifference(const EndEvents& a, const EndEvents& b) {
    EndEvents d;
    d.admission = Minus(b.admission, a.admission);
    d.cutoff = Minus(b.cutoff, a.cutoff);
    d.release = Minus(b.release, a.release);
    d.compression = Minus(b.compression, a.compression);
    d.lead = Minus(b.lead, a.lead);
    d.maxSteam = Minus(b.maxSteam, a.maxSteam);
    d.maxExhaust = Minus(b.maxExhaust, a.maxExhaust);
    return d;
}

const char* AtKey(CompareAt kind) {
    return kind == CompareAt::Notch ? "notch" : "cutoff";
}

// The numbers of a row (no direction, no flag) as JSON, each end in an object of its own.
std::string ValuesJson(const EventRow& r) {
    std::string out = "{";
    EventEnd group = EventEnd::None;
    bool first = true;
    for (const EventColumn& c : EventColumns()) {
        if (!c.value) continue;
        if (c.end != group) {
            if (group != EventEnd::None) out += '}';
            out.append(first ? "\"" : ",\"").append(EventEndName(c.end)).append("\":{");
            first = true;
            group = c.end;
        }
        if (!first) out += ',';
        first = false;
        const std::optional<float> v = c.value(r);
        out.append("\"").append(c.jsonKey).append("\":").append(v ? FormatShortest(*v) : "null");
    }
    if (group != EventEnd::None) out += '}';
    return out + '}';
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (char ch : s) {
        if (ch == '"' || ch == '\\') out += '\\';
        out += ch;
    }
    return out + '"';
}

std::string AtText(CompareAt kind, float at) {
    return kind == CompareAt::Notch ? FormatFixed(at, 0, 3) : FormatFixed(at, 0, 2) + " %";
}

void Pad(std::string& out, const std::string& cell, std::size_t width, bool left = false) {
    std::size_t chars = 0;
    for (unsigned char ch : cell)
        if ((ch & 0xC0) != 0x80) ++chars;
    if (!left && chars < width) out.append(width - chars, ' ');
    out += cell;
    if (left && chars < width) out.append(width - chars, ' ');
}

}  // namespace

std::vector<DimensionDifference> DifferingDimensions(const Gear& a, const Gear& b) {
    std::vector<DimensionDifference> out;
    for (auto infos : {FrameDimensionInfo(), CylinderDimensionInfo()}) {
        for (const DimensionInfo& d : infos) {
            const float va = GetDimension(a, d.id), vb = GetDimension(b, d.id);
            if (va == vb) continue;
            out.push_back({d.id, d.shortName, va, vb, static_cast<float>(LD(vb) - LD(va))});
        }
    }
    return out;
}

EventRow RowDifference(const EventRow& a, const EventRow& b) {
    EventRow d;
    d.direction = a.direction;
    d.revArm = static_cast<float>(LD(b.revArm) - LD(a.revArm));
    d.notch = Minus(b.notch, a.notch);
    d.travel = Minus(b.travel, a.travel);
    d.front = EndDifference(a.front, b.front);
    d.rear = EndDifference(a.rear, b.rear);
    d.geometryError = a.geometryError || b.geometryError;
    return d;
}

std::optional<EventRow> ComparedRow::Difference() const {
    if (!a || !b) return std::nullopt;
    return RowDifference(*a, *b);
}

std::vector<float> DefaultCompareNotches() {
    std::vector<float> n;
    n.reserve(kDefaultEventRows);
    for (int i = 0; i < kDefaultEventRows; ++i)
        n.push_back(static_cast<float>(LD(i) / (kDefaultEventRows - 1)));
    return n;
}

GearComparison CompareAtNotches(const Gear& a, const Gear& b, std::span<const float> notches,
                                Directions dirs) {
    GearComparison out;
    out.kind = CompareAt::Notch;
    out.dimensions = DifferingDimensions(a, b);
    for (SweepDirection d : {SweepDirection::Forward, SweepDirection::Reverse}) {
        if (dirs == Directions::Forward && d == SweepDirection::Reverse) continue;
        if (dirs == Directions::Reverse && d == SweepDirection::Forward) continue;
        for (float n : notches) out.rows.push_back(ComparedRow{d, n, std::nullopt, std::nullopt});
    }
    // Every row of both gears is one independent task.
    struct Task {
        const Gear* gear;
        ComparedRow* row;
        bool first;
    };
    std::vector<Task> tasks;
    tasks.reserve(out.rows.size() * 2);
    for (ComparedRow& r : out.rows) {
        tasks.push_back({&a, &r, true});
        tasks.push_back({&b, &r, false});
    }
    ParallelFor(tasks.size(), [&tasks](std::size_t i) {
        const Task& t = tasks[i];
        const ComparedRow& r = *t.row;
        EventRow row =
            ComputeEventRow(*t.gear, NotchSetting(*t.gear, r.at, r.direction), r.direction);
        (t.first ? t.row->a : t.row->b) = row;
    });
    return out;
}

GearComparison CompareAtCutoffs(const Gear& a, const Gear& b, std::span<const float> cutoffs,
                                Directions dirs) {
    GearComparison out;
    out.kind = CompareAt::Cutoff;
    out.dimensions = DifferingDimensions(a, b);
    const std::vector<NotchRow> ra = CutoffRows(a, cutoffs, dirs);
    const std::vector<NotchRow> rb = CutoffRows(b, cutoffs, dirs);
    auto events = [](const NotchRow& r) {
        return r.Reachable() ? std::optional<EventRow>(r.events) : std::nullopt;
    };
    for (std::size_t k = 0; k < ra.size() && k < rb.size(); ++k)
        out.rows.push_back(
            ComparedRow{ra[k].direction, ra[k].cutoff.value_or(0), events(ra[k]), events(rb[k])});
    return out;
}

std::string ComparisonJson(const GearComparison& c) {
    std::string out = "{\"dimensions\":[";
    for (std::size_t k = 0; k < c.dimensions.size(); ++k) {
        const DimensionDifference& d = c.dimensions[k];
        if (k) out += ',';
        out += "{\"id\":" + std::to_string(d.id) + ",\"name\":" + JsonString(d.name) +
               ",\"a\":" + FormatShortest(d.a) + ",\"b\":" + FormatShortest(d.b) +
               ",\"diff\":" + FormatShortest(d.diff) + "}";
    }
    out += "],\"rows\":[";
    for (std::size_t k = 0; k < c.rows.size(); ++k) {
        const ComparedRow& r = c.rows[k];
        if (k) out += ',';
        const std::optional<EventRow> d = r.Difference();
        out += std::string("{\"direction\":\"") + SweepDirectionText(r.direction) + "\",\"" +
               AtKey(c.kind) + "\":" + FormatShortest(r.at) +
               ",\"a\":" + (r.a ? EventRowJson(*r.a) : "null") +
               ",\"b\":" + (r.b ? EventRowJson(*r.b) : "null") +
               ",\"diff\":" + (d ? ValuesJson(*d) : "null") + "}";
    }
    return out + "]}";
}

std::string ComparisonCsv(const GearComparison& c) {
    std::string out = "id,name,a,b,diff\n";
    for (const DimensionDifference& d : c.dimensions)
        out += std::to_string(d.id) + ',' + d.name + ',' + FormatShortest(d.a) + ',' +
               FormatShortest(d.b) + ',' + FormatShortest(d.diff) + '\n';
    out += '\n';
    // "row_" keeps the row's own place apart from the events' notch column.
    out += std::string("direction,row_") + AtKey(c.kind) + ",gear";
    for (const EventColumn& col : EventColumns())
        if (col.kind != EventColumnKind::Direction) out.append(",").append(col.key);
    out += '\n';
    for (const ComparedRow& r : c.rows) {
        const std::optional<EventRow> d = r.Difference();
        const std::pair<const char*, const std::optional<EventRow>*> lines[] = {
            {"a", &r.a}, {"b", &r.b}, {"diff", &d}};
        for (const auto& [gear, row] : lines) {
            out += std::string(SweepDirectionText(r.direction)) + ',' + FormatShortest(r.at) + ',' +
                   gear;
            for (const EventColumn& col : EventColumns()) {
                if (col.kind == EventColumnKind::Direction) continue;
                out += ',';
                if (!*row) continue;
                if (col.kind == EventColumnKind::GeometryError) {
                    out += (*row)->geometryError ? "1" : "0";
                } else if (const std::optional<float> v = col.value(**row)) {
                    out += FormatShortest(*v);
                }
            }
            out += '\n';
        }
    }
    return out;
}

std::string ComparisonText(const GearComparison& c, const std::string& nameA,
                           const std::string& nameB) {
    std::string out = "A: " + nameA + "\nB: " + nameB + "\n\n";
    if (c.dimensions.empty()) {
        out += "No dimension differs.\n";
    } else {
        out += "Dimensions that differ:\n";
        out += "   id  name                       ";
        for (const char* h : {"A", "B", "B - A"}) Pad(out, h, 12);
        out += '\n';
        for (const DimensionDifference& d : c.dimensions) {
            Pad(out, std::to_string(d.id), 5);
            out += "  ";
            Pad(out, d.name, 25, true);
            for (float v : {d.a, d.b, d.diff}) Pad(out, FormatFixed(v, 0, 4), 12);
            out += '\n';
        }
    }

    // The event table's columns after the direction, behind the row's place and the gear.
    constexpr std::size_t kW = 10;
    out += "\nValve events (B - A below each pair):\n";
    Pad(out, "dir", 3, true);
    Pad(out, c.kind == CompareAt::Notch ? "notch" : "cutoff", 10);
    Pad(out, "gear", 6);
    EventEnd group = EventEnd::None;
    for (const EventColumn& col : EventColumns()) {
        if (col.kind == EventColumnKind::Direction) continue;
        if (col.end != group) {
            out += "  |";
            group = col.end;
        }
        Pad(out,
            col.end == EventEnd::None
                ? col.heading
                : std::string(col.end == EventEnd::Front ? "f " : "r ") + col.heading,
            kW);
    }
    out += '\n';
    for (const ComparedRow& r : c.rows) {
        const std::optional<EventRow> d = r.Difference();
        const std::pair<const char*, const std::optional<EventRow>*> lines[] = {
            {"A", &r.a}, {"B", &r.b}, {"B - A", &d}};
        for (const auto& [gear, row] : lines) {
            Pad(out, SweepDirectionText(r.direction), 3, true);
            Pad(out, AtText(c.kind, r.at), 10);
            Pad(out, gear, 6);
            group = EventEnd::None;
            for (const EventColumn& col : EventColumns()) {
                if (col.kind == EventColumnKind::Direction) continue;
                if (col.end != group) {
                    out += "  |";
                    group = col.end;
                }
                Pad(out, *row ? EventCellText(col, **row) : std::string(kAbsentText), kW);
            }
            out += '\n';
        }
    }
    return out;
}

}  // namespace mv
