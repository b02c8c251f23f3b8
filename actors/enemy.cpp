#include "actors/enemy.h"

#include "actors/actor_motion.h"
#include "actors/physics.h"
#include "actors/player.h"
#include "actors/view.h"
#include "base/game_random.h"
#include "world/world_grid.h"

namespace {

constexpr double ENEMY_FRICTION = 0.6;
constexpr double CHASE_IMPULSE = 100.0; // 2 px/s per tick
constexpr double HOP_IMPULSE = -2000.0; // -40 px/s
constexpr SpeedLimit ENEMY_SPEED_LIMIT = {40.0, 50.0};
// The player must stand more than this many pixels higher for an enemy to hop.
constexpr double HOP_MARGIN = 1.0;

// Pushes act along lines through the centre, as the player's do, so they never spin the box.
const cpVect PUSH_LEFT_OFFSET = cpv(10, 0);
const cpVect PUSH_RIGHT_OFFSET = cpv(-10, 0);
const cpVect HOP_OFFSET = cpv(0, 10);

void chasePlayer(Enemy& enemy, const Player& player) {
    if (player.x < enemy.x) {
        pushSideways(enemy.body, -CHASE_IMPULSE, PUSH_LEFT_OFFSET);
    } else if (player.x > enemy.x) {
        pushSideways(enemy.body, CHASE_IMPULSE, PUSH_RIGHT_OFFSET);
    }
}

} // namespace

float drawEnemyStartX(GameRandom& random) {
    constexpr int START_X = 4000;
    constexpr int START_SPREAD = 720;
    return static_cast<float>(gameRand(random) % START_SPREAD + START_X);
}

void spawnEnemy(Enemy& enemy, const Player& player, cpSpace* space, ALLEGRO_BITMAP* bitmap) {
    enemy.y = player.y;
    enemy.canJump = 0;
    enemy.body = addActorBody(space, cpv(enemy.x, enemy.y), ENEMY_FRICTION, enemy.shape);
    enemy.bitmap = bitmap;
}

void stepEnemy(Enemy& enemy, const Player& player, const World& world, const View& view) {
    const cpVect corner = actorCorner(enemy.body);
    enemy.x = static_cast<float>(corner.x);
    enemy.y = static_cast<float>(corner.y);

    chasePlayer(enemy, player);
    if (enemy.y > player.y + HOP_MARGIN && enemy.canJump) {
        applyImpulseAtOffset(enemy.body, cpv(0, HOP_IMPULSE), HOP_OFFSET);
        enemy.canJump = 0;
    }
    if (standsOnSolid(world, enemy.x, enemy.y)) {
        enemy.canJump = 1;
    }
    limitSpeed(enemy.body, ENEMY_SPEED_LIMIT);

    enemy.screenX = static_cast<float>(enemy.x + view.offsetX);
    enemy.screenY = static_cast<float>(enemy.y + view.offsetY);
    enemy.stepped = 1;
}
