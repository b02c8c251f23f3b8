// The game's Save and Load: what a Save or Load click, or a load at start, does to the whole
// game, with the console lines that say how it went. Each has one path for its file work and
// one for what the main thread does, shared by the synchronous calls here (the load at start,
// tests, the benchmark) and the saver thread (core/saver.h).
#pragma once

#include <string>

#include "core/game.h"
#include "core/read_save.h"
#include "world/save_file.h"

/// How writing a save went.
struct SaveOutcome {
    /// The new save is in place.
    bool saved;
    /// Why not; or, for a save in place, what became of the previous save when it could not be
    /// kept as the backup (empty when all went well).
    std::string problem;
};

/// Encodes the cells and the player, checks them and writes them as the save in the folder. The
/// bytes must pass the game's own check (validateSave): a state that fails it is a failed save
/// that touches no file. The encoded bytes live only as long as the call.
SaveOutcome writeSave(const SavedCells& cells, const Player& player, const BlockTypes& blockTypes,
                      SaveFolder& folder);

/// Says on the console how a write went, once for each of the `clicks` Save clicks it answers.
void saySaveOutcome(const SaveOutcome& outcome, int clicks);

/// Reads and checks the save in the folder, or, when the save is missing or cannot be loaded,
/// its backup if that is a good save. A save read whole that the check refuses is set aside
/// (SAVE_DAMAGED_SUFFIX) before anything can replace it; one that cannot be read stays where it
/// is. One line says what was wrong, whether the backup was loaded and what became of the save.
/// A usable save is decoded into `save.cells` and its segment faces listed, and the folder notes
/// the file as this run's. Touches nothing but `save`, the folder and the files; returns true
/// when `save` holds a save that loads.
bool readUsableSave(SaveFolder& folder, const BlockTypes& blockTypes, ReadSave& save);

/// The main thread's part of a load: holding the state lock, replaces the grid's cells and
/// segments by those of a save that readUsableSave found usable, the player takes the game
/// state and its body moves there at rest, and every actor that the loaded rock encloses is
/// lifted out of it; then says "Loaded the world!". When `usable` is false, only sets
/// `loadFailed`.
void finishLoad(Game& game, bool usable, const ReadSave& save);

/// Saves the world and the player into the saver's folder at once (writeSave) and says how it
/// went. For a game whose saver does not run: it reads state that only the calling (main)
/// thread writes, so it takes no lock.
bool saveWorld(Game& game);

/// Loads the save in the saver's folder at once: readUsableSave, then finishLoad. Returns true
/// when a world was loaded.
bool loadWorld(Game& game);
