// A game state for the benchmark without a window: the space with its walls, the block table,
// a generated grid, the player and the 25 enemies spawned as the game spawns them.
#pragma once

#include <chipmunk/chipmunk.h>
#include <memory>

#include "actors/enemy.h"
#include "actors/player.h"
#include "world/block_types.h"
#include "world/world_grid.h"

/// Everything one tick touches.
struct BenchWorld {
    /// The physics space (owned).
    cpSpace* space;
    /// The block-type table; bitmaps bound only when something draws.
    BlockTypes blockTypes;
    /// The grid, on the heap.
    std::unique_ptr<World> world;
    /// The player, at its start position on the generated ground.
    Player player;
    /// The enemies, spawned at the game's start places.
    Enemy enemies[ENEMY_COUNT];
};

/// Fills `state` with a world generated from `seed`, the player at its start and the enemies'
/// start x drawn as the game draws them. The enemies are not spawned yet.
void createBenchWorld(BenchWorld& state, uint32_t seed);

/// Spawns the 25 enemies on this thread, as their threads would.
void spawnBenchEnemies(BenchWorld& state, ALLEGRO_BITMAP* enemyBitmap);

/// Frees the space and everything in it.
void destroyBenchWorld(BenchWorld& state);

/// One tick as the main loop and the 25 enemy threads do it, run here on one thread.
void benchTick(BenchWorld& state);

/// Digs tunnels and builds in them with the game's mining and placing rules until the space
/// holds `extra` more static segments than before. Returns the number added.
int addPlayerSegments(BenchWorld& state, int extra);
