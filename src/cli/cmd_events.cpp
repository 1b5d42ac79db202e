// merrovan-cli events: the valve-event table (admission, cut-off, release, compression, lead,
// largest openings, valve travel) over a set of reverse-arm settings.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/cutoff_rows.hpp"
#include "analysis/event_table.hpp"
#include "cli/cli.hpp"
#include "cli/cli_study.hpp"
#include "model/text.hpp"

namespace mv::cli {
namespace {

constexpr int kMaxRows = 10000;

std::vector<float> SettingsList(const std::string& text) {
    std::vector<float> out;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string item =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (item.empty()) throw UsageError{"--settings: empty value in '" + text + "'"};
        const double v = NumberValue("--settings", item);
        if (std::fabs(v) > 3.4e38) throw UsageError{"--settings: '" + item + "' is out of range"};
        out.push_back(static_cast<float>(v));
        if (out.size() > static_cast<std::size_t>(kMaxRows))
            throw UsageError{"--settings: more than " + std::to_string(kMaxRows) + " values"};
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return out;
}

// The lines of a text of lines.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        out.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return out;
}

// The rows at cut-offs in the asked format: the event table's, with the cut-off asked for in
// front and, for a row that cannot be placed, the reason in place of its values.
std::string CutoffTable(const std::vector<NotchRow>& rows, const std::string& format) {
    std::vector<EventRow> events;
    events.reserve(rows.size());
    for (const NotchRow& r : rows) events.push_back(r.events);
    std::string out;
    if (format == "json") {
        for (const NotchRow& r : rows) out += NotchRowJson(r) + "\n";
        return out;
    }
    if (format == "csv") return CutoffRowsDelimited(rows, ',');
    const std::vector<std::string> lines = Lines(EventTableText(events));
    out = std::string(9, ' ') + lines[0] + "\n" + "cut-off  " + lines[1] + "\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const NotchRow& r = rows[i];
        std::string cut = FormatFixed(*r.cutoff, 7, 2) + "  ";
        out += cut +
               (r.Reachable() ? lines[i + 2]
                              : std::string(SweepDirectionText(r.direction)) + "    " +
                                    kAbsentText + " " + r.unreachable) +
               "\n";
    }
    return out;
}

int RunEvents(const Args& args) {
    GearOptions gear;
    std::optional<int> rows;
    std::optional<std::vector<float>> settings;
    std::optional<std::vector<float>> cutoffs;
    bool fwd = true, rev = true;
    std::string format = "table";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--revarm" || a == "--notch")
            throw UsageError{a + " does not apply here; give the rows with --settings"};
        if (TakeGearOption(args, i, gear)) continue;
        if (a == "--rows") {
            if (settings) throw UsageError{"--rows and --settings exclude each other"};
            if (cutoffs) throw UsageError{"--rows and --cutoffs exclude each other"};
            const int n = IntValue(a, OptionValue(args, i));
            if (n < 1 || n > kMaxRows)
                throw UsageError{"--rows: " + args[i] + " is outside 1.." +
                                 std::to_string(kMaxRows)};
            rows = n;
        } else if (a == "--settings") {
            if (rows) throw UsageError{"--rows and --settings exclude each other"};
            if (cutoffs) throw UsageError{"--settings and --cutoffs exclude each other"};
            settings = SettingsList(OptionValue(args, i));
        } else if (a == "--cutoffs") {
            if (rows) throw UsageError{"--rows and --cutoffs exclude each other"};
            if (settings) throw UsageError{"--settings and --cutoffs exclude each other"};
            cutoffs = CutoffsValue(a, OptionValue(args, i));
        } else if (a == "--direction") {
            const std::string& d = OptionValue(args, i);
            if (d == "fwd") {
                fwd = true, rev = false;
            } else if (d == "rev") {
                fwd = false, rev = true;
            } else if (d == "both") {
                fwd = rev = true;
            } else {
                throw UsageError{"--direction: expected fwd, rev or both, got '" + d + "'"};
            }
        } else if (a == "--format") {
            format = OptionValue(args, i);
            if (format != "table" && format != "csv" && format != "json")
                throw UsageError{"--format: expected table, csv or json, got '" + format + "'"};
        } else {
            throw UsageError{"unknown option '" + a + "'"};
        }
    }

    Model m;
    BuildGear(m, gear);
    if (cutoffs) {
        const Directions dirs = fwd && rev ? Directions::Both
                                : fwd      ? Directions::Forward
                                           : Directions::Reverse;
        const std::vector<NotchRow> rows = CutoffRows(m, *cutoffs, dirs);
        for (const NotchRow& r : rows) {
            if (!r.Reachable())
                std::fprintf(stderr, "merrovan-cli events: warning: %s\n", r.unreachable.c_str());
            else if (r.events.geometryError)
                std::fprintf(stderr,
                             "merrovan-cli events: warning: geometry error at revarm %s (%s)\n",
                             Num(r.events.revArm).c_str(), SweepDirectionText(r.direction));
        }
        const std::string out = CutoffTable(rows, format);
        std::fputs(out.c_str(), stdout);
        return kExitOk;
    }
    const int n = rows.value_or(kDefaultEventRows);
    std::vector<EventRow> table;
    for (SweepDirection d : {SweepDirection::Forward, SweepDirection::Reverse}) {
        if (!(d == SweepDirection::Forward ? fwd : rev)) continue;
        const std::vector<float> s = settings ? *settings : DefaultEventSettings(m, d, n);
        const std::vector<EventRow> part = ComputeEventTable(m, s, d);
        table.insert(table.end(), part.begin(), part.end());
    }

    for (const EventRow& r : table) {
        if (r.geometryError)
            std::fprintf(stderr, "merrovan-cli events: warning: geometry error at revarm %s (%s)\n",
                         Num(r.revArm).c_str(), SweepDirectionText(r.direction));
    }
    std::string out;
    if (format == "json") {
        for (const EventRow& r : table) out += EventRowJson(r) + "\n";
    } else if (format == "csv") {
        out = EventTableDelimited(table, ',');
    } else {
        out = EventTableText(table);
    }
    std::fputs(out.c_str(), stdout);
    return kExitOk;
}

const bool kRegistered = Register(Command{
    "events",
    "events [--file F] [--set ID=VALUE]... [--rows N | --settings X,Y,... | --cutoffs C,...] "
    "[--direction fwd|rev|both] [--format table|csv|json]",
    "Valve events over one driver turn from 0 degrees for each row, found exactly: a coarse\n"
    "sweep brackets every event and each is refined to 1e-6 degree.\n"
    "  --file PATH        load a .dst or .mvo dimension file first\n"
    "  --set ID=VALUE     commit dimension ID (1..27, 101..122) as a dialog does; repeatable\n"
    "  --rows N           N settings from mid gear to mid gear + \"Rev Arm to Cent Max\" for\n"
    "                     forward and the mirror image for reverse (default 19)\n"
    "  --settings X,Y,... these reverse-arm settings instead, for each direction asked for\n"
    "  --cutoffs C,...    instead, for each direction asked for, the setting between mid gear\n"
    "                     and full gear where the mean of the front and rear cut-off is C per\n"
    "                     cent (0 < C < 100), found to 0.01; a row comes first in the output as\n"
    "                     \"cutoff\" (a column of its own). A cut-off the gear does not reach in\n"
    "                     that direction gives a row of nulls with the reason (\"unreachable\"\n"
    "                     in json, the last csv column, the text in the table) and a warning\n"
    "                     on stderr. --rows, --settings and --cutoffs exclude each other.\n"
    "  --direction D      fwd (driver angle increasing), rev (decreasing) or both (default)\n"
    "  --format F         table (default), csv (header row) or json (one object per line)\n"
    "Columns: direction; revarm (reverse-arm setting); notch ((revarm - mid gear) /\n"
    "\"Rev Arm to Cent Max\", absent when that is 0); travel (largest minus smallest valve\n"
    "displacement); then for the front and the rear end:\n"
    "  admission, cutoff, release, compression: per cent of the stroke travelled from that\n"
    "    end's dead centre at which the steam port opens and closes and the exhaust opens\n"
    "    and closes (the last one in the turn if it happens more than once);\n"
    "  lead: steam opening at that end's dead centre (front 0, rear 180 degrees), negative\n"
    "    when the port is still covered;\n"
    "  max_steam, max_exhaust: largest steam and exhaust opening over the turn.\n"
    "An event that does not happen is absent: null in json, an empty cell in csv, a dash in\n"
    "the table. JSON keys: direction, revarm, notch, travel, front {admission, cutoff,\n"
    "release, compression, lead, max_steam, max_exhaust}, rear {the same}, geometry_error.\n"
    "geometry_error: the solver had to clamp during the row's turn (true/false in json, 1/0\n"
    "in csv, \"error\" in the table); such a row is also reported on stderr.\n",
    RunEvents});

}  // namespace
}  // namespace mv::cli
