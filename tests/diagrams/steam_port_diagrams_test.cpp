// Steam and port open/closed diagrams, and the common tail, on rendered images.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "diagram_support.hpp"
#include "model/edits.hpp"
#include "model/port_events.hpp"
#include "model/screen_math.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

using test::At;
using test::CountInRect;
using test::Render;
using test::StartModel;

constexpr QRgb kGreen = 0x008000, kRed = 0xFF0000, kTeal = 0x008080, kMaroon = 0x800000,
               kBlue = 0x0000FF, kBlack = 0x000000;

TEST(SteamDiagram, PressuresStayBetweenFiveAndThreeHundredThree) {
    Model m = StartModel();
    // Nine positions across the whole travel.
    const float mid = m.revArmPositions[0], max = m.frame.revArmMax;
    for (int k = 1; k <= 9; ++k) m.revArmPositions[k] = mid - max + (k - 1) * max / 4;
    m.revArmPositions[5] = mid;
    m.revArmPositionCount = 9;
    const QImage img = Render(DiagramKind::Steam, m);
    const int top = RoundToScreen(343.0L - 0.9L * 303), bottom = RoundToScreen(343.0L - 0.9L * 5);
    int curve = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 45; x <= 583; ++x) {
            const QRgb c = At(img, x, y);
            if (c != kGreen && c != kRed) continue;
            ++curve;
            EXPECT_GE(y, top) << x;
            EXPECT_LE(y, bottom) << x;
        }
    EXPECT_GT(curve, 1000);
}

// The cut-off of each end, found the way an indicator would: the last closing of the steam
// port during the first position's turn and a half.
TEST(SteamDiagram, CutOffLabelsShowWhereTheSteamPortsClose) {
    Model m = StartModel();
    m.revArmPositionCount = 1;
    const QImage img = Render(DiagramKind::Steam, m);

    Model s = StartModel();
    s.gear.revArmSetting = s.revArmPositions[1];
    float angle = 96;
    PortSample prev{};
    float frontCut = -1, rearCut = -1;
    for (int r = 1; r <= 150; ++r) {
        angle += 4;
        if (angle > 360) angle -= 360;
        s.gear.driverAngle = angle;
        SolveLinkage(s);
        SolvePistonAndPorts(s);
        PortSample cur = SampleOf(s.valve);
        if (prev.frontSteam > 0 && cur.frontSteam <= 0)
            frontCut =
                InterpolateCrossing(prev.frontSteam, cur.frontSteam, prev.piston, cur.piston);
        if (prev.rearSteam > 0 && cur.rearSteam <= 0)
            rearCut = InterpolateCrossing(prev.rearSteam, cur.rearSteam, prev.piston, cur.piston);
        // An open port admits at least as if it were open by 0.005, and that is the opening the
        // next step's cut-off starts from.
        if (cur.frontSteam > 0) cur.frontSteam = std::max(cur.frontSteam, 0.005f);
        if (cur.rearSteam > 0) cur.rearSteam = std::max(cur.rearSteam, 0.005f);
        prev = cur;
    }
    ASSERT_GE(frontCut, 0);
    ASSERT_GE(rearCut, 0);
    const QString front = QString::fromStdString(FormatFixed(frontCut / 6.4, 4, 1));
    const QString rear = QString::fromStdString(FormatFixed((640 - rearCut) / 6.4, 4, 1));
    const QImage fe = test::TextImage(m, img.size(), 600, 246, front);
    const QImage re = test::TextImage(m, img.size(), 15, 246, rear);
    EXPECT_TRUE(test::SameRegion(img, fe, test::TextRect(600, 246, front))) << front.toStdString();
    EXPECT_TRUE(test::SameRegion(img, re, test::TextRect(15, 246, rear))) << rear.toStdString();
    // The headings in the ends' colours.
    EXPECT_GT(CountInRect(img, test::TextRect(587, 231, QStringLiteral("%CutOff")), kGreen), 10);
    EXPECT_GT(CountInRect(img, test::TextRect(2, 231, QStringLiteral("%CutOff")), kRed), 10);
}

TEST(SteamDiagram, NoPositionsDrawsNoCurves) {
    Model m = StartModel();
    m.revArmPositionCount = 0;
    const QImage img = Render(DiagramKind::Steam, m);
    EXPECT_EQ(CountInRect(img, img.rect(), kGreen), 0);
    EXPECT_EQ(CountInRect(img, img.rect(), kRed), 0);
    // Axes and captions are there.
    EXPECT_TRUE(test::AnyNonWhite(img, QRect(20, 100, 20, 110)));
}

TEST(SteamDiagram, MidGearTurnsTheDriverForward) {
    // At mid gear the first step goes from 96 to 100 degrees: drawing with the position exactly
    // at mid gear must equal drawing it a hair forward of mid gear, not a hair behind.
    Model m = StartModel();
    m.revArmPositionCount = 1;
    const float mid = m.revArmPositions[0];
    const QImage atMid = Render(DiagramKind::Steam, m);
    m.revArmPositions[1] = std::nextafter(mid, -INFINITY);
    const QImage behind = Render(DiagramKind::Steam, m);
    const QRect plot(45, 60, 539, 285);
    EXPECT_FALSE(test::SameRegion(atMid, behind, plot));
}

TEST(PortDiagram, FirstEventOfEachKindDrawsNoLine) {
    for (char mode : {'F', 'R'}) {
        Model m = StartModel();
        m.portSelector = mode;
        const QImage img = Render(DiagramKind::Port, m);
        // Row 0's events have nothing to join to: nothing coloured below the base line.
        const QRect below(10, 344, 538, 16);
        for (QRgb c : {kTeal, kRed, kGreen, kMaroon}) EXPECT_EQ(CountInRect(img, below, c), 0);
        // The rows above are joined.
        const QRgb front = mode == 'F' ? kTeal : kGreen;
        EXPECT_GT(CountInRect(img, QRect(10, 55, 538, 288), front), 200);
    }
}

TEST(PortDiagram, EventLinesJoinAcrossGaps) {
    diagram::PortEventLines lines;
    EXPECT_FALSE(lines.Add(PortEvent::FrontSteamClose, 100, 0));
    EXPECT_FALSE(lines.Add(PortEvent::RearSteamClose, 100, 0));  // each kind has its own first
    const auto next = lines.Add(PortEvent::FrontSteamClose, 200, 1);
    ASSERT_TRUE(next);
    EXPECT_EQ(*next, QLine(diagram::PortEventX(PortEvent::FrontSteamClose, 100), 343,
                           diagram::PortEventX(PortEvent::FrontSteamClose, 200), 327));
    // Rows 2..4 without the event: row 5's line starts from row 1's event, one row down.
    const auto bridged = lines.Add(PortEvent::FrontSteamClose, 320, 5);
    ASSERT_TRUE(bridged);
    EXPECT_EQ(bridged->x1(), diagram::PortEventX(PortEvent::FrontSteamClose, 200));
    EXPECT_EQ(bridged->y1(), 359 - 16 * 5);
    EXPECT_EQ(bridged->y2(), 343 - 16 * 5);
    // The rear end's travel counts from the other side.
    EXPECT_EQ(diagram::PortEventX(PortEvent::RearSteamOpen, 0), 549);
    EXPECT_EQ(diagram::PortEventX(PortEvent::FrontSteamOpen, 0), 9);
}

TEST(PortDiagram, ZeroMaximumPutsEveryRowAtMidGear) {
    Model m = StartModel();
    m.frame.revArmMax = 0;
    m.frame.revArmNorm = 0;
    const QImage img = Render(DiagramKind::Port, m);
    // Normal lies on the bottom row, drawn over the base line.
    EXPECT_EQ(At(img, 600, 343), kBlue);
    EXPECT_EQ(At(img, 300, 343), kBlue);
    // Every row's setting reads mid gear.
    const QString mid = QString::fromStdString(FormatFixed(m.revArmPositions[0], 7, 3));
    for (int i : {0, 9, 18}) {
        const QImage t = test::TextImage(m, img.size(), 556, 336 - 16 * i, mid);
        EXPECT_TRUE(test::SameRegion(img, t, test::TextRect(556, 336 - 16 * i, mid))) << i;
    }
}

TEST(PortDiagram, BothGraphsOverlaysReverseAndEndsInModeB) {
    Model m = StartModel();
    m.portSelector = 'B';
    const QImage img = Render(DiagramKind::Port, m);
    EXPECT_EQ(m.portSelector, 'B');
    EXPECT_GT(CountInRect(img, img.rect(), kTeal), 200);
    EXPECT_GT(CountInRect(img, img.rect(), kMaroon), 200);
    // Both keys.
    EXPECT_GT(CountInRect(img, test::TextRect(446, 284, QStringLiteral("Front Port")), kTeal), 10);
    EXPECT_GT(CountInRect(img, test::TextRect(446, 315, QStringLiteral("Front Port")), kGreen), 10);
}

TEST(PortDiagram, LegendArrowsOnlyWhenEnabled) {
    Model m = StartModel();
    test::EnsureGui();
    QImage with(DiagramClientSize(DiagramKind::Port), QImage::Format_RGB32), without = with;
    with.fill(Qt::white);
    without.fill(Qt::white);
    {
        QPainter p(&with);
        BeginDiagramPainting(p);
        DrawPortDiagram(m, p);
    }
    {
        QPainter p(&without);
        BeginDiagramPainting(p);
        DiagramOptions opt;
        opt.portLegend = false;
        DrawPortDiagram(m, p, opt);
    }
    EXPECT_FALSE(test::SameRegion(with, without, with.rect()));
}

TEST(CommonTail, BannerWhenNoDimensionIsSelected) {
    Model m = StartModel();
    m.display.dynamicVariablesVisible = true;
    m.revArmPositionCount = 0;
    const QImage img = Render(DiagramKind::Sine, m);
    EXPECT_GT(CountInRect(img, QRect(235, 2, 150, 36), kRed), 50);
    m.display.dynamicVariablesVisible = false;
    const QImage hidden = Render(DiagramKind::Sine, m);
    EXPECT_EQ(CountInRect(hidden, QRect(235, 2, 150, 36), kRed), 0);
}

TEST(CommonTail, SlotNamesAndTheirBarsAfterACommit) {
    Model m = StartModel();
    m.display.dynamicVariablesVisible = true;
    CommitDimension(m, 3, 9.5f);
    test::EnsureGui();
    QImage img(DiagramClientSize(DiagramKind::Sine), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    BeginDiagramPainting(p);
    const DiagramTail tail = DrawSineDiagram(m, p);
    p.end();
    EXPECT_TRUE(tail.barsVisible);
    EXPECT_EQ(tail.barEnabled, (std::array<bool, 4>{true, false, false, false}));
    const QString value = QString::fromStdString(FormatFixed(9.5, 6, 3));
    const QImage t = test::TextImage(m, img.size(), 363, 2, value);
    EXPECT_TRUE(test::SameRegion(img, t, test::TextRect(363, 2, value)));
    EXPECT_EQ(CountInRect(img, QRect(235, 2, 150, 36), kRed), 0);
}

TEST(CommonTail, UndoLineIsRebuiltFromTheNewestEntry) {
    Model m = StartModel();
    m.display.undoLineVisible = true;
    m.pendingEdit = true;
    const float before = m.frame.mainRod;
    CommitDimension(m, 3, 9.5f);
    test::EnsureGui();
    QImage img(DiagramClientSize(DiagramKind::Port), QImage::Format_RGB32);
    QPainter p(&img);
    BeginDiagramPainting(p);
    const DiagramTail tail = DrawPortDiagram(m, p);
    EXPECT_TRUE(tail.undoButtonVisible);
    EXPECT_FALSE(tail.barsVisible);
    const std::string expected = " 1- " + m.undo[1].name + " " + FormatFixed(9.5, 6, 3) + " to " +
                                 FormatFixed(before, 6, 3) + "." + std::string(46, ' ');
    EXPECT_EQ(m.undoLineText, expected);
}

// Labels stay clear of lines: the undo line's padding keeps the grid beside it, the legend
// stays over the curves, and the Normal line stops short of "Normal".
TEST(PortDiagram, LabelsStayClearOfLines) {
    Model m = StartModel();
    m.display.dynamicVariablesVisible = true;
    const QImage without = Render(DiagramKind::Port, m);
    m.display.undoLineVisible = true;
    Render(DiagramKind::Port, m);  // builds the line the next drawing writes
    const QImage with = Render(DiagramKind::Port, m);
    std::string line = m.undoLineText;
    line.erase(line.find_last_not_of(' ') + 1);
    const QRect text = test::TextRect(150, 55, QString::fromStdString(line));
    EXPECT_TRUE(test::SameRegion(with, without, QRect(text.right() + 1, 40, 300, 40)));

    const int yN = RoundToScreen(343.0L - static_cast<long double>(m.frame.revArmNorm) * 288.0L /
                                              m.frame.revArmMax);
    const QRect word = test::TextRect(345, yN - 7, "Normal");
    EXPECT_EQ(test::CountInRow(with, yN, kBlue, word.left() - 3, word.left() - 1), 0);
    EXPECT_EQ(test::CountInRow(with, yN, kBlue, word.right() + 1, word.right() + 3), 0);

    const float positions[] = {4.2f, 5.0f, 3.6f, 4.4f};
    for (int k = 1; k <= 4; ++k) m.revArmPositions[k] = positions[k - 1];
    m.revArmPositionCount = 4;
    const QImage steam = Render(DiagramKind::Steam, m);
    const QRect fwd4 = test::TextRect(533, 60, "Fwd");  // row 4, over the pressure cap at y 70
    EXPECT_EQ(CountInRect(steam, fwd4, kGreen) + CountInRect(steam, fwd4, kRed), 0);
    EXPECT_GT(CountInRect(steam, fwd4, kBlack), 10);
}

}  // namespace
}  // namespace mv
