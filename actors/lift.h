// Lifting actors out of rock: a loaded world can hold solid cells where an enemy stands (or
// where the player stood in a save from an older game), and a box inside rock has no segment
// to hold it, so it would fall through the ground.
#pragma once

#include <chipmunk/chipmunk.h>

#include "actors/enemy.h"
#include "actors/player.h"
#include "world/world_grid.h"

/// Moves an actor's body whose box is not free to the nearest free place (nearestFreePlace), at
/// rest, and tells the space where its box is now; a box whose columns have no free place is
/// at least brought within the side walls. Returns true when it moved the body.
bool liftOutOfRock(cpSpace* space, cpBody* body, const World& world);

/// After a load: lifts the player and each of the `count` enemies that has a body out of rock,
/// with their records following their bodies. The caller holds the state lock.
void liftActorsOutOfRock(cpSpace* space, Player& player, Enemy* enemies, int count,
                         const World& world);
