#include "analysis/event_table.hpp"

#include <algorithm>
#include <array>
#include <cmath>
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

void AppendPadded(std::string& out, const std::string& cell, std::size_t width) {
    // Width in characters, not bytes: the absent mark is one character of three bytes.
    std::size_t chars = 0;
    for (unsigned char c : cell)
        if ((c & 0xC0) != 0x80) ++chars;
    if (chars < width) out.append(width - chars, ' ');
    out += cell;
}

std::string NumText(const std::optional<float>& v) {
    return v ? FormatShortest(*v) : std::string();
}

std::string JsonNum(const std::optional<float>& v) {
    return v ? FormatShortest(*v) : std::string("null");
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

std::vector<std::string> EventColumnNames() {
    std::vector<std::string> names = {"direction", "revarm", "notch", "travel"};
    for (const char* end : {"front_", "rear_"}) {
        for (const char* v :
             {"admission", "cutoff", "release", "compression", "lead", "max_steam", "max_exhaust"})
            names.push_back(std::string(end) + v);
    }
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
        out += '\n';
    }
    return out;
}

std::string EventRowJson(const EventRow& r) {
    return std::string("{\"direction\":\"") + SweepDirectionText(r.direction) +
           "\",\"revarm\":" + JsonNum(r.revArm) + ",\"notch\":" + JsonNum(r.notch) +
           ",\"travel\":" + JsonNum(r.travel) + ",\"front\":" + EndJson(r.front) +
           ",\"rear\":" + EndJson(r.rear) + "}";
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
        out += '\n';
    }
    return out;
}

}  // namespace mv
