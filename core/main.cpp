// Tellurn: a block sandbox. The main sequence: start-up, the world, the workers, the event
// loop, and the ordered shutdown.
#include <allegro5/allegro.h>
#include <cstdio>

#include "core/event_loop.h"
#include "core/game.h"
#include "core/save_game.h"
#include "core/system.h"
#include "world/save_file.h"
#include "world/terrain.h"

namespace {

void createOrLoadWorld(Game& game) {
    std::printf("Loading Blocks\n");
    initBlockTypes(game.blockTypes);
    bindBlockBitmaps(game.blockTypes, game.atlas.blockSwatches);
    if (!game.player.loadRequested) {
        std::printf("Generating a New World\n");
        generateWorld(game.world, game.blockTypes, game.space, game.random);
        return;
    }
    std::printf("Loading a saved world\n");
    loadWorld(game, GAME_SAVE_DIRECTORY);
    if (game.player.loadFailed) {
        std::printf("Error Loading, making a new world instead.\n");
        generateWorld(game.world, game.blockTypes, game.space, game.random);
        game.player.loadFailed = 0;
    }
}

void shutDown(Game& game) {
    stopWorkers(game);
    al_destroy_event_queue(game.eventQueue);
    al_stop_timer(game.timer);
    al_destroy_timer(game.timer);
    al_destroy_display(game.display);
    std::printf("Quitting, Thanks for playing!\n");
    al_rest(1.0);
}

} // namespace

int main(int, char**) {
    // Whole lines through a pipe, even from several threads.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // The grid is too large for the stack; the game lives as long as the process.
    static Game game;
    initGame(game);
    std::printf("Starting Tellurn " TELLURN_VERSION
                "! Please note that this is mainly a debug window.\n");
    initSystem(game);
    createOrLoadWorld(game);
    std::printf("Threads, report in team!\n");
    startWorkers(game);
    al_start_timer(game.timer);
    const char* failure = runEventLoop(game);
    if (failure != nullptr) {
        std::printf("%s", failure); // a game that cannot draw ends as a failed start does
    }
    shutDown(game);
    return failure == nullptr ? 0 : 1;
}
