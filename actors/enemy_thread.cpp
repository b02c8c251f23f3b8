#include "actors/enemy_thread.h"

#include <cstdio>

#include "actors/lift.h"
#include "base/worker.h"

void spawnThreadEnemy(EnemyThreadArgs& args) {
    al_lock_mutex(args.stateLock);
    spawnEnemy(*args.enemy, *args.player, args.space, args.bitmap);
    // The enemy starts at the player's height, which in a loaded world may lie in rock here.
    liftOutOfRock(args.space, args.enemy->body, *args.world);
    al_unlock_mutex(args.stateLock);
}

void stepThreadEnemy(EnemyThreadArgs& args) {
    al_lock_mutex(args.stateLock);
    stepEnemy(*args.enemy, *args.player, *args.world, *args.view);
    al_unlock_mutex(args.stateLock);
}

void* enemyThreadProc(ALLEGRO_THREAD* thread, void* arg) {
    EnemyThreadArgs& args = *static_cast<EnemyThreadArgs*>(arg);
    std::printf("Enemy Thread #%d reporting in!\n", args.index);
    spawnThreadEnemy(args);
    runWorkerLoop(thread, args.mutex, args.cond, args, stepThreadEnemy);
    std::printf("Enemy thread #%d, shutting down!\n", args.index);
    return nullptr;
}
