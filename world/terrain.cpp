#include "world/terrain.h"

#include <ctime>

#include "base/game_random.h"
#include "world/segments.h"

namespace {

constexpr int LAST_GRASS_ROW = 180;
constexpr int LAST_FILLED_ROW = WORLD_ROWS - 2; // 478: the bottom row stays NULL
constexpr int FIRST_GOLD_ROW = 420;

void placeTemplate(Block& cell, const BlockTypes& blockTypes, int id, int column, int row) {
    cell = blockTemplate(blockTypes, id);
    cell.x = static_cast<float>(column * BLOCK_SIZE);
    cell.y = static_cast<float>(row * BLOCK_SIZE);
}

} // namespace

int terrainBlockForRow(int row, int draw) {
    if (row <= LAST_SKY_ROW) {
        return BLOCK_AIR;
    }
    if (row <= LAST_GRASS_ROW) {
        // Grass thins out with depth: certain at row 121, rare at row 180.
        const int grassOdds = LAST_GRASS_ROW + 1 - row;
        return grassOdds * 1.67 > draw ? BLOCK_GRASS : BLOCK_DIRT;
    }
    if (row <= LAST_FILLED_ROW) {
        const int dirtLimit = 660 - row;
        const int stoneLimit = 1320 - 2 * row;
        if (draw * 5 < dirtLimit) {
            return BLOCK_DIRT;
        }
        if (draw * 5 < stoneLimit) {
            return BLOCK_STONE;
        }
        if (row >= FIRST_GOLD_ROW && draw > 98) {
            return BLOCK_GOLD;
        }
        return BLOCK_DIRT;
    }
    return BLOCK_NULL;
}

void generateTerrain(World& world, const BlockTypes& blockTypes, cpSpace* space,
                     GameRandom& random) {
    for (Block& cell : world.cells) {
        cell = blockTemplate(blockTypes, BLOCK_NULL);
    }
    for (int column = 0; column < WORLD_COLUMNS; ++column) {
        for (int row = 0; row < WORLD_ROWS; ++row) {
            // One draw for every cell, also where the choice ignores it, so that a seed always
            // gives the same world.
            const int draw = gameRand(random) % 100;
            Block& cell = cellAt(world, column, row);
            placeTemplate(cell, blockTypes, terrainBlockForRow(row, draw), column, row);
            if (blockIsSolid(cell) && row > 0 && !blockIsSolid(cellAt(world, column, row - 1))) {
                cpVect a, b;
                blockEdgeEnds(cell.x, cell.y, EDGE_TOP, a, b);
                cell.topShape = addWorldSegment(space, a, b, 0.0, GROUND_FRICTION);
            }
        }
    }
    markAllCellsChanged(world);
}

void generateWorld(World& world, const BlockTypes& blockTypes, cpSpace* space, GameRandom& random) {
    gameSrand(random, static_cast<uint32_t>(std::time(nullptr)));
    generateTerrain(world, blockTypes, space, random);
}
