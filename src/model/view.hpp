// The arithmetic of the main window's view, apart from any widget: world and screen points,
// zoom about the window's centre, centring on a point, and picking pivots and data rows with
// the mouse. The window's handlers call these; tests check them without a window.
#pragma once

#include "model/model.hpp"

namespace mv {

// The screen point every zoom keeps fixed and a reference point is centred on.
inline constexpr int kViewCentreX = 320;
inline constexpr int kViewCentreY = 240;
// Scale limits of the zoom.
inline constexpr float kMinScale = 0.5f;
inline constexpr float kMaxScale = 3000.0f;

// A world point through the view: x = round(h s + ox), y = round(-v s + oy), ties to even,
// saturating for values no screen can hold.
ScreenPoint MapToScreen(const ViewTransform& view, long double h, long double v);

struct WorldPoint {
    float h = 0;  // horizontal
    float v = 0;  // vertical
};
// The world point under screen pixel (x, y).
WorldPoint ScreenToWorld(const ViewTransform& view, int x, int y);

// The view after one zoom step of d per cent from `anchor`: the scale grows by s d / 100 (a
// scale above the upper limit counts as the limit first), screen point (320, 240) stays put,
// and the scale is then held to its limits while the offsets keep the unclamped scale. A
// view whose scale is not a positive number keeps its offsets.
ViewTransform ZoomedView(const ViewTransform& anchor, float d);

// The view with world point (h, v) at screen point (320, 240), at the same scale.
ViewTransform CentredOn(const ViewTransform& view, float h, float v);

// The linkage pivot (1..18) nearest to world point p by |dv| + |dh|; the lower number wins a
// tie, and -1 means none is nearer than 10000.
int NearestPivot(const Gear& g, WorldPoint p);

// The pivot-data row (1..6) whose pick zone holds pixel (x, y) with the text scale factors
// (fx, fy); 0 for none.
int PickRowAt(int x, int y, float fx, float fy);

}  // namespace mv
