// Stand-ins for the block images in a game without a display: distinct addresses that tests
// compare and never draw. A save marks a cell's image reference as set, so a real save needs
// them too.
#pragma once

#include <allegro5/allegro.h>

#include "base/game_assert.h"
#include "core/game.h"

/// The stand-in for block image `swatch` (0 to BLOCK_SWATCH_COUNT - 1).
inline ALLEGRO_BITMAP* standInImage(int swatch) {
    static char identities[BLOCK_SWATCH_COUNT]; // only their addresses matter
    GAME_ASSERT(swatch >= 0 && swatch < BLOCK_SWATCH_COUNT, "no block image has this index");
    return reinterpret_cast<ALLEGRO_BITMAP*>(&identities[swatch]);
}

/// Binds every block type's image to its stand-in.
inline void bindStandInImages(BlockTypes& blockTypes) {
    ALLEGRO_BITMAP* images[BLOCK_SWATCH_COUNT];
    for (int i = 0; i < BLOCK_SWATCH_COUNT; ++i) {
        images[i] = standInImage(i);
    }
    bindBlockBitmaps(blockTypes, images);
}

/// Gives a headless game stand-ins as its atlas and binds them as a game with a display binds
/// its atlas: to the block table, every cell and the player (which shows image 0's stand-in).
inline void bindStandInImages(Game& game) {
    for (int i = 0; i < BLOCK_SWATCH_COUNT; ++i) {
        game.atlas.blockSwatches[i] = standInImage(i);
    }
    game.atlas.player = standInImage(0);
    bindAtlasImages(game);
}
