// Terrain generation: a layered random world and its ground segments.
#pragma once

#include <chipmunk/chipmunk.h>

#include "base/game_random.h"
#include "world/block_types.h"
#include "world/world_grid.h"

/// Seeds the game's generator with the current time and fills the whole grid with a new world.
void generateWorld(World& world, const BlockTypes& blockTypes, cpSpace* space, GameRandom& random);

/// Fills the whole grid from the generator as it stands (one draw per cell, column by column)
/// and adds one top-edge segment to every solid cell under a passable one. The space must hold
/// no world segments yet.
void generateTerrain(World& world, const BlockTypes& blockTypes, cpSpace* space,
                     GameRandom& random);

/// The block id chosen for row `row` given the draw d (0 to 99).
int terrainBlockForRow(int row, int draw);
