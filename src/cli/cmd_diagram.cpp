// merrovan-cli diagram: draws the sine, oval, steam, port open/closed or indicator diagram to a
// file.
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "cli/cli.hpp"
#include "cli/cli_render.hpp"
#include "diagrams/diagram_kinds.hpp"
#include "diagrams/rev_arm_positions.hpp"

namespace mv::cli {
namespace {

int RunDiagram(const Args& args) {
    if (args.empty()) throw UsageError{"which diagram? (" + DiagramCliNames() + ")"};
    const std::string& which = args[0];
    const std::optional<DiagramKind> found = DiagramKindByCliName(which);
    if (!found) throw UsageError{"unknown diagram '" + which + "' (" + DiagramCliNames() + ")"};
    const DiagramKind kind = *found;

    GearOptions gear;
    std::optional<std::string> out;
    std::optional<std::vector<double>> positions;
    std::optional<double> scale;
    char mode = 'F';
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (TakeGearOption(args, i, gear)) continue;
        const std::string& a = args[i];
        if (a == "--out") {
            out = OptionValue(args, i);
        } else if (a == "--positions") {
            positions = ParsePositions(a, OptionValue(args, i));
        } else if (a == "--scale") {
            const double s = NumberValue(a, OptionValue(args, i));
            if (std::fabs(s) > 3.4e38) throw UsageError{"--scale: value out of range"};
            scale = s;
        } else if (a == "--mode") {
            const std::string& v = OptionValue(args, i);
            if (v != "F" && v != "R" && v != "B")
                throw UsageError{"--mode: expected F, R or B, got '" + v + "'"};
            mode = v[0];
        } else {
            throw UsageError{"unknown option '" + a + "'"};
        }
    }
    if (!out) throw UsageError{"--out FILE is required"};
    {
        std::string lower = *out;
        for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        auto ends = [&](const char* e) {
            const std::string ext(e);
            return lower.size() > ext.size() &&
                   lower.compare(lower.size() - ext.size(), ext.size(), ext) == 0;
        };
        if (!ends(".png") && !ends(".svg") && !ends(".pdf"))
            throw UsageError{"--out: the file must end in .png, .svg or .pdf"};
    }

    Model m;
    BuildGear(m, gear);
    ApplyPositions(m, positions);
    if (scale) CommitVerticalScale(m, static_cast<float>(*scale));
    m.portSelector = mode;

    EnsureGuiApplication();
    const QSize size = DiagramClientSize(kind);
    DiagramOptions opt;
    opt.clearRect = QRect(QPoint(0, 0), size);
    QString error;
    if (!ExportDrawing(
            QString::fromStdString(*out), size, [&](QPainter& p) { DrawDiagram(kind, m, p, opt); },
            &error))
        throw FileError{error.toStdString()};
    return kExitOk;
}

const bool kRegistered = Register(Command{
    "diagram",
    "diagram " + DiagramCliNames("|") +
        " --out FILE [--file F] [--set ID=V]... [--revarm X | --notch F] [--positions X,Y,...] "
        "[--scale S] [--mode F|R|B]",
    "Draws one valve diagram at its window size on white; the file type follows the extension\n"
    "(.png, .svg or .pdf).\n" +
        std::string(kGearOptionsHelp) +
        "  --out FILE         the picture to write (required)\n"
        "  --positions LIST   reverse-arm settings 1..9, comma separated (sine, oval, steam,\n"
        "                     indicator); clamped to mid gear +- \"Rev Arm to Cent Max\", a 0\n"
        "                     ends the list\n"
        "                     (default: mid gear, normal forward, normal reverse)\n"
        "  --scale S          vertical scale of the sine and oval diagrams, at least 0.1\n"
        "  --mode F|R|B       port diagram: forward, reverse or both graphs (default F)\n"
        "The diagrams draw their own reverse-arm settings and put the live one (--revarm,\n"
        "--notch) back afterwards, as the diagram windows do. The indicator cards are drawn for\n"
        "a pressure of 100, a back pressure of 15 (absolute) and a clearance of 8 per cent;\n"
        "'merrovan-cli performance' gives their figures for any.\n",
    RunDiagram});

}  // namespace
}  // namespace mv::cli
