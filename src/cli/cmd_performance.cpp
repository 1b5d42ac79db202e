// merrovan-cli performance: the ideal indicator card of each cylinder end at chosen notches,
// with the work, mean effective pressure, tractive effort and work imbalance that follow.
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/cutoff_rows.hpp"
#include "analysis/notch_rows.hpp"
#include "analysis/performance.hpp"
#include "cli/cli.hpp"
#include "cli/cli_steam.hpp"
#include "cli/cli_study.hpp"
#include "model/text.hpp"

namespace mv::cli {
namespace {

constexpr int kMaxCardPoints = 10000;

// Rows at cut-offs as CSV or a table: the performance table's with the cut-off asked for in
// front; a row that cannot be placed gives its reason in place of its figures.
std::string CutoffText(const std::vector<PerformanceRow>& rows, char separator, bool table) {
    const std::string text =
        table ? PerformanceTableText(rows) : PerformanceDelimited(rows, separator);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    const std::string sep = table ? std::string("  ") : std::string(1, separator);
    std::string out =
        (table ? std::string("cut-off") : std::string("cutoff")) + sep + lines.front() + "\n";
    for (std::size_t k = 0; k < rows.size() && k + 1 < lines.size(); ++k) {
        const PerformanceRow& r = rows[k];
        std::string cut = FormatShortest(*r.cutoff);
        if (table) cut.insert(0, cut.size() < 7 ? 7 - cut.size() : 0, ' ');
        if (r.unreachable.empty()) {
            out += cut + sep + lines[k + 1] + "\n";
        } else if (table) {
            out += cut + sep + SweepDirectionText(r.direction) + "  " + r.unreachable + "\n";
        } else {
            // Every column empty but the direction and the reason (the last column).
            std::string row = cut + sep + SweepDirectionText(r.direction);
            for (std::size_t c = 1; c + 1 < PerformanceColumns().size(); ++c) row += sep;
            out += row + sep + "\"" + r.unreachable + "\"\n";
        }
    }
    return out;
}

int RunPerformance(const Args& args) {
    GearOptions gear;
    SteamOptions steam;
    RowOptions rowOptions;
    std::string format = "json";
    int cardPoints = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--revarm" || a == "--notch")
            throw UsageError{a + " does not apply here; give the notches with --notches"};
        if (TakeGearOption(args, i, gear) || TakeSteamOption(args, i, steam) ||
            TakeRowOption(args, i, rowOptions))
            continue;
        if (a == "--format") {
            format = FormatValue(a, OptionValue(args, i));
        } else if (a == "--card-points") {
            cardPoints = IntValue(a, OptionValue(args, i));
            if (cardPoints < 2 || cardPoints > kMaxCardPoints)
                throw UsageError{"--card-points: " + args[i] + " is outside 2.." +
                                 std::to_string(kMaxCardPoints)};
        } else {
            throw UsageError{"unknown option '" + a + "'"};
        }
    }
    if (!steam.pressureGiven) throw UsageError{"--pressure P is required"};
    if (cardPoints > 0 && format != "json")
        throw UsageError{"--card-points gives the cards in json only; add --format json"};

    Model m;
    BuildGear(m, gear);
    CheckSteamOptions(steam, m);
    const std::optional<std::vector<float>>& cutoffs = rowOptions.cutoffs;

    const std::vector<NotchRow> notchRows =
        cutoffs ? CutoffRows(m, *cutoffs, rowOptions.directions)
                : NotchRows(m, rowOptions.notches.value_or(DefaultStudyNotches()),
                            rowOptions.directions);
    std::vector<EventRow> events;
    events.reserve(notchRows.size());
    for (const NotchRow& r : notchRows) events.push_back(r.events);
    std::vector<PerformanceRow> rows = PerformanceRows(m, events, steam.conditions, cardPoints);
    // The notch asked for, as the other studies give it, not one worked back from the setting.
    for (std::size_t k = 0; k < rows.size(); ++k) {
        rows[k].notch = notchRows[k].notch;
        if (!cutoffs) continue;
        // At a cut-off: the fraction where the gear places it.
        rows[k].cutoff = notchRows[k].cutoff;
        rows[k].unreachable = notchRows[k].unreachable;
        if (!notchRows[k].Reachable()) {
            rows[k].notch.reset();
            std::fprintf(stderr, "merrovan-cli performance: warning: %s\n",
                         notchRows[k].unreachable.c_str());
        }
    }

    for (const PerformanceRow& r : rows) {
        if (r.geometryError)
            std::fprintf(stderr,
                         "merrovan-cli performance: warning: geometry error at revarm %s (%s)\n",
                         Num(r.revArm).c_str(), SweepDirectionText(r.direction));
    }
    std::string out;
    if (format == "json")
        out = PerformanceJson(steam.conditions, rows, cardPoints > 0);
    else if (cutoffs)
        out = CutoffText(rows, ',', format == "table");
    else
        out = format == "csv" ? PerformanceDelimited(rows, ',') : PerformanceTableText(rows);
    std::fputs(out.c_str(), stdout);
    return kExitOk;
}

const bool kRegistered = Register(Command{
    "performance",
    "performance --pressure P [--file F] [--set ID=V]... [--notches F1,... | --cutoffs C1,...] "
    "[--direction fwd|rev|both] [--back-pressure B] [--clearance PCT] [--rod-dia D] "
    "[--cylinders N] [--card-points N] [--format json|csv|table]",
    "The ideal indicator card of both cylinder ends at each notch, from the valve events of\n"
    "the event table, with work, mean effective pressure (MEP), work per turn, tractive\n"
    "effort and the front/rear work imbalance. --pressure is required.\n"
    "  --file PATH        load a .dst or .mvo dimension file first\n"
    "  --set ID=VALUE     commit dimension ID (1..27, 101..122) as a dialog does; repeatable\n"
    "  --notches F1,...   reverse-arm settings mid gear +- F x \"Rev Arm to Cent Max\", each F\n"
    "                     in 0..1 (default 0.25,0.5,0.75,1)\n"
    "  --cutoffs C1,...   instead, the settings where the mean of the front and rear cut-off\n"
    "                     is C per cent (0 < C < 100), as 'events --cutoffs' finds them; each\n"
    "                     row then has \"cutoff\" (a first csv and table column), \"notch\" is\n"
    "                     the fraction where the gear places it, and one the gear does not\n"
    "                     reach has null figures, \"unreachable\" with the reason (the last\n"
    "                     csv column, the text in the table) and a warning on stderr\n"
    "  --direction D      fwd (driver angle increasing), rev (decreasing) or both (default)\n" +
        std::string(kSteamOptionsHelp) +
        "  --card-points N    also give each card's points, N along each curved phase (2..10000;\n"
        "                     json only)\n"
        "  --format F         json (default), csv (header row) or table\n" +
        kSteamModelHelp +
        "JSON: {\"pressure\", \"back_pressure\", \"clearance\", \"rod_dia\", \"cylinders\",\n"
        "\"rows\":[{\"direction\", \"notch\", \"revarm\", \"front\":{\"work\", \"mep\", \"card\",\n"
        "\"reason\"}, \"rear\":{...}, \"work_per_turn\", \"tractive_effort\", \"work_imbalance\",\n"
        "\"geometry_error\", \"reason\"}, ...]}; \"notch\" is the fraction asked for. \"card\" "
        "(with --card-points) is the closed card\n"
        "as [[volume, pressure], ...] from admission round to admission: the admission line\n"
        "(through the dead centre when the port opens before it), N points along the\n"
        "expansion, the exhaust line to the far dead centre and back, N points along the\n"
        "compression (and the dead centre where it passes it). \"reason\" says why a figure is\n"
        "null (null when none is).\n",
    RunPerformance});

}  // namespace
}  // namespace mv::cli
