// The picture of the grid, kept in chunk bitmaps of CHUNK_CELLS x CHUNK_CELLS cells. A frame
// draws a few dozen chunks instead of thousands of cells. A chunk's cells are drawn into its
// bitmap when it gets one (coming into view, or into the ring around the view, one chunk a
// frame), and after that only the cells that changed, and only when the chunk's version in the
// world moved. Every chunk bitmap is a video bitmap of the display that is current on the
// render thread, so only that thread creates, redraws and draws them.
//
// Without a GPU a frame costs what its textured pixels cost, while clearing a rectangle is
// almost free. So the leading rows of a chunk whose cells all show one image (the sky, mostly)
// are painted as one clear in that image's colour, and only the rest of the chunk is drawn
// from its bitmap. That bitmap holds one texel per cell and is drawn scaled up ten times with
// nearest filtering, which reads far fewer texels than a full-size picture; the view's offsets
// are whole pixels, so every cell still covers exactly its own 10 x 10 pixels. Both ways show
// exactly what drawing every cell would only because every block image is one flat colour
// (the atlas paints them with clears), which createChunkCache checks.
#pragma once

#include <cstdint>
#include <vector>

#include <allegro5/allegro.h>

#include "actors/view.h"
#include "world/block_types.h"
#include "world/world_grid.h"

/// Side of a chunk in pixels.
constexpr int CHUNK_PIXELS = CHUNK_CELLS * BLOCK_SIZE;

/// One chunk bitmap and the chunk whose picture it holds.
struct ChunkSlot {
    /// CHUNK_CELLS square video bitmap, one texel per cell; a chunk at the grid's edge uses
    /// its top-left part.
    ALLEGRO_BITMAP* bitmap;
    /// Index of the chunk it holds (column * CHUNK_ROWS + row), or -1 when free.
    int chunk;
    /// World::chunkVersions of that chunk when its picture was drawn.
    uint32_t version;
    /// Frame in which the chunk was last in view: the oldest slot is reused first.
    uint64_t lastUsed;
    /// The cell bitmaps its picture shows, column by column, CHUNK_CELLS to a column; only
    /// the cells that differ from these are drawn again when the chunk's version moves.
    std::vector<ALLEGRO_BITMAP*> drawnCells;
    /// Leading cell rows of the picture whose cells all show one image (all rows when the
    /// whole chunk does): they are painted with a clear instead of drawn from the bitmap.
    int bandRows;
    /// Index in ChunkCache::images of the image those rows show; unused when bandRows is 0.
    int bandImage;
};

/// A block image and the one colour it is painted in.
struct FlatImage {
    /// The block image (a sub-bitmap of the atlas).
    ALLEGRO_BITMAP* bitmap;
    /// Every pixel of it.
    ALLEGRO_COLOR colour;
};

/// One cell to draw into a chunk bitmap, its bitmap copied out of the world.
struct CellRedraw {
    /// Column and row of the cell inside its chunk.
    int column, row;
    ALLEGRO_BITMAP* bitmap;
};

/// A chunk bitmap to draw cells into.
struct ChunkRedraw {
    /// Slot that receives the cells.
    int slot;
    /// Where its cells start in ChunkCache::redrawCells.
    size_t firstCell;
    /// Number of cells from firstCell on.
    size_t cellCount;
};

/// The render thread's chunk bitmaps and this frame's plan.
struct ChunkCache {
    /// Enough bitmaps for every chunk in view and a ring around it.
    std::vector<ChunkSlot> slots;
    /// The distinct block images of the block types and their colours, read once.
    std::vector<FlatImage> images;
    /// Slot of each chunk, or -1 when its picture is not cached.
    int slotOfChunk[CHUNK_COUNT];
    /// Number of the frame being planned.
    uint64_t frame;
    /// Chunks in view this frame (columns and rows of chunks, inclusive; empty when reversed).
    CellRange visible;
    /// Chunks that this frame draws cells into before it draws the grid.
    std::vector<ChunkRedraw> redraws;
    /// The cells of the redraws, copied under the state lock.
    std::vector<CellRedraw> redrawCells;
};

/// Creates the chunk bitmaps for a display of width x height pixels and reads the colours of the
/// block types' images, asserting that each is flat. Must run on a thread with the display
/// current; returns false when a bitmap cannot be made (the cache is then empty).
bool createChunkCache(ChunkCache& cache, const BlockTypes& blockTypes, int width, int height);

/// Destroys the chunk bitmaps; on the thread that created them.
void destroyChunkCache(ChunkCache& cache);

/// Picks the chunks the view shows and copies the bitmaps of the cells to draw again: every cell
/// of a chunk new to its bitmap, the changed cells of a chunk whose version moved; notes the
/// uniform band of each chunk so planned. Touches no bitmap; the caller holds the state lock so
/// that no cell changes meanwhile. Returns false, with nothing to draw, when the view shows more
/// chunks than the cache has bitmaps (a view larger than the one it was created for).
bool planChunks(ChunkCache& cache, const World& world, const View& view, int width, int height);

/// Draws the planned cells into their chunk bitmaps; restores the calling thread's target.
void redrawChunks(ChunkCache& cache);

/// Draws the chunks in view onto the current target at the view's image of their corners: first
/// their uniform bands as clears (one per run of adjacent chunks with the same band, inside the
/// target's clipping rectangle), then the rest from their bitmaps, held. Leaves the clipping
/// rectangle, the blender and the held-drawing switch as it found them.
void drawChunks(const ChunkCache& cache, const View& view);
