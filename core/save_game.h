// The game's Save and Load: what a Save or Load click, or a load at start, does to the whole
// game, with the console lines that say how it went.
#pragma once

#include <string>

#include "core/game.h"

/// Saves the world and the player into `directory` and says on the console whether it worked.
/// The bytes about to be written must pass the game's own check (validateSave): a state that
/// fails it is a failed save that touches no file. It only reads state that only the calling
/// (main) thread writes, so it takes no lock.
bool saveWorld(const Game& game, const std::string& directory);

/// Loads the save in `directory`, or, when the save is missing or refused, its backup if that is
/// a good save; a refused save is then renamed aside (SAVE_DAMAGED_SUFFIX) and one line says
/// what was wrong, that the backup was loaded and where the refused file went. The whole file
/// is read and checked first; then, holding the state lock, the grid and its segments are
/// replaced, the player takes the game state and its body moves there at rest, and every actor
/// that the loaded rock encloses is lifted out of it. When neither loads, `loadFailed` is set
/// and nothing else changes. Says on the console what happened; returns true when a world was
/// loaded.
bool loadWorld(Game& game, const std::string& directory);
