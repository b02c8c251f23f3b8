#include "stand_in_images.h"

#include "base/game_assert.h"

ALLEGRO_BITMAP* standInImage(int swatch) {
    // Only the addresses matter: nothing is ever written here.
    static char identities[BLOCK_SWATCH_COUNT];
    GAME_ASSERT(swatch >= 0 && swatch < BLOCK_SWATCH_COUNT,
                "no block image has this index: ask for 0 to BLOCK_SWATCH_COUNT - 1");
    return reinterpret_cast<ALLEGRO_BITMAP*>(&identities[swatch]);
}

void bindStandInImages(BlockTypes& blockTypes) {
    ALLEGRO_BITMAP* images[BLOCK_SWATCH_COUNT];
    for (int i = 0; i < BLOCK_SWATCH_COUNT; ++i) {
        images[i] = standInImage(i);
    }
    bindBlockBitmaps(blockTypes, images);
}

void bindStandInImages(Game& game) {
    for (int i = 0; i < BLOCK_SWATCH_COUNT; ++i) {
        game.atlas.blockSwatches[i] = standInImage(i);
    }
    game.atlas.player = standInImage(0);
    bindAtlasImages(game);
}
