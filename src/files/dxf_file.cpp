#include "files/dxf_file.hpp"

#include <dxflib/dl_dxf.h>
#include <dxflib/dl_writer_ascii.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numbers>
#include <vector>

#include "files/file_io.hpp"
#include "model/gear_geometry.hpp"

namespace mv::files {
namespace {

using LD = long double;

// AutoCAD colour numbers of the layers, in kDxfLayers order.
constexpr std::array<int, kDxfLayers.size()> kLayerColours = {8, 1, 7, 4, 6, 5, 7};

// A DXF larger than this is not one this program wrote.
constexpr std::size_t kMaxDxfBytes = std::size_t{16} << 20;

DL_Attributes On(const char* layer) {
    return DL_Attributes(layer, 256, -1, "BYLAYER", 1.0);
}

class Writer {
public:
    Writer(DL_Dxf& dxf, DL_WriterA& dw, const Gear& g) : dxf_(dxf), dw_(dw), g_(g) {}

    void Line(const char* layer, const WorldXY& a, const WorldXY& b) {
        dxf_.writeLine(dw_, DL_LineData(D(a.h), D(a.v), 0, D(b.h), D(b.v), 0), On(layer));
    }
    void Circle(const char* layer, const WorldXY& c, LD r) {
        dxf_.writeCircle(dw_, DL_CircleData(D(c.h), D(c.v), 0, D(r)), On(layer));
    }
    template <std::size_t N>
    void Polyline(const char* layer, const std::array<WorldXY, N>& pts, std::size_t from,
                  std::size_t to, bool closed) {
        dxf_.writePolyline(dw_, DL_PolylineData(static_cast<int>(to - from + 1), 0, 0, closed),
                           On(layer));
        for (std::size_t k = from; k <= to; ++k)
            dxf_.writeVertex(dw_, DL_VertexData(D(pts[k].h), D(pts[k].v), 0, 0));
        dxf_.writePolylineEnd(dw_);
    }
    void Text(const WorldXY& at, LD height, const std::string& s) {
        dxf_.writeText(dw_,
                       DL_TextData(D(at.h), D(at.v), 0, D(at.h), D(at.v), 0, D(height), 1.0, 0, 0,
                                   0, s, "STANDARD", 0.0),
                       On("TEXT"));
    }
    WorldXY P(int n) const { return {g_.pivots[n].x, g_.pivots[n].y}; }

    DL_Dxf& dxf_;
    DL_WriterA& dw_;

private:
    static double D(LD v) { return static_cast<double>(v); }
    const Gear& g_;
};

bool AllFinite(const Gear& g, const GearOutlines& o) {
    auto ok = [](LD h, LD v) { return std::isfinite(h) && std::isfinite(v); };
    for (int n = 0; n <= pv::RevArmTop; ++n)
        if (!ok(g.pivots[n].x, g.pivots[n].y)) return false;
    for (const WorldXY& p : o.cylinder)
        if (!ok(p.h, p.v)) return false;
    for (const WorldXY& p : o.piston)
        if (!ok(p.h, p.v)) return false;
    for (const WorldXY& p : o.valve)
        if (!ok(p.h, p.v)) return false;
    return std::isfinite(g.frame.driverDia) && std::isfinite(g.frame.stroke) &&
           std::isfinite(g.frame.guideLinkRadius);
}

void Tables(DL_Dxf& dxf, DL_WriterA& dw) {
    dxf.writeHeader(dw);
    // Unitless: the drawing unit is whatever unit the dimensions are in.
    dw.dxfString(9, "$INSUNITS");
    dw.dxfInt(70, 0);
    dw.sectionEnd();

    dw.sectionTables();
    dxf.writeVPort(dw);
    dw.tableLinetypes(3);
    dxf.writeLinetype(dw, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
    dxf.writeLinetype(dw, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
    dxf.writeLinetype(dw, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
    dw.tableEnd();
    dw.tableLayers(static_cast<int>(kDxfLayers.size()) + 1);
    dxf.writeLayer(dw, DL_LayerData("0", 0), DL_Attributes("", 7, 100, "CONTINUOUS", 1.0));
    for (std::size_t k = 0; k < kDxfLayers.size(); ++k)
        dxf.writeLayer(dw, DL_LayerData(kDxfLayers[k], 0),
                       DL_Attributes("", kLayerColours[k], 100, "CONTINUOUS", 1.0));
    dw.tableEnd();
    dw.tableStyle(1);
    dxf.writeStyle(dw, DL_StyleData("STANDARD", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
    dw.tableEnd();
    dxf.writeView(dw);
    dxf.writeUcs(dw);
    dw.tableAppid(1);
    dw.tableAppidEntry(0x12);
    dw.dxfString(2, "ACAD");
    dw.dxfInt(70, 0);
    dw.tableEnd();
    dxf.writeDimStyle(dw, 1, 1, 1, 1, 1);
    dxf.writeBlockRecord(dw);
    dw.tableEnd();
    dw.sectionEnd();

    dw.sectionBlocks();
    for (const char* b : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
        dxf.writeBlock(dw, DL_BlockData(b, 0, 0.0, 0.0, 0.0));
        dxf.writeEndBlock(dw, b);
    }
    dw.sectionEnd();
}

void Entities(Writer& w, const Gear& g, const GearOutlines& o) {
    const LD D = g.frame.driverDia;
    const WorldXY driver = w.P(pv::Driver);

    // FRAME: driver and crank circles, the fixed pivots' crosses, the guide link's arc, the
    // cylinder with its valve chamber.
    w.Circle("FRAME", driver, std::fabs(D) / 2);
    w.Circle("FRAME", driver, std::fabs(LD(g.frame.stroke)) / 2);
    const LD arm = std::fabs(D) * 0.03L;
    for (int n : kFixedPivots) {
        const WorldXY p = w.P(n);
        w.Line("FRAME", {p.h - arm, p.v - arm}, {p.h + arm, p.v + arm});
        w.Line("FRAME", {p.h - arm, p.v + arm}, {p.h + arm, p.v - arm});
    }
    // The upper 53 degrees of the guide link's circle, as the picture draws it.
    const LD start = std::atan2(1.0L, 0.5L) * 180.0L / std::numbers::pi_v<LD>;
    const WorldXY gc = w.P(pv::GuideCentre);
    w.dxf_.writeArc(w.dw_,
                    DL_ArcData(static_cast<double>(gc.h), static_cast<double>(gc.v), 0,
                               static_cast<double>(std::fabs(LD(g.frame.guideLinkRadius))),
                               static_cast<double>(start), static_cast<double>(180.0L - start)),
                    On("FRAME"));
    w.Polyline("FRAME", o.cylinder, 0, 13, false);

    // RODS: every piece between the solve's pin centres.
    for (const RodPiece& r : RodPieces()) w.Line("RODS", w.P(r.from), w.P(r.to));

    // PINS: a circle at each pin, as large as the picture draws it.
    for (int n : kPinPivots) w.Circle("PINS", w.P(n), std::fabs(D) * PinRadiusFactor(n));

    // VALVE: its section and its stem; PORTS: the port face; PISTON: piston and rod.
    w.Polyline("VALVE", o.valve, 1, 8, true);
    w.Line("VALVE", w.P(pv::ValveJoint), o.valve[0]);
    w.Polyline("PORTS", o.cylinder, 14, 23, false);
    w.Polyline("PISTON", o.piston, 1, 4, true);
    w.Line("PISTON", w.P(pv::Crosshead), o.piston[0]);

    // TEXT: pivot numbers beside their pins, rod names at the middle of their pieces.
    LD h = std::fabs(D) * 0.02L;
    if (!(h > 0) || !std::isfinite(h)) h = 0.1L;
    for (int n : kPinPivots) {
        const WorldXY p = w.P(n);
        w.Text({p.h + h, p.v + h}, h, std::to_string(n));
    }
    for (const RodPiece& r : RodPieces()) {
        const WorldXY a = w.P(r.from), b = w.P(r.to);
        w.Text({(a.h + b.h) / 2, (a.v + b.v) / 2}, h, r.name);
    }
}

// A file for dxflib to write into, removed when done.
class ScratchFile {
public:
    ScratchFile() {
        std::error_code ec;
        std::string dir = std::filesystem::temp_directory_path(ec).string();
        if (ec || dir.empty()) dir = "/tmp";
        std::string name = dir + "/merrovan-dxf-XXXXXX";
        const int fd = ::mkstemp(name.data());
        if (fd >= 0) {
            ::close(fd);
            path_ = name;
        }
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

bool WriteMechanismDxf(const Gear& g, const std::string& path, std::string& error) {
    const GearOutlines o = OutlinesOf(g);
    if (!AllFinite(g, o)) {
        error = path +
                ": the mechanism cannot be drawn at this position (a coordinate is not "
                "a finite number); nothing was written";
        return false;
    }
    // dxflib writes to a file it opens itself: a scratch file, copied to the target in one
    // step once complete.
    const ScratchFile scratch;
    if (scratch.path().empty()) {
        error = path + ": no temporary file for the drawing could be made";
        return false;
    }
    {
        DL_Dxf dxf;
        const std::unique_ptr<DL_WriterA> dw(dxf.out(scratch.path().c_str(), DL_Codes::AC1015));
        if (!dw || dw->openFailed()) {
            error = path + ": the temporary file for the drawing could not be opened";
            return false;
        }
        Tables(dxf, *dw);
        dw->sectionEntities();
        Writer w(dxf, *dw, g);
        Entities(w, g, o);
        dw->sectionEnd();
        dxf.writeObjects(*dw);
        dxf.writeObjectsEnd(*dw);
        dw->dxfEOF();
        dw->close();
    }
    std::vector<std::uint8_t> bytes;
    std::uint64_t size = 0;
    if (!ReadFilePrefix(scratch.path(), kMaxDxfBytes, bytes, size, error)) return false;
    if (bytes.empty() || size != bytes.size()) {
        error = path + ": the drawing could not be completed";
        return false;
    }
    return WriteFileAtomically(path, bytes.data(), bytes.size(), error);
}

}  // namespace mv::files
