#include "core/enemy_threads.h"

#include <cstdio>
#include <cstdlib>

#include "actors/enemy_thread.h"
#include "core/globals.h"
#include "core/worker.h"

namespace {

ALLEGRO_THREAD* enemyThreads[ENEMY_COUNT];
EnemyThreadArgs enemyThreadArgs[ENEMY_COUNT];

} // namespace

void createEnemyThreads(cpSpace* space, ALLEGRO_MUTEX* stateLock, ALLEGRO_BITMAP* enemyBitmap) {
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        EnemyThreadArgs& args = enemyThreadArgs[i];
        enemyThreads[i] = al_create_thread(enemyThreadProc, &args);
        args.space = space;
        args.cond = al_create_cond();
        args.mutex = al_create_mutex();
        args.stateLock = stateLock;
        args.bitmap = enemyBitmap;
        if (enemyThreads[i] == nullptr || args.cond == nullptr || args.mutex == nullptr) {
            std::printf("Failed to create enemy thread #%d!\n", i);
            std::exit(1);
        }
    }
}

void startEnemyThreads(const World& world, const Player& player) {
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        EnemyThreadArgs& args = enemyThreadArgs[i];
        args.world = &world;
        args.player = &player;
        args.index = i;
        args.enemy = &enemies[i];
        const float startX = drawEnemyStartX();
        al_lock_mutex(args.stateLock);
        enemies[i].x = startX;
        al_unlock_mutex(args.stateLock);
        al_start_thread(enemyThreads[i]);
    }
}

void wakeEnemyThreads() {
    for (EnemyThreadArgs& args : enemyThreadArgs) {
        wakeWorker(args.cond);
    }
}

void stopEnemyThreads() {
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        stopWorker(enemyThreads[i], enemyThreadArgs[i].mutex, enemyThreadArgs[i].cond);
    }
}
