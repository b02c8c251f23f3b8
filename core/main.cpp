// Tellurn: a block sandbox. The main sequence: start-up, the world, the workers, the event
// loop, and the ordered shutdown.
#include <allegro5/allegro.h>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/file_lock.h"
#include "base/process.h"
#include "core/close_request.h"
#include "core/display_loss.h"
#include "core/event_loop.h"
#include "core/game.h"
#include "core/save_game.h"
#include "core/system.h"
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
    loadWorld(game);
    if (game.player.loadFailed) {
        std::printf("Error Loading, making a new world instead.\n");
        generateWorld(game.world, game.blockTypes, game.space, game.random);
        game.player.loadFailed = 0;
    }
}

// Where the saves are: chosen before the save folder is locked or read.
void settleInFolders(Game& game) {
    std::string problem;
    if (!settleInGameFolders(game.saver.own.folder.directory, problem)) {
        std::printf("Cannot start: %s\n", problem.c_str());
        std::exit(1);
    }
}

// The window goes at once; the saves clicked before the close may take a while longer on a slow
// disk. A disk that does not answer at all is left behind: the file work is safe to abandon, and
// the process ends without freeing what the saver may still be using.
// A display lost during the close ends the game as a loss does: the render thread may be stuck
// in the window system, and the display must not be touched.
void shutDown(Game& game, int status) {
    if (displayLost(game)) {
        endForLostDisplay(game);
    }
    stopWorkers(game);
    al_destroy_event_queue(game.eventQueue);
    al_stop_timer(game.timer);
    al_destroy_timer(game.timer);
    if (displayLost(game)) {
        endForLostDisplay(game);
    }
    al_destroy_display(game.display);
    noteOnLock(game.saveLock, SAVE_LOCK_FINISHING); // a copy started now waits for these saves
    const bool saverDone = finishSaver(game, CLOSE_SAVE_SECONDS);
    std::printf("Quitting, Thanks for playing!\n");
    al_rest(1.0);
    if (!saverDone || displayLost(game)) {
        std::fflush(stdout);
        std::_Exit(status); // Allegro's clean-up at exit would use a dead connection
    }
}

} // namespace

int main(int, char**) {
    printLinesAsTheyCome();
    // The grid is too large for the stack; the game lives as long as the process.
    static Game game;
    // Before any thread is made: Ctrl+C, a closed terminal or a logout close the game as its
    // window's close button does.
    watchForCloseRequests(game.closeRequests);
    // Before the window system is opened: a lost connection ends the game in order.
    watchForDisplayLoss(game);
    // Large buffers (a save's bytes, a load's cells) go back to the system when they are freed,
    // instead of staying in the heap for the rest of the run.
    returnLargeBlocksToSystem();
    initGame(game);
    std::printf("Starting Tellurn " TELLURN_VERSION
                "! Please note that this is mainly a debug window.\n");
    settleInFolders(game);
    initSystem(game);
    createOrLoadWorld(game);
    std::printf("Threads, report in team!\n");
    startWorkers(game);
    al_start_timer(game.timer);
    sendDisplayLossTo(game, game.eventQueue);
    const char* failure = runEventLoop(game);
    if (failure != nullptr) {
        std::printf("%s", failure); // a game that cannot draw ends as a failed start does
    }
    const int status = failure == nullptr ? 0 : 1;
    shutDown(game, status);
    return status;
}
