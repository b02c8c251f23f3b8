#include <gtest/gtest.h>

#include "player_in_world.h"

namespace {

// A generated world with the player standing on the grass at x = 100.
struct PlayerOnGround : PlayerInWorld {
    PlayerOnGround() : PlayerInWorld(4242) {}

    cpVect velocityAfterUpdate(cpVect start) {
        cpBodySetVelocity(player.body, start);
        updatePlayer(player, *test.world);
        return cpBodyGetVelocity(player.body);
    }
};

} // namespace

TEST_F(PlayerOnGround, StartValuesMatchANewGame) {
    TestGame other;
    Player& fresh = other.player;
    EXPECT_EQ(30.0f, fresh.x);
    EXPECT_EQ(1150.0f, fresh.y);
    EXPECT_EQ(1, fresh.dirtCount);
    EXPECT_EQ(0, fresh.grassCount + fresh.stoneCount + fresh.goldCount);
    EXPECT_EQ(1, fresh.canJump);
    EXPECT_EQ(1, fresh.selectedBlock);
    EXPECT_EQ(1440, fresh.screenWidth);
    EXPECT_EQ(900, fresh.screenHeight);
    EXPECT_EQ(30.0, cpBodyGetPosition(fresh.body).x);
    EXPECT_EQ(1150.0, cpBodyGetPosition(fresh.body).y);
    EXPECT_EQ(50.0, cpBodyGetMass(fresh.body));
    EXPECT_EQ(SPACE_ITERATIONS, cpSpaceGetIterations(other.space));
    copyPlayerPosition(fresh);
    EXPECT_EQ(25.0f, fresh.x); // the record holds the box's top-left corner
    EXPECT_EQ(1140.0f, fresh.y);
}

TEST_F(PlayerOnGround, RunningTheWrongWayStopsOnlyAboveTenPixelsPerSecond) {
    player.keys[keyLeft] = 1;
    EXPECT_DOUBLE_EQ(6.0, velocityAfterUpdate(cpv(10.0, 0)).x);
    EXPECT_DOUBLE_EQ(-4.0, velocityAfterUpdate(cpv(10.5, 0)).x);
    player.keys[keyLeft] = 0;
    player.keys[keyRight] = 1;
    EXPECT_DOUBLE_EQ(-6.0, velocityAfterUpdate(cpv(-10.0, 0)).x);
    EXPECT_DOUBLE_EQ(4.0, velocityAfterUpdate(cpv(-10.5, 0)).x);
}

TEST_F(PlayerOnGround, SpeedIsLimitedOnBothAxes) {
    const cpVect fast = velocityAfterUpdate(cpv(95.0, 130.0));
    EXPECT_DOUBLE_EQ(80.0, fast.x);
    EXPECT_DOUBLE_EQ(100.0, fast.y);
    const cpVect back = velocityAfterUpdate(cpv(-95.0, -130.0));
    EXPECT_DOUBLE_EQ(-80.0, back.x);
    EXPECT_DOUBLE_EQ(-100.0, back.y);
    const cpVect slow = velocityAfterUpdate(cpv(79.5, -99.5));
    EXPECT_DOUBLE_EQ(79.5, slow.x);
    EXPECT_DOUBLE_EQ(-99.5, slow.y);
}

TEST_F(PlayerOnGround, LeftAndRightTogetherCancel) {
    player.keys[keyLeft] = 1;
    player.keys[keyRight] = 1;
    EXPECT_DOUBLE_EQ(0.0, velocityAfterUpdate(cpv(0, 0)).x);
    // Left resets a run to the right, then the two pushes cancel.
    EXPECT_DOUBLE_EQ(0.0, velocityAfterUpdate(cpv(20.0, 0)).x);
    // Left adds to a run to the left, then right resets it and pushes once.
    EXPECT_DOUBLE_EQ(4.0, velocityAfterUpdate(cpv(-20.0, 0)).x);
}

TEST_F(PlayerOnGround, HeldJumpGivesTwoImpulsesCappedAtTheSpeedLimit) {
    player.keys[keyUp] = 1;
    EXPECT_DOUBLE_EQ(-100.0, velocityAfterUpdate(cpv(0, 0)).y);
    EXPECT_EQ(1, player.canJump); // the feet are still on the grass
    updatePlayer(player, *test.world);
    EXPECT_DOUBLE_EQ(-100.0, cpBodyGetVelocity(player.body).y); // -200 capped
    EXPECT_NEAR(0.0, cpBodyGetAngularVelocity(player.body), 1e-12);

    // Once the feet have left the ground the next impulse spends the flag for good.
    standAt(100.0f, 1100.0f);
    updatePlayer(player, *test.world);
    EXPECT_EQ(0, player.canJump);
    EXPECT_DOUBLE_EQ(-50.0, velocityAfterUpdate(cpv(0, -50.0)).y);
    EXPECT_EQ(0, player.canJump);
}

TEST_F(PlayerOnGround, GroundTestUsesTheCellUnderTheLeftEdge) {
    player.canJump = 0;
    test.setCell(10, 121, BLOCK_AIR); // a gap under the left edge, the rest on the ledge
    standAt(109.0f, 1190.0f);
    updatePlayer(player, *test.world);
    EXPECT_EQ(0, player.canJump);
    standAt(110.0f, 1190.0f);
    updatePlayer(player, *test.world);
    EXPECT_EQ(1, player.canJump);

    player.canJump = 0;
    standAt(3000.0f, 4790.0f); // feet below the grid: the border counts as solid
    updatePlayer(player, *test.world);
    EXPECT_EQ(1, player.canJump);
}

TEST_F(PlayerOnGround, DownMovesNothing) {
    player.keys[keyDown] = 1;
    const cpVect velocity = velocityAfterUpdate(cpv(3.0, 7.0));
    EXPECT_DOUBLE_EQ(3.0, velocity.x);
    EXPECT_DOUBLE_EQ(7.0, velocity.y);
}

TEST_F(PlayerOnGround, ThePlayerFallsOntoTheGrassAndStands) {
    standAt(25.0f, 1140.0f);
    for (int tick = 0; tick < 600; ++tick) {
        tickGame(test.game);
    }
    EXPECT_NEAR(1190.0f, player.y, 0.5f);
    EXPECT_NEAR(25.0f, player.x, 0.5f);
}
