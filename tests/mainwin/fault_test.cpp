// Geometry faults named over the picture, values too wide for their places, and a picture that
// fills devices of any size and pixel ratio.
#include <gtest/gtest.h>

#include <string>

#include "mainwin/geometry_fault.hpp"
#include "mainwin/picture_canvas.hpp"
#include "picture_support.hpp"

namespace {

using namespace picture_test;
using mv::Construction;

std::string Named(mv::Model& m) {
    mv::TickSolve(m);
    return std::string(mv::FaultText(m, mv::PictureFault(m)));
}

int RedIn(const QImage& img, const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (Px(img, x, y) == mv::kRed) ++n;
    return n;
}

TEST(GeometryFault, NamesTheConstructionThatFailedAndClearsWhenSound) {
    mv::Model m = DefaultGear();
    EXPECT_EQ(Named(m), "");
    EXPECT_TRUE(mv::FaultRods(Construction::None).empty());

    m.gear.driverAngle = 90;
    m.frame.mainRod = 0;
    EXPECT_EQ(Named(m), "Main rod shorter than the crank throw");
    EXPECT_EQ(mv::PictureFault(m), Construction::Crosshead);
    ASSERT_EQ(mv::FaultRods(Construction::Crosshead).size(), 1u);
    EXPECT_EQ(mv::FaultRods(Construction::Crosshead)[0].from, mv::pv::CrankPin);

    m.frame.mainRod = -5;  // no clamp anywhere, but the piston leaves its cylinder
    EXPECT_EQ(Named(m), "Main rod length is negative");

    m = DefaultGear();
    m.frame.radiusHanger = 0.01f;
    EXPECT_EQ(Named(m), "Radius hanger cannot reach the eccentric rod");
    EXPECT_EQ(mv::FaultRods(mv::PictureFault(m)).size(), 2u);

    m = DefaultGear();
    m.frame.valveConRod = 0.01f;
    EXPECT_EQ(Named(m), "Valve connecting rod cannot reach the valve stem");

    m.frame.valveConRod = DefaultGear().frame.valveConRod;
    EXPECT_EQ(Named(m), "") << "sound again: nothing to name";
}

TEST(GeometryFault, EveryConstructionHasWordsAndRods) {
    const mv::Model m = DefaultGear();
    for (int c = 1; c <= 17; ++c) {
        const auto k = static_cast<Construction>(c);
        if (c == 1 || c == 2 || c == 7) continue;  // not constructions of the solver
        EXPECT_FALSE(mv::FaultText(m, k).empty()) << c;
        EXPECT_FALSE(mv::FaultRods(k).empty()) << c;
    }
}

TEST(GeometryFault, ShownInRedAtTheLowerLeftOnlyWithTheErrorBeepOn) {
    mv::Model m = DefaultGear();
    m.frame.radiusHanger = 0.01f;
    const QSize area(632, 380);
    auto frame = [&area](mv::Model& g) {
        mv::TickSolve(g);
        QImage img(mv::kPictureWidth, mv::kPictureHeight, QImage::Format_RGB32);
        QPainter p(&img);
        mv::PictureInput in;
        in.area = area;
        mv::RenderPicture(g, p, in);
        return img;
    };
    const QRect textLine(0, 380 - 40, 632, 40);
    const QImage on = frame(m);
    EXPECT_GT(RedIn(on, textLine), 100);
    mv::Model quiet = m;
    quiet.gear.errorBeep = false;
    const QImage off = frame(quiet);
    EXPECT_EQ(mv::PictureFault(quiet), Construction::None);
    EXPECT_EQ(RedIn(off, textLine), 0);
    // The outline: red on both sides of the radius hanger and the eccentric rod.
    EXPECT_GT(RedIn(on, QRect(0, 0, 632, 340)), RedIn(off, QRect(0, 0, 632, 340)) + 200);
    // Screen data off takes the words away, not the outline.
    m.display.screenData = false;
    const QImage bare = frame(m);
    EXPECT_EQ(RedIn(bare, textLine), 0);
    EXPECT_GT(RedIn(bare, QRect(0, 0, 632, 340)), RedIn(off, QRect(0, 0, 632, 340)) + 200);
}

TEST(ScreenDataOverflow, AValueTooWideShowsStarsInsteadOfRunningOn) {
    auto frame = [](float value) {
        mv::Model m = DefaultGear();
        m.display.dynamicVariablesVisible = true;
        for (int k = 1; k <= 4; ++k) m.dynSlots[k] = {3, 1.0f, "Main Rod Length"};
        m.dynSlots[1].value = value;
        return Frame(m);
    };
    const QImage huge = frame(1e30f);
    // Thirty-odd digits from (498, 71) would run off the classic window's edge.
    EXPECT_EQ(InkIn(huge, QRect(640, 71, 640, 11)), 0);
    EXPECT_EQ(Differences(huge, frame(-12.345f)), 0) << "both show the same six stars";
    EXPECT_GT(Differences(huge, frame(12.345f)), 20) << "a value that fits is shown";
}

TEST(PictureArea, TheFrameCoversALargerDeviceAndTheViewReachesIt) {
    mv::Model m = DefaultGear();
    m.view.ox = 1500;  // the axle far to the right of the classic frame
    QImage big(1800, 1300, QImage::Format_RGB32);
    big.fill(0x123456);
    mv::TickSolve(m);
    {
        QPainter p(&big);
        mv::RenderPicture(m, p, mv::PictureInput{});
    }
    int unpainted = 0;
    for (int y = 0; y < big.height(); ++y)
        for (int x = 0; x < big.width(); ++x)
            if (Px(big, x, y) == 0x123456) ++unpainted;
    EXPECT_EQ(unpainted, 0);
    EXPECT_EQ(Px(big, m.pivots[mv::pv::Origin].sx + 5, m.pivots[mv::pv::Origin].sy + 5), mv::kRed)
        << "fixed pivot cross";
}

TEST(PictureArea, HighDensityDevicesDrawAtTheirOwnResolution) {
    mv::Model m = DefaultGear();
    mv::TickSolve(m);
    QImage hi(2 * 640, 2 * 400, QImage::Format_RGB32);
    hi.setDevicePixelRatio(2);
    {
        QPainter p(&hi);
        mv::RenderPicture(m, p, mv::PictureInput{});
    }
    EXPECT_EQ(mv::LogicalSize(&hi), QSize(640, 400));
    // The red cross of the axle, at twice its picture coordinates.
    EXPECT_EQ(Px(hi, 2 * (m.pivots[mv::pv::Origin].sx + 3), 2 * (m.pivots[mv::pv::Origin].sy + 3)),
              mv::kRed);
    // Text is drawn at the device's resolution: its strokes are thinner than two pixels somewhere.
    const QRect panVert(2 * 199, 2 * 25, 2 * 45, 2 * 11);
    int thin = 0;
    for (int y = panVert.top(); y <= panVert.bottom(); ++y)
        for (int x = panVert.left() + 1; x < panVert.right(); ++x)
            if (Px(hi, x, y) != 0xFFFFFF && Px(hi, x - 1, y) == 0xFFFFFF &&
                Px(hi, x + 1, y) == 0xFFFFFF)
                ++thin;
    EXPECT_GT(thin, 10);
}

}  // namespace
