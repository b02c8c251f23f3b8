// The worst world a save can hold for the collision segments: a checkerboard of stone and air
// under a stone floor, where every face of every stone block is open. Legal: the game loads it
// as it loads its own saves.
#pragma once

#include <string>

#include "world/block_types.h"
#include "world/player_record.h"
#include "world/world_grid.h"

/// Row of the stone floor the player stands on; the rows above it are sky.
constexpr int CHECKERBOARD_FLOOR_ROW = 50;
/// The deepest row the checkerboard can reach: the bottom row below it is NULL, as in every
/// generated world.
constexpr int CHECKERBOARD_LAST_ROW = 478;

/// Writes a save into `directory` (the game's file name there): sky down to the floor, the
/// floor, a checkerboard of stone and air from the row below the floor to `lastRow`, solid
/// stone below it and the NULL bottom row; the player standing on the floor near the left
/// wall. The bytes pass the game's own check first and are written as the game writes a save.
/// Returns false, with `problem` saying why, when they do not, when a save is there already
/// (it is never replaced) or when the file cannot be written.
bool writeCheckerboardSave(const std::string& directory, int lastRow, std::string& problem);

/// Writes the save of `world` and `player` into `directory` (the game's file name there) as the
/// game writes a save, after the game's own check of its bytes. Returns false, with `problem`
/// saying why, when they do not pass it, when a save is there already (it is never replaced) or
/// when the file cannot be written.
bool writeWorldSave(const std::string& directory, const World& world, const Player& player,
                    const BlockTypes& blockTypes, std::string& problem);
