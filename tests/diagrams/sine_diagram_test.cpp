// Sine and oval diagrams on rendered images.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

#include "diagram_support.hpp"
#include "model/screen_math.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

using test::At;
using test::CountInRow;
using test::Render;
using test::StartModel;

constexpr QRgb kLime = 0x00FF00, kRed = 0xFF0000, kBlack = 0x000000;

// A row of the port lines must be filled with its colour across the plot, apart from labels
// and curves crossing it.
void ExpectPortLine(const QImage& img, int y, QRgb colour, int xEnd) {
    ASSERT_GE(y, 0);
    ASSERT_LT(y, img.height());
    EXPECT_GT(CountInRow(img, y, colour, 15, xEnd), (xEnd - 15) * 6 / 10) << "row " << y;
}

TEST(SineDiagram, PortLinesStandAtTheThresholdRows) {
    for (float s : {1.5f, 3.0f}) {
        Model m = StartModel();
        m.revArmPositionCount = 0;
        m.diagramVerticalScale = s;
        const QImage img = Render(DiagramKind::Sine, m);
        ComputeValveThresholds(m);
        const ValveThresholds& t = m.thresholds;
        std::vector<int> rearRows;
        for (float o : {t.rearSteamEdge, t.rearSteamFull, t.rearExhaustEdge}) {
            rearRows.push_back(RoundToScreen(215.0L + o * 375.0L / s));
            ExpectPortLine(img, rearRows.back(), kRed, 583);
        }
        // The rear lines are drawn last: a front line on the same row is covered.
        for (float o : {t.frontSteamEdge, t.frontSteamFull, t.frontExhaustEdge}) {
            const int y = RoundToScreen(215.0L - o * 375.0L / s);
            const bool covered = std::find(rearRows.begin(), rearRows.end(), y) != rearRows.end();
            ExpectPortLine(img, y, covered ? kRed : kLime, 583);
        }
        // Nothing green beyond the lines' end.
        EXPECT_EQ(At(img, 600, RoundToScreen(215.0L - t.frontSteamFull * 375.0L / s)), 0xFFFFFFu);
    }
}

TEST(SineDiagram, OvalPortLinesRunToTheStrokeEnd) {
    Model m = StartModel();
    const QImage img = Render(DiagramKind::Oval, m);
    const float s = m.diagramVerticalScale;
    const int y = RoundToScreen(215.0L + m.thresholds.rearSteamFull * 375.0L / s);
    ExpectPortLine(img, y, kRed, 584);
    EXPECT_EQ(img.height(), kOvalDiagramHeight);
}

// Black pixels in one column of the vertical axis, counted as separate ticks.
int TicksInColumn(const QImage& img, int x) {
    int ticks = 0;
    bool inTick = false;
    for (int y = 0; y < img.height(); ++y) {
        const bool black = At(img, x, y) == kBlack;
        if (black && !inTick) ++ticks;
        inTick = black;
    }
    return ticks;
}

TEST(SineDiagram, ScaleAboveThreePointSevenFiveKeepsEveryFifthTick) {
    Model m = StartModel();
    m.revArmPositionCount = 0;
    m.diagramVerticalScale = 3.75f;
    const QImage dense = Render(DiagramKind::Sine, m);
    m.diagramVerticalScale = 3.76f;
    const QImage sparse = Render(DiagramKind::Sine, m);
    // Between the captions and y 180 no port line crosses the axis. Column 37 holds only the
    // coarse ticks (0.1 apart, g = 15 either way): l = -15..-4 at 3.75, l = -15, -10, -5 at 3.76.
    EXPECT_EQ(TicksInColumn(dense.copy(0, 50, 60, 130), 37), 12);
    EXPECT_EQ(TicksInColumn(sparse.copy(0, 50, 60, 130), 37), 3);
    // Column 42 holds the fine ticks too; at 3.75 they are 2 pixels apart, so they are counted
    // as rows: h = -75..-18 at 3.75, every fifth of h = -75..-20 at 3.76.
    int denseRows = 0, sparseRows = 0;
    for (int y = 50; y < 180; ++y) {  // below the "Units Travel" caption
        denseRows += At(dense, 42, y) == kBlack;
        sparseRows += At(sparse, 42, y) == kBlack;
    }
    EXPECT_EQ(denseRows, 58);
    EXPECT_EQ(sparseRows, 12);
}

TEST(SineDiagram, HugeOrBrokenScaleStillFinishes) {
    for (float s : {1e30f, std::numeric_limits<float>::infinity(), std::nanf(""), 0.0f, -2.0f}) {
        Model m = StartModel();
        m.diagramVerticalScale = s;
        const float angle = m.gear.driverAngle;
        Render(DiagramKind::Sine, m);
        Render(DiagramKind::Oval, m);
        EXPECT_EQ(m.gear.driverAngle, angle);
    }
}

// A position at exactly mid gear and one given distance away.
struct MidGearCase {
    float position;
    bool block;
    const char* word;
};

float AwayFromMid(float mid, float d) {
    float p = mid + d;
    // The distance is measured exactly; make sure the float really lies d away.
    while (std::fabs(static_cast<long double>(p) - mid) < std::fabs(static_cast<long double>(d)))
        p = std::nextafter(p, d > 0 ? INFINITY : -INFINITY);
    return p;
}

TEST(SineDiagram, MidGearPositionGetsCenAndTheLeadLapBlock) {
    for (DiagramKind kind : {DiagramKind::Sine, DiagramKind::Oval}) {
        Model probe = StartModel();
        const float mid = probe.revArmPositions[0];
        const MidGearCase cases[] = {{mid, true, "Cen"},
                                     {AwayFromMid(mid, 0.05f), false, "Fwd"},
                                     {AwayFromMid(mid, -0.05f), false, "Rev"},
                                     {AwayFromMid(mid, 0.04f), true, "Fwd"}};
        for (const auto& c : cases) {
            Model m = StartModel();
            m.revArmPositions[1] = c.position;
            m.revArmPositionCount = 1;
            const QImage img = Render(kind, m);
            const QRect word = test::TextRect(533, 24, QString::fromLatin1(c.word));
            const QImage expected =
                test::TextImage(m, img.size(), 533, 24, QString::fromLatin1(c.word));
            EXPECT_TRUE(test::SameRegion(img, expected, word)) << c.word << " " << c.position;
            // The block's labels and values stand right of the plot, 592.. and 153..308.
            EXPECT_EQ(test::AnyNonWhite(img, QRect(590, 150, 40, 160)), c.block)
                << c.word << " " << c.position;
        }
    }
}

TEST(SineDiagram, LeadValueReadsOffTheMidGearSweep) {
    Model m = StartModel();
    m.revArmPositionCount = 1;
    const QImage img = Render(DiagramKind::Sine, m);
    // Rear lead: the rear steam opening at the largest x4 of the sweep.
    float xmax = 0;
    Model s = StartModel();
    s.gear.revArmSetting = s.revArmPositions[1];
    for (int j = 7; j <= 73; ++j) {
        int a = 8 * j + 272;
        while (a > 360) a -= 360;
        s.gear.driverAngle = static_cast<float>(a);
        SolveLinkage(s);
        xmax = std::max(xmax, s.pivots[mv::pv::ValveJoint].x);
    }
    const QString lead = QString::fromStdString(FormatFixed(
        static_cast<float>(static_cast<long double>(s.thresholds.rearSteamJointEdge) + xmax), 6,
        3));
    const QImage expected = test::TextImage(m, img.size(), 592, 166, lead);
    EXPECT_TRUE(test::SameRegion(img, expected, test::TextRect(592, 166, lead)))
        << lead.toStdString();
}

TEST(SineDiagram, ShortValveLapsAreShiftedByTheMeanValvePlaceNotItsWorldPlace) {
    Model m = StartModel();
    m.cyl.valveRearHalf = m.cyl.steamPortRear;  // VR <= SR
    m.revArmPositionCount = 1;
    const QImage img = Render(DiagramKind::Sine, m);
    Model s = StartModel();
    s.cyl.valveRearHalf = s.cyl.steamPortRear;
    s.gear.revArmSetting = s.revArmPositions[1];
    float xmin = 1000, xmax = 0;
    for (int j = 7; j <= 73; ++j) {
        int a = 8 * j + 272;
        while (a > 360) a -= 360;
        s.gear.driverAngle = static_cast<float>(a);
        SolveLinkage(s);
        xmin = std::min(xmin, s.pivots[mv::pv::ValveJoint].x);
        xmax = std::max(xmax, s.pivots[mv::pv::ValveJoint].x);
    }
    const long double mean =
        (static_cast<long double>(xmin) + xmax) / 2 + s.cyl.valveStem - s.cyl.cylCtr;
    ASSERT_LT(std::fabs(mean), 0.1L);  // a centred gear: the shift is small
    const QString lap = QString::fromStdString(
        FormatFixed(static_cast<float>(s.thresholds.frontSteamLap + mean), 6, 3));
    const QImage expected = test::TextImage(m, img.size(), 592, 195, lap);
    EXPECT_TRUE(test::SameRegion(img, expected, test::TextRect(592, 195, lap)))
        << lap.toStdString();
}

// A short valve's laps and exhaust clearances count from its mean place over the sweep:
// moving the valve by one of them from there brings that port just to its edge.
TEST(SineDiagram, ShortValveLapsAndClearancesAreDistancesToThePortEdges) {
    Model m = StartModel();
    m.cyl.steamPortRear = 0.75f;  // VR <= SR
    m.cyl.exhCavRear = 0.33f;
    ComputeValveThresholds(m);
    const float xmin = 13.3f, xmax = 13.8f;  // mean displacement 0.064 forward
    const diagram::MidGearValues v = diagram::ComputeMidGearValues(m, xmin, xmax);
    const long double mean =
        (xmin + static_cast<long double>(xmax)) / 2 + m.cyl.valveStem - m.cyl.cylCtr;
    auto at = [&m](long double s) {  // the openings with the valve displaced by s
        m.pivots[mv::pv::ValveJoint].x = static_cast<float>(s - m.cyl.valveStem + m.cyl.cylCtr);
        SolvePistonAndPorts(m);
        return m.valve;
    };
    EXPECT_NEAR(at(mean - v.frontLap).frontSteam, 0.0f, 1e-5f);
    EXPECT_NEAR(at(mean + v.rearLap).rearSteam, 0.0f, 1e-5f);
    EXPECT_NEAR(at(mean - v.frontExCl).frontExhaust, 0.0f, 1e-5f);
    EXPECT_NEAR(at(mean + v.rearExCl).rearExhaust, 0.0f, 1e-5f);
    EXPECT_NEAR(-at(mean).frontSteam, v.frontLap, 1e-5f);  // positive: covered there
}

TEST(SineDiagram, NoPositionsDrawsAxesLinesAndHeadingOnly) {
    Model m = StartModel();
    m.revArmPositionCount = 0;
    const QImage img = Render(DiagramKind::Sine, m);
    // No curve numbers, no legend rows, no block.
    EXPECT_FALSE(test::AnyNonWhite(img, QRect(530, 26, 100, 40)));
    EXPECT_FALSE(test::AnyNonWhite(img, QRect(590, 150, 40, 160)));
    EXPECT_TRUE(test::AnyNonWhite(img, QRect(500, 0, 130, 26)));
}

TEST(SineDiagram, SweepPutsTheLiveGearBack) {
    for (DiagramKind kind :
         {DiagramKind::Sine, DiagramKind::Oval, DiagramKind::Steam, DiagramKind::Port}) {
        Model m = StartModel();
        m.gear.driverAngle = 123.5f;
        m.gear.revArmSetting = 4.25f;
        Render(kind, m);
        EXPECT_EQ(m.gear.driverAngle, 123.5f);
        EXPECT_EQ(m.gear.revArmSetting, 4.25f);
    }
}

TEST(SineDiagram, LastDrawnPositionIsKeptForTheFile) {
    Model m = StartModel();
    Render(DiagramKind::Sine, m);
    EXPECT_EQ(std::bit_cast<float>(m.diagramSweepWord), m.revArmPositions[3]);
}

TEST(OvalDiagram, CurveNumbersStandBesideTheirPoints) {
    Model m = StartModel();
    m.revArmPositionCount = 1;
    const QImage img = Render(DiagramKind::Oval, m);
    // Default valve: the rear half is longer than the rear steam port.
    ASSERT_GT(m.cyl.valveRearHalf, m.cyl.steamPortRear);
    Model s = StartModel();
    s.gear.revArmSetting = s.revArmPositions[1];
    auto displacement = [&](int a) {
        s.gear.driverAngle = static_cast<float>(a);
        SolveLinkage(s);
        return diagram::ValveDisplacement(s);
    };
    const float s15 = m.diagramVerticalScale;
    const int y1 = RoundToScreen(204.0L - displacement(280) * 375.0L / s15);
    const int y2 = RoundToScreen(213.0L - displacement(88) * 375.0L / s15);
    const QImage one = test::TextImage(m, img.size(), 300, y1, QStringLiteral(" 1"), true);
    const QImage two = test::TextImage(m, img.size(), 334, y2, QStringLiteral(" 1"), true);
    EXPECT_TRUE(test::GlyphsPresent(img, one, test::TextRect(300, y1, QStringLiteral(" 1"), true)));
    EXPECT_TRUE(test::GlyphsPresent(img, two, test::TextRect(334, y2, QStringLiteral(" 1"), true)));
    // Not at the offsets of a valve whose rear half is the shorter.
    const int y1Swapped = RoundToScreen(213.0L - displacement(280) * 375.0L / s15);
    const QImage swapped =
        test::TextImage(m, img.size(), 300, y1Swapped, QStringLiteral(" 1"), true);
    EXPECT_FALSE(test::GlyphsPresent(img, swapped,
                                     test::TextRect(300, y1Swapped, QStringLiteral(" 1"), true)));
}

TEST(OvalDiagram, ZeroStrokeIsClampedNotDividedBy) {
    Model m = StartModel();
    m.frame.stroke = 0;
    Render(DiagramKind::Oval, m);
    EXPECT_TRUE(m.gear.geometryError);
}

// The axis labels stand clear of their ticks and over the port line at their level.
TEST(SineDiagram, AxisLabelsStayReadable) {
    for (DiagramKind kind : {DiagramKind::Sine, DiagramKind::Oval}) {
        Model m = StartModel();
        const QImage img = Render(kind, m);
        const int x = kind == DiagramKind::Sine ? 14 : 15;
        const QRect zero = test::TextRect(x, 210, "0.0");  // the rear exhaust line is at y 215
        EXPECT_EQ(test::CountInRect(img, zero, kRed), 0);
        EXPECT_GT(test::CountInRect(img, zero, kBlack), 10);
        // "-0.6", beside the oval's "100", ends before its tick at x 36.
        EXPECT_EQ(test::CountInRect(img, QRect(35, 360, 1, 12), kBlack), 0);
    }
}

}  // namespace
}  // namespace mv
