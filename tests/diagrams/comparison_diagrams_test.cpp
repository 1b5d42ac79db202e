// The four valve diagrams with a comparison gear: its curves in lighter colours under the
// working gear's, a legend naming both, the captions, and CompareOff giving back the drawing.
#include <gtest/gtest.h>

#include "diagram_support.hpp"
#include "mainwin/draw_picture.hpp"
#include "model/dimensions.hpp"
#include "model/screen_math.hpp"
#include "model/solver.hpp"

namespace mv {
namespace {

using test::At;
using test::CountInRect;
using test::Render;
using test::StartModel;

// The working gear with a longer valve stem: the same motion, the valve 0.05 further forward.
ComparisonGear LongerStem(const Model& m) {
    ComparisonGear c{m, "B"};
    StoreDimension(c.gear, 122, m.cyl.valveStem + 0.05f);
    ComputeMidGear(c.gear);
    return c;
}

constexpr DiagramKind kDrawn[] = {DiagramKind::Sine, DiagramKind::Oval, DiagramKind::Steam,
                                  DiagramKind::Port};

TEST(ComparisonDiagrams, LighterCurvesUnderTheWorkingGearsAndOffRestoresTheDrawing) {
    for (DiagramKind kind : kDrawn) {
        Model m = StartModel();
        const QImage single = Render(kind, m);
        Model bare = StartModel();
        bare.revArmPositionCount = 0;
        const QImage axes = Render(kind, bare);

        m.comparison = LongerStem(m);
        const QImage both = Render(kind, m);
        EXPECT_NE(both, single) << int(kind);
        // Lighter pixels of the comparison's colours, in the plot and in the legend.
        int lighter = 0;
        for (QRgb c : {0x000000u, 0x008000u, 0xFF0000u, 0x008080u})
            lighter += CountInRect(both, both.rect(), diagram::ComparisonColour(c));
        EXPECT_GT(lighter, 200) << int(kind);
        // Every pixel of the working gear's curves is still its own.
        if (kind != DiagramKind::Port) {
            for (int y = 60; y < 370; ++y) {
                for (int x = 45; x < 590; ++x) {
                    if (At(single, x, y) == At(axes, x, y) || At(axes, x, y) != 0xFFFFFF) continue;
                    ASSERT_EQ(At(both, x, y), At(single, x, y))
                        << int(kind) << " at " << x << "," << y;
                }
            }
        }

        m.comparison.reset();
        EXPECT_EQ(Render(kind, m), single) << int(kind);
    }
}

TEST(ComparisonDiagrams, SineCurveOfTheComparisonGearAtItsOwnDisplacement) {
    Model m = StartModel();
    m.revArmPositionCount = 1;  // mid gear only
    m.comparison = LongerStem(m);
    const QImage img = Render(DiagramKind::Sine, m);
    const float s = m.diagramVerticalScale;
    const QRgb grey = diagram::ComparisonColour(0x000000);
    // Sample j of the sweep stands at x = 8j + 2, driver angle 8j + 272 (less a turn).
    for (int j : {12, 20, 31, 47, 60}) {
        Gear b = m.comparison->gear;
        b.gear.revArmSetting = b.revArmPositions[0];
        b.gear.driverAngle = static_cast<float>((8 * j + 272) % 360);
        SolveLinkage(b);
        const long double v =
            static_cast<long double>(b.pivots[pv::ValveJoint].x) + b.cyl.valveStem - b.cyl.cylCtr;
        const int y = RoundToScreen(215.0L - v * 375.0L / s);
        EXPECT_EQ(At(img, 8 * j + 2, y), grey) << "sample " << j << " at y " << y;
    }
    // The legend names both gears, the comparison with a lighter sample line.
    EXPECT_GT(CountInRect(img, QRect(330, 396, 12, 10), grey), 10);
    EXPECT_GT(CountInRect(img, QRect(330, 382, 12, 10), 0x000000), 10);
}

TEST(ComparisonDiagrams, CaptionsSayWhichGearIsCompared) {
    Model m = StartModel();
    m.comparison = LongerStem(m);
    const QDateTime now(QDate(2024, 1, 2), QTime(3, 4, 5));
    WindowCaptions c = MakeWindowCaptions(m, now);
    EXPECT_TRUE(c.main.contains(QStringLiteral("Nominal compared with B")));
    EXPECT_TRUE(c.diagrams[static_cast<std::size_t>(DiagramKind::Oval)].contains(
        QStringLiteral("Oval Diagram    Nominal compared with B     ")));
    EXPECT_FALSE(c.dataTable.contains(QStringLiteral("compared")));
    // The indicator cards show the working gear alone.
    EXPECT_FALSE(c.diagrams[static_cast<std::size_t>(DiagramKind::Indicator)].contains(
        QStringLiteral("compared")));
    m.comparison.reset();
    c = MakeWindowCaptions(m, now);
    EXPECT_FALSE(c.main.contains(QStringLiteral("compared")));
}

}  // namespace
}  // namespace mv
