// The world grid: 720 x 480 cells stored column by column.
#pragma once

#include "base/game_assert.h"
#include "world/block.h"

/// Columns of the grid.
constexpr int WORLD_COLUMNS = 720;
/// Rows of the grid; row 0 is the top of the world.
constexpr int WORLD_ROWS = 480;
constexpr int WORLD_CELLS = WORLD_COLUMNS * WORLD_ROWS;
/// Width of the world in world pixels.
constexpr int WORLD_WIDTH = WORLD_COLUMNS * BLOCK_SIZE;
/// Height of the world in world pixels.
constexpr int WORLD_HEIGHT = WORLD_ROWS * BLOCK_SIZE;
/// Lowest row that counts as sky: a mined block there becomes Air, below it Underground.
constexpr int LAST_SKY_ROW = 120;

/// Side of a chunk in cells: the renderer caches the picture of the grid, and a Save copies the
/// changed cells, chunk by chunk.
constexpr int CHUNK_CELLS = 32;
/// Chunks across the grid.
constexpr int CHUNK_COLUMNS = (WORLD_COLUMNS + CHUNK_CELLS - 1) / CHUNK_CELLS;
/// Chunks down the grid.
constexpr int CHUNK_ROWS = (WORLD_ROWS + CHUNK_CELLS - 1) / CHUNK_CELLS;
/// Chunks in the grid.
constexpr int CHUNK_COUNT = CHUNK_COLUMNS * CHUNK_ROWS;

/// The grid: cell (c, r) is element c * WORLD_ROWS + r. Large (about 22 MB): allocate it
/// once in static storage or on the heap and pass it by reference.
struct World {
    Block cells[WORLD_CELLS];
    /// Raised whenever a cell of the chunk changes its type (its picture), so the renderer knows
    /// what to redraw.
    uint32_t chunkVersions[CHUNK_COUNT];
    /// Raised whenever what the save file holds of a cell of the chunk changes (its type, its
    /// place, which of its edges hold segments), so that a Save copies only those chunks.
    uint32_t recordVersions[CHUNK_COUNT];
};

/// True when (column, row) names a cell of the grid.
inline bool cellInGrid(int column, int row) {
    return column >= 0 && column < WORLD_COLUMNS && row >= 0 && row < WORLD_ROWS;
}

/// The cell at (column, row), which must lie in the grid.
inline Block& cellAt(World& world, int column, int row) {
    GAME_ASSERT(cellInGrid(column, row), "cell outside the grid: test cellInGrid before reading");
    return world.cells[column * WORLD_ROWS + row];
}

/// The cell at (column, row), which must lie in the grid.
inline const Block& cellAt(const World& world, int column, int row) {
    GAME_ASSERT(cellInGrid(column, row), "cell outside the grid: test cellInGrid before reading");
    return world.cells[column * WORLD_ROWS + row];
}

/// True when the cell is solid; a cell outside the grid counts as solid (the border is closed).
inline bool cellSolidOrOutside(const World& world, int column, int row) {
    return !cellInGrid(column, row) || blockIsSolid(cellAt(world, column, row));
}

/// Index of the chunk in chunk column `chunkColumn` and chunk row `chunkRow`, as the versions
/// are kept: column by column.
inline int chunkIndex(int chunkColumn, int chunkRow) {
    return chunkColumn * CHUNK_ROWS + chunkRow;
}

/// The chunk that holds the cell at (column, row), which must lie in the grid.
inline int chunkOfCell(int column, int row) {
    GAME_ASSERT(cellInGrid(column, row), "changed cell outside the grid");
    return chunkIndex(column / CHUNK_CELLS, row / CHUNK_CELLS);
}

/// Notes that what the save file holds of the cell at (column, row) changed but not its picture:
/// its place, or the segments on its edges.
inline void markCellRecordChanged(World& world, int column, int row) {
    ++world.recordVersions[chunkOfCell(column, row)];
}

/// Notes that the cell at (column, row) changed its type, for the renderer's chunk cache and
/// the save.
inline void markCellChanged(World& world, int column, int row) {
    ++world.chunkVersions[chunkOfCell(column, row)];
    markCellRecordChanged(world, column, row);
}

/// Notes that every cell may have changed (a new or loaded world).
inline void markAllCellsChanged(World& world) {
    for (int chunk = 0; chunk < CHUNK_COUNT; ++chunk) {
        ++world.chunkVersions[chunk];
        ++world.recordVersions[chunk];
    }
}
