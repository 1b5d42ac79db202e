#include "analysis/event_table.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <execution>

#include "analysis/event_finder.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

using LD = long double;

void AppendPadded(std::string& out, const std::string& cell, std::size_t width) {
    // Width in characters, not bytes: the absent mark is one character of three bytes.
    std::size_t chars = 0;
    for (unsigned char c : cell)
        if ((c & 0xC0) != 0x80) ++chars;
    if (chars < width) out.append(width - chars, ' ');
    out += cell;
}

std::string NumText(const std::optional<float>& v) {
    return v ? FormatSignificant(static_cast<double>(*v), 9) : std::string();
}

std::string JsonNum(const std::optional<float>& v) {
    return v ? FormatSignificant(static_cast<double>(*v), 9) : std::string("null");
}

std::string EndJson(const EndEvents& e) {
    return "{\"admission\":" + JsonNum(e.admission) + ",\"cutoff\":" + JsonNum(e.cutoff) +
           ",\"release\":" + JsonNum(e.release) + ",\"compression\":" + JsonNum(e.compression) +
           ",\"lead\":" + JsonNum(e.lead) + ",\"max_steam\":" + JsonNum(e.maxSteam) +
           ",\"max_exhaust\":" + JsonNum(e.maxExhaust) + "}";
}

std::array<std::optional<float>, 7> EndValues(const EndEvents& e) {
    return {e.admission, e.cutoff, e.release, e.compression, e.lead, e.maxSteam, e.maxExhaust};
}

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
    std::transform(std::execution::par, settings.begin(), settings.end(), rows.begin(),
                   [&](float s) { return ComputeEventRow(m, s, dir, coarseStep); });
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

std::vector<std::string> EventColumnNames() {
    std::vector<std::string> names = {"direction", "revarm", "notch", "travel"};
    for (const char* end : {"front_", "rear_"}) {
        for (const char* v :
             {"admission", "cutoff", "release", "compression", "lead", "max_steam", "max_exhaust"})
            names.push_back(std::string(end) + v);
    }
    names.push_back("geometry_error");
    return names;
}

std::string EventTableDelimited(std::span<const EventRow> rows, char separator) {
    std::string out;
    const std::vector<std::string> names = EventColumnNames();
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (k) out += separator;
        out += names[k];
    }
    out += '\n';
    for (const EventRow& r : rows) {
        out += SweepDirectionText(r.direction);
        out += separator;
        out += NumText(r.revArm);
        out += separator;
        out += NumText(r.notch);
        out += separator;
        out += NumText(r.travel);
        for (const EndEvents* e : {&r.front, &r.rear}) {
            for (const auto& v : EndValues(*e)) {
                out += separator;
                out += NumText(v);
            }
        }
        out += separator;
        out += r.geometryError ? "1" : "0";
        out += '\n';
    }
    return out;
}

std::string EventRowJson(const EventRow& r) {
    return std::string("{\"direction\":\"") + SweepDirectionText(r.direction) +
           "\",\"revarm\":" + JsonNum(r.revArm) + ",\"notch\":" + JsonNum(r.notch) +
           ",\"travel\":" + JsonNum(r.travel) + ",\"front\":" + EndJson(r.front) +
           ",\"rear\":" + EndJson(r.rear) +
           ",\"geometry_error\":" + (r.geometryError ? "true" : "false") + "}";
}

std::string EventPercentText(const std::optional<float>& v) {
    return v ? FormatFixed(static_cast<double>(*v), 0, 2) : std::string(kAbsentText);
}

std::string EventLengthText(const std::optional<float>& v) {
    return v ? FormatFixed(static_cast<double>(*v), 0, 4) : std::string(kAbsentText);
}

std::string EventTableText(std::span<const EventRow> rows) {
    // Two header lines: the end over its seven columns, then the column names.
    constexpr std::size_t kW = 9;
    static const char* const kEndCols[7] = {"adm %", "cut %", "rel %",  "comp %",
                                            "lead",  "steam", "exhaust"};
    std::string out;
    out.append(4 + 3 * kW, ' ');
    out += "  | front";
    out.append(7 * kW - 6, ' ');
    out += "  | rear\n";
    AppendPadded(out, "dir", 3);
    out += ' ';
    AppendPadded(out, "revarm", kW);
    AppendPadded(out, "notch", kW);
    AppendPadded(out, "travel", kW);
    for (int end = 0; end < 2; ++end) {
        out += "  |";
        for (const char* c : kEndCols) AppendPadded(out, c, kW);
    }
    out += "  |";
    AppendPadded(out, "geometry", kW);
    out += '\n';
    for (const EventRow& r : rows) {
        AppendPadded(out, SweepDirectionText(r.direction), 3);
        out += ' ';
        AppendPadded(out, EventLengthText(std::optional<float>(r.revArm)), kW);
        AppendPadded(out, r.notch ? FormatFixed(static_cast<double>(*r.notch), 0, 3) : kAbsentText,
                     kW);
        AppendPadded(out, EventLengthText(r.travel), kW);
        for (const EndEvents* e : {&r.front, &r.rear}) {
            out += "  |";
            AppendPadded(out, EventPercentText(e->admission), kW);
            AppendPadded(out, EventPercentText(e->cutoff), kW);
            AppendPadded(out, EventPercentText(e->release), kW);
            AppendPadded(out, EventPercentText(e->compression), kW);
            AppendPadded(out, EventLengthText(e->lead), kW);
            AppendPadded(out, EventLengthText(e->maxSteam), kW);
            AppendPadded(out, EventLengthText(e->maxExhaust), kW);
        }
        out += "  |";
        AppendPadded(out, r.geometryError ? "error" : "ok", kW);
        out += '\n';
    }
    return out;
}

}  // namespace mv
