// The four kinds of block the player holds and builds with: Dirt, Grass, Stone and Gold.
// Mining and placing, the keyboard, the HUD and the save check all read this one table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "world/block.h"
#include "world/player_record.h"

/// One kind the player can hold.
struct BlockKind {
    /// The player's selectedBlock that picks it (1 to 4), shown before its name on the HUD.
    int32_t selection;
    /// Allegro key code of the number key that selects it.
    int keycode;
    /// Its block id.
    BlockId id;
    /// Its name on the HUD and in the save check's messages.
    const char* name;
    /// The player's stock of it.
    int32_t Player::*count;
    /// Where the save's header keeps that stock.
    size_t saveOffset;
};

/// Number of kinds the player can hold.
constexpr int BLOCK_KIND_COUNT = 4;

/// The kinds in selection order.
extern const BlockKind BLOCK_KINDS[BLOCK_KIND_COUNT];

/// The kind that a selection picks, or null outside 1 to 4.
const BlockKind* blockKindForSelection(int32_t selection);

/// The kind of a block id, or null for a block the player cannot hold.
const BlockKind* blockKindForId(int id);
