#include "analysis/event_table.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "analysis/event_finder.hpp"
#include "analysis/parallel.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

using LD = long double;

}  // namespace

float FrontStrokePercent(float piston) {
    return static_cast<float>(LD(piston) / 6.4L);
}
float RearStrokePercent(float piston) {
    return static_cast<float>((640.0L - piston) / 6.4L);
}

EventRow ComputeEventRow(const Gear& g, float revArm, SweepDirection dir, float coarseStep) {
    return FindEvents(g, revArm, dir, coarseStep);
}

std::vector<float> DefaultEventSettings(const Gear& m, SweepDirection dir, int rows) {
    if (rows < 1) rows = 1;
    const LD mid = m.revArmPositions[0];
    const LD max = m.frame.revArmMax;
    const LD sign = dir == SweepDirection::Forward ? 1.0L : -1.0L;
    std::vector<float> out;
    out.reserve(static_cast<std::size_t>(rows));
    for (int i = 0; i < rows; ++i) {
        const LD f = rows == 1 ? 0.0L : LD(i) / (rows - 1);
        out.push_back(static_cast<float>(mid + sign * f * max));
    }
    return out;
}

std::vector<EventRow> ComputeEventTable(const Gear& m, std::span<const float> settings,
                                        SweepDirection dir, float coarseStep) {
    // Rows are independent, so computing them in parallel gives the same rows in the same order.
    std::vector<EventRow> rows(settings.size());
    ParallelFor(settings.size(),
                [&](std::size_t i) { rows[i] = ComputeEventRow(m, settings[i], dir, coarseStep); });
    return rows;
}

std::vector<EventRow> ComputeDefaultEventTable(const Gear& m, int rows) {
    std::vector<EventRow> out = ComputeEventTable(
        m, DefaultEventSettings(m, SweepDirection::Forward, rows), SweepDirection::Forward);
    const std::vector<EventRow> rev = ComputeEventTable(
        m, DefaultEventSettings(m, SweepDirection::Reverse, rows), SweepDirection::Reverse);
    out.insert(out.end(), rev.begin(), rev.end());
    return out;
}

const char* SweepDirectionText(SweepDirection d) {
    return d == SweepDirection::Forward ? "fwd" : "rev";
}

// --- The columns and their text forms ---------------------------------------------------------

namespace {

template <std::optional<float> EndEvents::*Field>
std::optional<float> FrontValue(const EventRow& r) {
    return r.front.*Field;
}
template <std::optional<float> EndEvents::*Field>
std::optional<float> RearValue(const EventRow& r) {
    return r.rear.*Field;
}

// One value of both ends: the front's column and the rear's.
struct EndColumnPair {
    EventColumn front, rear;
};
template <std::optional<float> EndEvents::*Field>
constexpr EndColumnPair EndColumns(const char* frontKey, const char* rearKey, const char* name,
                                   const char* heading, const char* label, const char* tip,
                                   EventColumnKind kind) {
    return {{frontKey, name, heading, label, tip, kind, EventEnd::Front, &FrontValue<Field>},
            {rearKey, name, heading, label, tip, kind, EventEnd::Rear, &RearValue<Field>}};
}

constexpr EventColumn kRowColumns[] = {
    {"direction", "direction", "dir", "Direction", "Running direction", EventColumnKind::Direction,
     EventEnd::None, nullptr},
    {"revarm", "revarm", "revarm", "Rev Arm", "Reverse-arm setting", EventColumnKind::Length,
     EventEnd::None, [](const EventRow& r) -> std::optional<float> { return r.revArm; }},
    {"notch", "notch", "notch", "Notch", "(setting - mid gear) / \"Rev Arm to Cent Max\"",
     EventColumnKind::Notch, EventEnd::None,
     [](const EventRow& r) -> std::optional<float> { return r.notch; }},
    {"travel", "travel", "travel", "Travel",
     "Valve travel: largest minus smallest valve displacement", EventColumnKind::Length,
     EventEnd::None, [](const EventRow& r) -> std::optional<float> { return r.travel; }},
};

constexpr EndColumnPair kEndColumns[] = {
    EndColumns<&EndEvents::admission>(
        "front_admission", "rear_admission", "admission", "adm %", "Adm. %",
        "Admission: steam port opens, per cent of stroke from this end's dead centre",
        EventColumnKind::Percent),
    EndColumns<&EndEvents::cutoff>(
        "front_cutoff", "rear_cutoff", "cutoff", "cut %", "Cut-off %",
        "Cut-off: steam port closes, per cent of stroke from this end's dead centre",
        EventColumnKind::Percent),
    EndColumns<&EndEvents::release>(
        "front_release", "rear_release", "release", "rel %", "Rel. %",
        "Release: exhaust opens, per cent of stroke from this end's dead centre",
        EventColumnKind::Percent),
    EndColumns<&EndEvents::compression>(
        "front_compression", "rear_compression", "compression", "comp %", "Comp. %",
        "Compression: exhaust closes, per cent of stroke from this end's dead centre",
        EventColumnKind::Percent),
    EndColumns<&EndEvents::lead>(
        "front_lead", "rear_lead", "lead", "lead", "Lead",
        "Steam port opening at this end's dead centre (negative: still covered)",
        EventColumnKind::Length),
    EndColumns<&EndEvents::maxSteam>("front_max_steam", "rear_max_steam", "max_steam", "steam",
                                     "Max stm", "Largest steam port opening over the turn",
                                     EventColumnKind::Length),
    EndColumns<&EndEvents::maxExhaust>(
        "front_max_exhaust", "rear_max_exhaust", "max_exhaust", "exhaust", "Max exh",
        "Largest exhaust opening over the turn", EventColumnKind::Length),
};

constexpr EventColumn kGeometryColumn = {"geometry_error",
                                         "geometry_error",
                                         "geometry",
                                         "Geometry",
                                         "The solver had to clamp during the row's turn",
                                         EventColumnKind::GeometryError,
                                         EventEnd::None,
                                         nullptr};

constexpr std::size_t kColumnCount = std::size(kRowColumns) + 2 * std::size(kEndColumns) + 1;

// The row's own columns, every front column, every rear column, then the geometry flag.
constexpr std::array<EventColumn, kColumnCount> kColumns = [] {
    std::array<EventColumn, kColumnCount> t{};
    std::size_t n = 0;
    for (const EventColumn& c : kRowColumns) t[n++] = c;
    for (const EndColumnPair& p : kEndColumns) t[n++] = p.front;
    for (const EndColumnPair& p : kEndColumns) t[n++] = p.rear;
    t[n++] = kGeometryColumn;
    return t;
}();

void AppendPadded(std::string& out, const std::string& cell, std::size_t width) {
    // Width in characters, not bytes: the absent mark is one character of three bytes.
    std::size_t chars = 0;
    for (unsigned char c : cell)
        if ((c & 0xC0) != 0x80) ++chars;
    if (chars < width) out.append(width - chars, ' ');
    out += cell;
}

// The value for a machine: numbers as the shortest text that reads back as the same float,
// `absent` when there is none, the geometry flag as `yes` or `no`.
std::string NumberText(const EventColumn& c, const EventRow& r, const char* absent, const char* yes,
                       const char* no) {
    if (c.kind == EventColumnKind::Direction) return SweepDirectionText(r.direction);
    if (c.kind == EventColumnKind::GeometryError) return r.geometryError ? yes : no;
    const std::optional<float> v = c.value(r);
    return v ? FormatShortest(*v) : std::string(absent);
}

}  // namespace

const char* EventEndName(EventEnd end) {
    return end == EventEnd::Front ? "front" : end == EventEnd::Rear ? "rear" : "";
}

std::span<const EventColumn> EventColumns() {
    return kColumns;
}

std::vector<std::string> EventColumnNames() {
    std::vector<std::string> names;
    for (const EventColumn& c : EventColumns()) names.emplace_back(c.key);
    return names;
}

std::string EventCellText(const EventColumn& c, const EventRow& r) {
    switch (c.kind) {
        case EventColumnKind::Direction: return SweepDirectionText(r.direction);
        case EventColumnKind::GeometryError: return r.geometryError ? "error" : "ok";
        case EventColumnKind::Length: return EventLengthText(c.value(r));
        case EventColumnKind::Percent: return EventPercentText(c.value(r));
        case EventColumnKind::Notch: {
            const std::optional<float> v = c.value(r);
            return v ? FormatFixed(static_cast<double>(*v), 0, 3) : std::string(kAbsentText);
        }
    }
    return {};
}

std::string EventTableDelimited(std::span<const EventRow> rows, char separator) {
    std::string out;
    for (const EventColumn& c : EventColumns()) {
        if (&c != EventColumns().data()) out += separator;
        out += c.key;
    }
    out += '\n';
    for (const EventRow& r : rows) {
        for (const EventColumn& c : EventColumns()) {
            if (&c != EventColumns().data()) out += separator;
            out += NumberText(c, r, "", "1", "0");
        }
        out += '\n';
    }
    return out;
}

std::string EventRowJson(const EventRow& r, bool figures) {
    std::string out = "{";
    EventEnd group = EventEnd::None;
    bool first = true;  // the first value of its object
    for (const EventColumn& c : EventColumns()) {
        if (c.end != group) {
            if (group != EventEnd::None) out += '}';
            if (c.end != EventEnd::None) {
                out.append(",\"").append(EventEndName(c.end)).append("\":{");
                first = true;
            }
            group = c.end;
        }
        if (!first) out += ',';
        first = false;
        out.append("\"").append(c.jsonKey).append("\":");
        if (c.kind == EventColumnKind::Direction)
            out.append("\"").append(SweepDirectionText(r.direction)).append("\"");
        else
            out += figures ? NumberText(c, r, "null", "true", "false") : std::string("null");
    }
    if (group != EventEnd::None) out += '}';
    out += '}';
    return out;
}

std::string EventPercentText(const std::optional<float>& v) {
    return v ? FormatFixed(static_cast<double>(*v), 0, 2) : std::string(kAbsentText);
}

std::string EventLengthText(const std::optional<float>& v) {
    return v ? FormatFixed(static_cast<double>(*v), 0, 4) : std::string(kAbsentText);
}

std::string EventTableText(std::span<const EventRow> rows) {
    // The direction takes three characters and a blank, every other column kW. Each end's
    // columns stand behind a bar, under a first line that names the end.
    constexpr std::size_t kW = 9;
    auto width = [](const EventColumn& c) {
        return c.kind == EventColumnKind::Direction ? std::size_t{3} : kW;
    };
    auto append = [&width](std::string& out, const EventColumn& c, const std::string& text,
                           EventEnd& group) {
        if (c.end != group) {
            out += "  |";
            group = c.end;
        }
        AppendPadded(out, text, width(c));
        if (c.kind == EventColumnKind::Direction) out += ' ';
    };

    // The first line names each end over its bar; columns after the ends go unnamed.
    std::string out;
    std::size_t pending = 0;  // width of the columns since the last name on the first line
    EventEnd named = EventEnd::None;
    EventEnd group = EventEnd::None;
    for (const EventColumn& c : EventColumns()) {
        if (c.end != group && c.end != EventEnd::None) {
            const std::size_t taken =
                named == EventEnd::None ? 0 : 1 + std::strlen(EventEndName(named));
            out.append(pending - taken, ' ');
            out.append("  | ").append(EventEndName(c.end));
            named = c.end;
            pending = 0;
        }
        group = c.end;
        pending += width(c) + (c.kind == EventColumnKind::Direction ? 1 : 0);
    }
    out += '\n';
    group = EventEnd::None;
    for (const EventColumn& c : EventColumns()) append(out, c, c.heading, group);
    out += '\n';
    for (const EventRow& r : rows) {
        group = EventEnd::None;
        for (const EventColumn& c : EventColumns()) append(out, c, EventCellText(c, r), group);
        out += '\n';
    }
    return out;
}

}  // namespace mv
