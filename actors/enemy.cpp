#include "actors/enemy.h"

#include <cmath>

#include "actors/physics.h"
#include "actors/player.h"
#include "core/game_random.h"
#include "presentation/view.h"
#include "world/world_grid.h"

namespace {

constexpr double ENEMY_FRICTION = 0.6;
constexpr double CHASE_IMPULSE = 100.0; // 2 px/s per tick
constexpr double HOP_IMPULSE = -2000.0; // -40 px/s
constexpr double REVERSE_THRESHOLD = 10.0;
constexpr double MAX_RUN_SPEED = 40.0;
constexpr double MAX_HOP_SPEED = 50.0;
// The player must stand more than this many pixels higher for an enemy to hop.
constexpr double HOP_MARGIN = 1.0;

void stopHorizontal(cpBody* body) {
    cpBodySetVelocity(body, cpv(0, cpBodyGetVelocity(body).y));
}

// Pushes act along lines through the centre, as the player's do, so they never spin the box.
const cpVect PUSH_LEFT_OFFSET = cpv(10, 0);
const cpVect PUSH_RIGHT_OFFSET = cpv(-10, 0);
const cpVect HOP_OFFSET = cpv(0, 10);

void chasePlayer(Enemy& enemy, const Player& player) {
    cpBody* body = enemy.body;
    if (player.x < enemy.x) {
        if (cpBodyGetVelocity(body).x > REVERSE_THRESHOLD) {
            stopHorizontal(body);
        }
        applyImpulseAtOffset(body, cpv(-CHASE_IMPULSE, 0), PUSH_LEFT_OFFSET);
    } else if (player.x > enemy.x) {
        if (cpBodyGetVelocity(body).x < -REVERSE_THRESHOLD) {
            stopHorizontal(body);
        }
        applyImpulseAtOffset(body, cpv(CHASE_IMPULSE, 0), PUSH_RIGHT_OFFSET);
    }
}

void limitSpeed(cpBody* body) {
    const cpVect velocity = cpBodyGetVelocity(body);
    const cpVect limited = cpv(std::fmax(-MAX_RUN_SPEED, std::fmin(MAX_RUN_SPEED, velocity.x)),
                               std::fmax(-MAX_HOP_SPEED, std::fmin(MAX_HOP_SPEED, velocity.y)));
    if (limited.x != velocity.x || limited.y != velocity.y) {
        cpBodySetVelocity(body, limited);
    }
}

} // namespace

float drawEnemyStartX() {
    constexpr int START_X = 4000;
    constexpr int START_SPREAD = 720;
    return static_cast<float>(gameRand() % START_SPREAD + START_X);
}

void spawnEnemy(Enemy& enemy, const Player& player, cpSpace* space, ALLEGRO_BITMAP* bitmap) {
    enemy.y = player.y;
    enemy.canJump = 0;
    enemy.body = addActorBody(space, cpv(enemy.x, enemy.y), ENEMY_FRICTION, enemy.shape);
    enemy.bitmap = bitmap;
}

void stepEnemy(Enemy& enemy, const Player& player, const World& world) {
    const cpVect corner = actorCorner(enemy.body);
    enemy.x = static_cast<float>(corner.x);
    enemy.y = static_cast<float>(corner.y);
    const int footColumn = static_cast<int>(enemy.x / BLOCK_SIZE);
    const int footRow = static_cast<int>(enemy.y / BLOCK_SIZE) + 2;

    chasePlayer(enemy, player);
    if (enemy.y > player.y + HOP_MARGIN && enemy.canJump) {
        applyImpulseAtOffset(enemy.body, cpv(0, HOP_IMPULSE), HOP_OFFSET);
        enemy.canJump = 0;
    }
    if (cellSolidOrOutside(world, footColumn, footRow)) {
        enemy.canJump = 1;
    }
    limitSpeed(enemy.body);

    const View view = computeView(player.x, player.y, player.screenWidth, player.screenHeight);
    enemy.screenX = static_cast<float>(enemy.x + view.offsetX);
    enemy.screenY = static_cast<float>(enemy.y + view.offsetY);
    enemy.stepped = 1;
}
