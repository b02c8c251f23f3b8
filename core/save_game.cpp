#include "core/save_game.h"

#include <algorithm>
#include <allegro5/allegro.h>
#include <chrono>

#include "actors/lift.h"
#include "actors/physics.h"
#include "core/click_lines.h"
#include "world/editing.h"
#include "world/save_file.h"

namespace {

// A tick's share of putting a load in place: about this much of the main thread, so that the
// frames keep coming whatever the world (8 ms let the wait between frames grow). A generated
// world goes in within a few ticks, the world with the most segments (bench/checkerboard.h)
// within a few seconds; bench/run.sh prints both, with the longest wait between frames.
constexpr double LOAD_SECONDS_PER_TICK = 0.005;
// The steps in which that share is done, each well under a millisecond.
constexpr int LOAD_COLUMNS_PER_STEP = 8;
constexpr int LOAD_SEGMENTS_PER_STEP = 500;

// Moved without a step, the body's box is reindexed at once, so that a placing click before
// the next tick is checked against where the player is now.
void placeBodyAtRest(Player& player, cpSpace* space) {
    cpBodySetPosition(player.body,
                      cpv(player.x + ACTOR_WIDTH / 2.0, player.y + ACTOR_HEIGHT / 2.0));
    cpBodySetVelocity(player.body, cpvzero);
    cpSpaceReindexShapesForBody(space, player.body);
}

// Decodes the next columns of the save being applied into the grid, the segments of the cells
// they replace handed to the rebuild; after the last column, the player takes the save's game
// state. The caller holds the state lock.
void decodeColumns(Game& game, SaveBeingApplied& load) {
    const int end = std::min(load.nextColumn + LOAD_COLUMNS_PER_STEP, WORLD_COLUMNS);
    takeColumnSegments(game.world, load.nextColumn, end, load.segments);
    decodeSavedColumns(load.bytes, game.blockTypes, load.nextColumn, end, game.world);
    load.nextColumn = end;
    if (end == WORLD_COLUMNS) {
        decodeSavedPlayer(load.bytes.data(), game.player);
        placeBodyAtRest(game.player, game.space);
    }
}

// True from startLoad until every segment of the loaded world is in the space.
bool loadPending(const SaveBeingApplied& load) {
    return load.nextColumn < WORLD_COLUMNS || segmentRebuildPending(load.segments);
}

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void startLoad(Game& game, bool usable, ReadSave& save, SaveBeingApplied& load) {
    GAME_ASSERT(!loadPending(load), "a load started before the one before it was in place");
    if (usable) {
        load.bytes.swap(save.bytes); // the bytes go with the load, which frees them
        load.nextColumn = 0;
    } else {
        al_lock_mutex(game.stateLock);
        game.player.loadFailed = 1;
        al_unlock_mutex(game.stateLock);
    }
    SaveBytes().swap(save.bytes);
}

LoadProgress continueLoad(Game& game, SaveBeingApplied& load) {
    GAME_ASSERT(loadPending(load), "a share of a load was asked for with no load going in: call "
                                   "startLoad first, and stop once LOAD_IN_PLACE is returned");
    const double stop = steadySeconds() + LOAD_SECONDS_PER_TICK;
    bool done = false;
    al_lock_mutex(game.stateLock);
    do {
        if (load.nextColumn < WORLD_COLUMNS) {
            decodeColumns(game, load);
        } else {
            done = continueSegmentRebuild(game.world, game.space, load.segments,
                                          LOAD_SEGMENTS_PER_STEP);
        }
    } while (!done && steadySeconds() < stop);
    if (done) {
        liftActorsOutOfRock(game.space, game.player, game.enemies, ENEMY_COUNT, game.world);
    }
    al_unlock_mutex(game.stateLock);
    if (load.nextColumn == WORLD_COLUMNS) {
        SaveBytes().swap(load.bytes); // decoded: freed at once
    }
    if (done) {
        return LOAD_IN_PLACE;
    }
    return load.nextColumn < WORLD_COLUMNS ? LOAD_CELLS_GOING_IN : LOAD_SEGMENTS_GOING_IN;
}

void finishLoad(Game& game, bool usable, ReadSave& save) {
    SaveBeingApplied load;
    startLoad(game, usable, save, load);
    if (!usable) {
        return;
    }
    while (continueLoad(game, load) != LOAD_IN_PLACE) {
    }
    sayLoaded();
}

bool saveWorld(Game& game) {
    SavedCells cells;
    snapshotCells(game.world, cells);
    const SaveOutcome outcome =
        writeSave(cells, game.player, game.blockTypes, game.saver.own.folder);
    saySaveOutcome(outcome, 1);
    return outcome.saved;
}

bool loadWorld(Game& game) {
    ReadSave save;
    std::string said;
    const bool usable = readUsableSave(game.saver.own.folder, game.blockTypes, save.bytes, said);
    sayLoadRead(said);
    finishLoad(game, usable, save);
    return usable;
}
