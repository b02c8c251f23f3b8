#include "core/save_game.h"

#include <algorithm>
#include <allegro5/allegro.h>
#include <chrono>
#include <cstdio>

#include "actors/lift.h"
#include "actors/physics.h"
#include "world/editing.h"
#include "world/save_file.h"
#include "world/save_layout.h"

namespace {

// A tick's share of applying a load: about this much of the main thread, so that the frames
// keep coming whatever the world (8 ms let the wait between frames grow by a few
// milliseconds). The checkerboard's 616,612 old and as many new segments (0.3 to 0.5 us each)
// then take two seconds, the grid's cells two or three ticks, a generated world's segments one.
constexpr double LOAD_SECONDS_PER_TICK = 0.005;
// The steps in which that share is done, each well under a millisecond.
constexpr int LOAD_COLUMNS_PER_STEP = 8;
constexpr int LOAD_SEGMENTS_PER_STEP = 500;

// When the save cannot be loaded, its backup stands in if it is a good save; the refused save
// is set aside, and one line says what happened. False when the backup is no good either.
bool loadBackupInstead(const SavePaths& paths, const BlockTypes& blockTypes, SaveReadResult found,
                       const std::string& refused, SaveBytes& bytes) {
    std::string problem; // a backup that fails too is not reported: the save's line says enough
    if (!readGoodSave(paths.backup, blockTypes, bytes, problem)) {
        return false;
    }
    if (found == SAVE_MISSING) {
        std::printf("No save found; loaded the backup %s instead\n", paths.backup.c_str());
    } else {
        std::printf("Cannot load the save: %s; loaded the backup %s instead and %s\n",
                    refused.c_str(), paths.backup.c_str(), setAsideRefusedSave(paths.save).c_str());
    }
    return true;
}

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
    for (int column = load.nextColumn; column < end; ++column) {
        for (int row = 0; row < WORLD_ROWS; ++row) {
            const size_t record = SAVE_HEADER_SIZE + SAVE_RECORD_SIZE * (column * WORLD_ROWS + row);
            // Stored whole: a reader never sees a half-made cell.
            cellAt(game.world, column, row) =
                decodeSavedRecord(&load.bytes[record], game.blockTypes);
            markCellChanged(game.world, column, row);
        }
    }
    load.nextColumn = end;
    if (end == WORLD_COLUMNS) {
        decodeSavedPlayer(load.bytes.data(), game.player);
        placeBodyAtRest(game.player, game.space);
    }
}

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

bool writeSaveSaying(const World& world, const Player& player, const BlockTypes& blockTypes,
                     const std::string& directory, SaveBytes& bytes, int clicks) {
    encodeSave(world, player, bytes);
    std::string problem;
    // The game never writes a file that its own Load would refuse.
    const bool saved = validateSave(bytes, blockTypes, problem) &&
                       writeSaveFile(directory, bytes, blockTypes, problem);
    for (int click = 0; click < clicks; ++click) {
        if (!saved) {
            std::printf("Save failed: %s\n", problem.c_str());
            continue;
        }
        if (!problem.empty()) {
            std::printf("Saved, but %s\n", problem.c_str());
        }
        std::printf("Saved the world!\n");
    }
    return saved;
}

bool readUsableSave(const std::string& directory, const BlockTypes& blockTypes, ReadSave& save) {
    const SavePaths paths = savePaths(directory);
    std::string problem;
    const SaveReadResult found = readSaveFile(paths.save, save.bytes, problem);
    if ((found == SAVE_READ && validateSave(save.bytes, blockTypes, problem)) ||
        loadBackupInstead(paths, blockTypes, found, problem, save.bytes)) {
        return true;
    }
    if (found == SAVE_MISSING) {
        std::printf("No save found\n");
    } else {
        std::printf("Cannot load the save: %s\n", problem.c_str());
    }
    return false;
}

void startLoad(Game& game, bool usable, ReadSave& save) {
    GAME_ASSERT(!loadBeingApplied(game), "a load started before the one before it was in place");
    SaveBeingApplied& load = game.loading;
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

bool loadBeingApplied(const Game& game) {
    return game.loading.nextColumn < WORLD_COLUMNS || segmentRebuildPending(game.loading.segments);
}

void continueLoad(Game& game) {
    if (!loadBeingApplied(game)) {
        return;
    }
    SaveBeingApplied& load = game.loading;
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
        std::printf("Loaded the world!\n");
    }
}

void finishLoad(Game& game, bool usable, ReadSave& save) {
    startLoad(game, usable, save);
    while (loadBeingApplied(game)) {
        continueLoad(game);
    }
}

bool saveWorld(const Game& game, const std::string& directory) {
    SaveBytes bytes;
    return writeSaveSaying(game.world, game.player, game.blockTypes, directory, bytes, 1);
}

bool loadWorld(Game& game, const std::string& directory) {
    ReadSave save;
    const bool usable = readUsableSave(directory, game.blockTypes, save);
    finishLoad(game, usable, save);
    return usable;
}
