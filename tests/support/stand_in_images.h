// Stand-ins for the block images in a game without a display: distinct addresses that tests
// compare and never draw. A save marks a cell's image reference as set, so a real save needs
// them too.
#pragma once

#include <allegro5/allegro.h>

#include "core/game.h"
#include "world/block_types.h"

/// The stand-in for block image `swatch` (0 to BLOCK_SWATCH_COUNT - 1).
ALLEGRO_BITMAP* standInImage(int swatch);

/// Binds every block type's image to its stand-in.
void bindStandInImages(BlockTypes& blockTypes);

/// Gives a headless game stand-ins as its atlas and binds them as a game with a display binds
/// its atlas: to the block table, every cell and the player (which shows image 0's stand-in).
void bindStandInImages(Game& game);
