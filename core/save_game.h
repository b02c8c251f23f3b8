// The game's Save and Load: what a Save or Load click, or a load at start, does to the whole
// game, with the console lines that say how it went.
#pragma once

#include <chipmunk/chipmunk.h>
#include <string>

#include "world/save_codec.h"

struct ALLEGRO_MUTEX;

/// Saves the world and the player into `directory` and says on the console whether it worked.
/// The bytes about to be written must pass the game's own check (validateSave): a state that
/// fails it is a failed save that touches no file. It only reads state that only the calling
/// (main) thread writes, so it takes no lock.
bool saveWorld(const World& world, const Player& player, const BlockTypes& blockTypes,
               const std::string& directory);

/// Loads the save in `directory`, or, when the save is missing or refused, its backup if that is
/// a good save; a refused save is then renamed aside (SAVE_DAMAGED_SUFFIX) and one line says
/// what was wrong, that the backup was loaded and where the refused file went. The whole file
/// is read and checked first; then, holding `stateLock`, the grid and its segments are
/// replaced, the player takes the game state and its body moves there at rest. When neither
/// loads, `loadFailed` is set and nothing else changes. Says on the console what happened;
/// returns true when a world was loaded.
bool loadWorld(World& world, Player& player, const BlockTypes& blockTypes, cpSpace* space,
               const std::string& directory, ALLEGRO_MUTEX* stateLock);
