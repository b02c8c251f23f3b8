// One texture for every small image the game draws: the block swatches, the player, the
// enemies and the HUD button. Drawing from one texture lets held drawing batch a frame.
#pragma once

#include "world/block_types.h"

struct ALLEGRO_BITMAP;

/// The atlas bitmap and its sub-bitmaps.
struct Atlas {
    /// The parent bitmap that owns the texture.
    ALLEGRO_BITMAP* sheet;
    /// 10 x 10 block images, by blockTypeSwatch index.
    ALLEGRO_BITMAP* blockSwatches[BLOCK_SWATCH_COUNT];
    /// 10 x 20 teal player image.
    ALLEGRO_BITMAP* player;
    /// 10 x 20 red enemy image.
    ALLEGRO_BITMAP* enemy;
    /// 40 x 25 grey HUD button.
    ALLEGRO_BITMAP* button;
};

/// Colour of the player's box.
constexpr unsigned char PLAYER_RGB[3] = {0, 125, 125};
/// Colour of an enemy's box.
constexpr unsigned char ENEMY_RGB[3] = {255, 0, 0};
/// Colour of every button.
constexpr unsigned char BUTTON_GREY[3] = {165, 165, 165};

/// Creates and paints the atlas as a video bitmap of the current display. Returns false when
/// the bitmap cannot be made. Leaves the calling thread's target on the atlas.
bool createAtlas(Atlas& atlas);
