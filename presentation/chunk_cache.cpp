#include "presentation/chunk_cache.h"

#include <algorithm>
#include <allegro5/allegro.h>

namespace {

// Chunks that a span of `size` pixels can touch at once: one more than fit when it straddles.
int chunksAcross(int size) {
    return (size + CHUNK_PIXELS - 2) / CHUNK_PIXELS + 1;
}

// Chunks added across and down for a ring of one chunk around the view: those are drawn ahead
// of time and stay cached, so that walking to and fro across a chunk border redraws nothing.
constexpr int RING = 2;

CellRange chunksInView(const View& view, int width, int height) {
    const CellRange cells = visibleCells(view, width, height);
    if (cells.lastColumn < cells.firstColumn || cells.lastRow < cells.firstRow) {
        return {0, -1, 0, -1};
    }
    return {cells.firstColumn / CHUNK_CELLS, cells.lastColumn / CHUNK_CELLS,
            cells.firstRow / CHUNK_CELLS, cells.lastRow / CHUNK_CELLS};
}

// A free slot, else the one longest out of view; -1 when every slot is in view this frame,
// whose chunks are never taken.
int takeSlot(ChunkCache& cache) {
    int oldest = -1;
    for (int i = 0; i < static_cast<int>(cache.slots.size()); ++i) {
        const ChunkSlot& slot = cache.slots[i];
        if (slot.chunk < 0) {
            return i;
        }
        if (slot.lastUsed < cache.frame &&
            (oldest < 0 || slot.lastUsed < cache.slots[oldest].lastUsed)) {
            oldest = i;
        }
    }
    if (oldest >= 0) {
        cache.slotOfChunk[cache.slots[oldest].chunk] = -1;
    }
    return oldest;
}

// Index in cache.images of a cell's image, so that a band's colour is known without a lookup.
int imageIndex(const ChunkCache& cache, ALLEGRO_BITMAP* bitmap) {
    for (size_t i = 0; i < cache.images.size(); ++i) {
        if (cache.images[i].bitmap == bitmap) {
            return static_cast<int>(i);
        }
    }
    GAME_ASSERT(false, "a cell shows an image that is not a block type's: bind the cells' "
                       "bitmaps from the block types that the chunk cache was created with");
    return -1;
}

// Counts the leading rows of a chunk's picture whose cells all show the image of its top-left
// cell; the picture is `columns` x `rows` cells.
int uniformTopRows(const std::vector<ALLEGRO_BITMAP*>& drawn, int columns, int rows) {
    const ALLEGRO_BITMAP* first = drawn[0];
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < columns; ++i) {
            if (drawn[i * CHUNK_CELLS + j] != first) {
                return j;
            }
        }
    }
    return rows;
}

// Notes the band of a slot whose picture was just planned; rows below the band are drawn.
void noteBand(const ChunkCache& cache, ChunkSlot& slot, int columns, int rows) {
    slot.bandRows = uniformTopRows(slot.drawnCells, columns, rows);
    slot.bandImage = imageIndex(cache, slot.drawnCells[0]);
}

// Hands a slot's picture to the spares (the vector has room for all: no allocation under the
// state lock).
void releasePicture(ChunkCache& cache, ChunkSlot& slot) {
    if (hasPicture(slot.picture)) {
        cache.sparePictures.push_back(slot.picture);
        slot.picture = {};
    }
}

// Copies the cells of a chunk that differ from what its bitmap shows (all of them when
// `everything`, or when it has no picture to paint them into) and notes them as drawn. A chunk
// that shows one image throughout is painted by its band's clear alone: it keeps no picture.
void planCells(ChunkCache& cache, const World& world, int slot, int chunkColumn, int chunkRow,
               bool everything) {
    ChunkSlot& target = cache.slots[slot];
    everything = everything || !hasPicture(target.picture);
    ChunkRedraw redraw{slot, everything, cache.redrawCells.size(), 0};
    std::vector<ALLEGRO_BITMAP*>& drawn = target.drawnCells;
    const int firstColumn = chunkColumn * CHUNK_CELLS;
    const int firstRow = chunkRow * CHUNK_CELLS;
    const int columns = std::min(CHUNK_CELLS, WORLD_COLUMNS - firstColumn);
    const int rows = std::min(CHUNK_CELLS, WORLD_ROWS - firstRow);
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j < rows; ++j) {
            ALLEGRO_BITMAP* const bitmap = cellAt(world, firstColumn + i, firstRow + j).bitmap;
            ALLEGRO_BITMAP*& shown = drawn[i * CHUNK_CELLS + j];
            if (everything || shown != bitmap) {
                cache.redrawCells.push_back({i, j, bitmap});
                shown = bitmap;
            }
        }
    }
    noteBand(cache, target, columns, rows);
    if (target.bandRows == rows) {
        cache.redrawCells.resize(redraw.firstCell);
        releasePicture(cache, target);
        return;
    }
    redraw.cellCount = cache.redrawCells.size() - redraw.firstCell;
    if (redraw.cellCount > 0) {
        cache.redraws.push_back(redraw);
    }
}

// Returns false when no slot is left for the chunk.
bool planChunk(ChunkCache& cache, const World& world, int chunkColumn, int chunkRow) {
    const int chunk = chunkIndex(chunkColumn, chunkRow);
    const uint32_t version = world.chunkVersions[chunk];
    int slot = cache.slotOfChunk[chunk];
    if (slot < 0) {
        slot = takeSlot(cache);
        if (slot < 0) {
            return false;
        }
        cache.slotOfChunk[chunk] = slot;
        cache.slots[slot].chunk = chunk;
        planCells(cache, world, slot, chunkColumn, chunkRow, true);
    } else if (cache.slots[slot].version != version) {
        planCells(cache, world, slot, chunkColumn, chunkRow, false);
    }
    cache.slots[slot].version = version;
    cache.slots[slot].lastUsed = cache.frame;
    return true;
}

bool chunkCurrent(const ChunkCache& cache, const World& world, int chunk) {
    const int slot = cache.slotOfChunk[chunk];
    return slot >= 0 && cache.slots[slot].version == world.chunkVersions[chunk];
}

bool inRange(const CellRange& range, int column, int row) {
    return column >= range.firstColumn && column <= range.lastColumn && row >= range.firstRow &&
           row <= range.lastRow;
}

// Draws at most one chunk of the ring around the view ahead of time, so that walking into new
// chunks spreads their drawing over the frames before they show; chunks of one image, which
// need no painting, are planned on the way. A frame with redraws of its own in view draws none
// ahead.
void prefetchOne(ChunkCache& cache, const World& world) {
    const CellRange& seen = cache.visible;
    if (!cache.redraws.empty() || seen.lastColumn < seen.firstColumn) {
        return;
    }
    const int firstColumn = std::max(0, seen.firstColumn - 1);
    const int lastColumn = std::min(CHUNK_COLUMNS - 1, seen.lastColumn + 1);
    const int firstRow = std::max(0, seen.firstRow - 1);
    const int lastRow = std::min(CHUNK_ROWS - 1, seen.lastRow + 1);
    for (int column = firstColumn; column <= lastColumn; ++column) {
        for (int row = firstRow; row <= lastRow; ++row) {
            if (!inRange(seen, column, row) &&
                !chunkCurrent(cache, world, chunkIndex(column, row)) &&
                (!planChunk(cache, world, column, row) || !cache.redraws.empty())) {
                return; // one chunk to paint is planned, or no slot is spare and it waits
            }
        }
    }
}

// Gives a slot a spare picture, or a new one. False when none can be made.
bool givePicture(ChunkCache& cache, ChunkSlot& slot) {
    if (!cache.sparePictures.empty()) {
        slot.picture = cache.sparePictures.back();
        cache.sparePictures.pop_back();
    } else {
        slot.picture = createPicture(cache.pictureWay, CHUNK_PIXELS);
    }
    return hasPicture(slot.picture);
}

// Paints every cell of a chunk into the paint buffer, each its image's one colour, and the
// buffer into the chunk's picture in one go. False when the picture cannot be painted.
bool redrawWhole(ChunkCache& cache, const ChunkRedraw& redraw) {
    for (size_t k = redraw.firstCell; k < redraw.firstCell + redraw.cellCount; ++k) {
        const CellRedraw& cell = cache.redrawCells[k];
        const uint32_t texel = cache.images[imageIndex(cache, cell.bitmap)].texel;
        uint32_t* corner =
            cache.paint.data() + cell.row * BLOCK_SIZE * CHUNK_PIXELS + cell.column * BLOCK_SIZE;
        for (int y = 0; y < BLOCK_SIZE; ++y) {
            std::fill(corner + y * CHUNK_PIXELS, corner + y * CHUNK_PIXELS + BLOCK_SIZE, texel);
        }
    }
    return paintPicture(cache.slots[redraw.slot].picture, CHUNK_PIXELS, CHUNK_PIXELS,
                        cache.paint.data());
}

// Paints the few changed cells of a chunk into its picture one square at a time. False when
// the picture cannot be painted.
bool redrawCells(const ChunkCache& cache, const ChunkRedraw& redraw) {
    for (size_t k = redraw.firstCell; k < redraw.firstCell + redraw.cellCount; ++k) {
        const CellRedraw& cell = cache.redrawCells[k];
        if (!paintPictureSquare(cache.slots[redraw.slot].picture, cell.column * BLOCK_SIZE,
                                cell.row * BLOCK_SIZE, BLOCK_SIZE,
                                cache.images[imageIndex(cache, cell.bitmap)].texel)) {
            return false;
        }
    }
    return true;
}

// Reads a block image's colour, asserting that every pixel of it has that colour: a cell is
// painted in that one colour and a band is cleared in it, which both show the same as drawing
// the image cell by cell only if it is flat.
FlatImage readFlatImage(ALLEGRO_BITMAP* bitmap) {
    ALLEGRO_LOCKED_REGION* region =
        al_lock_bitmap(bitmap, ALLEGRO_PIXEL_FORMAT_ABGR_8888, ALLEGRO_LOCK_READONLY);
    GAME_ASSERT(region != nullptr, "cannot read a block image back: lock the atlas on the "
                                   "thread that has its display current");
    const uint8_t* const data = static_cast<const uint8_t*>(region->data);
    const uint32_t first = *reinterpret_cast<const uint32_t*>(data);
    bool flat = true;
    for (int y = 0; y < al_get_bitmap_height(bitmap); ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + y * region->pitch);
        for (int x = 0; x < al_get_bitmap_width(bitmap); ++x) {
            flat = flat && row[x] == first;
        }
    }
    const ALLEGRO_COLOR colour = al_map_rgba(data[0], data[1], data[2], data[3]);
    al_unlock_bitmap(bitmap);
    GAME_ASSERT(flat, "a block image is not one flat colour: the chunk cache paints a cell in "
                      "one colour and uniform rows as clears, so paint block images with "
                      "al_clear_to_color");
    return {bitmap, colour, pictureTexel(colour)};
}

void readBlockImages(ChunkCache& cache, const BlockTypes& blockTypes) {
    cache.images.clear();
    for (const Block& row : blockTypes.rows) {
        GAME_ASSERT(row.bitmap != nullptr,
                    "a block type has no image: bind the block bitmaps before the chunk cache");
        bool known = false;
        for (const FlatImage& image : cache.images) {
            known = known || image.bitmap == row.bitmap;
        }
        if (!known) {
            cache.images.push_back(readFlatImage(row.bitmap));
        }
    }
}

const ChunkSlot& slotAt(const ChunkCache& cache, int chunkColumn, int chunkRow) {
    return cache.slots[cache.slotOfChunk[chunkIndex(chunkColumn, chunkRow)]];
}

int chunkWidth(int chunkColumn) {
    return std::min(CHUNK_PIXELS, WORLD_WIDTH - chunkColumn * CHUNK_PIXELS);
}

int chunkHeight(int chunkRow) {
    return std::min(CHUNK_PIXELS, WORLD_HEIGHT - chunkRow * CHUNK_PIXELS);
}

// A screen rectangle, as left, top and exclusive right and bottom edges.
struct Box {
    int left, top, right, bottom;
};

Box intersect(const Box& a, const Box& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

// Clears the bands of the chunks in columns first to last - 1 of a chunk row, which all have
// the same band; `clip` is the caller's clipping rectangle, which the clear stays inside.
void clearBand(const ChunkCache& cache, const View& view, const Box& clip, int first, int last,
               int chunkRow) {
    const ChunkSlot& slot = slotAt(cache, first, chunkRow);
    const int top = chunkRow * CHUNK_PIXELS;
    const int right = (last - 1) * CHUNK_PIXELS + chunkWidth(last - 1);
    const Box band = intersect(clip, {viewScreenX(view, first * CHUNK_PIXELS),
                                      viewScreenY(view, top), viewScreenX(view, right),
                                      viewScreenY(view, top + slot.bandRows * BLOCK_SIZE)});
    if (band.left < band.right && band.top < band.bottom) {
        al_set_clipping_rectangle(band.left, band.top, band.right - band.left,
                                  band.bottom - band.top);
        al_clear_to_color(cache.images[slot.bandImage].colour);
    }
}

bool sameBand(const ChunkSlot& a, const ChunkSlot& b) {
    return a.bandRows == b.bandRows && a.bandImage == b.bandImage;
}

// One clear per run of horizontally adjacent chunks with the same band: a clear costs little
// to fill but something to issue.
void clearBands(const ChunkCache& cache, const View& view) {
    int x, y, width, height;
    al_get_clipping_rectangle(&x, &y, &width, &height);
    const Box clip{x, y, x + width, y + height};
    const CellRange& chunks = cache.visible;
    for (int row = chunks.firstRow; row <= chunks.lastRow; ++row) {
        int column = chunks.firstColumn;
        while (column <= chunks.lastColumn) {
            const ChunkSlot& slot = slotAt(cache, column, row);
            int end = column + 1;
            while (end <= chunks.lastColumn && sameBand(slotAt(cache, end, row), slot)) {
                ++end;
            }
            if (slot.bandRows > 0) {
                clearBand(cache, view, clip, column, end, row);
            }
            column = end;
        }
    }
    al_set_clipping_rectangle(x, y, width, height);
}

// Copies what lies below each chunk's band from its picture.
void copyBelowBands(ChunkCache& cache, const View& view) {
    cache.copies.clear();
    const CellRange& chunks = cache.visible;
    for (int column = chunks.firstColumn; column <= chunks.lastColumn; ++column) {
        const int left = column * CHUNK_PIXELS;
        for (int row = chunks.firstRow; row <= chunks.lastRow; ++row) {
            const ChunkSlot& slot = slotAt(cache, column, row);
            const int band = slot.bandRows * BLOCK_SIZE;
            const int height = chunkHeight(row) - band;
            if (height > 0) {
                cache.copies.push_back({slot.picture, 0, band, viewScreenX(view, left),
                                        viewScreenY(view, row * CHUNK_PIXELS + band),
                                        chunkWidth(column), height});
            }
        }
    }
    copyPictures(cache.pictureWay, cache.copies);
}

// The screen rectangle of the chunks in view, as far as the grid reaches.
Box chunksOnScreen(const ChunkCache& cache, const View& view) {
    const CellRange& chunks = cache.visible;
    const int right = chunks.lastColumn * CHUNK_PIXELS + chunkWidth(chunks.lastColumn);
    const int bottom = chunks.lastRow * CHUNK_PIXELS + chunkHeight(chunks.lastRow);
    return {viewScreenX(view, chunks.firstColumn * CHUNK_PIXELS),
            viewScreenY(view, chunks.firstRow * CHUNK_PIXELS), viewScreenX(view, right),
            viewScreenY(view, bottom)};
}

void clearBox(const Box& box) {
    if (box.left < box.right && box.top < box.bottom) {
        al_set_clipping_rectangle(box.left, box.top, box.right - box.left, box.bottom - box.top);
        al_clear_to_color(al_map_rgb(0, 0, 0));
    }
}

// Frees every slot and drops the plan, so that each chunk is drawn again when it is next seen.
void forgetChunks(ChunkCache& cache) {
    for (ChunkSlot& slot : cache.slots) {
        slot.chunk = -1;
    }
    std::fill(std::begin(cache.slotOfChunk), std::end(cache.slotOfChunk), -1);
    cache.redraws.clear();
    cache.redrawCells.clear();
    cache.visible = {0, -1, 0, -1};
}

} // namespace

bool createChunkCache(ChunkCache& cache, const BlockTypes& blockTypes, int width, int height,
                      bool blits) {
    const size_t count = static_cast<size_t>(chunksAcross(width) + RING) *
                         static_cast<size_t>(chunksAcross(height) + RING);
    cache.slots.clear();
    std::fill(std::begin(cache.slotOfChunk), std::end(cache.slotOfChunk), -1);
    cache.frame = 0;
    cache.visible = {0, -1, 0, -1};
    readBlockImages(cache, blockTypes);
    cache.paint.assign(static_cast<size_t>(CHUNK_PIXELS) * CHUNK_PIXELS, 0);
    if (!createPictureWay(cache.pictureWay, blits)) {
        return false;
    }
    cache.slots.assign(
        count, {{}, -1, 0, 0, std::vector<ALLEGRO_BITMAP*>(CHUNK_CELLS * CHUNK_CELLS), 0, 0});
    cache.sparePictures.clear();
    cache.sparePictures.reserve(count);
    return true;
}

void destroyChunkCache(ChunkCache& cache) {
    for (ChunkSlot& slot : cache.slots) {
        destroyPicture(slot.picture);
    }
    for (const ChunkPicture& picture : cache.sparePictures) {
        destroyPicture(picture);
    }
    cache.slots.clear();
    cache.sparePictures.clear();
    destroyPictureWay(cache.pictureWay);
    std::fill(std::begin(cache.slotOfChunk), std::end(cache.slotOfChunk), -1);
}

bool planChunks(ChunkCache& cache, const World& world, const View& view, int width, int height) {
    ++cache.frame;
    cache.redraws.clear();
    cache.redrawCells.clear();
    cache.visible = chunksInView(view, width, height);
    for (int column = cache.visible.firstColumn; column <= cache.visible.lastColumn; ++column) {
        for (int row = cache.visible.firstRow; row <= cache.visible.lastRow; ++row) {
            if (!planChunk(cache, world, column, row)) {
                forgetChunks(cache); // some were planned as drawn, and now never will be
                return false;
            }
        }
    }
    prefetchOne(cache, world);
    return true;
}

bool redrawChunks(ChunkCache& cache) {
    for (const ChunkRedraw& redraw : cache.redraws) {
        ChunkSlot& slot = cache.slots[redraw.slot];
        if (!hasPicture(slot.picture)) {
            GAME_ASSERT(redraw.whole, "a chunk without a picture was planned in part: plan every "
                                      "cell of it (planCells)");
            if (!givePicture(cache, slot)) {
                return false;
            }
        }
        if (!(redraw.whole ? redrawWhole(cache, redraw) : redrawCells(cache, redraw))) {
            return false;
        }
    }
    return true;
}

void clearOutsideChunks(const ChunkCache& cache, const View& view) {
    int x, y, width, height;
    al_get_clipping_rectangle(&x, &y, &width, &height);
    const Box clip{x, y, x + width, y + height};
    const CellRange& chunks = cache.visible;
    if (chunks.lastColumn < chunks.firstColumn || chunks.lastRow < chunks.firstRow) {
        clearBox(clip);
    } else {
        const Box grid = intersect(clip, chunksOnScreen(cache, view));
        clearBox({clip.left, clip.top, clip.right, std::min(clip.bottom, grid.top)});
        clearBox({clip.left, std::max(clip.top, grid.bottom), clip.right, clip.bottom});
        clearBox({clip.left, grid.top, std::min(clip.right, grid.left), grid.bottom});
        clearBox({std::max(clip.left, grid.right), grid.top, clip.right, grid.bottom});
    }
    al_set_clipping_rectangle(x, y, width, height);
}

void drawChunks(ChunkCache& cache, const View& view) {
    const bool held = al_is_bitmap_drawing_held();
    al_hold_bitmap_drawing(false); // clears and copies do not wait for held drawing
    clearBands(cache, view);
    copyBelowBands(cache, view);
    al_hold_bitmap_drawing(held);
}
