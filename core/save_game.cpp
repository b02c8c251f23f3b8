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

// What became of a save that could not be loaded, for the end of Load's line. A save the check
// refused is set aside at once, so that no later Save replaces it; one that could not be read
// says nothing of its bytes and stays.
std::string keepUnloadedSave(const SavePaths& paths, SaveReadResult found) {
    if (found == SAVE_UNREADABLE) {
        return "left the save as it is";
    }
    std::string aside;
    std::string why;
    if (setAsideRefusedSave(paths.save, aside, why)) {
        return "kept the refused save as " + aside;
    }
    return "the refused save stays as " + paths.save + ": " + why +
           "; no save replaces it until you move it away";
}

// When the save cannot be loaded, its backup stands in if it is a good save. One line says
// what happened. False when the backup is no good either.
bool loadBackupInstead(SaveFolder& folder, const SavePaths& paths, const BlockTypes& blockTypes,
                       SaveReadResult found, const std::string& problem, SaveBytes& bytes) {
    FileIdentity identity{};
    std::string backupProblem; // a backup that fails too is not reported: the save's says enough
    const bool backupGood =
        readCheckedSave(paths.backup, blockTypes, bytes, backupProblem, &identity) == SAVE_READ;
    if (found == SAVE_MISSING) {
        if (backupGood) {
            std::printf("No save found; loaded the backup %s instead\n", paths.backup.c_str());
        } else {
            std::printf("No save found\n");
        }
    } else {
        const std::string kept = keepUnloadedSave(paths, found);
        if (backupGood) {
            std::printf("Cannot load the save: %s; loaded the backup %s instead and %s\n",
                        problem.c_str(), paths.backup.c_str(), kept.c_str());
        } else {
            std::printf("Cannot load the save: %s; %s\n", problem.c_str(), kept.c_str());
        }
    }
    if (backupGood) {
        folder.trusted = identity;
    }
    return backupGood;
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

SaveOutcome writeSave(const SavedCells& cells, const Player& player, const BlockTypes& blockTypes,
                      SaveFolder& folder) {
    SaveBytes bytes;
    encodeSave(cells, player, blockTypes, bytes);
    SaveOutcome outcome{false, ""};
    // The game never writes a file that its own Load would refuse.
    outcome.saved = validateSave(bytes, blockTypes, outcome.problem) &&
                    writeSaveFile(folder, bytes, blockTypes, outcome.problem);
    return outcome;
}

void saySaveOutcome(const SaveOutcome& outcome, int clicks) {
    for (int click = 0; click < clicks; ++click) {
        if (!outcome.saved) {
            std::printf("Save failed: %s\n", outcome.problem.c_str());
            continue;
        }
        if (!outcome.problem.empty()) {
            std::printf("Saved, but %s\n", outcome.problem.c_str());
        }
        std::printf("Saved the world!\n");
    }
}

bool readUsableSave(SaveFolder& folder, const BlockTypes& blockTypes, ReadSave& save) {
    const SavePaths paths = savePaths(folder.directory);
    std::string problem;
    FileIdentity identity{};
    const SaveReadResult found =
        readCheckedSave(paths.save, blockTypes, save.bytes, problem, &identity);
    if (found == SAVE_READ) {
        folder.trusted = identity;
    } else if (!loadBackupInstead(folder, paths, blockTypes, found, problem, save.bytes)) {
        save.bytes = SaveBytes(); // the file's bytes are of no more use
        return false;
    }
    decodeSavedCells(save.bytes, blockTypes, *save.cells);
    listSegmentFaces(*save.cells, save.faces);
    return true;
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

bool saveWorld(Game& game) {
    SavedCells cells;
    snapshotCells(game.world, cells);
    const SaveOutcome outcome = writeSave(cells, game.player, game.blockTypes, game.saver.folder);
    saySaveOutcome(outcome, 1);
    return outcome.saved;
}

bool loadWorld(Game& game) {
    const std::unique_ptr<World> cells = std::make_unique<World>();
    ReadSave save{{}, cells.get(), {}};
    const bool usable = readUsableSave(game.saver.folder, game.blockTypes, save);
    finishLoad(game, usable, save);
    return usable;
}
