// The enemy threads: each wakes once per tick and moves its own enemy.
#pragma once

#include <allegro5/allegro.h>
#include <chipmunk/chipmunk.h>

#include "actors/enemy.h"
#include "actors/player.h"
#include "actors/view.h"
#include "world/world_grid.h"

/// One enemy thread's argument record; complete before the thread starts.
struct EnemyThreadArgs {
    /// The thread's own mutex, paired with cond.
    ALLEGRO_MUTEX* mutex;
    /// Broadcast by main once per tick and once at shutdown.
    ALLEGRO_COND* cond;
    /// Number of the thread and of its enemy, 0 to 24.
    int32_t index;
    Enemy* enemy;
    const World* world;
    const Player* player;
    /// The view of the current tick, worked out once by the main thread.
    const View* view;
    cpSpace* space;
    /// Guards the world, the player, the enemies and the space.
    ALLEGRO_MUTEX* stateLock;
    /// The red image the enemy is drawn with.
    ALLEGRO_BITMAP* bitmap;
};

/// Spawns the thread's enemy under the state lock, as the thread does when it starts.
void spawnThreadEnemy(EnemyThreadArgs& args);

/// One step of the thread's enemy under the state lock, as the thread does on each wake-up.
void stepThreadEnemy(EnemyThreadArgs& args);

/// The enemy thread's procedure; arg is its EnemyThreadArgs.
void* enemyThreadProc(ALLEGRO_THREAD* thread, void* arg);
