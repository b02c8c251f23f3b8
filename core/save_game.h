// The game's Save and Load: what a Save or Load click, or a load at start, does to the whole
// game, with the console lines that say how it went. Each has one path for its file work and
// one for what the main thread does, shared by the synchronous calls here (the load at start,
// tests, the benchmark) and the saver thread (core/saver.h).
#pragma once

#include <string>

#include "core/game.h"
#include "core/read_save.h"

/// Encodes the world and the player into `bytes` (a buffer reused from save to save), checks
/// them and writes them as the save in `directory`, then says on the console how it went,
/// `clicks` times over: once for each Save click the write answers. The bytes must pass the
/// game's own check (validateSave): a state that fails it is a failed save that touches no
/// file. Touches nothing but `bytes` and the files; returns true when the new save is in place.
bool writeSaveSaying(const World& world, const Player& player, const BlockTypes& blockTypes,
                     const std::string& directory, SaveBytes& bytes, int clicks);

/// Reads and checks the save in `directory`, or, when the save is missing or refused, its
/// backup if that is a good save; a refused save is then renamed aside (SAVE_DAMAGED_SUFFIX)
/// and one line says what was wrong, that the backup was loaded and where the refused file
/// went. When neither is usable, says why. Touches nothing but `save` and the files; returns
/// true when `save` holds a save that loads.
bool readUsableSave(const std::string& directory, const BlockTypes& blockTypes, ReadSave& save);

/// Starts the main thread's part of a load, with a save that readUsableSave found usable: it
/// takes the save's bytes, and over the next ticks (continueLoad) the grid takes its cells, the
/// player its game state (its body moved there at rest), and the space the new cells' segments
/// for the old ones. When `usable` is false, only sets `loadFailed`. Either way `save` is left
/// empty, its buffer freed.
void startLoad(Game& game, bool usable, ReadSave& save);

/// True from startLoad until every segment of the loaded world is in the space. Meanwhile the
/// space does not step and the actors wait (tickGame); the renderer draws the loaded cells.
bool loadBeingApplied(const Game& game);

/// One tick's share of a load being applied, holding the state lock: a few milliseconds of
/// work, whatever the world. At the end, every actor that the loaded rock encloses is lifted out
/// of it, and "Loaded the world!" is said. Does nothing when no load is being applied.
void continueLoad(Game& game);

/// The main thread's part of a load at once: startLoad, then continueLoad until it is done.
void finishLoad(Game& game, bool usable, ReadSave& save);

/// Saves the world and the player into `directory` at once (writeSaveSaying). It only reads
/// state that only the calling (main) thread writes, so it takes no lock.
bool saveWorld(const Game& game, const std::string& directory);

/// Loads the save in `directory` at once: readUsableSave, then finishLoad. Returns true when a
/// world was loaded.
bool loadWorld(Game& game, const std::string& directory);
