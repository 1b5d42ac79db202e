// Placeholder until the steam display lands.
#include "mainwin/draw_steam.hpp"

namespace mv {
void DrawSteamLayer(Model&, QPainter&, std::mt19937&, PictureOutput&) {}
}  // namespace mv
