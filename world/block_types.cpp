#include "world/block_types.h"

#include "base/game_assert.h"
#include <cstring>

namespace {

struct BlockTypeRow {
    // Exactly BLOCK_NAME_SIZE bytes as stored: "Underground" does not fit and keeps no terminator.
    char name[BLOCK_NAME_SIZE];
    int32_t id;
    uint8_t passable;
    BlockColour colour;
    int swatch;
};

// NULL and Underground share the black image (swatch 0).
const BlockTypeRow BLOCK_TYPE_ROWS[BLOCK_TYPE_COUNT] = {
    {{'N', 'U', 'L', 'L'}, BLOCK_NULL, 0, {0, 0, 0}, 0},
    {{'A', 'i', 'r'}, BLOCK_AIR, 1, {125, 125, 255}, 1},
    {{'D', 'i', 'r', 't'}, BLOCK_DIRT, 0, {160, 100, 25}, 2},
    {{'G', 'r', 'a', 's', 's'}, BLOCK_GRASS, 0, {0, 255, 0}, 3},
    {{'S', 't', 'o', 'n', 'e'}, BLOCK_STONE, 0, {125, 125, 125}, 4},
    {{'G', 'o', 'l', 'd'}, BLOCK_GOLD, 0, {255, 255, 0}, 5},
    {{'U', 'n', 'd', 'e', 'r', 'g', 'r', 'o'}, BLOCK_UNDERGROUND, 1, {0, 0, 0}, 0},
};

} // namespace

void initBlockTypes(BlockTypes& blockTypes) {
    for (int id = 0; id < BLOCK_TYPE_COUNT; ++id) {
        const BlockTypeRow& row = BLOCK_TYPE_ROWS[id];
        GAME_ASSERT(row.id == id, "block type table rows must be listed in id order");
        Block& block = blockTypes.rows[id];
        block = Block{};
        std::memcpy(block.name, row.name, BLOCK_NAME_SIZE);
        block.id = row.id;
        block.passable = row.passable;
    }
}

BlockColour blockTypeColour(int id) {
    GAME_ASSERT(id >= 0 && id < BLOCK_TYPE_COUNT,
                "block id out of range: only the ids below BLOCK_TYPE_COUNT name a type");
    return BLOCK_TYPE_ROWS[id].colour;
}

int blockTypeSwatch(int id) {
    GAME_ASSERT(id >= 0 && id < BLOCK_TYPE_COUNT,
                "block id out of range: only the ids below BLOCK_TYPE_COUNT name a type");
    return BLOCK_TYPE_ROWS[id].swatch;
}

void bindBlockBitmaps(BlockTypes& blockTypes, ALLEGRO_BITMAP* const* swatches) {
    for (int id = 0; id < BLOCK_TYPE_COUNT; ++id) {
        blockTypes.rows[id].bitmap = swatches[blockTypeSwatch(id)];
    }
}

const Block& blockTemplate(const BlockTypes& blockTypes, int id) {
    GAME_ASSERT(id >= 0 && id < BLOCK_TYPE_COUNT,
                "block id out of range: only the ids below BLOCK_TYPE_COUNT name a type");
    return blockTypes.rows[id];
}
