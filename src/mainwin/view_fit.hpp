// The arithmetic of the view commands a mouse and a window size call for: the view that fits the
// whole mechanism into an area, and zooming about a point of the screen. Plain functions of the
// gear and the view; the main window applies what they return.
#pragma once

#include <optional>

#include "model/model.hpp"
#include "model/view.hpp"

namespace mv {

// World extent of what the picture draws of the gear for its current solution: the wheel, every
// moving and fixed pivot, the guide link arc, the cylinder with its steam chest, piston and valve.
struct WorldBox {
    long double left = 0, right = 0, bottom = 0, top = 0;
};
WorldBox MechanismBox(const Gear& g);

// A screen area in pixels.
struct ScreenBox {
    int x = 0, y = 0, width = 0, height = 0;
};

// The view that shows `box` as large as fits inside `area` less `margin` pixels on every side,
// centred in it. Nothing when the box is not finite or the area too small to hold anything;
// a box too small or too large for the scale limits is centred at the limit.
std::optional<ViewTransform> FitView(const WorldBox& box, const ScreenBox& area, int margin);

// Zooms by `factor` keeping the world point under screen (x, y) where it is. The scale stays
// within the limits; the point stays fixed for the factor actually applied.
ViewTransform ZoomAbout(const ViewTransform& view, long double factor, long double x,
                        long double y);

}  // namespace mv
