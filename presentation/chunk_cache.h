// The picture of the grid, kept in chunk pictures of CHUNK_CELLS x CHUNK_CELLS cells. A frame
// copies a few dozen chunks instead of drawing thousands of cells. A chunk's cells are painted
// into its picture when it gets one (coming into view, or into the ring around the view, one
// chunk a frame), and after that only the cells that changed, and only when the chunk's version
// in the world moved. The pictures live in the display that is current on the render thread, so
// only that thread creates, paints and copies them.
//
// Without a GPU a frame costs what its pixels cost: a textured fill the most, a copy between
// two buffers of one layout a tenth of that, a clear less still. So the leading rows of a chunk
// whose cells all show one image (the sky, mostly) are painted as one clear in that image's
// colour, the rest of the chunk is copied from its full-size picture (presentation/
// chunk_pictures.h), and only the parts of the screen that no chunk covers are cleared to black:
// no pixel of the grid is written twice. Both ways show exactly what drawing every cell would
// only because every block image is one flat colour (the atlas paints them with clears), which
// createChunkCache checks; a picture's cells are painted in those colours.
//
// A chunk whose cells all show one image is that clear alone and holds no picture: a picture is
// made when a chunk first shows more than one image, and handed on to the next such chunk when
// its own is replaced or becomes one image. Around the surface the open sky fills a third of the
// chunks in and around the view (16 of the 48 at 1440 x 900, 6.5 MB of pictures never made);
// deep underground every chunk needs its picture.
#pragma once

#include <cstdint>
#include <vector>

#include <allegro5/allegro.h>

#include "actors/view.h"
#include "presentation/chunk_pictures.h"
#include "world/block_types.h"
#include "world/world_grid.h"

/// Side of a chunk in pixels.
constexpr int CHUNK_PIXELS = CHUNK_CELLS * BLOCK_SIZE;

/// One cached chunk and its picture.
struct ChunkSlot {
    /// A CHUNK_PIXELS square picture (presentation/chunk_pictures.h), empty while the chunk
    /// shows one image throughout; a chunk at the grid's edge uses its top-left part.
    ChunkPicture picture;
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
    /// whole chunk does): they are painted with a clear instead of copied from the picture.
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
    /// That colour as a pixel of a chunk picture.
    uint32_t texel;
};

/// One cell to paint into a chunk picture, its bitmap copied out of the world.
struct CellRedraw {
    /// Column and row of the cell inside its chunk.
    int column, row;
    ALLEGRO_BITMAP* bitmap;
};

/// A chunk picture to paint cells into.
struct ChunkRedraw {
    /// Slot that receives the cells.
    int slot;
    /// Whether the cells are all of the chunk's, painted as one picture.
    bool whole;
    /// Where its cells start in ChunkCache::redrawCells.
    size_t firstCell;
    /// Number of cells from firstCell on.
    size_t cellCount;
};

/// The render thread's chunk pictures and this frame's plan.
struct ChunkCache {
    /// A slot for every chunk in view and in a ring around it.
    std::vector<ChunkSlot> slots;
    /// Pictures made for chunks that no longer need them, for the next chunk that does.
    std::vector<ChunkPicture> sparePictures;
    /// How the pictures are kept and copied onto the target.
    PictureWay pictureWay;
    /// A whole picture being painted, CHUNK_PIXELS square.
    std::vector<uint32_t> paint;
    /// This frame's copies, kept so that a frame allocates nothing.
    std::vector<PictureCopy> copies;
    /// The distinct block images of the block types and their colours, read once.
    std::vector<FlatImage> images;
    /// Slot of each chunk, or -1 when its picture is not cached.
    int slotOfChunk[CHUNK_COUNT];
    /// Number of the frame being planned.
    uint64_t frame;
    /// Chunks in view this frame (columns and rows of chunks, inclusive; empty when reversed).
    CellRange visible;
    /// Chunks that this frame paints cells into before it draws the grid.
    std::vector<ChunkRedraw> redraws;
    /// The cells of the redraws, copied under the state lock.
    std::vector<CellRedraw> redrawCells;
};

/// Creates the chunk slots for a display of width x height pixels, without pictures yet, reads
/// the colours of the block types' images, asserting that each is flat, and makes the pictures
/// copied by framebuffer blits when `blits` (the display's module says whether the display has
/// them: presentation/game_display.h), else drawn (presentation/chunk_pictures.h). Must run on
/// a thread with the display current; returns false when the framebuffer the pictures are
/// copied through cannot be made (the cache is then empty).
bool createChunkCache(ChunkCache& cache, const BlockTypes& blockTypes, int width, int height,
                      bool blits);

/// Destroys the chunk pictures; on the thread that created them.
void destroyChunkCache(ChunkCache& cache);

/// Picks the chunks the view shows and copies the bitmaps of the cells to paint again: every cell
/// of a chunk new to its slot or without a picture, the changed cells of a chunk whose version
/// moved; notes the uniform band of each chunk so planned, and takes back the picture of a chunk
/// that now shows one image throughout. Paints no picture; the caller holds the state lock so
/// that no cell changes meanwhile. Returns false, with nothing to draw, when the view shows more
/// chunks than the cache has slots (a view larger than the one it was created for).
bool planChunks(ChunkCache& cache, const World& world, const View& view, int width, int height);

/// Paints the planned cells into their chunk pictures, first giving a picture to each planned
/// chunk that has none (a spare one, or a new one). Returns false when a picture cannot be made
/// or painted.
bool redrawChunks(ChunkCache& cache);

/// Clears to black what the chunks in view leave uncovered inside the target's clipping
/// rectangle: the margins beyond the grid's edges. Leaves the clipping rectangle as it found it.
void clearOutsideChunks(const ChunkCache& cache, const View& view);

/// Draws the chunks in view onto the current target at the view's image of their corners: first
/// their uniform bands as clears (one per run of adjacent chunks with the same band), then the
/// rest copied from their pictures, all inside the target's clipping rectangle. Leaves the
/// clipping rectangle and the held-drawing switch as it found them.
void drawChunks(ChunkCache& cache, const View& view);
