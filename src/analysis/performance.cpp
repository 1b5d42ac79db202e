#include "analysis/performance.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numbers>
#include <numeric>

#include "analysis/parallel.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

using LD = long double;

constexpr LD kPi = std::numbers::pi_v<LD>;
// Events a hair outside the stroke are rounding at a dead centre, not events beyond it.
constexpr LD kStrokeSlack = 1e-3L;

bool Finite(LD v) {
    return std::isfinite(v);
}
// A figure the model can hold: finite as a float, so no text form ever sees inf.
bool FitsFloat(LD v) {
    return Finite(v) && std::fabs(v) <= LD(FLT_MAX);
}

constexpr const char* kTooLarge = "a figure too large to hold";

// An end's card in volumes: what the work and the polygon both need.
struct Card {
    LD swept = 0, clearance = 0;        // Vs, Vc
    LD va = 0, vc = 0, vr = 0, vk = 0;  // volumes at admission, cut-off, release, compression
    LD p = 0, b = 0;
    bool admissionBeforeDeadCentre = false;
};

// Per cent of the stroke as a number the card can use, or none.
std::optional<LD> StrokePercent(const std::optional<float>& e) {
    if (!e || !Finite(*e) || *e < -kStrokeSlack || *e > 100 + kStrokeSlack) return std::nullopt;
    return std::clamp(LD(*e), 0.0L, 100.0L);
}

// Builds the card or says why there is none.
const char* MakeCard(const EndEvents& e, const EndCylinder& c, const SteamConditions& s,
                     Card& card) {
    if (const char* problem = SteamConditionsProblem(s)) return problem;
    if (!(c.area > 0) || !Finite(c.area)) return "no piston area";
    if (!(c.stroke > 0) || !Finite(c.stroke)) return "the stroke is not above 0";
    if (!e.admission) return "no admission";
    if (!e.cutoff) return "no cut-off";
    if (!e.release) return "no release";
    if (!e.compression) return "no compression";
    const std::optional<LD> a = StrokePercent(e.admission), k = StrokePercent(e.compression),
                            co = StrokePercent(e.cutoff), r = StrokePercent(e.release);
    if (!a || !co || !r || !k) return "an event outside the stroke";

    // The events are places in the stroke, not moments: which stroke each lies on is what
    // orders them. Cut-off and release lie on the outward stroke and compression on the return
    // stroke; admission lies on the return stroke when the port is open at the dead centre
    // (lead), so a cut-off earlier in the stroke than the admission is then the admission line
    // passing the dead centre, not a fault.
    card.admissionBeforeDeadCentre = e.lead ? *e.lead > 0 : *a > *co;
    if (*r < *co) return "release before cut-off";
    if (!card.admissionBeforeDeadCentre && *co < *a) return "cut-off before admission";
    if (card.admissionBeforeDeadCentre && *k < *a) return "compression after admission";

    card.swept = c.area * c.stroke;
    card.clearance = LD(s.clearance) / 100.0L * card.swept;
    if (!FitsFloat(card.swept) || !(card.clearance > 0)) return kTooLarge;
    auto volume = [&card](LD percent) { return card.clearance + card.swept * percent / 100.0L; };
    card.va = volume(*a);
    card.vc = volume(*co);
    card.vr = volume(*r);
    card.vk = volume(*k);
    card.p = s.pressure;
    card.b = s.backPressure;
    return nullptr;
}

EndPerformance Absent(const char* reason) {
    EndPerformance out;
    out.reason = reason;
    return out;
}

// p V = C along a curved phase, from v0 to v1: n points evenly spaced in log volume, which
// keeps every chord equally close to the curve however large the ratio. One power per curve:
// the points follow by multiplication.
void AppendCurve(std::vector<CardPoint>& out, LD constant, LD v0, LD v1, int n) {
    const LD ratio = std::pow(v1 / v0, 1.0L / (n - 1)), inverse = 1 / ratio;
    LD v = v0, p = constant / v0;  // p falls by the ratio v grows by
    for (int j = 0; j < n - 1; ++j, v *= ratio, p *= inverse)
        out.push_back({static_cast<float>(v), static_cast<float>(p)});
    out.push_back({static_cast<float>(v1), static_cast<float>(constant / v1)});
}

// As AppendCurve, for a phase that passes the dead centre (volume vt) on its way; the dead
// centre is a point of its own.
void AppendCurveVia(std::vector<CardPoint>& out, LD constant, LD v0, LD vt, LD v1, int n) {
    const LD l0 = std::log(v0 / vt), step = (l0 + std::log(v1 / vt)) / (n - 1);
    const LD ratio = std::exp(step);
    LD v = v0;
    bool turned = false;
    for (int j = 0; j < n; ++j) {
        const LD t = step * j;
        if (!turned && t > l0) {
            out.push_back({static_cast<float>(vt), static_cast<float>(constant / vt)});
            v = vt * std::exp(t - l0);
            turned = true;
        }
        if (j == n - 1) v = v1;
        out.push_back({static_cast<float>(v), static_cast<float>(constant / v)});
        v = turned ? v * ratio : v / ratio;
    }
}

}  // namespace

const char* SteamConditionsProblem(const SteamConditions& s) {
    if (!std::isfinite(s.pressure) || !std::isfinite(s.backPressure) ||
        !std::isfinite(s.clearance) || !std::isfinite(s.rodDia))
        return "a steam condition is not a finite number";
    if (!(s.backPressure > 0)) return "the back pressure is not above 0";
    if (!(s.pressure > s.backPressure)) return "the pressure is not above the back pressure";
    if (!(s.clearance > 0) || s.clearance > 100) return "the clearance is outside 0..100 per cent";
    if (s.rodDia < 0) return "the piston rod is below 0";
    if (s.cylinders < 1) return "fewer than one cylinder";
    return nullptr;
}

EndCylinder FrontCylinder(const Gear& g) {
    const LD d = g.cyl.boreDia;
    return {d > 0 ? kPi / 4.0L * d * d : 0.0L, g.frame.stroke};
}

EndCylinder RearCylinder(const Gear& g, float rodDia) {
    const LD d = g.cyl.boreDia, rod = rodDia;
    return {d > rod && d > 0 ? kPi / 4.0L * (d * d - rod * rod) : 0.0L, g.frame.stroke};
}

EndPerformance EndCard(const EndEvents& e, const EndCylinder& c, const SteamConditions& s) {
    Card k;
    if (const char* why = MakeCard(e, c, s, k)) return Absent(why);
    // Each phase's pressure is a function of the volume alone, so its work depends only on
    // the volumes where it begins and ends, whichever dead centre the piston passes on the way.
    const LD work = k.p * (k.vc - k.va) + k.p * k.vc * std::log(k.vr / k.vc) + k.b * (k.vk - k.vr) +
                    k.b * k.vk * std::log(k.va / k.vk);
    const LD mep = work / k.swept;
    if (!FitsFloat(work) || !FitsFloat(mep)) return Absent(kTooLarge);
    EndPerformance out;
    out.work = static_cast<float>(work);
    out.mep = static_cast<float>(mep);
    return out;
}

std::vector<CardPoint> CardPolygon(const EndEvents& e, const EndCylinder& c,
                                   const SteamConditions& s, int n) {
    Card k;
    if (MakeCard(e, c, s, k) || !EndCard(e, c, s).work) return {};
    n = std::max(n, 2);
    std::vector<CardPoint> out;
    out.reserve(2 * static_cast<std::size_t>(n) + 6);
    auto point = [&out](LD v, LD p) {
        out.push_back({static_cast<float>(v), static_cast<float>(p)});
    };
    point(k.va, k.p);
    if (k.admissionBeforeDeadCentre && k.va > k.clearance) point(k.clearance, k.p);
    AppendCurve(out, k.p * k.vc, k.vc, k.vr, n);
    point(k.vr, k.b);
    const LD far = k.clearance + k.swept;
    if (k.vr < far) point(far, k.b);
    // With admission after the dead centre the compression runs into the dead centre and out
    // again to the admission.
    if (!k.admissionBeforeDeadCentre && k.va > k.clearance && k.vk > k.clearance)
        AppendCurveVia(out, k.b * k.vk, k.vk, k.clearance, k.va, n);
    else
        AppendCurve(out, k.b * k.vk, k.vk, k.va, n);
    point(k.va, k.p);
    for (const CardPoint& q : out)
        if (!std::isfinite(q[0]) || !std::isfinite(q[1])) return {};
    return out;
}

PerformanceRow RowPerformance(const Gear& g, const EventRow& row, const SteamConditions& s) {
    PerformanceRow out;
    out.direction = row.direction;
    out.notch = row.notch;
    out.revArm = row.revArm;
    out.geometryError = row.geometryError;
    const LD bore = g.cyl.boreDia;
    if (const char* problem = SteamConditionsProblem(s)) {
        out.front = out.rear = Absent(problem);
    } else if (!(bore > 0) || !Finite(bore)) {
        out.front = out.rear = Absent("the bore is not above 0");
    } else {
        out.front = EndCard(row.front, FrontCylinder(g), s);
        out.rear = LD(s.rodDia) < bore ? EndCard(row.rear, RearCylinder(g, s.rodDia), s)
                                       : Absent("the piston rod is as wide as the bore");
    }
    if (!out.front.work || !out.rear.work) {
        out.reason = !out.front.work ? "the front end has no card" : "the rear end has no card";
        return out;
    }
    const LD sum = LD(*out.front.work) + *out.rear.work;
    const LD perTurn = s.cylinders * sum;
    if (FitsFloat(perTurn))
        out.workPerTurn = static_cast<float>(perTurn);
    else
        out.reason = kTooLarge;

    const LD driver = g.frame.driverDia;
    if (!(driver > 0) || !Finite(driver)) {
        if (!out.reason) out.reason = "the driver diameter is not above 0";
    } else if (out.workPerTurn) {
        const LD effort = perTurn / (kPi * driver);
        if (FitsFloat(effort))
            out.tractiveEffort = static_cast<float>(effort);
        else if (!out.reason)
            out.reason = kTooLarge;
    }

    const LD mean = sum / 2.0L;
    if (mean == 0) {
        if (!out.reason) out.reason = "no work to compare the ends by";
    } else {
        const LD imbalance = 100.0L * (LD(*out.front.work) - *out.rear.work) / mean;
        if (FitsFloat(imbalance))
            out.workImbalance = static_cast<float>(imbalance);
        else if (!out.reason)
            out.reason = kTooLarge;
    }
    return out;
}

std::vector<PerformanceRow> PerformanceRows(const Gear& g, std::span<const EventRow> rows,
                                            const SteamConditions& s, int cardPoints) {
    std::vector<PerformanceRow> out;
    out.reserve(rows.size());
    for (const EventRow& r : rows) {
        out.push_back(RowPerformance(g, r, s));
        if (cardPoints < 2) continue;
        // The cards of ends whose figures are absent stay empty.
        if (out.back().front.work)
            out.back().frontCard = CardPolygon(r.front, FrontCylinder(g), s, cardPoints);
        if (out.back().rear.work)
            out.back().rearCard = CardPolygon(r.rear, RearCylinder(g, s.rodDia), s, cardPoints);
    }
    return out;
}

std::vector<EventRow> PositionEventRows(const Gear& g) {
    const int count = std::clamp(g.revArmPositionCount, 0, kRevArmPositions - 1);
    std::vector<int> positions(static_cast<std::size_t>(count));
    std::iota(positions.begin(), positions.end(), 1);
    std::vector<EventRow> rows(positions.size());
    const float mid = g.revArmPositions[0];
    // Each row is its own sweep of the gear, which is only read.
    ParallelFor(positions.size(), [&](std::size_t i) {
        const float p = g.revArmPositions[positions[i]];
        rows[i] =
            ComputeEventRow(g, p, p >= mid ? SweepDirection::Forward : SweepDirection::Reverse);
    });
    return rows;
}

std::optional<float> WorkImbalance(const Gear& g, const EventRow& row, const SteamConditions& s) {
    return RowPerformance(g, row, s).workImbalance;
}

// --- Text forms ---------------------------------------------------------------------------

namespace {

constexpr PerformanceColumn kColumns[] = {
    {"direction", "Direction", "Running direction", PerformanceColumnKind::Direction, nullptr},
    {"notch", "Notch", "Reverse-arm travel from mid gear over \"Rev Arm to Cent Max\"",
     PerformanceColumnKind::Notch, [](const PerformanceRow& r) { return r.notch; }},
    {"revarm", "Rev Arm", "Reverse-arm setting", PerformanceColumnKind::Length,
     [](const PerformanceRow& r) -> std::optional<float> { return r.revArm; }},
    {"front_work", "Front work", "Work of the front end's card per turn",
     PerformanceColumnKind::Figure, [](const PerformanceRow& r) { return r.front.work; }},
    {"front_mep", "Front MEP", "Mean effective pressure of the front end",
     PerformanceColumnKind::Figure, [](const PerformanceRow& r) { return r.front.mep; }},
    {"rear_work", "Rear work", "Work of the rear end's card per turn",
     PerformanceColumnKind::Figure, [](const PerformanceRow& r) { return r.rear.work; }},
    {"rear_mep", "Rear MEP", "Mean effective pressure of the rear end",
     PerformanceColumnKind::Figure, [](const PerformanceRow& r) { return r.rear.mep; }},
    {"work_per_turn", "Work/turn", "Cylinders x (front + rear work)", PerformanceColumnKind::Figure,
     [](const PerformanceRow& r) { return r.workPerTurn; }},
    {"tractive_effort", "Tractive effort", "Work per turn / (pi x driver diameter)",
     PerformanceColumnKind::Figure, [](const PerformanceRow& r) { return r.tractiveEffort; }},
    {"work_imbalance", "Imbalance %", "100 x (front - rear work) / their mean",
     PerformanceColumnKind::Percent, [](const PerformanceRow& r) { return r.workImbalance; }},
    {"geometry_error", "Geometry", "The solver had to clamp during the row's turn",
     PerformanceColumnKind::GeometryError, nullptr},
    {"reason", "Reason", "Why a figure is absent", PerformanceColumnKind::Reason, nullptr},
};

// Five significant figures, whatever the unit: work in inch-pounds and in metre-megapascals
// differ by many powers of ten.
std::string FigureText(float v) {
    const LD a = std::fabs(LD(v));
    const int digits = a > 0 ? static_cast<int>(std::floor(std::log10(a))) : 0;
    return FormatFixed(v, 0, std::clamp(4 - digits, 0, 9));
}

std::string MachineText(const PerformanceColumn& c, const PerformanceRow& r, const char* absent,
                        const char* yes, const char* no) {
    switch (c.kind) {
        case PerformanceColumnKind::Direction: return SweepDirectionText(r.direction);
        case PerformanceColumnKind::GeometryError: return r.geometryError ? yes : no;
        case PerformanceColumnKind::Reason: return PerformanceReasonText(r);
        default: {
            const std::optional<float> v = c.value(r);
            return v ? FormatShortest(*v) : std::string(absent);
        }
    }
}

void AppendJsonString(std::string& out, const char* s) {
    if (!s) {
        out += "null";
        return;
    }
    // The reasons are plain words; quotes and backslashes are escaped all the same.
    out += '"';
    for (const char* p = s; *p; ++p) {
        if (*p == '"' || *p == '\\') out += '\\';
        out += *p;
    }
    out += '"';
}

void AppendNumber(std::string& out, const std::optional<float>& v) {
    out += v ? FormatShortest(*v) : std::string("null");
}

void AppendEnd(std::string& out, const EndPerformance& e, const std::vector<CardPoint>& card,
               bool withCards) {
    out += "{\"work\":";
    AppendNumber(out, e.work);
    out += ",\"mep\":";
    AppendNumber(out, e.mep);
    if (withCards) {
        out += ",\"card\":";
        if (card.empty()) {
            out += "null";
        } else {
            out += '[';
            for (std::size_t i = 0; i < card.size(); ++i) {
                if (i > 0) out += ',';
                out.append("[").append(FormatShortest(card[i][0])).append(",");
                out.append(FormatShortest(card[i][1])).append("]");
            }
            out += ']';
        }
    }
    out += ",\"reason\":";
    AppendJsonString(out, e.reason);
    out += '}';
}

}  // namespace

std::span<const PerformanceColumn> PerformanceColumns() {
    return kColumns;
}

std::string PerformanceReasonText(const PerformanceRow& r) {
    std::string out;
    auto add = [&out](const char* head, const char* why) {
        if (!why) return;
        if (!out.empty()) out += "; ";
        out.append(head).append(why);
    };
    add("front: ", r.front.reason);
    add("rear: ", r.rear.reason);
    // The totals' reason only where the ends do not already explain it.
    if (r.front.work && r.rear.work) add("", r.reason);
    return out;
}

std::string PerformanceCellText(const PerformanceColumn& c, const PerformanceRow& r) {
    switch (c.kind) {
        case PerformanceColumnKind::Direction: return SweepDirectionText(r.direction);
        case PerformanceColumnKind::GeometryError: return r.geometryError ? "error" : "ok";
        case PerformanceColumnKind::Reason: return PerformanceReasonText(r);
        default: break;
    }
    const std::optional<float> v = c.value(r);
    if (!v) return kAbsentText;
    switch (c.kind) {
        case PerformanceColumnKind::Notch: return FormatFixed(*v, 0, 3);
        case PerformanceColumnKind::Length: return FormatFixed(*v, 0, 4);
        case PerformanceColumnKind::Percent: return FormatFixed(*v, 0, 2);
        default: return FigureText(*v);
    }
}

std::string PerformanceDelimited(std::span<const PerformanceRow> rows, char separator) {
    std::string out;
    for (const PerformanceColumn& c : PerformanceColumns()) {
        if (&c != PerformanceColumns().data()) out += separator;
        out += c.key;
    }
    out += '\n';
    for (const PerformanceRow& r : rows) {
        for (const PerformanceColumn& c : PerformanceColumns()) {
            if (&c != PerformanceColumns().data()) out += separator;
            out += MachineText(c, r, "", "1", "0");
        }
        out += '\n';
    }
    return out;
}

std::string PerformanceTableText(std::span<const PerformanceRow> rows) {
    // Width in characters: the absent mark is one character of three bytes.
    auto append = [](std::string& out, const std::string& cell, std::size_t width) {
        std::size_t chars = 0;
        for (unsigned char ch : cell) chars += (ch & 0xC0) != 0x80;
        if (chars < width) out.append(width - chars, ' ');
        out += cell;
    };
    auto width = [](const PerformanceColumn& c) -> std::size_t {
        if (c.kind == PerformanceColumnKind::Direction) return 3;
        return std::max<std::size_t>(11, std::char_traits<char>::length(c.key) + 1);
    };
    std::string out;
    for (const PerformanceColumn& c : PerformanceColumns()) {
        if (c.kind == PerformanceColumnKind::Reason)
            out.append("  ").append(c.key);
        else
            append(out, c.key, width(c));
    }
    out += '\n';
    for (const PerformanceRow& r : rows) {
        for (const PerformanceColumn& c : PerformanceColumns()) {
            const std::string cell = PerformanceCellText(c, r);
            if (c.kind == PerformanceColumnKind::Reason) {
                if (!cell.empty()) out.append("  ").append(cell);
            } else {
                append(out, cell, width(c));
            }
        }
        out += '\n';
    }
    return out;
}

std::string PerformanceJson(const SteamConditions& s, std::span<const PerformanceRow> rows,
                            bool withCards) {
    std::string out = "{\"pressure\":" + FormatShortest(s.pressure) +
                      ",\"back_pressure\":" + FormatShortest(s.backPressure) +
                      ",\"clearance\":" + FormatShortest(s.clearance) +
                      ",\"rod_dia\":" + FormatShortest(s.rodDia) +
                      ",\"cylinders\":" + std::to_string(s.cylinders) + ",\"rows\":[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const PerformanceRow& r = rows[i];
        out += i == 0 ? "\n" : ",\n";
        out.append("{\"direction\":\"").append(SweepDirectionText(r.direction)).append("\"");
        if (r.cutoff) {
            out += ",\"cutoff\":" + FormatShortest(*r.cutoff) + ",\"unreachable\":";
            AppendJsonString(out, r.unreachable.empty() ? nullptr : r.unreachable.c_str());
        }
        out += ",\"notch\":";
        AppendNumber(out, r.notch);
        out += ",\"revarm\":" + (r.unreachable.empty() ? FormatShortest(r.revArm) : "null");
        out += ",\"front\":";
        AppendEnd(out, r.front, r.frontCard, withCards);
        out += ",\"rear\":";
        AppendEnd(out, r.rear, r.rearCard, withCards);
        out += ",\"work_per_turn\":";
        AppendNumber(out, r.workPerTurn);
        out += ",\"tractive_effort\":";
        AppendNumber(out, r.tractiveEffort);
        out += ",\"work_imbalance\":";
        AppendNumber(out, r.workImbalance);
        out += ",\"geometry_error\":";
        out += r.geometryError ? "true" : "false";
        out += ",\"reason\":";
        AppendJsonString(out, r.reason);
        out += '}';
    }
    out += rows.empty() ? "]}\n" : "\n]}\n";
    return out;
}

}  // namespace mv
