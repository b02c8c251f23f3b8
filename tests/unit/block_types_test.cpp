#include <gtest/gtest.h>

#include <cstring>

#include "stand_in_images.h"
#include "world/block_types.h"
#include "world/world_grid.h"

TEST(BlockTypes, TemplatesHoldNamesIdsAndPassableFlags) {
    BlockTypes types;
    initBlockTypes(types);
    const char* names[] = {"NULL", "Air", "Dirt", "Grass", "Stone", "Gold"};
    const uint8_t passable[] = {0, 1, 0, 0, 0, 0, 1};
    for (int id = 0; id < BLOCK_TYPE_COUNT; ++id) {
        const Block& row = types.rows[id];
        EXPECT_EQ(id, row.id);
        EXPECT_EQ(passable[id], row.passable);
        EXPECT_EQ(0.0f, row.x);
        EXPECT_EQ(0.0f, row.y);
        EXPECT_EQ(nullptr, row.topShape);
        if (id < 6) {
            EXPECT_STREQ(names[id], row.name);
        }
    }
    // "Underground" does not fit: eight characters, no terminator.
    EXPECT_EQ(0, std::memcmp(types.rows[BLOCK_UNDERGROUND].name, "Undergro", 8));
}

TEST(BlockTypes, NullAndUndergroundShareOneImage) {
    EXPECT_EQ(blockTypeSwatch(BLOCK_NULL), blockTypeSwatch(BLOCK_UNDERGROUND));
    int distinct = 0;
    for (int id = 0; id < BLOCK_TYPE_COUNT; ++id) {
        distinct = std::max(distinct, blockTypeSwatch(id) + 1);
    }
    EXPECT_EQ(BLOCK_SWATCH_COUNT, distinct);

    BlockTypes types;
    initBlockTypes(types);
    bindStandInImages(types);
    EXPECT_EQ(types.rows[BLOCK_NULL].bitmap, types.rows[BLOCK_UNDERGROUND].bitmap);
    EXPECT_NE(types.rows[BLOCK_AIR].bitmap, types.rows[BLOCK_DIRT].bitmap);
}

TEST(WorldGrid, CellsAreStoredColumnByColumnWithAClosedBorder) {
    static World world;
    EXPECT_EQ(&cellAt(world, 0, WORLD_ROWS - 1) + 1, &cellAt(world, 1, 0));
    EXPECT_EQ(&world.cells[5 * 480 + 7], &cellAt(world, 5, 7));
    EXPECT_FALSE(cellInGrid(-1, 0));
    EXPECT_FALSE(cellInGrid(0, WORLD_ROWS));
    EXPECT_FALSE(cellInGrid(WORLD_COLUMNS, 0));
    EXPECT_TRUE(cellSolidOrOutside(world, -1, 5));
    EXPECT_TRUE(cellSolidOrOutside(world, 3, WORLD_ROWS));
}
