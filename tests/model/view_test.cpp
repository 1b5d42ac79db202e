// The view arithmetic of the main window, without a window.
#include "model/view.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(View, ScreenAndWorldPointsRoundTripThroughTheView) {
    const mv::ViewTransform v{28, 115, 270};
    const mv::ScreenPoint s = mv::MapToScreen(v, 1.5L, -2.0L);
    EXPECT_EQ(s.x, 157);  // 1.5 * 28 + 115
    EXPECT_EQ(s.y, 326);  // 2 * 28 + 270
    const mv::WorldPoint w = mv::ScreenToWorld(v, s.x, s.y);
    EXPECT_FLOAT_EQ(w.h, 1.5f);
    EXPECT_FLOAT_EQ(w.v, -2.0f);
    // Ties go to even, and values no screen can hold saturate instead of overflowing.
    EXPECT_EQ(mv::MapToScreen(mv::ViewTransform{1, 0.5f, 0}, 0, 0).x, 0);
    EXPECT_EQ(mv::MapToScreen(mv::ViewTransform{1, 1.5f, 0}, 0, 0).x, 2);
    const mv::ScreenPoint far = mv::MapToScreen(v, 1e30L, -1e30L);
    EXPECT_GT(far.x, 1000000);
    EXPECT_GT(far.y, 1000000);
    EXPECT_EQ(mv::MapToScreen(v, std::nanl(""), 0).x, 0);
}

TEST(View, ZoomKeepsTheCentreAndClampsOnlyTheScale) {
    const mv::ViewTransform home{28, 115, 270};
    const mv::ViewTransform z = mv::ZoomedView(home, 1.0f);
    EXPECT_NEAR(z.scale, 28.28f, 1e-4);
    // Screen point (320, 240) shows the same world point before and after.
    const mv::WorldPoint before = mv::ScreenToWorld(home, 320, 240);
    const mv::WorldPoint after = mv::ScreenToWorld(z, 320, 240);
    EXPECT_NEAR(before.h, after.h, 1e-5);
    EXPECT_NEAR(before.v, after.v, 1e-5);

    // From 2990 by 1 %: the scale stops at 3000, the offsets follow 3019.9.
    const mv::ViewTransform big = mv::ZoomedView(mv::ViewTransform{2990, 420, 240}, 1.0f);
    EXPECT_FLOAT_EQ(big.scale, 3000.0f);
    EXPECT_NEAR(big.ox, 100 * 3019.9 / 2990 + 320, 1e-2);
    EXPECT_FLOAT_EQ(mv::ZoomedView(mv::ViewTransform{1, 0, 0}, -90.0f).scale, 0.5f);

    // A scale of 0 (from a file) keeps the offsets finite.
    const mv::ViewTransform zero = mv::ZoomedView(mv::ViewTransform{0, 115, 270}, 1.0f);
    EXPECT_FLOAT_EQ(zero.ox, 115);
    EXPECT_FLOAT_EQ(zero.oy, 270);
    EXPECT_FLOAT_EQ(zero.scale, 0.5f);
    const mv::ViewTransform nan =
        mv::ZoomedView(mv::ViewTransform{std::numeric_limits<float>::quiet_NaN(), 1, 2}, 1.0f);
    EXPECT_FLOAT_EQ(nan.scale, 0.5f);
    EXPECT_FLOAT_EQ(nan.ox, 1);
}

TEST(View, CentringPutsThePointAtTheWindowCentre) {
    const mv::ViewTransform c = mv::CentredOn(mv::ViewTransform{28, 115, 270}, 0, 0);
    EXPECT_FLOAT_EQ(c.ox, 320);
    EXPECT_FLOAT_EQ(c.oy, 240);
    const mv::ViewTransform d = mv::CentredOn(mv::ViewTransform{10, 0, 0}, 2, -3);
    const mv::ScreenPoint s = mv::MapToScreen(d, 2, -3);
    EXPECT_EQ(s.x, 320);
    EXPECT_EQ(s.y, 240);
    EXPECT_FLOAT_EQ(d.scale, 10);
}

TEST(View, NearestPivotUsesCityBlockDistanceAndTheLowerNumberOnTies) {
    mv::Gear g;
    for (int i = 0; i < mv::kPivotCount; ++i) g.pivots[i] = mv::Pivot{100.0f + i, 100.0f};
    g.pivots[mv::pv::ValveJoint] = mv::Pivot{1.0f, 0.0f};
    g.pivots[mv::pv::BellPivot2] = mv::Pivot{0.0f, 1.0f};  // as far as the valve joint
    g.pivots[mv::pv::Origin] = mv::Pivot{0.0f, 0.0f};      // the origin is never picked
    g.pivots[mv::pv::Ref1] = mv::Pivot{0.0f, 0.0f};        // nor a reference point
    EXPECT_EQ(mv::NearestPivot(g, {0.0f, 0.0f}), mv::pv::ValveJoint);
    g.pivots[mv::pv::BellPivot2] = mv::Pivot{0.5f, 0.4f};
    EXPECT_EQ(mv::NearestPivot(g, {0.0f, 0.0f}), mv::pv::BellPivot2);
    EXPECT_EQ(mv::NearestPivot(g, {1e9f, 1e9f}), -1) << "nothing within reach";
    EXPECT_EQ(mv::NearestPivot(g, {0.0f, std::nanf("")}), -1);
}

TEST(View, PickRowsFollowTheTextScale) {
    EXPECT_EQ(mv::PickRowAt(5, 156, 1, 1), 1);
    EXPECT_EQ(mv::PickRowAt(5, 166, 1, 1), 2);
    EXPECT_EQ(mv::PickRowAt(5, 206, 1, 1), 6);
    EXPECT_EQ(mv::PickRowAt(5, 152, 1, 1), 0) << "the zone's edges are outside";
    EXPECT_EQ(mv::PickRowAt(5, 161, 1, 1), 0);
    EXPECT_EQ(mv::PickRowAt(0, 156, 1, 1), 0);
    EXPECT_EQ(mv::PickRowAt(20, 156, 1, 1), 0);
    // With the large font the zones move down and the column widens.
    EXPECT_EQ(mv::PickRowAt(24, 191, 1.27f, 1.22f), 1);
    EXPECT_EQ(mv::PickRowAt(5, 156, 1.27f, 1.22f), 0);
}

}  // namespace
