#include "world/block_kinds.h"

#include <allegro5/keycodes.h>

#include "world/save_layout.h"

const BlockKind BLOCK_KINDS[BLOCK_KIND_COUNT] = {
    {1, ALLEGRO_KEY_1, BLOCK_DIRT, "Dirt", &Player::dirtCount, HEADER_DIRT},
    {2, ALLEGRO_KEY_2, BLOCK_GRASS, "Grass", &Player::grassCount, HEADER_GRASS},
    {3, ALLEGRO_KEY_3, BLOCK_STONE, "Stone", &Player::stoneCount, HEADER_STONE},
    {4, ALLEGRO_KEY_4, BLOCK_GOLD, "Gold", &Player::goldCount, HEADER_GOLD},
};

const BlockKind* blockKindForSelection(int32_t selection) {
    for (const BlockKind& kind : BLOCK_KINDS) {
        if (kind.selection == selection) {
            return &kind;
        }
    }
    return nullptr;
}

const BlockKind* blockKindForId(int id) {
    for (const BlockKind& kind : BLOCK_KINDS) {
        if (kind.id == id) {
            return &kind;
        }
    }
    return nullptr;
}
