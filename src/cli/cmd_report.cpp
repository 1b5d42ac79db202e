// merrovan-cli report: the whole analysis of a gear in one folder, readable in any browser
// without a network: dimensions, pictures, diagrams, valve events, pivot data and, given a
// steam-chest pressure, the indicator cards' figures.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>
#include <array>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "analysis/event_table.hpp"
#include "analysis/notch_rows.hpp"
#include "analysis/performance.hpp"
#include "analysis/study.hpp"
#include "cli/cli.hpp"
#include "cli/cli_render.hpp"
#include "cli/cli_steam.hpp"
#include "diagrams/diagram_kinds.hpp"
#include "files/dimension_file.hpp"
#include "mainwin/draw_picture.hpp"
#include "model/dimensions.hpp"
#include "model/pivot_table.hpp"
#include "model/text.hpp"

namespace mv::cli {
namespace {

// The main window's client area: the part of the picture a user sees at the start.
constexpr int kClientWidth = 632;
constexpr int kClientHeight = 380;
// Pivots shown when the working set has none picked: the main points of the linkage.
constexpr std::array<int, 6> kDefaultPivots = {pv::CrankPin, pv::ValveJoint, pv::HangerPin,
                                               pv::GuideEnd, pv::RevArmPin,  pv::RevArmTop};

struct ReportOptions {
    GearOptions gear;
    SteamOptions steam;
    std::string out;
    std::optional<std::vector<double>> positions;
};

ReportOptions Parse(const Args& args) {
    ReportOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // The report shows mid gear and full forward gear itself.
        if (a == "--revarm" || a == "--notch") throw UsageError{a + " does not apply to report"};
        if (TakeGearOption(args, i, o.gear) || TakeSteamOption(args, i, o.steam)) continue;
        if (a == "--out") {
            o.out = OptionValue(args, i);
            if (o.out.empty()) throw UsageError{"--out: the folder name is empty"};
        } else if (a == "--positions") {
            o.positions = ParsePositions(a, OptionValue(args, i));
        } else {
            throw UsageError{"unknown option '" + a + "'"};
        }
    }
    if (o.out.empty()) throw UsageError{"--out DIR is required"};
    if (o.steam.anyGiven && !o.steam.pressureGiven)
        throw UsageError{"the steam options need --pressure P"};
    return o;
}

void Progress(const std::string& what) {
    std::fprintf(stderr, "merrovan-cli report: %s\n", what.c_str());
    std::fflush(stderr);
}

std::string Escape(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char ch : s) {
        switch (ch) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += ch;
        }
    }
    return out;
}

class Writer {
public:
    explicit Writer(const QDir& dir) : dir_(dir) {}

    QString Path(const std::string& name) const {
        return dir_.filePath(QString::fromStdString(name));
    }

    // Writes through a temporary in the folder and renames it, so a reader never sees half a
    // file and a failed run leaves the previous report's file whole.
    void Text(const std::string& name, const std::string& text) const {
        QSaveFile f(Path(name));
        const QByteArray bytes = QByteArray::fromStdString(text);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
            throw FileError{"cannot write '" + Path(name).toStdString() +
                            "': " + f.errorString().toStdString()};
    }

    void Drawing(const std::string& name, QSize size,
                 const std::function<void(QPainter&)>& paint) const {
        QString error;
        if (!ExportDrawing(Path(name), size, paint, &error)) throw FileError{error.toStdString()};
    }

private:
    QDir dir_;
};

// A figure written as PNG and SVG; the page shows the PNG and links the SVG.
struct Figure {
    std::string stem;
    std::string caption;
    QSize size;
};

void PictureAt(const Model& base, float revArm, const Writer& w, const Figure& fig) {
    for (const char* ext : {".png", ".svg"}) {
        Model m = base;
        m.gear.revArmSetting = revArm;
        m.gear.direction = revArm >= m.revArmPositions[0] ? RunDirection::Fwd : RunDirection::Rev;
        m.gear.driverAngle = 0;
        TickSolve(m);
        w.Drawing(fig.stem + ext, fig.size, [&m](QPainter& p) {
            // The picture sets up its own pens; start from a plain painter, not the diagrams'.
            p.setBackgroundMode(Qt::TransparentMode);
            p.setRenderHint(QPainter::TextAntialiasing, true);
            std::mt19937 rng(20260);
            PictureInput in;
            in.now = QDateTime::currentDateTime();
            in.rng = &rng;
            RenderPicture(m, p, in);
        });
    }
}

void DiagramFiles(const Model& base, const DiagramKindInfo& kind, const Writer& w,
                  const Figure& fig, const SteamConditions& steam) {
    for (const char* ext : {".png", ".svg"}) {
        Model m = base;
        if (kind.reportSelector) m.portSelector = kind.reportSelector;
        DiagramOptions opt;
        opt.clearRect = QRect(QPoint(0, 0), fig.size);
        opt.steam = steam;
        w.Drawing(fig.stem + ext, fig.size, [&](QPainter& p) { kind.draw(m, p, opt); });
    }
}

std::string FigureHtml(const Figure& f) {
    const std::string s = Escape(f.stem);
    return "<figure><img src=\"" + s + ".png\" width=\"" + std::to_string(f.size.width()) +
           "\" height=\"" + std::to_string(f.size.height()) + "\" alt=\"" + Escape(f.caption) +
           "\"><figcaption>" + Escape(f.caption) + " (<a href=\"" + s + ".svg\">SVG</a>)" +
           "</figcaption></figure>\n";
}

std::string DimensionTable(const Model& m, const char* title,
                           std::span<const DimensionInfo> infos) {
    std::string h = "<table class=\"dims\">\n<caption>" + Escape(title) +
                    "</caption>\n<tr><th>Id</th><th>Dimension</th><th>Value</th></tr>\n";
    for (const DimensionInfo& d : infos) {
        h += "<tr><td>" + std::to_string(d.id) + "</td><td class=\"label\">" + Escape(d.shortName) +
             "</td><td class=\"num\">" + Escape(FormatFixed(GetDimension(m, d.id), 1, 4)) +
             "</td></tr>\n";
    }
    return h + "</table>\n";
}

std::string EventTableHtml(const std::vector<EventRow>& rows, SweepDirection dir,
                           const char* title) {
    std::string h = "<table class=\"grid\">\n<caption>" + Escape(title) + "</caption>\n<tr>";
    for (const EventColumn& c : EventColumns()) h += "<th>" + Escape(c.key) + "</th>";
    h += "</tr>\n";
    for (const EventRow& r : rows) {
        if (r.direction != dir) continue;
        h += r.geometryError ? "<tr class=\"error\">" : "<tr>";
        for (const EventColumn& c : EventColumns())
            h += "<td>" + Escape(EventCellText(c, r)) + "</td>";
        h += "</tr>\n";
    }
    return h + "</table>\n";
}

std::string PerformanceHtml(const std::vector<PerformanceRow>& rows) {
    std::string h = "<table class=\"grid\">\n<tr>";
    for (const PerformanceColumn& c : PerformanceColumns()) h += "<th>" + Escape(c.key) + "</th>";
    h += "</tr>\n";
    for (const PerformanceRow& r : rows) {
        h += r.geometryError ? "<tr class=\"error\">" : "<tr>";
        for (const PerformanceColumn& c : PerformanceColumns())
            h += (c.kind == PerformanceColumnKind::Reason ? "<td class=\"label\">" : "<td>") +
                 Escape(PerformanceCellText(c, r)) + "</td>";
        h += "</tr>\n";
    }
    return h + "</table>\n";
}

std::string PivotCsv(const std::vector<PivotRow>& rows, const std::array<int, 6>& pivots) {
    std::string s = "driver_angle";
    for (int k = 0; k < 6; ++k) {
        const std::string p = std::to_string(pivots[k]);
        s.append(",pivot").append(p).append("_vert,pivot").append(p).append("_horz");
    }
    s += '\n';
    for (const PivotRow& r : rows) {
        s += Num(r.angle);
        for (int k = 0; k < 6; ++k) s += ',' + Num(r.vert[k]) + ',' + Num(r.horz[k]);
        s += '\n';
    }
    return s;
}

std::string PivotHtml(const std::vector<PivotRow>& rows, const std::array<int, 6>& pivots) {
    std::string h = "<table class=\"grid\">\n<tr><th rowspan=\"2\">Driver angle</th>";
    for (int k = 0; k < 6; ++k)
        h += "<th colspan=\"2\">No." + std::to_string(k + 1) + ": pivot " +
             std::to_string(pivots[k]) + "</th>";
    h += "</tr>\n<tr>";
    for (int k = 0; k < 6; ++k) h += "<th>Vert</th><th>Horz</th>";
    h += "</tr>\n";
    for (const PivotRow& r : rows) {
        h += "<tr><td>" + FormatFixed(r.angle, 1, 2) + "</td>";
        for (int k = 0; k < 6; ++k)
            h += "<td>" + FormatFixed(r.vert[k], 1, 3) + "</td><td>" +
                 FormatFixed(r.horz[k], 1, 3) + "</td>";
        h += "</tr>\n";
    }
    return h + "</table>\n";
}

constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:1.5em;color:#111}\n"
    "h1{margin-bottom:0}\n"
    "table{border-collapse:collapse;margin:0.5em 1.5em 1em 0}\n"
    "caption{font-weight:bold;text-align:left;padding:0.3em 0}\n"
    "th,td{border:1px solid #bbb;padding:0.15em 0.4em}\n"
    "td{text-align:right;font-variant-numeric:tabular-nums}\n"
    "td.label{text-align:left}\n"
    "table.dims{display:inline-table;vertical-align:top}\n"
    "tr.error td{background:#fdd}\n"
    "figure{display:inline-block;margin:0.5em 1em 1em 0}\n"
    "img{border:1px solid #888;max-width:100%;height:auto}\n";

int RunReport(const Args& args) {
    const ReportOptions o = Parse(args);

    // The gear first: a file that does not load leaves no empty folder behind. A bad option is
    // refused before any progress line, so its message is the one line on stderr.
    Model base;
    BuildGear(base, o.gear);
    if (o.steam.pressureGiven) CheckSteamOptions(o.steam, base);
    Progress("built the gear");
    ApplyPositions(base, o.positions);

    const QString dirPath = QString::fromStdString(o.out);
    if (QFileInfo(dirPath).exists() && !QFileInfo(dirPath).isDir())
        throw FileError{"'" + o.out + "' exists and is not a folder"};
    if (!QDir().mkpath(dirPath) || !QFileInfo(dirPath).isDir())
        throw FileError{"cannot create the folder '" + o.out + "'"};
    if (!QFileInfo(dirPath).isWritable())
        throw FileError{"cannot write into the folder '" + o.out + "'"};
    const Writer w{QDir(dirPath)};

    const std::string name = base.dataSetName;
    const float mid = base.revArmPositions[0];
    const float full = mid + base.frame.revArmMax;

    EnsureGuiApplication();
    const QSize client(kClientWidth, kClientHeight);
    const Figure picMid{"picture-mid-gear", "Mechanism at mid gear", client};
    const Figure picFull{"picture-full-forward", "Mechanism at full forward gear", client};
    Progress("drawing the mechanism at mid gear");
    PictureAt(base, mid, w, picMid);
    Progress("drawing the mechanism at full forward gear");
    PictureAt(base, full, w, picFull);

    std::vector<Figure> diagrams;
    for (const DiagramKindInfo& kind : DiagramKinds()) {
        if (!kind.reportStem || !kind.draw) continue;
        const Figure fig{kind.reportStem, kind.reportCaption, kind.clientSize};
        Progress("drawing the " + fig.stem.substr(fig.stem.find('-') + 1) + " diagram");
        DiagramFiles(base, kind, w, fig, o.steam.conditions);
        diagrams.push_back(fig);
    }

    Progress("computing the valve events (forward and reverse)");
    Model em = base;
    const std::vector<EventRow> events = ComputeDefaultEventTable(em);
    w.Text("events.csv", EventTableDelimited(events, ','));

    std::vector<PerformanceRow> performance;
    if (o.steam.pressureGiven) {
        Progress("computing the indicator cards");
        const std::vector<NotchRow> notchRows =
            NotchRows(base, kDefaultStudyNotches, Directions::Both);
        std::vector<EventRow> rows;
        rows.reserve(notchRows.size());
        for (const NotchRow& r : notchRows) {
            rows.push_back(r.events);
            rows.back().notch = r.notch;
        }
        performance = PerformanceRows(base, rows, o.steam.conditions);
        w.Text("performance.csv", PerformanceDelimited(performance, ','));
    }

    Progress("computing the pivot data");
    Model pm = base;
    bool picked = false;
    for (int k = 1; k <= 6; ++k) picked = picked || pm.picks[k].assigned;
    const std::array<int, 6> pivots = picked ? ChosenPivots(pm) : kDefaultPivots;
    const std::vector<PivotRow> pivotRows = BuildPivotRows(pm, pivots);
    w.Text("pivots.csv", PivotCsv(pivotRows, pivots));

    Progress("saving the working set");
    {
        // Saving names the data set after the file; the report keeps the gear's own name.
        Model dm = base;
        std::string error;
        if (!files::SaveDst(dm, w.Path("gear.dst").toStdString(), error)) throw FileError{error};
    }

    std::string h =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
        Escape(name) + " \u2013 merrovan report</title>\n<style>\n" + kStyle +
        "</style>\n</head>\n<body>\n<h1>" + Escape(name) + "</h1>\n<p>merrovan report, " +
        Escape(QDateTime::currentDateTime().toString(Qt::ISODate).toStdString()) +
        ". Mid gear: reverse arm " + Escape(FormatFixed(mid, 1, 4)) +
        "; full forward gear: " + Escape(FormatFixed(full, 1, 4)) +
        ". Files: <a href=\"gear.dst\">gear.dst</a> (the working set), "
        "<a href=\"events.csv\">events.csv</a>, <a href=\"pivots.csv\">pivots.csv</a>" +
        (o.steam.pressureGiven ? ", <a href=\"performance.csv\">performance.csv</a>" : "") +
        ".</p>\n";
    h += "<h2>Dimensions</h2>\n";
    h += DimensionTable(base, "Frame dimensions", FrameDimensionInfo());
    h += DimensionTable(base, "Cylinder dimensions", CylinderDimensionInfo());
    h += "<h2>Mechanism</h2>\n" + FigureHtml(picMid) + FigureHtml(picFull);
    h += "<h2>Valve diagrams</h2>\n";
    for (const Figure& d : diagrams) h += FigureHtml(d);
    h += "<h2>Valve events</h2>\n<p>Admission, cut-off, release and compression in per cent of "
         "the stroke from each end's dead centre; lead, openings and travel in the gear's "
         "units. Rows the solver had to clamp are shaded.</p>\n";
    h += EventTableHtml(events, SweepDirection::Forward, "Forward");
    h += EventTableHtml(events, SweepDirection::Reverse, "Reverse");
    if (o.steam.pressureGiven) {
        const SteamConditions& sc = o.steam.conditions;
        h += "<h2>Steam in the cylinder</h2>\n<p>Ideal indicator cards at quarter, half, "
             "three-quarter and full gear: admission at the pressure " +
             Escape(Num(sc.pressure)) + " and exhaust at the back pressure " +
             Escape(Num(sc.backPressure)) +
             " (absolute), expansion and compression with p V "
             "constant, clearance " +
             Escape(Num(sc.clearance)) +
             " per cent of the swept "
             "volume, piston rod " +
             Escape(Num(sc.rodDia)) + ", " + std::to_string(sc.cylinders) +
             " cylinders. Work and MEP per end, work per "
             "turn, tractive effort and the front/rear work imbalance in per cent.</p>\n";
        h += PerformanceHtml(performance);
    }
    h += "<h2>Pivot data</h2>\n<p>Reverse arm " +
         Escape(FormatFixed(base.gear.revArmSetting, 1, 4)) + ", step angle " +
         Escape(FormatFixed(base.gear.chosenStep, 1, 3)) + ".</p>\n";
    h += PivotHtml(pivotRows, pivots);
    h += "</body>\n</html>\n";
    w.Text("index.html", h);

    const QString index = QFileInfo(w.Path("index.html")).absoluteFilePath();
    Progress("wrote " + index.toStdString());
    std::printf("%s\n", qPrintable(index));
    return kExitOk;
}

const bool kRegistered = Register(Command{
    "report",
    "report --out DIR [--file F] [--set ID=V]... [--positions X,Y,...] [--pressure P "
    "[--back-pressure B] [--clearance PCT] [--rod-dia D] [--cylinders N]]",
    "Writes the analysis of a gear into the folder DIR (created if need be): index.html, one\n"
    "page without scripts or network access, with the dimensions, the mechanism at mid gear\n"
    "and at full forward gear, the sine, oval, steam and port open/closed diagrams and the\n"
    "indicator cards, the valve events forward and reverse and the pivot data table; every\n"
    "picture beside it as PNG and SVG; events.csv and pivots.csv (header row); gear.dst, the\n"
    "working set. With --pressure, also the figures of the ideal indicator cards at notches\n"
    "0.25, 0.5, 0.75 and 1 in both directions (the table of 'merrovan-cli performance'), on\n"
    "the page and in performance.csv; the indicator diagram is then drawn for those\n"
    "conditions (otherwise for 100, 15 and 8 per cent).\n"
    "Each file is written under a temporary name and then renamed, so an existing report is\n"
    "only ever replaced by complete files. Progress goes to stderr; the path of index.html\n"
    "is printed on stdout.\n"
    "  --file PATH        load a .dst or .mvo dimension file first\n"
    "  --set ID=VALUE     commit dimension ID (1..27, 101..122) as a dialog does; repeatable\n"
    "  --out DIR          the folder to write (required)\n"
    "  --positions LIST   reverse-arm settings 1..9 the sine, oval, steam and indicator\n"
    "                     diagrams draw, comma separated (default: mid gear, normal forward,\n"
    "                     normal reverse)\n" +
        std::string(kSteamOptionsHelp) +
        "The pivot table shows the six pivots the working set has picked, or pivots 2, 4, 10,\n"
        "13, 15 and 18 when none is picked.\n",
    RunReport});

}  // namespace
}  // namespace mv::cli
