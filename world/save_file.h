// The save files on disk, carried out: a Save writes the new save and puts it in place, and a
// Load reads the newest whole save, step by step as world/save_decisions.h decides, through the
// file system's seam (base/file_system.h). No crash or failure leaves fewer whole saves than
// before, and nothing ever blocks on what stands at a name. The functions take the folder that
// holds the save, so that the game uses its working directory and tests a directory of their
// own.
#pragma once

#include <string>

#include "base/file_system.h"
#include "world/save_codec.h"
#include "world/save_decisions.h"
#include "world/save_gate.h"

/// A save folder as this run knows it.
struct SaveFolder {
    std::string directory = GAME_SAVE_DIRECTORY;
    /// Passed before every move; null where nobody stops waiting for the work (save_gate.h).
    SaveGate* gate = nullptr;
};

/// How writing a save went.
struct SaveOutcome {
    /// The new save is in place.
    bool saved;
    /// Why not; or, for a save in place, what was found at the temporary name and what became
    /// of the previous save when it could not be kept as the backup (empty when all went well).
    std::string problem;
};

/// Writes the cells and the player as the save in the folder, encoded and checked a piece at a
/// time on their way to the disk: no buffer of the whole file is made. The bytes must pass the
/// game's own check (validateSave): a state that fails it is a failed save, whose temporary file
/// goes again. The previous save becomes the backup only if it is a good save, read and checked
/// now whoever wrote it (a disk may spoil a file behind the game's back); one the check refuses
/// is set aside as damaged and the backup stays, one that cannot be read is kept aside.
SaveOutcome writeSave(const SavedCells& cells, const Player& player, const BlockTypes& blockTypes,
                      SaveFolder& folder);

/// Reads the file at `path` into `bytes` and checks it: SAVED_WHOLE only for a save that loads.
/// Never blocks: anything but a regular file is unreadable at once.
SavedFile readSavedFile(const std::string& path, const BlockTypes& blockTypes, SaveBytes& bytes);

/// Reads the file at `path` and checks it as readSavedFile does, a piece at a time, with no
/// buffer of the whole file.
SavedFile checkSavedFile(const std::string& path, const BlockTypes& blockTypes);

/// Reads the newest whole save in the folder into `bytes` (chooseSaveToLoad). A save read whole
/// that the check refuses is set aside as damaged before anything can replace it; one that
/// cannot be read stays where it is. `said` gets the line, if any, that says what was wrong,
/// which save was loaded and what became of the save (loadLine). True when `bytes` holds a save
/// that loads.
bool readUsableSave(SaveFolder& folder, const BlockTypes& blockTypes, SaveBytes& bytes,
                    std::string& said);
