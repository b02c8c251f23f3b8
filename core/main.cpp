// Tellurn: a block sandbox. The main sequence: start-up, the world, the workers, the event
// loop, and the ordered shutdown.
#include <allegro5/allegro.h>
#include <cstdio>

#include "actors/lift.h"
#include "actors/physics.h"
#include "core/enemy_threads.h"
#include "core/event_loop.h"
#include "core/game_random.h"
#include "core/globals.h"
#include "core/system.h"
#include "core/worker.h"
#include "world/save_file.h"
#include "world/terrain.h"

namespace {

constexpr uint32_t START_SEED = 463457;

void createOrLoadWorld() {
    std::printf("Loading Blocks\n");
    initBlockTypes(blockTypes);
    bindBlockBitmaps(blockTypes, atlas.blockSwatches);
    if (!player.loadRequested) {
        std::printf("Generating a New World\n");
        generateWorld(world, blockTypes, space);
        return;
    }
    std::printf("Loading a saved world\n");
    if (loadWorld(world, player, blockTypes, space, GAME_SAVE_DIRECTORY, stateLock)) {
        // The enemies spawn later and keep clear of rock themselves; the player is here now.
        liftActorsOutOfRock(space, player, nullptr, 0, world);
    }
    if (player.loadFailed) {
        std::printf("Error Loading, making a new world instead.\n");
        generateWorld(world, blockTypes, space);
        player.loadFailed = 0;
    }
}

void startWorkers() {
    std::printf("Threads, report in team!\n");
    renderThreadData.world = &world;
    renderThreadData.blockTypes = blockTypes;
    // The render thread draws on the display from now on; its context can be current on one
    // thread only.
    al_set_target_bitmap(nullptr);
    al_start_thread(renderThread);
    startEnemyThreads(world, player);
}

void shutDown() {
    std::printf("Stopping threads\n");
    stopEnemyThreads();
    std::printf("Stopping renderer\n");
    stopWorker(renderThread, renderThreadData.mutex, renderThreadData.cond);
    al_destroy_event_queue(eventQueue);
    al_stop_timer(timer);
    al_destroy_timer(timer);
    al_destroy_display(display);
    std::printf("Quitting, Thanks for playing!\n");
    al_rest(1.0);
}

} // namespace

int main(int, char**) {
    // Whole lines through a pipe, even from several threads.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    gameSrand(START_SEED);
    space = createSpace();
    std::printf("Starting Tellurn 0.69! Please note that this is mainly a debug window.\n");
    initSystem();
    createOrLoadWorld();
    startWorkers();
    al_start_timer(timer);
    const char* failure = runEventLoop(world, blockTypes);
    if (failure != nullptr) {
        std::printf("%s", failure); // a game that cannot draw ends as a failed start does
    }
    shutDown();
    return failure == nullptr ? 0 : 1;
}
