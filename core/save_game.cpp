#include "core/save_game.h"

#include <allegro5/allegro.h>
#include <cstdio>

#include "actors/lift.h"
#include "actors/physics.h"
#include "world/editing.h"
#include "world/save_file.h"

namespace {

// Segments put in or taken out per tick while a load is applied: about 7 ms of a tick on the
// machines measured (0.3 us each), so that the frames keep coming whatever the world; the
// checkerboard's 616,612 old and as many new segments take 62 ticks.
constexpr int LOAD_SEGMENTS_PER_TICK = 20000;

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

// The cells and the player of a save made ready by readUsableSave; the segments follow
// (continueLoad). The caller holds the state lock.
void applySave(const ReadSave& save, Game& game) {
    startSegmentRebuild(game.world, game.loadRebuild);
    decodeSavedCells(save.bytes, game.blockTypes, game.world);
    markAllCellsChanged(game.world);
    decodeSavedPlayer(save.bytes.data(), game.player);
    placeBodyAtRest(game.player, game.space);
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
    al_lock_mutex(game.stateLock);
    if (usable) {
        applySave(save, game);
    } else {
        game.player.loadFailed = 1;
    }
    al_unlock_mutex(game.stateLock);
    SaveBytes().swap(save.bytes);
}

bool loadBeingApplied(const Game& game) {
    return segmentRebuildPending(game.loadRebuild);
}

void continueLoad(Game& game) {
    if (!loadBeingApplied(game)) {
        return;
    }
    al_lock_mutex(game.stateLock);
    const bool done =
        continueSegmentRebuild(game.world, game.space, game.loadRebuild, LOAD_SEGMENTS_PER_TICK);
    if (done) {
        liftActorsOutOfRock(game.space, game.player, game.enemies, ENEMY_COUNT, game.world);
    }
    al_unlock_mutex(game.stateLock);
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
