// The arithmetic behind Fit, wheel zoom and dialog placement.
#include "mainwin/view_fit.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "mainwin/dialog_placement.hpp"

namespace {

TEST(FitView, CentresTheBoxAndKeepsTheMargin) {
    const mv::WorldBox box{-4, 16, -3, 7};  // 20 wide, 10 high, centre (6, 2)
    const auto v = mv::FitView(box, {0, 100, 640, 300}, 20);
    ASSERT_TRUE(v);
    EXPECT_FLOAT_EQ(v->scale, 26);  // height limits: 260 / 10
    EXPECT_FLOAT_EQ(6 * v->scale + v->ox, 320);
    EXPECT_FLOAT_EQ(-2 * v->scale + v->oy, 250);
    // A point box is shown at the largest scale; a huge one at the smallest.
    EXPECT_FLOAT_EQ(mv::FitView({1, 1, 2, 2}, {0, 0, 100, 100}, 5)->scale, mv::kMaxScale);
    EXPECT_FLOAT_EQ(mv::FitView({0, 1e6L, 0, 1}, {0, 0, 100, 100}, 5)->scale, mv::kMinScale);
}

TEST(FitView, RefusesWhatCannotBeShown) {
    const long double inf = std::numeric_limits<long double>::infinity();
    EXPECT_FALSE(mv::FitView({-inf, inf, 0, 1}, {0, 0, 100, 100}, 5));
    EXPECT_FALSE(mv::FitView({0, 1, 0, 1}, {0, 0, 10, 10}, 5)) << "no room inside the margin";
    EXPECT_FALSE(mv::FitView({1e37L, 2e37L, 0, 1}, {0, 0, 100, 100}, 5)) << "offset beyond floats";
}

TEST(ZoomAbout, KeepsThePointUnderTheCursorAndTheLimits) {
    const mv::ViewTransform v{28, 115, 270};
    const double h = (400 - 115) / 28.0, vert = -(300 - 270) / 28.0;
    const mv::ViewTransform z = mv::ZoomAbout(v, 1.1L, 400, 300);
    EXPECT_NEAR(z.scale, 30.8, 1e-4);
    EXPECT_NEAR(h * z.scale + z.ox, 400, 1e-3);
    EXPECT_NEAR(-vert * z.scale + z.oy, 300, 1e-3);
    const mv::ViewTransform top = mv::ZoomAbout({2900, 10, 20}, 1.1L, 50, 60);
    EXPECT_FLOAT_EQ(top.scale, mv::kMaxScale);
    EXPECT_NEAR((50 - 10) / 2900.0 * top.scale + top.ox, 50, 1e-2) << "fixed at the clamp too";
    EXPECT_FLOAT_EQ(mv::ZoomAbout({0.5f, 0, 0}, 0.5L, 0, 0).scale, mv::kMinScale);
    const mv::ViewTransform broken = mv::ZoomAbout({0, 3, 4}, 1.1L, 0, 0);
    EXPECT_FLOAT_EQ(broken.scale, mv::kMinScale);
    EXPECT_FLOAT_EQ(broken.ox, 3);
}

TEST(PlaceBeside, RightThenBelowThenTheScreenEdge) {
    const QRect screen(0, 0, 1600, 1200);
    const QSize dlg(400, 260);
    EXPECT_EQ(mv::PlaceBeside({100, 100, 700, 500}, dlg, screen), QPoint(808, 100));
    EXPECT_EQ(mv::PlaceBeside({100, 100, 1300, 500}, dlg, screen), QPoint(100, 608));
    EXPECT_EQ(mv::PlaceBeside({0, 0, 1600, 1200}, dlg, screen), QPoint(1200, 0));
    // Kept on the screen when the main window hangs below it.
    EXPECT_EQ(mv::PlaceBeside({100, 1100, 700, 500}, dlg, screen), QPoint(808, 940));
}

}  // namespace
