#include "analysis/event_table.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <execution>

#include "model/port_events.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

using LD = long double;

// A turn never has more samples than this, whatever step is asked for.
constexpr int kMaxSweepSamples = 3'600'000;

std::optional<float> Finite(LD v) {
    const float f = static_cast<float>(v);
    if (!std::isfinite(f)) return std::nullopt;
    return f;
}

int SamplesPerTurn(float maxStep) {
    if (!(maxStep > 0.0f) || !std::isfinite(maxStep)) maxStep = kEventSweepStep;
    const LD n = std::ceil(360.0L / static_cast<LD>(maxStep) - 1e-9L);
    int samples = n > kMaxSweepSamples ? kMaxSweepSamples : static_cast<int>(n);
    if (samples < 2) samples = 2;
    // Even, so that the rear dead centre (180 degrees) is one of the samples.
    if (samples % 2 != 0) ++samples;
    return samples;
}

}  // namespace

float FrontStrokePercent(float piston) {
    return static_cast<float>(LD(piston) / 6.4L);
}
float RearStrokePercent(float piston) {
    return static_cast<float>((640.0L - piston) / 6.4L);
}

EventRow ComputeEventRow(const Gear& g, float revArm, SweepDirection dir, float maxStep) {
    Gear m = g;
    EventRow row;
    row.direction = dir;
    row.revArm = revArm;
    const float max = m.frame.revArmMax;
    if (max != 0.0f) row.notch = Finite((LD(revArm) - m.revArmPositions[0]) / LD(max));

    const int n = SamplesPerTurn(maxStep);
    m.gear.revArmSetting = revArm;
    m.gear.geometryError = false;

    auto solveAt = [&m](int k, int samples, SweepDirection d) {
        const LD a = 360.0L * k / samples;
        m.gear.driverAngle =
            static_cast<float>(d == SweepDirection::Forward || k == 0 ? a : 360.0L - a);
        SolveLinkage(m);
        SolvePistonAndPorts(m);
        return SampleOf(m.valve);
    };

    const PortSample first = solveAt(0, n, dir);
    LD dMin = m.valve.displacement, dMax = m.valve.displacement;
    LD fsMax = first.frontSteam, feMax = first.frontExhaust;
    LD rsMax = first.rearSteam, reMax = first.rearExhaust;
    const LD frontLead = first.frontSteam;
    LD rearLead = 0;

    // Piston position of the latest event of each kind in the turn; -1: none yet.
    std::array<float, kPortEventKinds> latest;
    latest.fill(-1.0f);
    std::array<PortCrossing, kPortEventKinds> found{};

    PortSample prev = first;
    for (int k = 1; k <= n; ++k) {
        // The turn closes on its own first sample, so a crossing at 0 degrees counts once.
        const PortSample cur = k == n ? first : solveAt(k, n, dir);
        if (k < n) {
            dMin = std::min<LD>(dMin, m.valve.displacement);
            dMax = std::max<LD>(dMax, m.valve.displacement);
            fsMax = std::max<LD>(fsMax, cur.frontSteam);
            feMax = std::max<LD>(feMax, cur.frontExhaust);
            rsMax = std::max<LD>(rsMax, cur.rearSteam);
            reMax = std::max<LD>(reMax, cur.rearExhaust);
        }
        if (2 * k == n) rearLead = cur.rearSteam;
        const int count = DetectCrossings(prev, cur, found);
        for (int c = 0; c < count; ++c) latest[static_cast<int>(found[c].kind)] = found[c].piston;
        prev = cur;
    }
    row.geometryError = m.gear.geometryError;

    auto event = [&latest](PortEvent kind, bool front) -> std::optional<float> {
        const float p = latest[static_cast<int>(kind)];
        if (p < 0.0f || !std::isfinite(p)) return std::nullopt;
        return front ? FrontStrokePercent(p) : RearStrokePercent(p);
    };
    auto opening = [](LD v) -> std::optional<float> {
        return v >= 0.0L ? Finite(v) : std::nullopt;
    };
    row.travel = Finite(dMax - dMin);
    row.front.admission = event(PortEvent::FrontSteamOpen, true);
    row.front.cutoff = event(PortEvent::FrontSteamClose, true);
    row.front.release = event(PortEvent::FrontExhaustOpen, true);
    row.front.compression = event(PortEvent::FrontExhaustClose, true);
    row.front.lead = Finite(frontLead);
    row.front.maxSteam = opening(fsMax);
    row.front.maxExhaust = opening(feMax);
    row.rear.admission = event(PortEvent::RearSteamOpen, false);
    row.rear.cutoff = event(PortEvent::RearSteamClose, false);
    row.rear.release = event(PortEvent::RearExhaustOpen, false);
    row.rear.compression = event(PortEvent::RearExhaustClose, false);
    row.rear.lead = Finite(rearLead);
    row.rear.maxSteam = opening(rsMax);
    row.rear.maxExhaust = opening(reMax);
    return row;
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
                                        SweepDirection dir, float maxStep) {
    // Rows are independent, so computing them in parallel gives the same rows in the same order.
    std::vector<EventRow> rows(settings.size());
    std::transform(std::execution::par, settings.begin(), settings.end(), rows.begin(),
                   [&](float s) { return ComputeEventRow(m, s, dir, maxStep); });
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

constexpr std::size_t kColumnCount = std::size(kRowColumns) + 2 * std::size(kEndColumns);

// The row's own columns, then every front column, then every rear column.
constexpr std::array<EventColumn, kColumnCount> kColumns = [] {
    std::array<EventColumn, kColumnCount> t{};
    std::size_t n = 0;
    for (const EventColumn& c : kRowColumns) t[n++] = c;
    for (const EndColumnPair& p : kEndColumns) t[n++] = p.front;
    for (const EndColumnPair& p : kEndColumns) t[n++] = p.rear;
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

// The value with 9 significant digits; `absent` when there is none.
std::string NumberText(const EventColumn& c, const EventRow& r, const char* absent) {
    if (c.kind == EventColumnKind::Direction) return SweepDirectionText(r.direction);
    const std::optional<float> v = c.value(r);
    return v ? FormatSignificant(static_cast<double>(*v), 9) : std::string(absent);
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
            out += NumberText(c, r, "");
        }
        out += '\n';
    }
    return out;
}

std::string EventRowJson(const EventRow& r) {
    std::string out = "{";
    EventEnd group = EventEnd::None;
    for (const EventColumn& c : EventColumns()) {
        if (c.end != group) {
            out += group == EventEnd::None ? "," : "},";
            out += std::string("\"") + EventEndName(c.end) + "\":{";
            group = c.end;
        } else if (&c != EventColumns().data()) {
            out += ',';
        }
        out += std::string("\"") + c.jsonKey + "\":";
        out += c.kind == EventColumnKind::Direction
                   ? std::string("\"") + SweepDirectionText(r.direction) + "\""
                   : NumberText(c, r, "null");
    }
    out += group == EventEnd::None ? "}" : "}}";
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

    std::string out;
    std::size_t pending = 0;  // width of the columns not yet covered on the first line
    EventEnd group = EventEnd::None;
    for (const EventColumn& c : EventColumns()) {
        if (c.end != group) {
            const std::size_t named =
                group == EventEnd::None ? 0 : 1 + std::strlen(EventEndName(group));
            out.append(pending - named, ' ');
            out += std::string("  | ") + EventEndName(c.end);
            group = c.end;
            pending = 0;
        }
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
