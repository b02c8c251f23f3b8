#include "core/save_game.h"

#include <algorithm>
#include <allegro5/allegro.h>
#include <cstdio>
#include <memory>

#include "actors/lift.h"
#include "actors/physics.h"
#include "world/editing.h"
#include "world/save_file.h"

namespace {

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

// Replaces the game by a save made ready by readUsableSave. The caller holds the state lock.
void applySave(const ReadSave& save, Game& game) {
    clearWorldSegments(game.world, game.space);
    std::copy(std::begin(save.cells->cells), std::end(save.cells->cells),
              std::begin(game.world.cells));
    addSegmentsOnFaces(game.world, game.space, save.faces);
    markAllCellsChanged(game.world);
    decodeSavedPlayer(save.bytes.data(), game.player);
    placeBodyAtRest(game.player, game.space);
    liftActorsOutOfRock(game.space, game.player, game.enemies, ENEMY_COUNT, game.world);
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
        decodeSavedCells(save.bytes, blockTypes, *save.cells);
        listSegmentFaces(*save.cells, save.faces);
        return true;
    }
    if (found == SAVE_MISSING) {
        std::printf("No save found\n");
    } else {
        std::printf("Cannot load the save: %s\n", problem.c_str());
    }
    return false;
}

void finishLoad(Game& game, bool usable, const ReadSave& save) {
    al_lock_mutex(game.stateLock);
    if (usable) {
        applySave(save, game);
    } else {
        game.player.loadFailed = 1;
    }
    al_unlock_mutex(game.stateLock);
    if (usable) {
        std::printf("Loaded the world!\n");
    }
}

bool saveWorld(const Game& game, const std::string& directory) {
    SaveBytes bytes;
    return writeSaveSaying(game.world, game.player, game.blockTypes, directory, bytes, 1);
}

bool loadWorld(Game& game, const std::string& directory) {
    const std::unique_ptr<World> cells = std::make_unique<World>();
    ReadSave save{{}, cells.get(), {}};
    const bool usable = readUsableSave(directory, game.blockTypes, save);
    finishLoad(game, usable, save);
    return usable;
}
