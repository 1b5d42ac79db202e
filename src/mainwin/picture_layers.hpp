// The layers of the mechanism picture, drawn in this order by RenderPicture.
#pragma once

#include <QSize>

#include "mainwin/draw_picture.hpp"
#include "mainwin/picture_canvas.hpp"
#include "model/model.hpp"

namespace mv::picture {

// Layers 4..10: wheel and pivot circles, cylinder, piston and valve, fixed pivots, guide-link
// arc, rods and links, the user's lines and circles. Leaves the pen as the overlay set it.
void DrawMechanism(Model& m, PictureCanvas& c);

// The pen colour of a lines-and-circles colour selector (0..5); black when unset.
QRgb OverlayColour(int selector);

// Layer 11: undo line, live values, pivot data, pick prompts, reference points, dynamic
// variables and the error indicator.
void DrawScreenData(Model& m, PictureCanvas& c, PictureOutput& out);

// A dynamic-variable slot holds a dimension when its name is not the empty-slot text.
bool SlotHoldsDimension(const DynSlot& slot);

// Cut-off measurement of one frame: detects the end of admission at either end between the
// previous frame and this one and starts the display countdown of the value.
void MeasureCutoff(Model& m);

// The construction the latest solve could not make: its rods outlined in red (under the
// mechanism, which is drawn over the outline's white core) and its name at the lower left of the
// visible area.
void DrawFaultOutline(const Model& m, PictureCanvas& c);
void DrawFaultText(const Model& m, PictureCanvas& c, QSize area);

// Layer 12: the dimension position graphic while one is requested.
void DrawDimensionGraphic(Model& m, PictureCanvas& c, PictureOutput& out);

}  // namespace mv::picture
