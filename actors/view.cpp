#include "actors/view.h"

#include <algorithm>
#include <cmath>

#include "world/world_grid.h"

namespace {

// One axis of the view: the player at `position`, a display of `size` pixels, a world of
// `worldSize` pixels.
double axisOffset(double position, int size, int worldSize) {
    const int half = size / 2;
    if (position - half < 0) {
        return 0; // the world's start edge
    }
    if (position + half > worldSize) {
        return size - worldSize; // its end edge
    }
    // Following: the view scrolls in whole pixels with the player's truncated position, so the
    // player, resting a fraction of a pixel into the ground, is drawn standing on it.
    return half - std::trunc(position);
}

int firstCellOnScreen(double offset) {
    return static_cast<int>(std::floor(-std::floor(offset) / BLOCK_SIZE));
}

int lastCellOnScreen(double offset, int size) {
    return static_cast<int>(std::floor((size - 1 - std::floor(offset)) / BLOCK_SIZE));
}

} // namespace

View computeView(float px, float py, int width, int height) {
    return {axisOffset(px, width, WORLD_WIDTH), axisOffset(py, height, WORLD_HEIGHT)};
}

View playerView(const Player& player) {
    return computeView(player.x, player.y, player.screenWidth, player.screenHeight);
}

int screenPixel(double coordinate) {
    return static_cast<int>(std::floor(coordinate));
}

int viewScreenX(const View& view, double worldX) {
    return screenPixel(worldX + view.offsetX);
}

int viewScreenY(const View& view, double worldY) {
    return screenPixel(worldY + view.offsetY);
}

CellRange visibleCells(const View& view, int width, int height) {
    CellRange range{};
    range.firstColumn = std::max(0, firstCellOnScreen(view.offsetX));
    range.lastColumn = std::min(WORLD_COLUMNS - 1, lastCellOnScreen(view.offsetX, width));
    range.firstRow = std::max(0, firstCellOnScreen(view.offsetY));
    range.lastRow = std::min(WORLD_ROWS - 1, lastCellOnScreen(view.offsetY, height));
    return range;
}

bool cellUnderPixel(const View& view, int mx, int my, int& column, int& row) {
    // A cell's pixels start at viewScreenX of its left edge, which is 10c + floor(offset).
    const int hitColumn =
        static_cast<int>(std::floor((mx - std::floor(view.offsetX)) / BLOCK_SIZE));
    const int hitRow = static_cast<int>(std::floor((my - std::floor(view.offsetY)) / BLOCK_SIZE));
    if (!cellInGrid(hitColumn, hitRow)) {
        return false;
    }
    column = hitColumn;
    row = hitRow;
    return true;
}
