#include "core/game.h"

#include <cstdio>
#include <vector>

#include "actors/physics.h"
#include "base/worker.h"
#include "world/editing.h"
#include "world/terrain.h"

namespace {

void collectShape(cpShape* shape, void* shapes) {
    static_cast<std::vector<cpShape*>*>(shapes)->push_back(shape);
}

void collectBody(cpBody* body, void* bodies) {
    static_cast<std::vector<cpBody*>*>(bodies)->push_back(body);
}

// The space owns what was added to it but frees none of it.
void freeSpace(Game& game) {
    clearWorldSegments(game.world, game.space);
    std::vector<cpShape*> shapes;
    std::vector<cpBody*> bodies;
    cpSpaceEachShape(game.space, collectShape, &shapes);
    cpSpaceEachBody(game.space, collectBody, &bodies);
    for (cpShape* shape : shapes) {
        cpSpaceRemoveShape(game.space, shape);
        cpShapeFree(shape);
    }
    for (cpBody* body : bodies) {
        cpSpaceRemoveBody(game.space, body);
        cpBodyFree(body);
    }
    cpSpaceFree(game.space);
    game.space = nullptr;
}

// What every enemy step reads; the thread, its mutex and condition come with createWorkers.
void bindEnemyArgs(Game& game, ALLEGRO_BITMAP* enemyImage) {
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        EnemyThreadArgs& args = game.enemyArgs[i];
        args.index = i;
        args.enemy = &game.enemies[i];
        args.world = &game.world;
        args.player = &game.player;
        args.view = &game.tickView;
        args.space = game.space;
        args.stateLock = game.stateLock;
        args.bitmap = enemyImage;
    }
}

void bindRenderData(Game& game) {
    RenderThreadData& render = game.render;
    render.font = game.font;
    render.buttonBitmap = game.atlas.button;
    render.display = game.display;
    render.blockTypes = game.blockTypes;
    render.world = &game.world;
    render.player = &game.player;
    render.stateLock = game.stateLock;
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        render.enemies[i] = &game.enemies[i];
    }
}

bool createWorker(ALLEGRO_THREAD*& thread, ALLEGRO_MUTEX*& mutex, ALLEGRO_COND*& cond,
                  void* (*procedure)(ALLEGRO_THREAD*, void*), void* arg) {
    thread = al_create_thread(procedure, arg);
    mutex = al_create_mutex();
    cond = al_create_cond();
    return thread != nullptr && mutex != nullptr && cond != nullptr;
}

// The main thread's part of a tick, under the state lock so that no worker sees the space or
// the player half-updated.
void advancePhysics(Game& game) {
    Player& player = game.player;
    al_lock_mutex(game.stateLock);
    cpSpaceStep(game.space, TICK_SECONDS);
    copyPlayerPosition(player);
    updatePlayer(player, game.world);
    game.tickView = playerView(player);
    al_unlock_mutex(game.stateLock);
}

// While a load's segments go in, nothing moves: the view only follows the loaded player.
void holdStill(Game& game) {
    al_lock_mutex(game.stateLock);
    game.tickView = playerView(game.player);
    al_unlock_mutex(game.stateLock);
}

void stepEnemies(Game& game) {
    for (EnemyThreadArgs& args : game.enemyArgs) {
        if (game.enemyPacing == ENEMIES_ON_THREADS) {
            wakeWorker(args.cond);
        } else if (game.enemyPacing == ENEMIES_STEPPED_HERE) {
            stepThreadEnemy(args);
        }
    }
}

} // namespace

void initGame(Game& game) {
    gameSrand(game.random, START_SEED);
    game.space = createSpace();
}

void createPlayerAndWalls(Game& game) {
    initPlayer(game.player, game.space);
    createWorldWalls(game.space);
}

bool buildHeadlessGame(Game& game) {
    initGame(game);
    createPlayerAndWalls(game);
    initBlockTypes(game.blockTypes);
    game.stateLock = al_create_mutex();
    return game.stateLock != nullptr;
}

void generateSeededWorld(Game& game, uint32_t seed) {
    gameSrand(game.random, seed);
    generateTerrain(game.world, game.blockTypes, game.space, game.random);
}

void spawnEnemiesHere(Game& game, ALLEGRO_BITMAP* enemyImage) {
    bindEnemyArgs(game, enemyImage);
    for (EnemyThreadArgs& args : game.enemyArgs) {
        args.enemy->x = drawEnemyStartX(game.random);
        spawnThreadEnemy(args);
    }
    game.enemyPacing = ENEMIES_STEPPED_HERE;
}

void bindAtlasImages(Game& game) {
    bindBlockBitmaps(game.blockTypes, game.atlas.blockSwatches);
    for (Block& cell : game.world.cells) {
        cell.bitmap = blockTemplate(game.blockTypes, cell.id).bitmap;
    }
    markAllCellsChanged(game.world);
    game.player.bitmap = game.atlas.player;
}

bool createWorkers(Game& game, const char*& failure) {
    std::printf("Creating render thread\n");
    bindRenderData(game);
    if (!createWorker(game.renderThread, game.render.mutex, game.render.cond, renderThreadProc,
                      &game.render)) {
        failure = "Failed to create the render thread!\n";
        return false;
    }
    std::printf("Creating enemy threads\n");
    bindEnemyArgs(game, game.atlas.enemy);
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        EnemyThreadArgs& args = game.enemyArgs[i];
        if (!createWorker(game.enemyThreads[i], args.mutex, args.cond, enemyThreadProc, &args)) {
            failure = "Failed to create an enemy thread!\n";
            return false;
        }
    }
    if (!createSaver(game.saver)) {
        failure = "Failed to create the saver thread!\n";
        return false;
    }
    return true;
}

void startWorkers(Game& game) {
    game.render.blockTypes = game.blockTypes; // bound to the atlas by now
    game.tickView = playerView(game.player);  // before any enemy thread can read it
    al_set_target_bitmap(nullptr); // the display's context can be current on one thread only
    al_start_thread(game.renderThread);
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        const float startX = drawEnemyStartX(game.random);
        al_lock_mutex(game.stateLock);
        game.enemies[i].x = startX;
        al_unlock_mutex(game.stateLock);
        al_start_thread(game.enemyThreads[i]);
    }
    game.enemyPacing = ENEMIES_ON_THREADS;
    startSaver(game);
}

void tickGame(Game& game) {
    advanceClicks(game);
    if (loadGoingIn(game)) {
        holdStill(game);
    } else {
        advancePhysics(game);
        stepEnemies(game);
    }
    if (game.enemyPacing == ENEMIES_ON_THREADS) {
        wakeWorker(game.render.cond);
    }
}

void stopEnemyThreads(Game& game) {
    std::printf("Stopping threads\n");
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        stopWorker(game.enemyThreads[i], game.enemyArgs[i].mutex, game.enemyArgs[i].cond);
    }
}

void stopWorkers(Game& game) {
    stopEnemyThreads(game);
    std::printf("Stopping renderer\n");
    stopWorker(game.renderThread, game.render.mutex, game.render.cond);
    game.enemyPacing = ENEMIES_ABSENT;
}

void destroyGame(Game& game) {
    freeSpace(game);
    destroySaver(game.saver);
    unlockFolder(game.saveLock);
    if (game.stateLock != nullptr) {
        al_destroy_mutex(game.stateLock);
        game.stateLock = nullptr;
    }
}
