// Layer 2 of the picture: steam dots, the phase legend and the exhaust-beat triggers.
#pragma once

#include <random>

#include "model/model.hpp"

class QPainter;

namespace mv {

struct PictureOutput;

// Draws the steam layer while the steam display is on (the legend only with screen data on) and
// requests exhaust sounds in `out`. Needs the outlines mapped for this tick.
void DrawSteamLayer(Model& m, QPainter& painter, std::mt19937& rng, PictureOutput& out);

}  // namespace mv
