#include <gtest/gtest.h>

#include <random>
#include <string>

#include "actors/enemy.h"
#include "player_in_world.h"

namespace {

// A generated world with the player standing at (100, 1190), its feet on the grass of row 121.
struct EditingWorld : PlayerInWorld {
    EditingWorld() : PlayerInWorld(4242) {}

    // Moves a body so that the space sees its box with the top-left corner at (x, y).
    void putBoxAt(cpBody* body, float x, float y) {
        cpBodySetPosition(body, cpv(x + ACTOR_WIDTH / 2.0, y + ACTOR_HEIGHT / 2.0));
        cpSpaceReindexShapesForBody(test.space, body);
    }

    void expectSegment(const cpShape* segment, cpVect a, cpVect b, double friction, double radius) {
        ASSERT_NE(nullptr, segment);
        EXPECT_TRUE(cpSpaceContainsShape(test.space, const_cast<cpShape*>(segment)));
        EXPECT_TRUE(cpveql(a, cpSegmentShapeGetA(segment)));
        EXPECT_TRUE(cpveql(b, cpSegmentShapeGetB(segment)));
        EXPECT_EQ(friction, cpShapeGetFriction(segment));
        EXPECT_EQ(radius, cpSegmentShapeGetRadius(segment));
    }
};

} // namespace

TEST_F(EditingWorld, ReachRunsFromCornerToCornerStrictly) {
    test.fillCells(0, 40, 100, 140, BLOCK_AIR); // every cell exposed, so only reach decides
    for (int column = 0; column <= 40; ++column) {
        for (int row = 100; row <= 140; ++row) {
            const bool inReach = column >= 6 && column <= 14 && row >= 115 && row <= 123;
            ASSERT_EQ(inReach, canEditCell(*test.world, player, column, row))
                << "cell (" << column << ", " << row << ")";
        }
    }
}

TEST_F(EditingWorld, OnlyExposedCellsCanBeEdited) {
    EXPECT_TRUE(canEditCell(*test.world, player, 10, 121));  // Air above
    EXPECT_FALSE(canEditCell(*test.world, player, 10, 122)); // buried
    EXPECT_FALSE(mine(10, 122));
    EXPECT_TRUE(mine(10, 121));
    EXPECT_TRUE(canEditCell(*test.world, player, 10, 122)); // opened from above
    // Column 0: the missing neighbour on the left counts as solid.
    test.fillCells(0, 0, 118, 123, BLOCK_STONE);
    standAt(0.0f, 1190.0f);
    EXPECT_FALSE(canEditCell(*test.world, player, 0, 122));
}

TEST_F(EditingWorld, MiningSurfaceGrassOpensItsNeighboursFaces) {
    Block& grass = cell(10, 121);
    ASSERT_EQ(BLOCK_GRASS, grass.id);
    cpShape* top = grass.topShape;
    ASSERT_TRUE(cpSpaceContainsShape(test.space, top));
    const int grassBefore = player.grassCount;

    ASSERT_TRUE(mine(10, 121));
    EXPECT_EQ(grassBefore + 1, player.grassCount);
    EXPECT_EQ(BLOCK_UNDERGROUND, grass.id);
    EXPECT_EQ(0.0f, grass.x); // a whole copy of the template
    EXPECT_EQ(0.0f, grass.y);
    for (int edge = 0; edge < EDGE_COUNT; ++edge) {
        EXPECT_EQ(nullptr, blockEdgeShape(grass, static_cast<BlockEdge>(edge)));
    }
    EXPECT_EQ(nullptr, cell(10, 120).bottomShape); // Air above gets nothing
    expectSegment(cell(10, 122).topShape, cpv(100, 1220), cpv(110, 1220), 0.0, 0.0);
    expectSegment(cell(9, 121).rightShape, cpv(100, 1210), cpv(100, 1220), 0.0, 0.0);
    expectSegment(cell(11, 121).leftShape, cpv(110, 1210), cpv(110, 1220), 0.0, 0.0);
    expectConsistent();
}

TEST_F(EditingWorld, MiningAboveTheBottomRowGivesNullATopFace) {
    test.fillCells(8, 12, 470, 477, BLOCK_UNDERGROUND);
    standAt(100.0f, 4740.0f);
    const int total = player.dirtCount + player.stoneCount + player.goldCount;
    ASSERT_TRUE(mine(10, 478));
    EXPECT_EQ(total + 1, player.dirtCount + player.stoneCount + player.goldCount);
    EXPECT_EQ(BLOCK_UNDERGROUND, cell(10, 478).id);
    expectSegment(cell(10, 479).topShape, cpv(100, 4790), cpv(110, 4790), 0.0, 0.0);
    expectConsistent();

    // NULL is never mined, and a left click on a passable cell changes nothing either.
    EXPECT_FALSE(mine(10, 479));
    EXPECT_FALSE(mine(10, 477));
    EXPECT_EQ(BLOCK_NULL, cell(10, 479).id);
    EXPECT_EQ(total + 1, player.dirtCount + player.stoneCount + player.goldCount);
}

TEST_F(EditingWorld, AFullStockTakesNoMoreBlocks) {
    player.grassCount = INT32_MAX; // as a loaded file may hold
    EXPECT_FALSE(mine(10, 121));
    EXPECT_EQ(BLOCK_GRASS, cell(10, 121).id);
    EXPECT_EQ(INT32_MAX, player.grassCount);
    expectConsistent();
}

TEST_F(EditingWorld, PlacingTakesTheSelectedKindFromStock) {
    const struct {
        int32_t selectedBlock;
        int32_t Player::*count;
        int id;
    } kinds[] = {{1, &Player::dirtCount, BLOCK_DIRT},
                 {2, &Player::grassCount, BLOCK_GRASS},
                 {3, &Player::stoneCount, BLOCK_STONE},
                 {4, &Player::goldCount, BLOCK_GOLD}};
    int column = 7;
    for (const auto& kind : kinds) {
        player.selectedBlock = kind.selectedBlock;
        player.*kind.count = 2;
        ASSERT_TRUE(place(column, 120));
        EXPECT_EQ(1, player.*kind.count);
        EXPECT_EQ(kind.id, cell(column, 120).id);
        EXPECT_EQ(column * 10.0f, cell(column, 120).x);
        EXPECT_EQ(1200.0f, cell(column, 120).y);
        column += 2;
    }
    player.selectedBlock = 5; // no such kind
    EXPECT_FALSE(place(14, 120));
    EXPECT_EQ(BLOCK_AIR, cell(14, 120).id);
    EXPECT_FALSE(place(10, 121)); // a solid cell takes no block
    expectConsistent();
}

TEST_F(EditingWorld, AnEmptyHandedClickOnlyNotesTheCellsPlace) {
    ASSERT_TRUE(mine(10, 121));
    ASSERT_EQ(0.0f, cell(10, 121).x);
    player.selectedBlock = 1;
    player.dirtCount = 0;
    EXPECT_FALSE(place(10, 121));
    EXPECT_EQ(BLOCK_UNDERGROUND, cell(10, 121).id);
    EXPECT_EQ(100.0f, cell(10, 121).x);
    EXPECT_EQ(1210.0f, cell(10, 121).y);
    EXPECT_EQ(0, player.dirtCount);
    expectConsistent();
}

TEST_F(EditingWorld, NoBlockIsPlacedIntoAnActorsBox) {
    putBoxAt(player.body, 100.0f, 1190.0f); // on the grass: cells (10, 119) and (10, 120)
    Enemy enemy{};
    enemy.x = 4400.0f;
    spawnEnemy(enemy, player, test.space, nullptr);
    putBoxAt(enemy.body, 120.1f, 1170.0f); // cells (12, 117) to (12, 118), 0.1 px into column 13
    player.dirtCount = 10;
    const struct {
        const char* what;
        int column, row;
        bool placed;
    } presses[] = {
        {"the player's lower cell", 10, 120, false},
        {"the player's upper cell", 10, 119, false},
        {"an enemy's cell", 12, 118, false},
        {"the cell the player's right face touches", 11, 120, true},
        {"the cell on the player's head", 10, 118, true},
        {"the cell an enemy reaches 0.1 px into", 13, 117, true},
    };
    for (const auto& press : presses) {
        const int dirt = player.dirtCount;
        const Block before = cell(press.column, press.row);
        EXPECT_EQ(press.placed, place(press.column, press.row)) << press.what;
        EXPECT_EQ(press.placed ? BLOCK_DIRT : before.id, cell(press.column, press.row).id)
            << press.what;
        EXPECT_EQ(dirt - (press.placed ? 1 : 0), player.dirtCount) << press.what;
        if (!press.placed) {
            EXPECT_EQ(before.x, cell(press.column, press.row).x) << press.what << ": untouched";
        }
    }
    expectConsistent();
}

TEST_F(EditingWorld, AMidAirBlockGetsFourFaces) {
    player.dirtCount = 1;
    ASSERT_TRUE(place(10, 116));
    const Block& block = cell(10, 116);
    expectSegment(block.leftShape, cpv(100, 1160), cpv(100, 1170), 1.0, 0.0);
    expectSegment(block.rightShape, cpv(110, 1160), cpv(110, 1170), 1.0, 0.0);
    expectSegment(block.topShape, cpv(100, 1160), cpv(110, 1160), 1.0, 1.0);
    expectSegment(block.bottomShape, cpv(100, 1170), cpv(110, 1170), 1.0, 0.0);
    EXPECT_EQ(0, player.dirtCount);
    expectConsistent();
}

TEST_F(EditingWorld, PlacingOnTheGroundBuriesTheFaceBelow) {
    ASSERT_NE(nullptr, cell(10, 121).topShape);
    ASSERT_TRUE(place(10, 120));
    EXPECT_EQ(nullptr, cell(10, 121).topShape); // freed: its face is inside the ground now
    EXPECT_EQ(nullptr, cell(10, 120).bottomShape);
    expectConsistent(); // no orphan left in the space
}

TEST_F(EditingWorld, FillingAHoleAndDiggingItAgainLeavesOneFacePerEdge) {
    ASSERT_TRUE(mine(10, 121));
    ASSERT_TRUE(mine(10, 122));
    player.selectedBlock = 2;
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(place(10, 122));
        expectConsistent();
        ASSERT_TRUE(mine(10, 122));
        expectConsistent();
    }
}

TEST_F(EditingWorld, TheCheckerFindsMissingAndOrphanedSegments) {
    std::string problem;
    ASSERT_TRUE(worldSegmentsConsistent(*test.world, test.space, problem)) << problem;
    cpShape* top = cell(3, 121).topShape;
    cpSpaceRemoveShape(test.space, top);
    EXPECT_FALSE(worldSegmentsConsistent(*test.world, test.space, problem));
    EXPECT_NE(std::string::npos, problem.find("(3, 121)")) << problem;
    cpSpaceAddShape(test.space, top);
    cell(3, 121).topShape = nullptr; // the segment stays in the space, held by nobody
    EXPECT_FALSE(worldSegmentsConsistent(*test.world, test.space, problem));
    cell(3, 121).topShape = top;
    EXPECT_TRUE(worldSegmentsConsistent(*test.world, test.space, problem)) << problem;
}

TEST_F(EditingWorld, RandomMiningAndPlacingKeepsOneSegmentPerOpenFace) {
    // Open ground at the four borders and the bottom row, so the soak reaches every edge case.
    test.fillCells(0, 15, 440, 477, BLOCK_UNDERGROUND);
    test.fillCells(704, 719, 440, 477, BLOCK_UNDERGROUND);
    const float standingPlaces[][2] = {{0, 1180}, {60, 1180},   {3600, 1180}, {7190, 1180},
                                       {0, 4750}, {7190, 4750}, {80, 4600},   {7120, 4500},
                                       {5, -5},   {7195, 0}};
    std::mt19937 random(12345);
    player.dirtCount = player.grassCount = player.stoneCount = player.goldCount = 1000;
    int mined = 0;
    int placed = 0;
    for (int step = 0; step < 6000; ++step) {
        const auto& place = standingPlaces[random() % 10];
        standAt(place[0], place[1]);
        const int column = static_cast<int>(place[0]) / 10 - 4 + static_cast<int>(random() % 10);
        const int row = static_cast<int>(place[1]) / 10 - 4 + static_cast<int>(random() % 10);
        if (!cellInGrid(column, row)) {
            continue;
        }
        player.selectedBlock = 1 + static_cast<int>(random() % 4);
        if (random() % 2 == 0) {
            mined += mine(column, row);
        } else {
            placed += this->place(column, row);
        }
        if (step % 1500 == 0) {
            std::string problem;
            ASSERT_TRUE(worldSegmentsConsistent(*test.world, test.space, problem))
                << "after step " << step << ": " << problem;
        }
    }
    EXPECT_GT(mined, 500);
    EXPECT_GT(placed, 500);
    expectConsistent();
}
