#include "world/block_kinds.h"

#include <allegro5/keycodes.h>

const BlockKind BLOCK_KINDS[BLOCK_KIND_COUNT] = {
    {1, ALLEGRO_KEY_1, BLOCK_DIRT, "Dirt", &Player::dirtCount},
    {2, ALLEGRO_KEY_2, BLOCK_GRASS, "Grass", &Player::grassCount},
    {3, ALLEGRO_KEY_3, BLOCK_STONE, "Stone", &Player::stoneCount},
    {4, ALLEGRO_KEY_4, BLOCK_GOLD, "Gold", &Player::goldCount},
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
