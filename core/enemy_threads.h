// Creating, starting, waking and stopping the 25 enemy threads.
#pragma once

#include <allegro5/allegro.h>
#include <chipmunk/chipmunk.h>

#include "actors/player.h"
#include "world/world_grid.h"

/// Creates the 25 threads (not started) with their mutexes and conditions.
void createEnemyThreads(cpSpace* space, ALLEGRO_MUTEX* stateLock, ALLEGRO_BITMAP* enemyBitmap);

/// Gives each enemy its start x from the game's generator and starts its thread, 0 to 24.
void startEnemyThreads(const World& world, const Player& player);

/// Wakes every enemy thread for one tick, enemy 0 first.
void wakeEnemyThreads();

/// Stops and joins the enemy threads one after another, 0 to 24.
void stopEnemyThreads();
