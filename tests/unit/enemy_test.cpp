#include <gtest/gtest.h>

#include "actors/enemy.h"
#include "actors/player.h"
#include "test_game.h"

namespace {

// A generated world, the player at the left, one enemy on the grass to the right.
struct EnemyOnGround : ::testing::Test {
    TestGame test;
    Player& player = test.player;
    Enemy enemy{};

    void SetUp() override {
        test.generate(99);
        player.x = 30.0f;
        player.y = 1190.0f;
        enemy.x = 4400.0f;
        spawnEnemy(enemy, player, test.space, nullptr);
        placeEnemyAt(4400.0f, 1190.0f);
    }

    View playerView() const {
        return computeView(player.x, player.y, player.screenWidth, player.screenHeight);
    }

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
