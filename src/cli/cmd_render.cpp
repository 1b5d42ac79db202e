// merrovan-cli render: the main window's picture for a given state, as PNG, SVG or PDF, or the
// mechanism at full size as a DXF drawing.
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QMarginsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cstdio>
#include <optional>
#include <random>
#include <string>

#include "cli/cli.hpp"
#include "cli/cli_render.hpp"
#include "files/dxf_file.hpp"
#include "mainwin/draw_picture.hpp"
#include "model/dimensions.hpp"

namespace mv::cli {
namespace {

enum class Format { Png, Svg, Pdf, Dxf };

struct RenderOptions {
    GearOptions gear;
    std::string out;
    std::optional<double> angle;
    bool screenData = true;
    int lineWidth = 1;
    int cropW = kPictureWidth;
    int cropH = kPictureHeight;
    bool steam = false;
    int ticks = 0;
    int graphic = 0;
};

bool OnOff(const std::string& option, const std::string& v) {
    if (v == "on") return true;
    if (v == "off") return false;
    throw UsageError{option + ": expected on or off, got '" + v + "'"};
}

Format FormatOf(const std::string& path) {
    auto ends = [&path](const char* ext) {
        const std::string e(ext);
        if (path.size() <= e.size()) return false;
        for (std::size_t i = 0; i < e.size(); ++i) {
            char ch = path[path.size() - e.size() + i];
            if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
            if (ch != e[i]) return false;
        }
        return true;
    };
    if (ends(".png")) return Format::Png;
    if (ends(".svg")) return Format::Svg;
    if (ends(".pdf")) return Format::Pdf;
    if (ends(".dxf")) return Format::Dxf;
    throw UsageError{"--out: '" + path + "' must end in .png, .svg, .pdf or .dxf"};
}

void ParseCrop(const std::string& v, RenderOptions& o) {
    const auto x = v.find('x');
    if (x == std::string::npos) throw UsageError{"--crop: expected WIDTHxHEIGHT, got '" + v + "'"};
    const int w = IntValue("--crop", v.substr(0, x));
    const int h = IntValue("--crop", v.substr(x + 1));
    if (w < 1 || h < 1 || w > kPictureWidth || h > kPictureHeight)
        throw UsageError{"--crop: " + v + " does not fit the 1280x1024 picture"};
    o.cropW = w;
    o.cropH = h;
}

RenderOptions Parse(const Args& args) {
    RenderOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (TakeGearOption(args, i, o.gear)) continue;
        const std::string& a = args[i];
        if (a == "--out") {
            o.out = OptionValue(args, i);
        } else if (a == "--angle") {
            o.angle = NumberValue(a, OptionValue(args, i));
        } else if (a == "--screen-data") {
            o.screenData = OnOff(a, OptionValue(args, i));
        } else if (a == "--line-width") {
            o.lineWidth = IntValue(a, OptionValue(args, i));
            if (o.lineWidth != 1 && o.lineWidth != 2)
                throw UsageError{"--line-width: expected 1 or 2"};
        } else if (a == "--crop") {
            ParseCrop(OptionValue(args, i), o);
        } else if (a == "--steam") {
            o.steam = OnOff(a, OptionValue(args, i));
        } else if (a == "--ticks") {
            o.ticks = IntValue(a, OptionValue(args, i));
            if (o.ticks < 0 || o.ticks > 1000000)
                throw UsageError{"--ticks: expected 0 .. 1000000"};
        } else if (a == "--graphic") {
            o.graphic = IntValue(a, OptionValue(args, i));
            if (!IsDimensionId(static_cast<DimensionId>(o.graphic < 0 ? 0 : o.graphic)))
                throw UsageError{"--graphic: not a dimension id (1..27, 101..122)"};
        } else {
            throw UsageError{"unknown option '" + a + "'"};
        }
    }
    if (o.out.empty()) throw UsageError{"--out FILE is required"};
    FormatOf(o.out);
    return o;
}

// The crop is the part a window of that size shows: texts kept at its edge go there.
void Draw(Model& m, QPainter& p, std::mt19937& rng, QSize area) {
    PictureInput in;
    in.now = QDateTime::currentDateTime();
    in.rng = &rng;
    in.area = area;
    RenderPicture(m, p, in);
}

int RunRender(const Args& args) {
    const RenderOptions o = Parse(args);
    EnsureGuiApplication();
    Model m;
    BuildGear(m, o.gear);
    if (o.angle) m.gear.driverAngle = static_cast<float>(*o.angle);
    m.display.screenData = o.screenData;
    m.display.lineWidth = o.lineWidth;
    m.steam.display = o.steam;
    m.dimensionGraphicId = o.graphic;
    // A fixed seed: the same command gives the same picture.
    std::mt19937 rng(20260);

    if (o.ticks > 0) {
        QImage scratch(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
        for (int t = 0; t < o.ticks; ++t) {
            TickSolve(m);
            QPainter p(&scratch);
            Draw(m, p, rng, QSize(o.cropW, o.cropH));
            p.end();
            AdvanceDriverAngle(m);
        }
    }
    TickSolve(m);

    if (FormatOf(o.out) == Format::Dxf) {
        std::string error;
        if (!files::WriteMechanismDxf(m, o.out, error)) throw FileError{error};
        return kExitOk;
    }
    const QString path = QString::fromStdString(o.out);
    switch (FormatOf(o.out)) {
        case Format::Png: {
            QImage img(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
            QPainter p(&img);
            Draw(m, p, rng, QSize(o.cropW, o.cropH));
            p.end();
            const QImage out = (o.cropW == kPictureWidth && o.cropH == kPictureHeight)
                                   ? img
                                   : img.copy(0, 0, o.cropW, o.cropH);
            if (!out.save(path, "PNG")) throw FileError{"cannot write '" + o.out + "'"};
            break;
        }
        case Format::Svg: {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw FileError{"cannot write '" + o.out + "'"};
            QSvgGenerator gen;
            gen.setOutputDevice(&f);
            gen.setSize(QSize(o.cropW, o.cropH));
            gen.setViewBox(QRect(0, 0, o.cropW, o.cropH));
            gen.setResolution(96);
            gen.setTitle(QStringLiteral("merrovan picture"));
            QPainter p(&gen);
            if (!p.isActive()) throw FileError{"cannot write '" + o.out + "'"};
            p.setClipRect(0, 0, o.cropW, o.cropH);
            Draw(m, p, rng, QSize(o.cropW, o.cropH));
            p.end();
            if (f.error() != QFileDevice::NoError) throw FileError{"cannot write '" + o.out + "'"};
            break;
        }
        case Format::Pdf: {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw FileError{"cannot write '" + o.out + "'"};
            QPdfWriter pdf(&f);
            pdf.setResolution(96);
            pdf.setPageSize(QPageSize(QSizeF(o.cropW * 72.0 / 96.0, o.cropH * 72.0 / 96.0),
                                      QPageSize::Point, QString(), QPageSize::ExactMatch));
            pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
            pdf.setTitle(QStringLiteral("merrovan picture"));
            QPainter p(&pdf);
            if (!p.isActive()) throw FileError{"cannot write '" + o.out + "'"};
            p.setClipRect(0, 0, o.cropW, o.cropH);
            Draw(m, p, rng, QSize(o.cropW, o.cropH));
            p.end();
            if (f.error() != QFileDevice::NoError) throw FileError{"cannot write '" + o.out + "'"};
            break;
        }
        case Format::Dxf: break;  // written above
    }
    return kExitOk;
}

const bool kRegistered = Register(Command{
    "render",
    "render --out FILE.png|.svg|.pdf|.dxf [--file F] [--set ID=V]... [--angle DEG] "
    "[--revarm X | --notch F] [--screen-data on|off] [--line-width 1|2] [--crop WxH] "
    "[--steam on|off] [--ticks N] [--graphic ID]",
    "Draws the main window's picture for one state, as the window's frame buffer holds it\n"
    "after the tick's solve (the driver angle not yet advanced).\n" +
        std::string(kGearOptionsHelp) +
        "  --out FILE         .png (1280x1024 pixels), .svg or .pdf (the same drawing, vector),\n"
        "                     or .dxf: the mechanism at that position, full size (one drawing\n"
        "                     unit per unit of the dimensions), on the layers FRAME, RODS, PINS,\n"
        "                     VALVE, PORTS, PISTON and TEXT; the picture's options other than\n"
        "                     --angle, --revarm and --notch do not apply to it\n"
        "  --angle DEG        driver angle (default 0)\n"
        "  --screen-data S    on (default) or off: the live values over the picture\n"
        "  --line-width W     1 (default) or 2\n"
        "  --crop WxH         only the top-left part, e.g. 632x380 for the window's client area\n"
        "  --steam S          on or off (default): the steam display\n"
        "  --ticks N          run N animation ticks first (fixed random seed)\n"
        "  --graphic ID       show the position graphic of dimension ID (as its dialog button\n"
        "                     does), running through the --ticks frames\n",
    RunRender});

}  // namespace
}  // namespace mv::cli
