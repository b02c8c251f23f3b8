// What a frame shows, short of the grid's cells: the render thread compares it with the frame on
// screen, and a frame that shows the same and paints no chunk in view again is not drawn, so that
// a still picture costs next to nothing.
#pragma once

#include "actors/enemy.h"
#include "actors/view.h"
#include "presentation/chunk_cache.h"
#include "world/block_kinds.h"

struct ALLEGRO_BITMAP;
struct FrameSnapshot;

/// An actor's image where the frame draws it.
struct SpritePlace {
    /// The image; null for an actor that is not drawn or lies wholly off the screen.
    ALLEGRO_BITMAP* bitmap;
    /// Screen pixel of its top-left corner.
    int x, y;
};

/// Everything a frame's picture depends on besides the cells in its chunks.
struct FramePicture {
    /// Whole screen pixels of the view's offsets.
    int offsetX, offsetY;
    /// The display size the frame is drawn for (the HUD's buttons stand at its right edge).
    int width, height;
    /// The HUD: the counts of the four kinds and the selection.
    int counts[BLOCK_KIND_COUNT];
    int selectedBlock;
    SpritePlace player;
    SpritePlace enemies[ENEMY_COUNT];
};

/// The picture of a snapshot.
FramePicture framePicture(const FrameSnapshot& snapshot);

/// Whether two pictures show the same, given the same cells.
bool samePicture(const FramePicture& a, const FramePicture& b);

/// Whether the cache's plan for this frame paints a chunk in view again: the grid on screen
/// changes. (Chunks painted ahead of time, around the view, do not show yet.)
bool paintsChunkInView(const ChunkCache& cache);
