// merrovan-cli sheet: the build sheet of a gear as PDF or one self-contained HTML file.
#include <QDate>
#include <QString>
#include <string>

#include "aids/build_sheet.hpp"
#include "cli/cli.hpp"
#include "cli/cli_render.hpp"

namespace mv::cli {
namespace {

bool EndsWith(const std::string& s, const char* ext) {
    const std::string e(ext);
    if (s.size() <= e.size()) return false;
    for (std::size_t i = 0; i < e.size(); ++i) {
        char ch = s[s.size() - e.size() + i];
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
        if (ch != e[i]) return false;
    }
    return true;
}

int RunSheet(const Args& args) {
    GearOptions gear;
    std::string out;
    QPageSize::PageSizeId paper = QPageSize::A4;
    QDate date = QDate::currentDate();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--revarm" || a == "--notch")
            throw UsageError{a + " does not apply here; the sheet shows the gear at mid gear"};
        if (TakeGearOption(args, i, gear)) continue;
        if (a == "--out") {
            out = OptionValue(args, i);
        } else if (a == "--paper") {
            const std::string& p = OptionValue(args, i);
            if (p == "a4") {
                paper = QPageSize::A4;
            } else if (p == "letter") {
                paper = QPageSize::Letter;
            } else {
                throw UsageError{"--paper: expected a4 or letter, got '" + p + "'"};
            }
        } else if (a == "--date") {
            const std::string& v = OptionValue(args, i);
            date = QDate::fromString(QString::fromStdString(v), Qt::ISODate);
            if (!date.isValid() || v.size() != 10)
                throw UsageError{"--date: expected YYYY-MM-DD, got '" + v + "'"};
        } else {
            throw UsageError{"unknown option '" + a + "'"};
        }
    }
    if (out.empty()) throw UsageError{"--out FILE is required"};
    const bool pdf = EndsWith(out, ".pdf");
    if (!pdf && !EndsWith(out, ".html") && !EndsWith(out, ".htm"))
        throw UsageError{"--out: '" + out + "' must end in .pdf or .html"};

    EnsureGuiApplication();
    Model m;
    BuildGear(m, gear);
    const SheetData d = MakeSheetData(m, m.dataSetName, date);
    QString error;
    const QString path = QString::fromStdString(out);
    const bool ok =
        pdf ? WriteSheetPdf(path, d, paper, &error) : WriteSheetHtml(path, d, paper, &error);
    if (!ok) throw FileError{error.toStdString()};
    return kExitOk;
}

const bool kRegistered = Register(Command{
    "sheet",
    "sheet --out FILE.pdf|.html [--file F] [--set ID=VALUE]... [--paper a4|letter] "
    "[--date YYYY-MM-DD]",
    "The build sheet of the gear, two pages with a title block each (gear name, date, the unit\n"
    "note and the program's version):\n"
    "  page 1: the gear to scale at mid gear and driver angle 0, the fixed pivots with their\n"
    "          coordinates from the driver centre, every rod with its length between pin\n"
    "          centres, and the valve central on its port face in section with the laps;\n"
    "  page 2: the 49 dimensions, the fixed pivots, the rods, and the valve events at 15, 25,\n"
    "          40 and 60 % mean cut-off and at full gear, forward and reverse.\n"
    "  --file PATH        load a .dst or .mvo dimension file first\n"
    "  --set ID=VALUE     commit dimension ID (1..27, 101..122) as a dialog does; repeatable\n"
    "  --out FILE         .pdf (two pages) or .html (one self-contained file, page 1 as an\n"
    "                     inline picture)\n"
    "  --paper P          a4 (default) or letter\n"
    "  --date D           the date in the title block (default: today)\n",
    RunSheet});

}  // namespace
}  // namespace mv::cli
