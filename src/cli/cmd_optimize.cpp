// merrovan-cli optimize: the design assistant without a window. Varies chosen dimensions within
// limits until the valve events balance, and reports the start, the best gear and the changes.
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

std::string JsonNumber(double v) {
    return std::isfinite(v) ? Num(v) : std::string("null");
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
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

std::string ResultJson(const DesignProblem& p, const DesignResult& r) {
    const std::vector<DesignGoal> goals = EffectiveGoals(p);
    std::string out = "{\"start\":" + EvaluationJson(r.start, goals) + ",\"best\":";
    out += r.start.feasible ? EvaluationJson(r.best, goals) : std::string("null");
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
    out += ",\"start_problem\":" + (r.start.feasible ? "null" : JsonString(r.start.problem));
    return out + "}\n";
}

std::string Cell(double v) {
    return std::isfinite(v) ? FormatFixed(v, 14, 6) : std::string(13, ' ') + "-";
}

std::string ResultTable(const DesignProblem& p, const DesignResult& r) {
    const std::vector<DesignGoal> goals = EffectiveGoals(p);
    auto padded = [](std::string s, std::size_t w) {
        if (s.size() < w) s.append(w - s.size(), ' ');
        return s;
    };
    std::string out = padded("goal", 22) + padded("", 5) + "start" + padded("", 10) + "best\n";
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (std::size_t k = 0; k < goals.size(); ++k)
        out += padded(GoalName(goals[k].kind), 20) + Cell(r.start.goalValues[k]) +
               Cell(r.start.feasible ? r.best.goalValues[k] : nan) + "\n";
    out += padded("objective", 20) + Cell(r.start.objective) +
           Cell(r.start.feasible ? r.best.objective : nan) + "\n";
    // What the balance means on the shop floor: the worst row, in per cent of the stroke.
    const auto worst = [](const DesignEvaluation& e) {
        const std::optional<float> d = LargestCutoffDifference(e.rows);
        return d ? static_cast<double>(*d) : std::numeric_limits<double>::quiet_NaN();
    };
    out += padded("largest |F-R| cutoff", 20) + Cell(worst(r.start)) +
           Cell(r.start.feasible ? worst(r.best) : nan) + "\n\n";
    out += " id  " + padded("dimension", 26) + "     before" + "         after\n";
    for (std::size_t i = 0; i < p.vary.size(); ++i) {
        const DimensionInfo* info = FindDimension(p.vary[i].id);
        std::string id = std::to_string(p.vary[i].id);
        out += std::string(3 - std::min<std::size_t>(3, id.size()), ' ') + id + "  " +
               padded(info ? info->shortName : "", 26) + FormatFixed(r.before[i], 11, 5) +
               FormatFixed(r.after[i], 14, 5) + (r.before[i] != r.after[i] ? "  *" : "") + "\n";
    }
    out += "\nevaluations " + std::to_string(r.evaluations) + ", " +
           (r.improved ? "improved" : "not improved") + "\n";
    return out;
}

int RunOptimize(const Args& args) {
    GearOptions gear;
    std::vector<VaryOption> vary;
    DesignProblem p;
    std::optional<std::string> out;
    std::string format = "json";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--revarm" || a == "--notch")
            throw UsageError{a + " does not apply here; give the rows with --notches"};
        if (TakeGearOption(args, i, gear)) continue;
        if (a == "--vary") {
            vary.push_back(ParseVary(OptionValue(args, i)));
        } else if (a == "--goal") {
            std::string error;
            const std::optional<DesignGoal> g = ParseGoal(OptionValue(args, i), error);
            if (!g) throw UsageError{"--goal: " + error};
            p.goals.push_back(*g);
        } else if (a == "--notches") {
            p.notches = NotchesValue(a, OptionValue(args, i));
        } else if (a == "--direction") {
            const std::string& d = OptionValue(args, i);
            if (d == "fwd") {
                p.directions = Directions::Forward;
            } else if (d == "rev") {
                p.directions = Directions::Reverse;
            } else if (d == "both") {
                p.directions = Directions::Both;
            } else {
                throw UsageError{"--direction: expected fwd, rev or both, got '" + d + "'"};
            }
        } else if (a == "--max-evals") {
            const int n = IntValue(a, OptionValue(args, i));
            if (n < 1 || n > kMaxEvaluationsLimit)
                throw UsageError{"--max-evals: " + args[i] + " is outside 1.." +
                                 std::to_string(kMaxEvaluationsLimit)};
            p.maxEvaluations = n;
        } else if (a == "--seed") {
            const int s = IntValue(a, OptionValue(args, i));
            if (s < 0) throw UsageError{"--seed: " + args[i] + " is negative"};
            p.seed = static_cast<std::uint64_t>(s);
        } else if (a == "--out") {
            out = OptionValue(args, i);
            if (out->empty()) throw UsageError{"--out: empty file name"};
        } else if (a == "--format") {
            format = OptionValue(args, i);
            if (format != "json" && format != "table")
                throw UsageError{"--format: expected json or table, got '" + format + "'"};
        } else {
            throw UsageError{"unknown option '" + a + "'"};
        }
    }
    if (vary.empty()) throw UsageError{"give at least one --vary ID[=LO:HI]"};

    Model m;
    BuildGear(m, gear);
    for (const VaryOption& v : vary) {
        VaryDimension d = DefaultLimits(m, v.id);
        if (v.limits) d.lower = v.limits->first, d.upper = v.limits->second;
        p.vary.push_back(d);
    }
    if (const std::string problem = ValidateProblem(m, p); !problem.empty())
        throw UsageError{problem};

    const DesignResult r = RunDesignSearch(m, p);
    if (!r.start.feasible)
        std::fprintf(stderr, "merrovan-cli optimize: warning: nothing searched: %s\n",
                     r.start.problem.c_str());

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
    const std::string text = format == "json" ? ResultJson(p, r) : ResultTable(p, r);
    std::fputs(text.c_str(), stdout);
    return kExitOk;
}

const bool kRegistered = Register(Command{
    "optimize",
    "optimize [--file F] [--set ID=V]... --vary ID[=LO:HI]... [--goal NAME[=TARGET][@WEIGHT]]... "
    "[--notches F1,F2,...] [--direction fwd|rev|both] [--max-evals N] [--seed S] "
    "[--out TUNED.dst] [--format json|table]",
    "Varies the chosen dimensions within their limits until the valve events balance.\n"
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
    "                       full-gear-cutoff=P   (mean cut-off at the largest notch - P)^2\n"
    "                     each the mean over the rows; default cutoff-balance\n"
    "  --notches F,...    fractions of \"Rev Arm to Cent Max\", 0..1 (default 0.25,0.5,0.75,1)\n"
    "  --direction D      fwd, rev or both (default)\n"
    "  --max-evals N      at most N evaluations of the objective (default 400)\n"
    "  --seed S           seed of the restarts (default 1); the same inputs give the same result\n"
    "  --out PATH         write the tuned gear as a dimension file\n"
    "  --format F         json (default) or table\n"
    "The objective is the weighted sum of the goals. A candidate with a geometry error in any\n"
    "sweep, or that loses an event the start gear has, is never reported as best. A start gear\n"
    "that is itself such a case is reported and nothing is searched.\n"
    "JSON keys: start {objective, goals {NAME: value}}, best (the same, null when nothing was\n"
    "searched), dimensions {ID: [before, after]}, evaluations, improved, geometry_error (the\n"
    "start gear has one), start_problem (why nothing was searched, or null).\n"
    "Exit status 0 also when nothing improved; 2 for a bad option, id, limit or goal.\n",
    RunOptimize});

}  // namespace
}  // namespace mv::cli
