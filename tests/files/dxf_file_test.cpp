// The DXF drawing read back with dxflib: layers, entity counts, rods on the solve's pivots.
#include "files/dxf_file.hpp"

#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "files_support.hpp"
#include "model/gear_geometry.hpp"
#include "model/solver.hpp"

namespace mv::files::testing {
namespace {

struct Counts {
    int lines = 0, circles = 0, arcs = 0, polylines = 0, texts = 0;
    int Total() const { return lines + circles + arcs + polylines + texts; }
};

// Everything dxflib reports, by layer.
class Reader : public DL_CreationAdapter {
public:
    void addLayer(const DL_LayerData& d) override { layers.insert(d.name); }
    void addLine(const DL_LineData& d) override {
        ++counts[Layer()].lines;
        if (Layer() == "RODS") rods.push_back(d);
    }
    void addCircle(const DL_CircleData& d) override {
        ++counts[Layer()].circles;
        circles[Layer()].push_back(d);
    }
    void addArc(const DL_ArcData&) override { ++counts[Layer()].arcs; }
    void addPolyline(const DL_PolylineData&) override {
        ++counts[Layer()].polylines;
        vertices[Layer()].emplace_back();
    }
    void addVertex(const DL_VertexData& d) override { vertices[Layer()].back().push_back(d); }
    void addText(const DL_TextData& d) override {
        ++counts[Layer()].texts;
        texts.insert(d.text);
    }

    std::string Layer() { return getAttributes().getLayer(); }

    std::set<std::string> layers;
    std::map<std::string, Counts> counts;
    std::vector<DL_LineData> rods;
    std::map<std::string, std::vector<DL_CircleData>> circles;
    std::map<std::string, std::vector<std::vector<DL_VertexData>>> vertices;
    std::set<std::string> texts;
};

class DxfExport : public ScratchDir {
protected:
    static Model Solved(float angle, float notch) {
        Model m;
        StartUp(m);
        m.gear.driverAngle = angle;
        m.gear.revArmSetting = m.revArmPositions[0] + notch * m.frame.revArmMax;
        SolveLinkage(m);
        SolvePistonAndPorts(m);
        return m;
    }
    Reader ReadBack(const std::string& path) {
        Reader r;
        DL_Dxf dxf;
        EXPECT_TRUE(dxf.in(path, &r));
        return r;
    }
};

TEST_F(DxfExport, RodsLieOnTheSolvedPivotsAtFullSize) {
    for (const auto& [angle, notch] : {std::pair{0.0f, 0.0f}, {137.0f, 0.6f}, {290.0f, -1.0f}}) {
        const Model m = Solved(angle, notch);
        std::string err;
        ASSERT_TRUE(WriteMechanismDxf(m, Path("gear.dxf"), err)) << err;
        const Reader r = ReadBack(Path("gear.dxf"));
        ASSERT_EQ(r.rods.size(), RodPieces().size());
        for (std::size_t k = 0; k < r.rods.size(); ++k) {
            const RodPiece& piece = RodPieces()[k];
            const Pivot &a = m.pivots[piece.from], &b = m.pivots[piece.to];
            EXPECT_NEAR(r.rods[k].x1, a.x, 1e-5) << piece.name << " at " << angle;
            EXPECT_NEAR(r.rods[k].y1, a.y, 1e-5) << piece.name;
            EXPECT_NEAR(r.rods[k].x2, b.x, 1e-5) << piece.name;
            EXPECT_NEAR(r.rods[k].y2, b.y, 1e-5) << piece.name;
            // One drawing unit per unit: each piece is as long as its dimension.
            EXPECT_NEAR(std::hypot(r.rods[k].x2 - r.rods[k].x1, r.rods[k].y2 - r.rods[k].y1),
                        static_cast<double>(RodPieceLength(m, piece)), 1e-4)
                << piece.name;
        }
        // The driver circle is the wheel itself.
        ASSERT_FALSE(r.circles.at("FRAME").empty());
        EXPECT_NEAR(r.circles.at("FRAME")[0].radius, m.frame.driverDia / 2, 1e-6);
    }
}

TEST_F(DxfExport, LayersAndEntityCountsAsDocumented) {
    const Model m = Solved(45, 0.3f);
    std::string err;
    ASSERT_TRUE(WriteMechanismDxf(m, Path("gear.dxf"), err)) << err;
    Reader r = ReadBack(Path("gear.dxf"));
    std::set<std::string> want(kDxfLayers.begin(), kDxfLayers.end());
    want.insert("0");
    EXPECT_EQ(r.layers, want);

    auto is = [&r](const char* layer, Counts c) {
        const Counts& got = r.counts[layer];
        EXPECT_EQ(got.lines, c.lines) << layer;
        EXPECT_EQ(got.circles, c.circles) << layer;
        EXPECT_EQ(got.arcs, c.arcs) << layer;
        EXPECT_EQ(got.polylines, c.polylines) << layer;
        EXPECT_EQ(got.texts, c.texts) << layer;
    };
    is("FRAME", {.lines = 8, .circles = 2, .arcs = 1, .polylines = 1});
    is("RODS", {.lines = 15});
    is("PINS", {.circles = 16});
    is("VALVE", {.lines = 1, .polylines = 1});
    is("PORTS", {.polylines = 1});
    is("PISTON", {.lines = 1, .polylines = 1});
    is("TEXT", {.texts = 31});
    EXPECT_EQ(r.counts["0"].Total(), 0);
    EXPECT_EQ(r.vertices["FRAME"][0].size(), 14u);
    EXPECT_EQ(r.vertices["VALVE"][0].size(), 8u);
    EXPECT_EQ(r.vertices["PORTS"][0].size(), 10u);
    EXPECT_TRUE(r.texts.count("13") && r.texts.count("Radius hanger"));

    // The valve stands where the solve put it.
    const GearOutlines o = OutlinesOf(m);
    EXPECT_NEAR(r.vertices["VALVE"][0][1].x, static_cast<double>(o.valve[2].h), 1e-5);
}

TEST_F(DxfExport, ARefusedPositionLeavesTheOldFile) {
    WriteText(Path("gear.dxf"), "old");
    Model m = Solved(0, 0);
    m.pivots[pv::BellHorzPin].x = std::numeric_limits<float>::infinity();
    std::string err;
    EXPECT_FALSE(WriteMechanismDxf(m, Path("gear.dxf"), err));
    EXPECT_NE(err.find("gear.dxf"), std::string::npos) << err;
    EXPECT_EQ(ReadBytes(Path("gear.dxf")), std::vector<std::uint8_t>({'o', 'l', 'd'}));

    // A folder that does not exist: a message, and nothing left behind anywhere.
    EXPECT_FALSE(WriteMechanismDxf(Solved(0, 0), Path("none/gear.dxf"), err));
    EXPECT_NE(err.find("none/gear.dxf"), std::string::npos) << err;
    EXPECT_EQ(Entries(), std::vector<std::string>{"gear.dxf"});
}

}  // namespace
}  // namespace mv::files::testing
