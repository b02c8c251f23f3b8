#include "actors/player.h"

#include "actors/actor_motion.h"
#include "actors/physics.h"

namespace {

constexpr double JUMP_IMPULSE = -5000.0; // -100 px/s
constexpr double WALK_IMPULSE = 200.0;   // 4 px/s per tick
constexpr SpeedLimit PLAYER_SPEED_LIMIT = {80.0, 100.0};
constexpr double PLAYER_FRICTION = 1.0;

} // namespace

void initPlayer(Player& player, cpSpace* space) {
    player.x = 30.0f;
    player.y = 1150.0f;
    player.dirtCount = 1;
    player.grassCount = 0;
    player.stoneCount = 0;
    player.goldCount = 0;
    player.canJump = 1;
    player.selectedBlock = 1;
    player.screenWidth = 1440;
    player.screenHeight = 900;
    player.body = addActorBody(space, cpv(player.x, player.y), PLAYER_FRICTION, player.shape);
    cpSpaceSetIterations(space, SPACE_ITERATIONS);
}

void copyPlayerPosition(Player& player) {
    const cpVect corner = actorCorner(player.body);
    player.x = static_cast<float>(corner.x);
    player.y = static_cast<float>(corner.y);
}

void updatePlayer(Player& player, const World& world) {
    cpBody* body = player.body;
    if (player.keys[keyUp] && player.canJump) {
        applyImpulseAtOffset(body, cpv(0, JUMP_IMPULSE), cpvadd(player.impulseBase, cpv(0, 10)));
        player.canJump = 0;
    }
    if (player.keys[keyLeft]) {
        pushSideways(body, -WALK_IMPULSE, cpvadd(player.impulseBase, cpv(-10, 0)));
    }
    if (player.keys[keyRight]) {
        pushSideways(body, WALK_IMPULSE, cpvadd(player.impulseBase, cpv(10, 0)));
    }
    if (standsOnSolid(world, player.x, player.y)) {
        player.canJump = 1;
    }
    limitSpeed(body, PLAYER_SPEED_LIMIT);
}
