// Lifting actors out of rock: a loaded world can hold solid cells where an enemy stands (or
// where the player stood in a save from an older game), and a box inside rock has no segment
// to hold it, so it would fall through the ground.
#pragma once

#include <chipmunk/chipmunk.h>

#include "actors/enemy.h"
#include "actors/player.h"
#include "world/world_grid.h"

/// True when a 10 x 20 box with its top-left corner at (left, top) overlaps no solid cell; the
/// grid's outside counts as solid, and a box that reaches less than OVERLAP_TOLERANCE into a
/// cell does not overlap it.
bool actorBoxFree(const World& world, double left, double top);

/// The top edge of the nearest free place for a 10 x 20 box at or above `top`, the box keeping
/// its left edge; when the box's columns have none above, the nearest one below. Returns false
/// when those columns have no free place at all.
bool nearestFreeTop(const World& world, double left, double top, double& freeTop);

/// Moves an actor's body whose box overlaps solid cells to the nearest free place, at rest, and
/// tells the space where its box is now. Returns true when it moved the body.
bool liftOutOfRock(cpSpace* space, cpBody* body, const World& world);

/// After a load: lifts the player and each of the `count` enemies that has a body out of rock,
/// with their records following their bodies. The caller holds the state lock.
void liftActorsOutOfRock(cpSpace* space, Player& player, Enemy* enemies, int count,
                         const World& world);
