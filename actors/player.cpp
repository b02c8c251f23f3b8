#include "actors/player.h"

#include <cmath>

#include "actors/physics.h"

namespace {

constexpr double JUMP_IMPULSE = -5000.0;   // -100 px/s
constexpr double WALK_IMPULSE = 200.0;     // 4 px/s per tick
constexpr double REVERSE_THRESHOLD = 10.0; // faster than this the wrong way stops at once
constexpr double MAX_WALK_SPEED = 80.0;
constexpr double MAX_FALL_SPEED = 100.0;
constexpr double PLAYER_FRICTION = 1.0;

void stopHorizontal(cpBody* body) {
    cpBodySetVelocity(body, cpv(0, cpBodyGetVelocity(body).y));
}

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
    // The foot cell comes from this tick's position, before any impulse.
    const int footColumn = static_cast<int>(player.x) / BLOCK_SIZE;
    const int footRow = static_cast<int>(player.y) / BLOCK_SIZE + 2;

    if (player.keys[keyUp] && player.canJump) {
        applyImpulseAtOffset(body, cpv(0, JUMP_IMPULSE), cpvadd(player.impulseBase, cpv(0, 10)));
        player.canJump = 0;
    }
    if (player.keys[keyLeft]) {
        if (cpBodyGetVelocity(body).x > REVERSE_THRESHOLD) {
            stopHorizontal(body);
        }
        applyImpulseAtOffset(body, cpv(-WALK_IMPULSE, 0), cpvadd(player.impulseBase, cpv(-10, 0)));
    }
    if (player.keys[keyRight]) {
        if (cpBodyGetVelocity(body).x < -REVERSE_THRESHOLD) {
            stopHorizontal(body);
        }
        applyImpulseAtOffset(body, cpv(WALK_IMPULSE, 0), cpvadd(player.impulseBase, cpv(10, 0)));
    }
    if (cellSolidOrOutside(world, footColumn, footRow)) {
        player.canJump = 1;
    }

    cpVect velocity = cpBodyGetVelocity(body);
    const cpVect limited = cpv(std::fmax(-MAX_WALK_SPEED, std::fmin(MAX_WALK_SPEED, velocity.x)),
                               std::fmax(-MAX_FALL_SPEED, std::fmin(MAX_FALL_SPEED, velocity.y)));
    if (limited.x != velocity.x || limited.y != velocity.y) {
        cpBodySetVelocity(body, limited);
    }
}
