// The game's Save and Load: what a Save or Load click, or a load at start, does to the whole
// game (the lines that say how it went are core/click_lines.h). The file work is
// world/save_file.h's; what the main thread does with a save read is here, shared by the
// synchronous calls (the load at start, tests, the benchmark) and the clicks (core/clicks.h).
#pragma once

#include <string>

#include "core/game.h"
#include "core/read_save.h"
#include "world/save_file.h"

/// How far a load being put in place has come.
enum LoadProgress {
    /// Its cells, and last its player, are being decoded into the grid.
    LOAD_CELLS_GOING_IN,
    /// The replaced cells' segments leave the space and the new cells' go in.
    LOAD_SEGMENTS_GOING_IN,
    /// Every segment is in, and the actors that the loaded rock enclosed are out of it.
    LOAD_IN_PLACE,
};

/// Starts the main thread's part of a load into `load`, which holds none, with a save that
/// readUsableSave found usable: `load` takes the save's bytes, and over the next ticks
/// (continueLoad) the grid takes its cells, the player its game state (its body moved there at
/// rest), and the space the new cells' segments for the old ones. When `usable` is false, only
/// sets `loadFailed`. Either way `save` is left empty, its buffer freed.
void startLoad(Game& game, bool usable, ReadSave& save, SaveBeingApplied& load);

/// One tick's share of a load being put in place, holding the state lock: a few milliseconds of
/// work, whatever the world. At the end, every actor that the loaded rock encloses is lifted out
/// of it. Returns how far the load has come; says nothing. Until it returns LOAD_IN_PLACE, the
/// space must not step and the actors wait (the renderer draws the loaded cells).
LoadProgress continueLoad(Game& game, SaveBeingApplied& load);

/// The main thread's part of a load at once: startLoad, then continueLoad until it is in place,
/// and "Loaded the world!".
void finishLoad(Game& game, bool usable, ReadSave& save);

/// Saves the world and the player into the saver's folder at once (writeSave) and says how it
/// went. For a game whose saver does not run: it reads state that only the calling (main)
/// thread writes, so it takes no lock.
bool saveWorld(Game& game);

/// Loads the save in the saver's folder at once: readUsableSave and its line, then finishLoad.
/// Returns true when a world was loaded.
bool loadWorld(Game& game);
