// The mechanism picture: mapping, what each layer puts where, and that no gear, however absurd,
// leaves the device unpainted or crashes the picture.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "mainwin/picture_canvas.hpp"
#include "mainwin/picture_layers.hpp"
#include "model/screen_math.hpp"
#include "picture_support.hpp"

namespace {

using namespace picture_test;

TEST(PictureMapping, PivotsOutlinesAndTies) {
    mv::Model m = DefaultGear();
    mv::TickSolve(m);
    EXPECT_EQ(m.pivots[mv::pv::Origin].sx, 115);
    EXPECT_EQ(m.pivots[mv::pv::Origin].sy, 270);
    // Crank pin at 0 degrees: 1.5 ahead of the axle, 1.5 x 28 = 42 pixels.
    EXPECT_EQ(m.pivots[mv::pv::CrankPin].sx, 157);
    EXPECT_EQ(m.pivots[mv::pv::CrankPin].sy, 270);
    // Reference points are mapped too.
    m.pivots[mv::pv::Ref1].x = 1.0f;
    m.pivots[mv::pv::Ref1].y = -1.0f;
    mv::TickSolve(m);
    EXPECT_EQ(m.pivots[mv::pv::Ref1].sx, 143);
    EXPECT_EQ(m.pivots[mv::pv::Ref1].sy, 298);

    const mv::ViewTransform v{1.0f, 0.0f, 0.0f};
    EXPECT_EQ(mv::MapToScreen(v, 0.5L, -2.5L).x, 0);  // ties to even
    EXPECT_EQ(mv::MapToScreen(v, 1.5L, -2.5L).x, 2);
    EXPECT_EQ(mv::MapToScreen(v, 0.5L, -2.5L).y, 2);
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    EXPECT_EQ(mv::MapToScreen(v, nan, 1e300L).x, 0);
    EXPECT_EQ(mv::MapToScreen(v, nan, 1e300L).y, -mv::kScreenLimit);
}

TEST(PictureMapping, ValveCavityRoofTruncatesTowardZero) {
    mv::Model m = DefaultGear();
    mv::TickSolve(m);
    // Default valve: V1 at 207, V3 at 221, a third of 14 is 4.
    EXPECT_EQ(m.outlineV[1].y, 207);
    EXPECT_EQ(m.outlineV[3].y, 221);
    EXPECT_EQ(m.outlineV[5].y, 211);
    EXPECT_EQ(m.outlineV[6].y, 211);
    // A valve drawn upside down: -7 / 3 truncates to -2 (not -3).
    m.cyl.valveHeight = -0.25f;
    mv::TickSolve(m);
    EXPECT_EQ(m.outlineV[1].y, 228);
    EXPECT_EQ(m.outlineV[5].y, 226);
    EXPECT_EQ(m.outlineV[6].y, 226);
    EXPECT_EQ(m.outlineV[5].x, m.outlineV[4].x);
    EXPECT_EQ(m.outlineV[6].x, m.outlineV[7].x);
}

TEST(PictureLayers, FixedPivotCrossesAreRedWithTheirEndsLeftOut) {
    mv::Model m = DefaultGear();
    const QImage img = Frame(m);
    for (auto [x, y] : {std::pair{115, 270}, {120, 275}, {110, 265}, {120, 265}, {110, 275}})
        EXPECT_EQ(Px(img, x, y), mv::kRed) << x << "," << y;
    EXPECT_EQ(Px(img, 109, 264), 0xFFFFFFu);  // end points excluded
    EXPECT_EQ(Px(img, 109, 276), 0xFFFFFFu);
    EXPECT_EQ(Px(img, 121, 276), 0xFFFFFFu);
    // The other fixed pivots carry the same mark.
    for (int n : {12, 16}) EXPECT_EQ(Px(img, m.pivots[n].sx + 5, m.pivots[n].sy + 5), mv::kRed);
}

TEST(PictureLayers, RodColoursStartAtTheirPivots) {
    for (float angle : {0.0f, 120.0f, 250.0f}) {
        mv::Model m = DefaultGear();
        m.gear.driverAngle = angle;
        const QImage img = Frame(m);
        const std::pair<int, QRgb> starts[] = {
            {3, mv::kRed},     {2, mv::kLime},    {11, mv::kBlue}, {9, mv::kAqua},
            {8, mv::kFuchsia}, {6, mv::kFuchsia}, {5, mv::kLime},  {10, mv::kFuchsia},
            {13, mv::kBlue},   {14, mv::kBlue},   {16, mv::kLime}, {18, mv::kBlack}};
        for (auto [n, colour] : starts)
            EXPECT_EQ(Px(img, m.pivots[n].sx, m.pivots[n].sy), colour)
                << "pivot " << n << " at " << angle;
        // Cylinder grey, wheel black.
        EXPECT_EQ(Px(img, m.outlineC[0].x, m.outlineC[0].y), mv::kGrey);
        EXPECT_EQ(Px(img, 115, 270 - 98), mv::kBlack);  // top of the 7-inch wheel
    }
}

TEST(PictureLayers, WhiteBufferEqualsAFreshBitmap) {
    mv::Model m = DefaultGear();
    mv::TickSolve(m);
    QImage reused(mv::kPictureWidth, mv::kPictureHeight, QImage::Format_RGB32);
    reused.fill(Qt::black);
    {
        QPainter p(&reused);
        p.drawLine(0, 0, 1279, 1023);
        mv::RenderPicture(m, p, {});
    }
    QImage fresh(mv::kPictureWidth, mv::kPictureHeight, QImage::Format_RGB32);
    fresh.fill(Qt::white);
    {
        QPainter p(&fresh);
        mv::RenderPicture(m, p, {});
    }
    EXPECT_EQ(Differences(reused, fresh), 0);
}

TEST(PictureLayers, LineWidthTwoThickensTheMechanismOnly) {
    mv::Model m = DefaultGear();
    m.display.screenData = false;
    const QImage thin = Frame(m);
    m.display.lineWidth = 2;
    const QImage thick = Frame(m);
    const QRect all(0, 0, mv::kPictureWidth, mv::kPictureHeight);
    EXPECT_GT(InkIn(thick, all), InkIn(thin, all) * 3 / 2);
    // The reach rod, a horizontal line, grows to two rows.
    const int y = m.pivots[mv::pv::RevArmTop].sy,
              x = (m.pivots[mv::pv::RevArmPivot].sx + m.pivots[mv::pv::Driver].sx) / 2 - 40;
    EXPECT_EQ(Px(thin, x, y), mv::kBlack);
    EXPECT_EQ(Px(thin, x, y - 1), 0xFFFFFFu);
    EXPECT_EQ(Px(thin, x, y + 1), 0xFFFFFFu);
    EXPECT_TRUE(Px(thick, x, y - 1) == mv::kBlack || Px(thick, x, y + 1) == mv::kBlack);
    // The grey cylinder thickens as well.
    const QRect cyl(m.outlineC[2].x - 30, m.outlineC[0].y - 5, 200, 140);
    auto grey = [&cyl](const QImage& img) {
        int n = 0;
        for (int yy = cyl.top(); yy <= cyl.bottom(); ++yy)
            for (int xx = cyl.left(); xx <= cyl.right(); ++xx)
                if (Px(img, xx, yy) == mv::kGrey) ++n;
        return n;
    };
    EXPECT_GT(grey(thick), grey(thin) * 3 / 2);
}

TEST(PictureLayers, ScreenDataOffRemovesOnlyTheTexts) {
    mv::Model m = DefaultGear();
    mv::PictureOutput on, off;
    const QImage withData = Frame(m, &on);
    const QRect values(440, 20, 200, 120);  // reverse arm .. rear cut-off
    EXPECT_GT(InkIn(withData, values), 200);
    EXPECT_GT(InkIn(withData, QRect(199, 25, 60, 40)), 30);  // "Pan Vert" ...
    m.display.screenData = false;
    const QImage without = Frame(m, &off);
    EXPECT_EQ(InkIn(without, values), 0);
    EXPECT_EQ(InkIn(without, QRect(199, 25, 60, 40)), 0);
    // Everything else is the same picture.
    int d = 0;
    for (int y = 0; y < mv::kPictureHeight; ++y)
        for (int x = 0; x < mv::kPictureWidth; ++x) {
            const bool textArea = QRect(195, 20, 70, 50).contains(x, y) || values.contains(x, y);
            if (!textArea && Px(withData, x, y) != Px(without, x, y)) ++d;
        }
    EXPECT_EQ(d, 0);
    // The captions are still refreshed.
    const QString title = QStringLiteral("MERROVAN Outside Admission            Nominal     ");
    EXPECT_TRUE(off.captions.main.startsWith(title)) << off.captions.main.toStdString();
    EXPECT_TRUE(off.captions.main.endsWith(QStringLiteral("   Version " MERROVAN_VERSION)));
    EXPECT_TRUE(off.captions.dataTable.startsWith(
        QStringLiteral("MERROVAN Outside Admission Pivot Data   Nominal")));
    m.dataSetName = "loco.dst";
    Frame(m, &off);
    EXPECT_TRUE(off.captions.diagrams[0].startsWith(
        QStringLiteral("MERROVAN Outside Admission      Sine Diagram    loco.dst     ")));
    EXPECT_TRUE(off.captions.diagrams[3].contains(QStringLiteral("Port Open/Closed    loco")));
    // The valve-event table keeps the title it has.
    EXPECT_TRUE(
        off.captions.diagrams[static_cast<std::size_t>(mv::DiagramKind::ValveEvents)].isEmpty());
}

TEST(PictureLayers, TextIsPlacedByItsTopLeftCorner) {
    mv::Model m = DefaultGear();
    const QImage img = Frame(m);
    // "Pan Vert" at (199, 25): ink starts right of 199 and within the first rows below 25.
    EXPECT_EQ(InkIn(img, QRect(190, 15, 9, 40)), 0);
    EXPECT_EQ(InkIn(img, QRect(199, 15, 60, 10)), 0);
    EXPECT_GT(InkIn(img, QRect(199, 25, 60, 5)), 5);
}

TEST(PictureOverlay, UnusedEntriesAndCirclesOffPivotReferencesDrawNothing) {
    mv::Model m = DefaultGear();
    const QImage plain = Frame(m);
    auto& e = m.lines.entries;
    e[0] = mv::LineEntry{-1, 1, 0, 0, 0, 0.0f, 0.0f, 5.0f, 5.0f};    // unused but coloured
    e[1] = mv::LineEntry{1, 1, 2, 1, 0, 0.0f, 0.0f, 2.0f, 0.0f};     // circle, "Piv1/0,0"
    e[2] = mv::LineEntry{1, 4, 3, 1, 2, 0.0f, 0.0f, 2.0f, 0.0f};     // circle, "Piv1/P2"
    e[3] = mv::LineEntry{0, 1, 1, 1000, 0, 0.0f, 0.0f, 1.0f, 1.0f};  // no such pivot
    e[4] = mv::LineEntry{0, 1, 3, 2, -5, 0.0f, 0.0f, 1.0f, 1.0f};    // no such second pivot
    EXPECT_EQ(Differences(Frame(m), plain), 0);
}

TEST(PictureOverlay, LinesAndCirclesByReference) {
    mv::Model m = DefaultGear();
    auto& e = m.lines.entries;
    // Line from world (0, 3) to (5, 3): screen y 186, from x 115.
    e[0] = mv::LineEntry{0, 2, 0, 0, 0, 0.0f, 3.0f, 5.0f, 3.0f};
    // Circle of radius 1 about pivot 12 + (0, 0).
    e[1] = mv::LineEntry{1, 4, 1, 12, 0, 0.0f, 0.0f, 1.0f, 0.0f};
    // Line from pivot 6 + (0, 1) to pivot 16 + (0, 1).
    e[2] = mv::LineEntry{0, 5, 3, 6, 16, 0.0f, 1.0f, 0.0f, 1.0f};
    const QImage img = Frame(m);
    EXPECT_EQ(Px(img, 115, 186), mv::kGreen);
    EXPECT_EQ(Px(img, 200, 186), mv::kGreen);
    EXPECT_NE(Px(img, 255, 186), mv::kGreen);  // end point excluded
    const int cx = m.pivots[mv::pv::GuideCentre].sx, cy = m.pivots[mv::pv::GuideCentre].sy;
    EXPECT_EQ(Px(img, cx + 28, cy), mv::kBlue);  // the one extra pixel reaches the radius
    EXPECT_EQ(Px(img, cx - 28, cy), mv::kBlue);
    EXPECT_EQ(Px(img, cx, cy + 28), mv::kBlue);
    EXPECT_EQ(Px(img, m.pivots[mv::pv::BellPivot].sx, m.pivots[mv::pv::BellPivot].sy - 28),
              mv::kGrey);
    EXPECT_EQ(mv::picture::OverlayColour(-1), mv::kBlack);
    EXPECT_EQ(mv::picture::OverlayColour(3), mv::kYellow);
}

// Typed or loaded values a gear cannot have must still give a whole picture.
TEST(PictureRobustness, AbsurdGearsStillFillTheDevice) {
    struct Case {
        const char* what;
        void (*apply)(mv::Model&);
    };
    const Case cases[] = {
        {"huge wheel", [](mv::Model& m) { m.frame.driverDia = 1e30f; }},
        {"zero frame", [](mv::Model& m) { m.frame = mv::FrameDimensions{}; }},
        {"zero cylinder", [](mv::Model& m) { m.cyl = mv::CylinderDimensions{}; }},
        {"huge scale", [](mv::Model& m) { m.view.scale = 3.0e38f; }},
        {"negative scale", [](mv::Model& m) { m.view.scale = -1e20f; }},
        {"nan offsets", [](mv::Model& m) { m.view.ox = std::numeric_limits<float>::quiet_NaN(); }},
        {"infinite angle",
         [](mv::Model& m) { m.gear.driverAngle = std::numeric_limits<float>::infinity(); }},
        {"huge rods",
         [](mv::Model& m) {
             m.frame.mainRod = 1e30f;
             m.frame.eccRodLeft = -1e30f;
             m.cyl.boreLen = 3e38f;
             m.gear.revArmSetting = -3e38f;
         }},
        {"everything on",
         [](mv::Model& m) {
             m.frame.guideLinkRadius = 1e25f;
             m.display.referencePoints = m.display.pivotData = true;
             m.display.dynamicVariablesVisible = m.display.undoLineVisible = true;
             m.lines.promptOn = true;
             m.pivots[mv::pv::Ref1].x = 1e30f;
             m.pivots[mv::pv::Ref2].y = -1e30f;
             m.picks[1] = {std::numeric_limits<float>::quiet_NaN(), true};
             m.picks[2] = {1e30f, true};
             m.lines.entries[0] = mv::LineEntry{1, 2, 0, 0, 0, 0.0f, 0.0f, 1e30f, 0.0f};
             m.lines.entries[1] = mv::LineEntry{0, 3, 0, 0, 0, -1e30f, 1e30f, 1e30f, -1e30f};
             m.dimensionGraphicId = 25;
             m.graphicZoomFactor = 0.0f;
         }},
    };
    for (const Case& c : cases) {
        mv::Model m = DefaultGear();
        c.apply(m);
        mv::TickSolve(m);
        QImage big(1400, 1100, QImage::Format_RGB32);
        big.fill(0x123456);
        {
            QPainter p(&big);
            mv::PictureInput in;
            mv::RenderPicture(m, p, in);
        }
        // The frame covers the whole device it is given, whatever the gear.
        int unpainted = 0;
        for (int y = 0; y < big.height(); ++y)
            for (int x = 0; x < big.width(); ++x)
                if (Px(big, x, y) == 0x123456) ++unpainted;
        EXPECT_EQ(unpainted, 0) << c.what;
    }
}

}  // namespace
