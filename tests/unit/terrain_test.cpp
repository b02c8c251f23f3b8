#include <gtest/gtest.h>

#include <cstring>

#include "test_game.h"
#include "world/terrain.h"

TEST(Terrain, SeededWorldIsLayeredWithOneGroundSegmentPerColumn) {
    TestGame test;
    test.generate(20261208);
    const World& world = *test.world;
    int gold = 0;
    int stone = 0;
    for (int column = 0; column < WORLD_COLUMNS; ++column) {
        for (int row = 0; row < WORLD_ROWS; ++row) {
            const Block& cell = cellAt(world, column, row);
            ASSERT_EQ(column * 10.0f, cell.x);
            ASSERT_EQ(row * 10.0f, cell.y);
            if (row <= 120) {
                ASSERT_EQ(BLOCK_AIR, cell.id);
            } else if (row == 121) {
                ASSERT_EQ(BLOCK_GRASS, cell.id);
            } else if (row <= 180) {
                ASSERT_TRUE(cell.id == BLOCK_GRASS || cell.id == BLOCK_DIRT);
            } else if (row < 420) {
                ASSERT_TRUE(cell.id == BLOCK_DIRT || cell.id == BLOCK_STONE);
            } else if (row < 479) {
                ASSERT_TRUE(cell.id == BLOCK_DIRT || cell.id == BLOCK_STONE ||
                            cell.id == BLOCK_GOLD);
            } else {
                ASSERT_EQ(BLOCK_NULL, cell.id);
            }
            gold += cell.id == BLOCK_GOLD;
            stone += cell.id == BLOCK_STONE;
            ASSERT_EQ(0, std::memcmp(cell.name, test.blockTypes.rows[cell.id].name, 8));
            ASSERT_EQ(test.blockTypes.rows[cell.id].passable, cell.passable);
            if (row == 121) {
                ASSERT_NE(nullptr, cell.topShape);
                ASSERT_TRUE(cpSpaceContainsShape(test.space, cell.topShape));
                const cpVect a = cpSegmentShapeGetA(cell.topShape);
                const cpVect b = cpSegmentShapeGetB(cell.topShape);
                EXPECT_EQ(cpv(column * 10.0, 1210.0).x, a.x);
                EXPECT_EQ(1210.0, a.y);
                EXPECT_EQ(column * 10.0 + 10.0, b.x);
                EXPECT_EQ(1.0, cpShapeGetFriction(cell.topShape));
            } else {
                ASSERT_EQ(nullptr, cell.topShape);
            }
            ASSERT_EQ(nullptr, cell.bottomShape);
            ASSERT_EQ(nullptr, cell.leftShape);
            ASSERT_EQ(nullptr, cell.rightShape);
        }
    }
    EXPECT_EQ(WORLD_COLUMNS + 4, staticShapeCount(test.space)); // and the four walls
    // Gold (1 in 100 below row 420) and stone exist, as the odds promise.
    EXPECT_GT(gold, 100);
    EXPECT_GT(stone, 10000);
}

TEST(Terrain, SameSeedGivesTheSameWorld) {
    TestGame first;
    TestGame second;
    first.generate(77);
    second.generate(77);
    for (int i = 0; i < WORLD_CELLS; ++i) {
        ASSERT_EQ(first.world->cells[i].id, second.world->cells[i].id) << "cell " << i;
    }
    TestGame other;
    other.generate(78);
    int differing = 0;
    for (int i = 0; i < WORLD_CELLS; ++i) {
        differing += first.world->cells[i].id != other.world->cells[i].id;
    }
    EXPECT_GT(differing, 1000);
}

TEST(Terrain, RowRulesAtTheirBoundaries) {
    EXPECT_EQ(BLOCK_AIR, terrainBlockForRow(120, 0));
    EXPECT_EQ(BLOCK_GRASS, terrainBlockForRow(121, 99));
    EXPECT_EQ(BLOCK_DIRT, terrainBlockForRow(122, 99)); // 59 * 1.67 = 98.53
    EXPECT_EQ(BLOCK_GRASS, terrainBlockForRow(122, 98));
    EXPECT_EQ(BLOCK_GRASS, terrainBlockForRow(180, 1)); // 1.67 > 1
    EXPECT_EQ(BLOCK_DIRT, terrainBlockForRow(180, 2));
    EXPECT_EQ(BLOCK_DIRT, terrainBlockForRow(181, 95));  // 475 < 479
    EXPECT_EQ(BLOCK_STONE, terrainBlockForRow(181, 96)); // 480 < 958
    EXPECT_EQ(BLOCK_DIRT, terrainBlockForRow(419, 99));  // above the gold depth
    EXPECT_EQ(BLOCK_STONE, terrainBlockForRow(420, 95)); // 475 in [240, 480)
    EXPECT_EQ(BLOCK_GOLD, terrainBlockForRow(420, 99));  // 495 >= 480, at the gold depth
    EXPECT_EQ(BLOCK_DIRT, terrainBlockForRow(420, 98));  // 490 >= 480, not gold
    EXPECT_EQ(BLOCK_NULL, terrainBlockForRow(479, 0));
}
