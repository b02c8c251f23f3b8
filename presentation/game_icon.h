// The game's icon: a corner of the world with the player standing on grass, in the colours the
// game draws them. One table of squares is the picture; the window icon and the installed SVG
// are both drawn from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// Side of the icon's picture in world pixels: four blocks.
constexpr int ICON_SIDE = 40;

/// The icon scaled to size x size pixels: RGBA bytes, rows from the top. A size that is a
/// multiple of 4 keeps every block edge on a pixel edge.
std::vector<uint8_t> iconPixels(int size);

/// The icon as an SVG document, one rectangle per square, in world pixels.
std::string iconSvg();
