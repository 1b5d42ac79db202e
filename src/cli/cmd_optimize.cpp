// merrovan-cli optimize: the design assistant without a window. Varies chosen dimensions within
// bounds until the valve events balance while every limit holds, and reports the start, the best
// gear, the limits and the changes.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "analysis/design_assistant.hpp"
#include "cli/cli.hpp"
#include "cli/cli_study.hpp"
#include "files/dimension_file.hpp"
#include "model/dimensions.hpp"
#include "model/edits.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv::cli {
namespace {

float FloatValue(const std::string& option, const std::string& text) {
    const double v = NumberValue(option, text);
    if (std::fabs(v) > std::numeric_limits<float>::max())
        throw UsageError{option + ": '" + text + "' is out of range"};
    return static_cast<float>(v);
}

// "ID" or "ID=LO:HI"; limits absent mean the default +-10 %.
struct VaryOption {
    DimensionId id = 0;
    std::optional<std::pair<float, float>> limits;
};

VaryOption ParseVary(const std::string& v) {
    const auto eq = v.find('=');
    const std::string idText = v.substr(0, eq);
    double idv = 0;
    if (!ParseStrict(idText, idv) || idv != std::floor(idv) || idv < 0 || idv > 1000 ||
        !IsDimensionId(static_cast<DimensionId>(idv)))
        throw UsageError{"--vary: '" + idText + "' is not a dimension id (1..24, 101..122)"};
    VaryOption out{static_cast<DimensionId>(idv), std::nullopt};
    if (!IsVariableDimension(out.id))
        throw UsageError{"--vary: dimension " + idText +
                         " cannot be varied (ids 1..24 and 101..122 can)"};
    if (eq == std::string::npos) return out;
    const std::string range = v.substr(eq + 1);
    const auto colon = range.find(':');
    if (colon == std::string::npos) throw UsageError{"--vary: expected ID=LO:HI, got '" + v + "'"};
    out.limits = std::pair{FloatValue("--vary", range.substr(0, colon)),
                           FloatValue("--vary", range.substr(colon + 1))};
    return out;
}

// "min-lead=L", "full-gear-drop=D" or "travel=LO:HI", each at most once.
void ParseLimit(const std::string& text, DesignLimits& limits, std::array<bool, 3>& seen) {
    const auto eq = text.find('=');
    const std::string name = text.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : text.substr(eq + 1);
    const std::string option = "--limit " + name;
    int k = 0;
    if (name == "min-lead") {
        k = 0;
    } else if (name == "full-gear-drop") {
        k = 1;
    } else if (name == "travel") {
        k = 2;
    } else {
        throw UsageError{"--limit: unknown limit '" + name +
                         "' (min-lead=L, full-gear-drop=D, travel=LO:HI)"};
    }
    if (eq == std::string::npos) throw UsageError{option + ": needs a value, " + name + "=..."};
    if (seen[static_cast<std::size_t>(k)]) throw UsageError{option + " is given twice"};
    seen[static_cast<std::size_t>(k)] = true;
    if (k == 0) {
        limits.minLead = NumberValue(option, value);
    } else if (k == 1) {
        limits.fullGearDrop = NumberValue(option, value);
    } else {
        const auto colon = value.find(':');
        if (colon == std::string::npos)
            throw UsageError{option + ": expected travel=LO:HI, got '" + text + "'"};
        limits.travel = std::pair{NumberValue(option, value.substr(0, colon)),
                                  NumberValue(option, value.substr(colon + 1))};
    }
}

// A double as the shortest text that reads back as the same double; null when not finite, so
// the JSON stays valid whatever the numbers.
std::string JsonNumber(double v) {
    if (!std::isfinite(v)) return "null";
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    return std::string(buf.data(), res.ptr);
}

std::string JsonNumber(const std::optional<double>& v) {
    return v ? JsonNumber(*v) : std::string("null");
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) >= 0x20) out += c;
    }
    return out + "\"";
}

std::string EvaluationJson(const DesignEvaluation& e, const std::vector<DesignGoal>& goals) {
    std::string out = "{\"objective\":" + JsonNumber(e.objective) + ",\"goals\":{";
    for (std::size_t k = 0; k < goals.size(); ++k) {
        if (k) out += ',';
        out += std::string("\"") + GoalName(goals[k].kind) + "\":" + JsonNumber(e.goalValues[k]);
    }
    return out + "}}";
}

std::string RowsJson(const std::vector<NotchRow>& rows) {
    std::string out = "[";
    for (std::size_t i = 0; i < rows.size(); ++i) out += (i ? "," : "") + NotchRowJson(rows[i]);
    return out + "]";
}

double Excess(const DesignEvaluation& e, LimitKind k) {
    return e.excess[static_cast<std::size_t>(k)];
}

std::string LimitsJson(const DesignResult& r) {
    const bool after = r.searched;
    const DesignEvaluation& b = r.best;
    const auto met = [](const DesignEvaluation& e, LimitKind k) {
        return Excess(e, k) <= 0 ? "true" : "false";
    };
    const auto entry = [&](LimitKind k, const std::string& limit, const std::string& before,
                           const std::string& now) {
        return std::string("\"") + LimitName(k) + "\":{\"limit\":" + limit +
               ",\"before\":" + before + ",\"after\":" + (after ? now : "null") +
               ",\"met_before\":" + met(r.start, k) + ",\"met\":" + met(b, k) + "}";
    };
    std::string out = "{";
    out += entry(LimitKind::MinLead, JsonNumber(r.limits.minLead),
                 JsonNumber(r.start.values.minLead), JsonNumber(b.values.minLead));
    out += ",";
    out += entry(LimitKind::FullGearDrop, JsonNumber(r.limits.fullGearDrop),
                 JsonNumber(r.start.values.drop), JsonNumber(b.values.drop));
    if (r.limits.travel) {
        const auto range = [](const DesignEvaluation& e) {
            return "[" + JsonNumber(e.values.travelLow) + "," + JsonNumber(e.values.travelHigh) +
                   "]";
        };
        out += ",";
        out += entry(LimitKind::Travel,
                     "[" + JsonNumber(r.limits.travel->first) + "," +
                         JsonNumber(r.limits.travel->second) + "]",
                     range(r.start), range(b));
    }
    return out + "}";
}

std::string ResultJson(const DesignProblem& p, const DesignResult& r,
                       const std::vector<NotchRow>& dropped) {
    const std::vector<DesignGoal> goals = EffectiveGoals(p);
    std::string out = "{\"start\":" + EvaluationJson(r.start, goals) + ",\"best\":";
    out += r.searched ? EvaluationJson(r.best, goals) : std::string("null");
    out += ",\"dimensions\":{";
    for (std::size_t i = 0; i < p.vary.size(); ++i) {
        if (i) out += ',';
        out += '"';
        out += std::to_string(p.vary[i].id);
        out += "\":[" + Num(r.before[i]) + "," + Num(r.after[i]) + "]";
    }
    out += "},\"evaluations\":" + std::to_string(r.evaluations);
    out += std::string(",\"improved\":") + (r.improved ? "true" : "false");
    out += std::string(",\"geometry_error\":") + (r.start.geometryError ? "true" : "false");
    out += ",\"start_problem\":" + (r.searched ? "null" : JsonString(r.start.problem));
    out += ",\"rows\":{\"before\":" + RowsJson(r.start.rows) +
           ",\"after\":" + (r.searched ? RowsJson(r.best.rows) : std::string("null")) + "}";
    out += ",\"limits\":" + LimitsJson(r);
    out += ",\"limits_not_met\":[";
    for (std::size_t i = 0; i < r.limitsNotMet.size(); ++i)
        out += std::string(i ? "," : "") + "{\"limit\":\"" + LimitName(r.limitsNotMet[i].kind) +
               "\",\"by\":" + JsonNumber(r.limitsNotMet[i].by) + "}";
    out += "],\"dropped_rows\":[";
    for (std::size_t i = 0; i < dropped.size(); ++i)
        out += std::string(i ? "," : "") + "{\"direction\":\"" +
               SweepDirectionText(dropped[i].direction) +
               "\",\"cutoff\":" + Num(*dropped[i].cutoff) +
               ",\"reason\":" + JsonString(dropped[i].unreachable) + "}";
    return out + "]}\n";
}

// --- Table ---------------------------------------------------------------------------------

std::string Padded(std::string s, std::size_t w) {
    if (s.size() < w) s.append(w - s.size(), ' ');
    return s;
}

std::string Cell(double v) {
    return std::isfinite(v) ? FormatFixed(v, 14, 6) : std::string(13, ' ') + "-";
}

std::string Cell(const std::optional<double>& v) {
    return Cell(v.value_or(std::numeric_limits<double>::quiet_NaN()));
}

// Visible characters of a text (an em dash is one).
std::size_t Width(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

std::string Right(const std::string& s, std::size_t w) {
    const std::size_t n = Width(s);
    return n < w ? std::string(w - n, ' ') + s : s;
}

// The event columns the goals and limits read, front beside rear.
std::vector<const EventColumn*> RowColumns() {
    static constexpr const char* kKeys[] = {"notch",        "front_cutoff", "rear_cutoff",
                                            "front_lead",   "rear_lead",    "front_release",
                                            "rear_release", "travel"};
    std::vector<const EventColumn*> out;
    for (const char* key : kKeys)
        for (const EventColumn& c : EventColumns())
            if (std::string(c.key) == key) out.push_back(&c);
    return out;
}

std::string RowCells(const NotchRow* r, const std::vector<const EventColumn*>& columns) {
    std::string out;
    for (const EventColumn* c : columns) {
        std::string text = kAbsentText;
        if (r && r->Reachable()) text = EventCellText(*c, r->events);
        out += Right(text, 9);
    }
    return out;
}

std::string RowsTable(const DesignResult& r) {
    const std::vector<const EventColumn*> columns = RowColumns();
    std::string heads;
    for (const EventColumn* c : columns) {
        const char* end = c->end == EventEnd::Front ? "F " : c->end == EventEnd::Rear ? "R " : "";
        heads += Right(std::string(end) + c->heading, 9);
    }
    const std::size_t side = 9 * columns.size();
    std::string out = Padded("rows", 15) + Padded("before", side) + " | after\n";
    out += "dir   cut/notch" + heads + " |" + heads + "\n";
    for (std::size_t i = 0; i < r.start.rows.size(); ++i) {
        const NotchRow& row = r.start.rows[i];
        const NotchRow* now = r.searched && i < r.best.rows.size()
                                  ? &r.best.rows[i]
                                  : static_cast<NotchRow*>(nullptr);
        const std::string at = row.cutoff ? CutoffText(*row.cutoff) + " %" : NotchText(row.notch);
        out += Padded(SweepDirectionText(row.direction), 4) + Right(at, 11) +
               RowCells(&row, columns) + " |" + RowCells(now, columns) + "\n";
        for (const NotchRow* x : {&row, now})
            if (x && !x->Reachable()) out += "      " + x->unreachable + "\n";
    }
    return out;
}

std::string ResultTable(const DesignProblem& p, const DesignResult& r,
                        const std::vector<NotchRow>& dropped) {
    const std::vector<DesignGoal> goals = EffectiveGoals(p);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::string out = Padded("goal", 22) + Padded("", 5) + "start" + Padded("", 10) + "best\n";
    for (std::size_t k = 0; k < goals.size(); ++k)
        out += Padded(GoalName(goals[k].kind), 20) + Cell(r.start.goalValues[k]) +
               Cell(r.searched ? r.best.goalValues[k] : nan) + "\n";
    out += Padded("objective", 20) + Cell(r.start.objective) +
           Cell(r.searched ? r.best.objective : nan) + "\n";
    // What the balance means on the shop floor: the worst row, in per cent of the stroke.
    const auto worst = [](const DesignEvaluation& e) {
        const std::optional<float> d = LargestCutoffDifference(e.rows);
        return d ? static_cast<double>(*d) : std::numeric_limits<double>::quiet_NaN();
    };
    out += Padded("largest |F-R| cutoff", 20) + Cell(worst(r.start)) +
           Cell(r.searched ? worst(r.best) : nan) + "\n\n";

    out += Padded("limit", 20) + Padded("", 9) + "start" + Padded("", 10) + "best  kept\n";
    const auto kept = [&](LimitKind k) {
        return std::string(Excess(r.best, k) <= 0 ? "   yes" : "    NO");
    };
    out += Padded("min-lead >= " + JsonNumber(r.limits.minLead), 20) +
           Cell(r.start.values.minLead) + Cell(r.searched ? r.best.values.minLead : std::nullopt) +
           kept(LimitKind::MinLead) + "\n";
    out += Padded("full-gear-drop <= " + JsonNumber(r.limits.fullGearDrop), 20) +
           Cell(r.start.values.drop) + Cell(r.searched ? r.best.values.drop : std::nullopt) +
           kept(LimitKind::FullGearDrop) + "\n";
    if (r.limits.travel)
        out += Padded("travel " + JsonNumber(r.limits.travel->first) + ".." +
                          JsonNumber(r.limits.travel->second),
                      20) +
               Cell(r.start.values.travelLow) +
               Cell(r.searched ? r.best.values.travelLow : std::nullopt) + kept(LimitKind::Travel) +
               "\n";
    for (const LimitShortfall& s : r.limitsNotMet)
        out += "not met: " + std::string(LimitName(s.kind)) + " by " + FormatSignificant(s.by, 6) +
               "\n";
    out += "\n id  " + Padded("dimension", 26) + "     before" + "         after\n";
    for (std::size_t i = 0; i < p.vary.size(); ++i) {
        const DimensionInfo* info = FindDimension(p.vary[i].id);
        std::string id = std::to_string(p.vary[i].id);
        out += std::string(3 - std::min<std::size_t>(3, id.size()), ' ') + id + "  " +
               Padded(info ? info->shortName : "", 26) + FormatFixed(r.before[i], 11, 5) +
               FormatFixed(r.after[i], 14, 5) + (r.before[i] != r.after[i] ? "  *" : "") + "\n";
    }
    out += "\n" + RowsTable(r);
    for (const NotchRow& d : dropped) out += "left out: " + d.unreachable + "\n";
    out += "\nevaluations " + std::to_string(r.evaluations) + ", " +
           (r.improved ? "improved" : "not improved") + "\n";
    return out;
}

int RunOptimize(const Args& args) {
    GearOptions gear;
    std::vector<VaryOption> vary;
    DesignProblem p;
    RowOptions rows;
    std::array<bool, 3> limitSeen{};
    SearchOptions search;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--revarm" || a == "--notch")
            throw UsageError{a + " does not apply here; give the rows with --cutoffs or --notches"};
        if (TakeGearOption(args, i, gear) || TakeRowOption(args, i, rows) ||
            TakeSearchOption(args, i, search))
            continue;
        if (a == "--vary") {
            vary.push_back(ParseVary(OptionValue(args, i)));
        } else if (a == "--goal") {
            std::string error;
            const std::optional<DesignGoal> g = ParseGoal(OptionValue(args, i), error);
            if (!g) throw UsageError{"--goal: " + error};
            p.goals.push_back(*g);
        } else if (a == "--pressure") {
            p.steam.pressure = FloatValue(a, OptionValue(args, i));
        } else if (a == "--back-pressure") {
            p.steam.backPressure = FloatValue(a, OptionValue(args, i));
        } else if (a == "--clearance") {
            p.steam.clearance = FloatValue(a, OptionValue(args, i));
        } else if (a == "--reverse-weight") {
            p.reverseWeight = NumberValue(a, OptionValue(args, i));
        } else if (a == "--limit") {
            ParseLimit(OptionValue(args, i), p.limits, limitSeen);
        } else {
            throw UsageError{"unknown option '" + a + "'"};
        }
    }
    if (vary.empty()) throw UsageError{"give at least one --vary ID[=LO:HI]"};
    p.maxEvaluations = search.maxEvaluations.value_or(p.maxEvaluations);
    p.seed = search.seed.value_or(p.seed);
    const std::optional<std::string>& out = search.out;
    const std::string& format = search.format;
    if (rows.notches) {
        p.rows = {RowBasis::Notches, *rows.notches, rows.directions};
    } else {
        p.rows = {RowBasis::Cutoffs,
                  rows.cutoffs.value_or(
                      std::vector<float>(kDefaultCutoffs.begin(), kDefaultCutoffs.end())),
                  rows.directions};
    }

    Model m;
    BuildGear(m, gear);
    for (const VaryOption& v : vary) {
        VaryDimension d = DefaultLimits(m, v.id);
        if (v.limits) d.lower = v.limits->first, d.upper = v.limits->second;
        p.vary.push_back(d);
    }
    if (const std::string problem = ValidateProblem(m, p); !problem.empty())
        throw UsageError{problem};
    // The default cut-offs need not all be within a gear's range: those it does not reach are
    // left out and named. Cut-offs the user gives are kept, and must be reached.
    std::vector<NotchRow> dropped;
    if (!rows.notches && !rows.cutoffs) {
        dropped = LeaveOutUnreachableRows(m, p);
        for (const NotchRow& d : dropped)
            std::fprintf(stderr, "merrovan-cli optimize: note: left out: %s\n",
                         d.unreachable.c_str());
    }

    const DesignResult r = RunDesignSearch(m, p);
    if (!r.failure.empty()) throw AnalysisError{"the search ended without a result: " + r.failure};
    if (!r.searched) {
        // The report still says what is wrong with the start; no tuned gear is written, and the
        // status says that the search could not run.
        const std::string text =
            format == "json" ? ResultJson(p, r, dropped) : ResultTable(p, r, dropped);
        std::fputs(text.c_str(), stdout);
        std::fprintf(stderr, "merrovan-cli optimize: nothing searched: %s\n",
                     r.start.problem.c_str());
        return kExitAnalysis;
    }
    if (!r.start.feasible)
        std::fprintf(stderr,
                     "merrovan-cli optimize: warning: the start gear breaks a limit (%s); "
                     "searched from it\n",
                     r.start.problem.c_str());
    if (r.searched && !r.best.feasible) {
        std::string which;
        for (const LimitShortfall& s : r.limitsNotMet)
            which += std::string(which.empty() ? "" : ", ") + LimitName(s.kind) + " by " +
                     FormatSignificant(s.by, 6);
        std::fprintf(stderr,
                     "merrovan-cli optimize: warning: no gear found that keeps every limit; the "
                     "closest misses %s\n",
                     which.c_str());
    }

    if (out) {
        // The tuned gear as the window's Apply leaves it: each change committed as typed.
        for (const DimensionValue& c : ChangedDimensions(p, r)) {
            m.pendingEdit = true;
            CommitDimension(m, c.id, c.value);
        }
        ComputeMidGear(m);
        std::string error;
        if (!files::SaveDimensionFile(m, *out, error)) throw FileError{error};
    }
    const std::string text =
        format == "json" ? ResultJson(p, r, dropped) : ResultTable(p, r, dropped);
    std::fputs(text.c_str(), stdout);
    return kExitOk;
}

const bool kRegistered = Register(Command{
    "optimize",
    "optimize [--file F] [--set ID=V]... --vary ID[=LO:HI]... [--goal NAME[=TARGET][@WEIGHT]]... "
    "[--cutoffs C1,C2,... | --notches F1,F2,...] [--direction fwd|rev|both] [--reverse-weight W] "
    "[--limit NAME=VALUE]... [--pressure P] [--back-pressure B] [--clearance PCT] [--max-evals N] "
    "[--seed S] [--out TUNED.dst] [--format json|table]",
    "Varies the chosen dimensions within their bounds until the valve events balance, keeping\n"
    "every limit.\n"
    "  --file PATH        load a .dst or .mvo dimension file first\n"
    "  --set ID=VALUE     commit dimension ID (1..27, 101..122) as a dialog does; repeatable\n"
    "  --vary ID[=LO:HI]  vary dimension ID (1..24, 101..122) between LO and HI (default: the\n"
    "                     current value +-10 %, or +-0.1 when it is 0); repeatable, at most 20\n"
    "  --goal G           a goal, NAME[=TARGET][@WEIGHT] (weight default 1); repeatable:\n"
    "                       cutoff-balance       (front - rear cut-off)^2, per cent of stroke\n"
    "                       lead-balance         ((front - rear lead) / stroke x 100)^2\n"
    "                       release-balance      (front - rear release)^2\n"
    "                       compression-balance  (front - rear compression)^2\n"
    "                       lead=L               both ends' ((lead - L) / stroke x 100)^2\n"
    "                       full-gear-cutoff=P   (mean cut-off at full gear - P)^2 (with\n"
    "                                            --notches: at the largest notch)\n"
    "                       travel=T             ((full-gear valve travel - T) / stroke x 100)^2\n"
    "                       work-balance         (front/rear work imbalance of the ideal\n"
    "                                            indicator cards, per cent)^2 (as 'performance'\n"
    "                                            gives it)\n"
    "                     each the mean over the rows; default cutoff-balance. L and T are\n"
    "                     lengths no larger than the stroke, P a per cent.\n"
    "  --cutoffs C,...    rows where the mean of the front and rear cut-off is C per cent,\n"
    "                     0 < C < 100, found again for every gear tried (default 15,25,40,60;\n"
    "                     of the defaults, those the start gear does not reach in a direction\n"
    "                     are left out and named, unless it reaches none; a cut-off given here\n"
    "                     must be reached)\n"
    "  --notches F,...    rows at fractions of \"Rev Arm to Cent Max\", 0..1, instead\n"
    "  --direction D      fwd, rev or both (default)\n"
    "  --reverse-weight W reverse rows count W in each goal's mean, forward rows 1 (default\n"
    "                     0.25)\n"
    "  --limit NAME=V     a limit every gear tried must keep, checked on every row:\n"
    "                       min-lead=L           every lead at both ends >= L (default 0, or the\n"
    "                                            start's smallest lead where that is lower)\n"
    "                       full-gear-drop=D     in each direction the mean cut-off at full gear\n"
    "                                            (notch 1) at most D points below the start's\n"
    "                                            (default 2)\n"
    "                       travel=LO:HI         full-gear valve travel within LO..HI (default\n"
    "                                            none)\n"
    "  --pressure P, --back-pressure B, --clearance PCT\n"
    "                     the steam of the work-balance goal's cards, used by it only:\n"
    "                     absolute pressures (defaults 100 and 15; 0 < B < P) and the clearance\n"
    "                     volume in per cent of the swept volume (default 8)\n"
    "  --max-evals N      at most N gears evaluated, each distinct gear once (default 400)\n"
    "  --seed S           seed of the restarts (default 1); the same inputs give the same result\n"
    "  --out PATH         write the tuned gear as a dimension file\n"
    "  --format F         json (default) or table (goals, limits, dimensions, then the rows\n"
    "                     before and after side by side)\n"
    "The objective is the weighted sum of the goals; the search (an augmented Lagrangian around\n"
    "BOBYQA, with seeded restarts) treats the limits as constraints. A gear with a geometry\n"
    "error in any sweep, that loses an event the start gear has, or where a cut-off cannot be\n"
    "placed breaks a limit too, measured by how far it is off. The best gear reported always\n"
    "keeps every limit; when none is found the start is kept and limits_not_met says by how\n"
    "much the closest gear missed. A start that breaks a limit is searched from; one with a\n"
    "geometry error, or whose goals cannot be measured, is reported and nothing is searched.\n"
    "JSON keys: start {objective, goals {NAME: value}}, best (the same, null when nothing was\n"
    "searched), dimensions {ID: [before, after]}, evaluations, improved, geometry_error (the\n"
    "start gear has one), start_problem (why nothing was searched, or null), rows {before,\n"
    "after: [event rows in the keys of 'events --format json', with cutoff first for a row at a\n"
    "cut-off]}, limits {min-lead, full-gear-drop, travel: {limit, before, after, met_before,\n"
    "met}}, limits_not_met [{limit, by}] (empty when the best keeps every limit; by in the\n"
    "length unit, points for full-gear-drop and reach), dropped_rows [{direction, cutoff,\n"
    "reason}] (default cut-offs left out).\n"
    "Exit status 0 also when nothing improved; 1 a file could not be read or written; 2 a bad\n"
    "option, id, bound, target or limit; 3 the search library failed (one line on stderr, no\n"
    "output).\n",
    RunOptimize});

}  // namespace
}  // namespace mv::cli
