#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "actors/enemy.h"
#include "actors/lift.h"
#include "player_in_world.h"
#include "presentation/render_thread.h"
#include "world/actor_box.h"

namespace {

// A generated world, the player at the left, one enemy on the grass to the right.
struct EnemyOnGround : PlayerInWorld {
    Enemy enemy{};

    EnemyOnGround() : PlayerInWorld(99, 30.0f, 1190.0f) {
        enemy.x = 4400.0f;
        spawnEnemy(enemy, player, test.space, nullptr);
        placeEnemyAt(4400.0f, 1190.0f);
    }

    View playerView() const { return ::playerView(player); }

    void placeEnemyAt(float x, float y) { cpBodySetPosition(enemy.body, cpv(x + 5, y + 10)); }

    cpVect velocityAfterStep(cpVect start) {
        cpBodySetVelocity(enemy.body, start);
        stepEnemy(enemy, player, *test.world, playerView());
        return cpBodyGetVelocity(enemy.body);
    }
};

} // namespace

TEST_F(EnemyOnGround, SpawnsAtItsStartXAndThePlayersHeight) {
    Enemy fresh{};
    fresh.x = 4406.0f;
    player.y = 1150.0f;
    spawnEnemy(fresh, player, test.space, nullptr);
    EXPECT_EQ(4406.0, cpBodyGetPosition(fresh.body).x);
    EXPECT_EQ(1150.0, cpBodyGetPosition(fresh.body).y);
    EXPECT_EQ(0, fresh.canJump);
    EXPECT_DOUBLE_EQ(0.6, cpShapeGetFriction(fresh.shape));
    EXPECT_EQ(50.0, cpBodyGetMass(fresh.body));
}

TEST_F(EnemyOnGround, RunningAwayFromThePlayerIsResetAboveTenPixelsPerSecond) {
    EXPECT_DOUBLE_EQ(-2.0, velocityAfterStep(cpv(25.0, 0)).x);
    EXPECT_DOUBLE_EQ(6.0, velocityAfterStep(cpv(8.0, 0)).x);
    player.x = 5000.0f; // now to the right
    EXPECT_DOUBLE_EQ(2.0, velocityAfterStep(cpv(-25.0, 0)).x);
    EXPECT_DOUBLE_EQ(-6.0, velocityAfterStep(cpv(-8.0, 0)).x);
}

TEST_F(EnemyOnGround, PushesAndHopsNeverSpinTheBox) {
    enemy.canJump = 1;
    player.y = 1100.0f; // higher, so the enemy also hops
    velocityAfterStep(cpv(0, 0));
    EXPECT_EQ(0.0, cpBodyGetAngularVelocity(enemy.body));
    player.x = 6000.0f;
    velocityAfterStep(cpv(0, 0));
    EXPECT_EQ(0.0, cpBodyGetAngularVelocity(enemy.body));
}

TEST_F(EnemyOnGround, SpeedIsLimitedAndEqualXGivesNoPush) {
    const cpVect fast = velocityAfterStep(cpv(-45.0, 70.0));
    EXPECT_DOUBLE_EQ(-40.0, fast.x);
    EXPECT_DOUBLE_EQ(50.0, fast.y);
    player.x = 4400.0f;
    EXPECT_DOUBLE_EQ(7.0, velocityAfterStep(cpv(7.0, 0)).x);
    EXPECT_DOUBLE_EQ(40.0, velocityAfterStep(cpv(44.0, 0)).x);
}

TEST_F(EnemyOnGround, HopsOnlyWhenThePlayerStandsMoreThanOnePixelHigher) {
    enemy.canJump = 1;
    player.y = 1189.0f; // exactly one pixel higher
    EXPECT_DOUBLE_EQ(0.0, velocityAfterStep(cpv(0, 0)).y);
    player.y = 1188.5f;
    EXPECT_DOUBLE_EQ(-40.0, velocityAfterStep(cpv(0, 0)).y);
    EXPECT_EQ(1, enemy.canJump); // still on the ground, so it may hop again
    EXPECT_DOUBLE_EQ(-50.0, velocityAfterStep(cpv(0, -30.0)).y);
}

TEST_F(EnemyOnGround, ScreenPositionFollowsTheViewAtBothWorldEdges) {
    player.screenWidth = 1440;
    player.screenHeight = 900;
    stepEnemy(enemy, player, *test.world, playerView());
    EXPECT_FLOAT_EQ(4400.0f, enemy.screenX); // left edge: screen = world
    EXPECT_FLOAT_EQ(1190.0f - 1190.0f + 450.0f, enemy.screenY);

    player.x = 7000.0f; // right edge: the world's right side fills the screen
    player.y = 4700.0f; // bottom edge
    stepEnemy(enemy, player, *test.world, playerView());
    EXPECT_FLOAT_EQ(4400.0f - 7200.0f + 1440.0f, enemy.screenX);
    EXPECT_FLOAT_EQ(1190.0f - 4800.0f + 900.0f, enemy.screenY);

    player.x = 4000.5f; // following: same offset from the middle as from the player's pixel
    player.y = 1000.0f;
    stepEnemy(enemy, player, *test.world, playerView());
    EXPECT_FLOAT_EQ(720.0f + 400.0f, enemy.screenX);
    EXPECT_FLOAT_EQ(450.0f + 190.0f, enemy.screenY);
}

TEST_F(EnemyOnGround, AFrameDrawsEnemiesByItsOwnViewAndNoneBeforeItsFirstStep) {
    // Only compared, never drawn.
    ALLEGRO_BITMAP* const image = reinterpret_cast<ALLEGRO_BITMAP*>(&enemy);
    enemy.bitmap = image;
    Enemy unspawned{};
    Enemy* refs[ENEMY_COUNT];
    std::fill(std::begin(refs), std::end(refs), &unspawned);
    refs[0] = &enemy;
    player.screenWidth = 1440;
    player.screenHeight = 900;
    player.x = 4000.5f;
    player.y = 1000.0f;
    FrameSnapshot snapshot{};
    snapshotActors(player, refs, snapshot);
    EXPECT_EQ(nullptr, snapshot.enemies[0].bitmap) << "spawned, but no step yet";
    EXPECT_EQ(nullptr, snapshot.enemies[1].bitmap) << "not spawned";

    stepEnemy(enemy, player, *test.world, playerView()); // its box at (4400, 1190)
    player.x = 4010.5f; // the next tick moved the player, and the enemy has not stepped again
    player.y = 1003.0f;
    snapshotActors(player, refs, snapshot);
    EXPECT_EQ(image, snapshot.enemies[0].bitmap);
    EXPECT_EQ(720 + 4400 - 4010, snapshot.enemies[0].screenX);
    EXPECT_EQ(450 + 1190 - 1003, snapshot.enemies[0].screenY);
    EXPECT_EQ(viewScreenX(snapshot.view, player.x), 720); // the player by the same view
}

TEST_F(EnemyOnGround, TheNearestFreePlaceIsAboveTheRockAndBelowOnlyWhenNoneIsAbove) {
    test.fillCells(400, 411, 0, 200, BLOCK_AIR);
    test.fillCells(400, 405, 125, 200, BLOCK_STONE); // ground with its face at y 1250
    test.fillCells(400, 405, 130, 132, BLOCK_AIR);   // a cave three rows high inside it
    test.fillCells(406, 409, 120, 200, BLOCK_STONE); // a step up, its face at y 1200
    test.fillCells(410, 410, 0, 200, BLOCK_STONE);   // rock up to the top of the world
    test.fillCells(410, 410, 150, 151, BLOCK_AIR);   // with one pocket in it
    const struct {
        const char* what;
        double left, top, expectedLeft, expectedTop; // NAN: no place, as the save's check has it
    } boxes[] = {
        {"free in the air", 4010.0, 1200.0, 4010.0, 1200.0},
        {"resting 0.1 px into the ground", 4010.0, 1230.1, 4010.0, 1230.1},
        {"inside the ground", 4010.0, 1265.0, 4010.0, 1230.0},
        {"below the cave", 4010.0, 1335.0, 4010.0, 1310.0},
        {"straddling the step", 4055.0, 1300.0, 4055.0, 1180.0},
        {"in rock up to the top", 4100.0, 100.0, 4100.0, 1500.0},
        {"its centre on the left wall", -5.0, 1000.0, 0.0, 1000.0},
        {"4.9 px into the left wall, in the ground", -4.9, 1235.0, 0.0, 1190.0},
        {"its centre on the right wall", 7195.0, 1000.0, 7190.0, 1000.0},
        {"its centre past the left wall", -5.1, 1000.0, NAN, NAN},
    };
    for (const auto& box : boxes) {
        cpVect place = cpv(-1.0, -1.0);
        const bool placed = nearestFreePlace(*test.world, cpv(box.left, box.top), place);
        ASSERT_EQ(!std::isnan(box.expectedLeft), placed) << box.what;
        if (placed) {
            EXPECT_EQ(cpv(box.expectedLeft, box.expectedTop), place) << box.what;
            EXPECT_TRUE(actorBoxFree(*test.world, place.x, place.y)) << box.what;
        }
    }
}

TEST_F(EnemyOnGround, ALoadedWorldLiftsActorsOutOfItsRock) {
    Enemy enemies[3]{};
    enemies[0] = enemy; // on the grass at (4400, 1190), in what the load makes stone
    enemies[1].x = 4500.0f;
    spawnEnemy(enemies[1], player, test.space, nullptr); // on the grass as well, clear of it
    cpBodySetPosition(enemies[1].body, cpv(4505.0, 1200.0));
    // enemies[2] has not spawned: it has no body yet.
    cpBodySetPosition(player.body, cpv(30.0, 1150.0)); // its box over cells (2, 114) to (3, 115)
    test.fillCells(440, 440, 100, 125, BLOCK_STONE);
    test.fillCells(2, 3, 114, 116, BLOCK_DIRT);
    cpBodySetVelocity(enemies[0].body, cpv(7.0, 20.0));

    liftActorsOutOfRock(test.space, player, enemies, 3, *test.world);
    EXPECT_EQ(cpv(4405.0, 990.0), cpBodyGetPosition(enemies[0].body)); // on the new stone
    EXPECT_EQ(cpvzero, cpBodyGetVelocity(enemies[0].body));
    EXPECT_EQ(4400.0f, enemies[0].x);
    EXPECT_EQ(980.0f, enemies[0].y);
    EXPECT_EQ(cpv(4505.0, 1200.0), cpBodyGetPosition(enemies[1].body));
    EXPECT_EQ(nullptr, enemies[2].body);
    EXPECT_EQ(cpv(30.0, 1130.0), cpBodyGetPosition(player.body)); // on the dirt
    EXPECT_EQ(1120.0f, player.y);
}

TEST_F(EnemyOnGround, AnEnemySpawnedAtThePlayersDepthIsLiftedToTheSurface) {
    // A loaded player deep under ground: the enemies start at its height, inside the rock.
    Enemy deep{};
    deep.x = 4406.0f;
    player.y = 3000.0f;
    spawnEnemy(deep, player, test.space, nullptr);
    ASSERT_FALSE(actorBoxFree(*test.world, 4401.0, 2990.0));
    EXPECT_TRUE(liftOutOfRock(test.space, deep.body, *test.world));
    EXPECT_EQ(cpv(4406.0, 1200.0), cpBodyGetPosition(deep.body)); // on the grass of row 121
}
