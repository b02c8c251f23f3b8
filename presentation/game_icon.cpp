#include "presentation/game_icon.h"

#include <cstdio>

#include "actors/physics.h"
#include "base/game_assert.h"
#include "presentation/atlas.h"
#include "world/block_types.h"

namespace {

// A square painted in the player's colour rather than in a block's.
constexpr int PAINT_PLAYER = -1;

struct IconSquare {
    int left, top, width, height;
    // A block id, or PAINT_PLAYER.
    int paint;
};

// Painted in order, later squares over earlier ones: the sky, the player standing on a grass
// ledge, a grass step up on the right, and dirt with stone and gold below.
const IconSquare ICON_SQUARES[] = {
    {0, 0, ICON_SIDE, 2 * BLOCK_SIZE, BLOCK_AIR},
    {BLOCK_SIZE, 0, ACTOR_WIDTH, ACTOR_HEIGHT, PAINT_PLAYER},
    {3 * BLOCK_SIZE, BLOCK_SIZE, BLOCK_SIZE, BLOCK_SIZE, BLOCK_GRASS},
    {0, 2 * BLOCK_SIZE, 3 * BLOCK_SIZE, BLOCK_SIZE, BLOCK_GRASS},
    {3 * BLOCK_SIZE, 2 * BLOCK_SIZE, BLOCK_SIZE, 2 * BLOCK_SIZE, BLOCK_DIRT},
    {0, 3 * BLOCK_SIZE, BLOCK_SIZE, BLOCK_SIZE, BLOCK_DIRT},
    {BLOCK_SIZE, 3 * BLOCK_SIZE, BLOCK_SIZE, BLOCK_SIZE, BLOCK_STONE},
    {2 * BLOCK_SIZE, 3 * BLOCK_SIZE, BLOCK_SIZE, BLOCK_SIZE, BLOCK_GOLD},
};

BlockColour paintColour(int paint) {
    if (paint == PAINT_PLAYER) {
        return BlockColour{PLAYER_RGB[0], PLAYER_RGB[1], PLAYER_RGB[2]};
    }
    return blockTypeColour(paint);
}

bool covers(const IconSquare& square, double x, double y) {
    return x >= square.left && x < square.left + square.width && y >= square.top &&
           y < square.top + square.height;
}

} // namespace

std::vector<uint8_t> iconPixels(int size) {
    GAME_ASSERT(size > 0, "the icon needs a positive size in pixels");
    std::vector<uint8_t> pixels(static_cast<size_t>(size) * size * 4, 0);
    const double scale = static_cast<double>(ICON_SIDE) / size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // The centre of the pixel, in world pixels, takes the colour of the last square
            // painted over it.
            const double worldX = (x + 0.5) * scale;
            const double worldY = (y + 0.5) * scale;
            uint8_t* pixel = &pixels[(static_cast<size_t>(y) * size + x) * 4];
            for (const IconSquare& square : ICON_SQUARES) {
                if (covers(square, worldX, worldY)) {
                    const BlockColour c = paintColour(square.paint);
                    pixel[0] = c.r;
                    pixel[1] = c.g;
                    pixel[2] = c.b;
                    pixel[3] = 255;
                }
            }
        }
    }
    return pixels;
}

std::string iconSvg() {
    char line[160];
    std::snprintf(line, sizeof line,
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
                  "viewBox=\"0 0 %d %d\" shape-rendering=\"crispEdges\">\n",
                  ICON_SIDE, ICON_SIDE, ICON_SIDE, ICON_SIDE);
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += line;
    svg += "  <title>Tellurn</title>\n";
    for (const IconSquare& square : ICON_SQUARES) {
        const BlockColour c = paintColour(square.paint);
        std::snprintf(line, sizeof line,
                      "  <rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" "
                      "fill=\"#%02x%02x%02x\"/>\n",
                      square.left, square.top, square.width, square.height, c.r, c.g, c.b);
        svg += line;
    }
    svg += "</svg>\n";
    return svg;
}
