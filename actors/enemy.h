// The enemies: red boxes that chase the player, each driven by a thread of its own.
#pragma once

#include <chipmunk/chipmunk.h>
#include <cstdint>

#include "base/game_random.h"

struct ALLEGRO_BITMAP;

/// Number of enemies, and of enemy threads.
constexpr int ENEMY_COUNT = 25;

/// One enemy.
struct Enemy {
    /// Left edge of the enemy's box, world pixels (body x - 5 once its thread runs).
    float x;
    /// Top edge of the enemy's box, world pixels (body y - 10 once its thread runs).
    float y;
    /// Screen x of the enemy's box by the view of its last step.
    float screenX;
    /// Screen y of the enemy's box by the view of its last step.
    float screenY;
    /// 1 when a hop may be applied.
    uint8_t canJump;
    /// The enemy's 10 x 20 image; null until the enemy has spawned.
    ALLEGRO_BITMAP* bitmap;
    /// The enemy's box shape.
    cpShape* shape;
    /// The enemy's body.
    cpBody* body;
    /// 1 once the enemy has made a step: x and y are then its box's corner, and it is drawn.
    uint8_t stepped;
};

struct Player;
struct View;
struct World;

/// The next enemy's start x, from the game's generator: a whole number from 4000 to 4719, far
/// to the right of the player. Main thread only, one draw per enemy.
float drawEnemyStartX(GameRandom& random);

/// Gives the enemy its image and its body: centre at (its x, the player's y), friction 0.6.
/// The enemy's x is its start x, set before the spawn. The caller holds the state lock.
void spawnEnemy(Enemy& enemy, const Player& player, cpSpace* space, ALLEGRO_BITMAP* bitmap);

/// One tick of an enemy: follow its body, push toward the player, hop when the player stands
/// higher, limit the speed and work out its screen position in this tick's view. The caller
/// holds the state lock.
void stepEnemy(Enemy& enemy, const Player& player, const World& world, const View& view);
