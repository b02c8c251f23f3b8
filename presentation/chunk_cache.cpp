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

int chunkIndex(int chunkColumn, int chunkRow) {
    return chunkColumn * CHUNK_ROWS + chunkRow;
}

CellRange chunksInView(const View& view, int width, int height) {
    const CellRange cells = visibleCells(view, width, height);
    if (cells.lastColumn < cells.firstColumn || cells.lastRow < cells.firstRow) {
        return {0, -1, 0, -1};
    }
    return {cells.firstColumn / CHUNK_CELLS, cells.lastColumn / CHUNK_CELLS,
            cells.firstRow / CHUNK_CELLS, cells.lastRow / CHUNK_CELLS};
}

// A free slot, else the one longest out of view. Slots in view this frame are never taken.
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
    GAME_ASSERT(oldest >= 0, "more chunks in view than chunk bitmaps: size the cache from the "
                             "display that the view is computed for");
    cache.slotOfChunk[cache.slots[oldest].chunk] = -1;
    return oldest;
}

// Copies the cells of a chunk that differ from what its bitmap shows (all of them when
// `everything`) and notes them as drawn.
void planCells(ChunkCache& cache, const World& world, int slot, int chunkColumn, int chunkRow,
               bool everything) {
    ChunkRedraw redraw{slot, cache.redrawCells.size(), 0};
    std::vector<ALLEGRO_BITMAP*>& drawn = cache.slots[slot].drawnCells;
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
    redraw.cellCount = cache.redrawCells.size() - redraw.firstCell;
    if (redraw.cellCount > 0) {
        cache.redraws.push_back(redraw);
    }
}

void planChunk(ChunkCache& cache, const World& world, int chunkColumn, int chunkRow) {
    const int chunk = chunkIndex(chunkColumn, chunkRow);
    const uint32_t version = world.chunkVersions[chunk];
    int slot = cache.slotOfChunk[chunk];
    if (slot < 0) {
        slot = takeSlot(cache);
        cache.slotOfChunk[chunk] = slot;
        cache.slots[slot].chunk = chunk;
        planCells(cache, world, slot, chunkColumn, chunkRow, true);
    } else if (cache.slots[slot].version != version) {
        planCells(cache, world, slot, chunkColumn, chunkRow, false);
    }
    cache.slots[slot].version = version;
    cache.slots[slot].lastUsed = cache.frame;
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
// chunks spreads their drawing over the frames before they show. A frame with redraws of its
// own in view draws none ahead.
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
                !chunkCurrent(cache, world, chunkIndex(column, row))) {
                planChunk(cache, world, column, row);
                return;
            }
        }
    }
}

void redrawOne(const ChunkCache& cache, const ChunkRedraw& redraw) {
    al_set_target_bitmap(cache.slots[redraw.slot].bitmap);
    al_hold_bitmap_drawing(true);
    for (size_t k = redraw.firstCell; k < redraw.firstCell + redraw.cellCount; ++k) {
        const CellRedraw& cell = cache.redrawCells[k];
        al_draw_bitmap(cell.bitmap, cell.column * BLOCK_SIZE, cell.row * BLOCK_SIZE, 0);
    }
    al_hold_bitmap_drawing(false); // the batch belongs to this target
}

} // namespace

bool createChunkCache(ChunkCache& cache, int width, int height) {
    const size_t count = static_cast<size_t>(chunksAcross(width) + RING) *
                         static_cast<size_t>(chunksAcross(height) + RING);
    cache.slots.clear();
    std::fill(std::begin(cache.slotOfChunk), std::end(cache.slotOfChunk), -1);
    cache.frame = 0;
    cache.visible = {0, -1, 0, -1};
    al_set_new_bitmap_flags(ALLEGRO_VIDEO_BITMAP);
    for (size_t i = 0; i < count; ++i) {
        ALLEGRO_BITMAP* bitmap = al_create_bitmap(CHUNK_PIXELS, CHUNK_PIXELS);
        if (bitmap == nullptr) {
            break;
        }
        cache.slots.push_back(
            {bitmap, -1, 0, 0, std::vector<ALLEGRO_BITMAP*>(CHUNK_CELLS * CHUNK_CELLS)});
    }
    al_set_new_bitmap_flags(0);
    if (cache.slots.size() < count) {
        destroyChunkCache(cache);
        return false;
    }
    return true;
}

void destroyChunkCache(ChunkCache& cache) {
    for (ChunkSlot& slot : cache.slots) {
        al_destroy_bitmap(slot.bitmap);
    }
    cache.slots.clear();
    std::fill(std::begin(cache.slotOfChunk), std::end(cache.slotOfChunk), -1);
}

void planChunks(ChunkCache& cache, const World& world, const View& view, int width, int height) {
    ++cache.frame;
    cache.redraws.clear();
    cache.redrawCells.clear();
    cache.visible = chunksInView(view, width, height);
    for (int column = cache.visible.firstColumn; column <= cache.visible.lastColumn; ++column) {
        for (int row = cache.visible.firstRow; row <= cache.visible.lastRow; ++row) {
            planChunk(cache, world, column, row);
        }
    }
    prefetchOne(cache, world);
}

void redrawChunks(ChunkCache& cache) {
    if (cache.redraws.empty()) {
        return;
    }
    const bool held = al_is_bitmap_drawing_held();
    al_hold_bitmap_drawing(false);
    ALLEGRO_STATE state;
    al_store_state(&state, ALLEGRO_STATE_TARGET_BITMAP | ALLEGRO_STATE_BLENDER);
    al_set_blender(ALLEGRO_ADD, ALLEGRO_ONE, ALLEGRO_ZERO); // cells are opaque: copy, don't blend
    for (const ChunkRedraw& redraw : cache.redraws) {
        redrawOne(cache, redraw);
    }
    al_restore_state(&state);
    al_hold_bitmap_drawing(held);
}

void drawChunks(const ChunkCache& cache, const View& view) {
    const bool held = al_is_bitmap_drawing_held();
    al_hold_bitmap_drawing(false);
    ALLEGRO_STATE state;
    al_store_state(&state, ALLEGRO_STATE_BLENDER);
    al_set_blender(ALLEGRO_ADD, ALLEGRO_ONE, ALLEGRO_ZERO); // chunks are opaque: copy them
    al_hold_bitmap_drawing(true);
    const CellRange& chunks = cache.visible;
    for (int column = chunks.firstColumn; column <= chunks.lastColumn; ++column) {
        const int left = column * CHUNK_PIXELS;
        const int width = std::min(CHUNK_PIXELS, WORLD_WIDTH - left);
        for (int row = chunks.firstRow; row <= chunks.lastRow; ++row) {
            const int top = row * CHUNK_PIXELS;
            const int height = std::min(CHUNK_PIXELS, WORLD_HEIGHT - top);
            const ChunkSlot& slot = cache.slots[cache.slotOfChunk[chunkIndex(column, row)]];
            al_draw_bitmap_region(slot.bitmap, 0, 0, width, height, viewScreenX(view, left),
                                  viewScreenY(view, top), 0);
        }
    }
    al_hold_bitmap_drawing(false); // the batch was made with the copying blender
    al_restore_state(&state);
    al_hold_bitmap_drawing(held);
}
