// The player's start values and its per-tick movement.
#pragma once

#include <chipmunk/chipmunk.h>

#include "world/player_record.h"
#include "world/world_grid.h"

/// Start values of the player (at (30, 1150), one Dirt block, Dirt selected, display 1440 x 900),
/// its body and box in the space, and the space's iteration count. The bitmap is bound later,
/// once the game display exists.
void initPlayer(Player& player, cpSpace* space);

/// Copies the body's position into the record as the top-left corner of the 10 x 20 box.
void copyPlayerPosition(Player& player);

/// Turns the held keys into impulses, allows or spends a jump and limits the speed.
void updatePlayer(Player& player, const World& world);
