// The view: how world pixels map to screen pixels. The view keeps the player in the middle of
// the display and stops at the world's edges. The renderer, the enemies and the mouse all use
// this one mapping, so what is drawn under the pointer is what the pointer selects.
#pragma once

#include "world/player_record.h"

/// The mapping screen = world + offset on both axes; the offsets are whole pixels. On each
/// axis the view shows the world's start edge (offset 0), its end edge, or follows the player.
struct View {
    /// Screen x minus world x.
    double offsetX;
    /// Screen y minus world y.
    double offsetY;
};

/// Whole cells in view, inclusive bounds; empty when a last is below its first.
struct CellRange {
    int firstColumn;
    int lastColumn;
    int firstRow;
    int lastRow;
};

/// The view for the player's top-left corner (px, py) on a display of width x height pixels.
View computeView(float px, float py, int width, int height);

/// The view that follows the player on its own display.
View playerView(const Player& player);

/// Whole screen pixel of a screen coordinate (rounded down, so cells tile without gaps).
int screenPixel(double coordinate);

/// Screen pixel at which the world point's pixel is drawn, horizontally.
int viewScreenX(const View& view, double worldX);

/// Screen pixel at which the world point's pixel is drawn, vertically.
int viewScreenY(const View& view, double worldY);

/// The grid cells that cover any pixel of a width x height display.
CellRange visibleCells(const View& view, int width, int height);

/// The cell drawn under the screen pixel (mx, my). Returns false when that pixel shows no cell
/// of the grid (off the world's edge); column and row are then unchanged.
bool cellUnderPixel(const View& view, int mx, int my, int& column, int& row);
