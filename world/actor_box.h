// An actor's box against the rock: the one rule for where the player's and the enemies'
// 10 x 20 boxes may be. Placing a block, lifting actors out of a loaded world's rock and the
// save's check of the player all ask here, so that they agree, at the walls as well.
#pragma once

#include <chipmunk/chipmunk.h>

#include "world/player_record.h"
#include "world/world_grid.h"

/// Least left edge of a box in the world. A box pressed into a wall sinks into it for a while,
/// so a box counts as in the world while its centre is within the four walls (on them included).
constexpr double ACTOR_LEAST_LEFT = -ACTOR_WIDTH / 2.0;
/// Greatest left edge of a box in the world: its centre on the right wall.
constexpr double ACTOR_MOST_LEFT = WORLD_WIDTH - ACTOR_WIDTH / 2.0;
/// Least top edge of a box in the world: its centre on the top wall.
constexpr double ACTOR_LEAST_TOP = -ACTOR_HEIGHT / 2.0;
/// Greatest top edge of a box in the world: its centre on the bottom wall.
constexpr double ACTOR_MOST_TOP = WORLD_HEIGHT - ACTOR_HEIGHT / 2.0;

/// True when the box with its top-left corner at (left, top) is in the world as above (false
/// for a corner that is not a number).
bool actorBoxInWorld(double left, double top);

/// True when the box reaches more than OVERLAP_TOLERANCE into the cell (column, row) across and
/// down: a box resting on the cell's face, or sunk into it by the physics' slop, does not.
bool actorBoxOverlapsCell(double left, double top, int column, int row);

/// True when the box is in the world and overlaps no solid cell, the grid's outside counting
/// as solid.
bool actorBoxFree(const World& world, double left, double top);

/// The box with its top-left corner at `corner`, moved the least way across to lie within the
/// side walls.
cpVect actorBoxWithinSideWalls(cpVect corner);

/// The nearest free place for a box in the world, as its top-left corner in `place`: the box
/// itself when it is free; else the box within the side walls (actorBoxWithinSideWalls) at its
/// own height, or at the nearest free top above, or else below. Returns false when the box is
/// not in the world, or when its columns within the walls have no free place.
bool nearestFreePlace(const World& world, cpVect corner, cpVect& place);
