// The game's Save and Load: what a Save or Load click, or a load at start, does to the whole
// game, with the console lines that say how it went. The file work is world/save_file.h's; what
// the main thread does with a save read is here, shared by the synchronous calls (the load at
// start, tests, the benchmark) and the saver thread (core/saver.h).
#pragma once

#include <string>

#include "core/game.h"
#include "core/read_save.h"
#include "world/save_file.h"

/// Says on the console how a write went, once for each of the `clicks` Save clicks it answers.
void saySaveOutcome(const SaveOutcome& outcome, int clicks);

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

/// Saves the world and the player into the saver's folder at once (writeSave) and says how it
/// went. For a game whose saver does not run: it reads state that only the calling (main)
/// thread writes, so it takes no lock.
bool saveWorld(Game& game);

/// Loads the save in the saver's folder at once: readUsableSave and its line, then finishLoad.
/// Returns true when a world was loaded.
bool loadWorld(Game& game);
