// The block-type table: one template record per block id.
#pragma once

#include "world/block.h"

/// The seven templates, indexed by block id.
struct BlockTypes {
    Block rows[BLOCK_TYPE_COUNT];
};

/// Colour of a block type's image.
struct BlockColour {
    uint8_t r, g, b;
};

/// Number of distinct block images: NULL and Underground share one.
constexpr int BLOCK_SWATCH_COUNT = 6;

/// Fills the seven templates (names, ids, passable flags; no place, no segments). Bitmaps are
/// left null until the renderer's images are bound with bindBlockBitmaps.
void initBlockTypes(BlockTypes& blockTypes);

/// Colour of the image of one block type.
BlockColour blockTypeColour(int id);

/// Index of the image that a block type uses among the BLOCK_SWATCH_COUNT images.
int blockTypeSwatch(int id);

/// Binds every template's bitmap to its image; swatches holds BLOCK_SWATCH_COUNT bitmaps.
void bindBlockBitmaps(BlockTypes& blockTypes, ALLEGRO_BITMAP* const* swatches);

/// The template for a block id; asserts that the id names a type.
const Block& blockTemplate(const BlockTypes& blockTypes, int id);
