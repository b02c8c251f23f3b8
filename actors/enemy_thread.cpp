#include "actors/enemy_thread.h"

#include <cstdio>

#include "actors/lift.h"
#include "core/worker.h"

namespace {

void stepEnemyThread(EnemyThreadArgs& args) {
    al_lock_mutex(args.stateLock);
    stepEnemy(*args.enemy, *args.player, *args.world);
    al_unlock_mutex(args.stateLock);
}

} // namespace

void* enemyThreadProc(ALLEGRO_THREAD* thread, void* arg) {
    EnemyThreadArgs& args = *static_cast<EnemyThreadArgs*>(arg);
    std::printf("Enemy Thread #%d reporting in!\n", args.index);
    al_lock_mutex(args.stateLock);
    spawnEnemy(*args.enemy, *args.player, args.space, args.bitmap);
    // The enemy starts at the player's height, which in a loaded world may lie in rock here.
    liftOutOfRock(args.space, args.enemy->body, *args.world);
    al_unlock_mutex(args.stateLock);
    runWorkerLoop(thread, args.mutex, args.cond, args, stepEnemyThread);
    std::printf("Enemy thread #%d, shutting down!\n", args.index);
    return nullptr;
}
