// The block record: one row of the block-type table, or one cell of the world grid.
#pragma once

#include <cstdint>

struct ALLEGRO_BITMAP;
struct cpShape;

/// Side of one block in world pixels.
constexpr int BLOCK_SIZE = 10;
/// Number of block types, and rows of the block-type table.
constexpr int BLOCK_TYPE_COUNT = 7;
/// Width of a block's name field; longer names are cut without a terminator.
constexpr int BLOCK_NAME_SIZE = 8;

/// Block ids: the index of the type's row in the block-type table.
enum BlockId : int32_t {
    BLOCK_NULL = 0,
    BLOCK_AIR = 1,
    BLOCK_DIRT = 2,
    BLOCK_GRASS = 3,
    BLOCK_STONE = 4,
    BLOCK_GOLD = 5,
    BLOCK_UNDERGROUND = 6,
};

/// The four edges of a cell, in the order their segment fields are declared.
enum BlockEdge { EDGE_TOP, EDGE_BOTTOM, EDGE_RIGHT, EDGE_LEFT, EDGE_COUNT };

/// A block type, or a cell of the grid: a whole copy of its type plus its place and segments.
/// The fields lie so that no padding between them makes a cell larger than 64 bytes: the grid
/// has 345,600 of them.
struct Block {
    /// Type name, NUL-terminated when shorter than BLOCK_NAME_SIZE.
    char name[BLOCK_NAME_SIZE];
    /// Row of the type in the block-type table.
    int32_t id;
    /// 1 for empty space (Air, Underground), 0 for a solid block.
    uint8_t passable;
    /// Left edge of the cell in world pixels (0 in a template).
    float x;
    /// Top edge of the cell in world pixels (0 in a template).
    float y;
    /// The type's 10 x 10 image, shared by every cell of the type.
    ALLEGRO_BITMAP* bitmap;
    /// Segment on the top edge, or null. Not owned: the physics space holds it.
    cpShape* topShape;
    /// Segment on the bottom edge, or null.
    cpShape* bottomShape;
    /// Segment on the right edge, or null.
    cpShape* rightShape;
    /// Segment on the left edge, or null.
    cpShape* leftShape;
};

static_assert(sizeof(Block) <= 64, "a grid cell grew past 64 bytes: order its fields so that "
                                   "none leaves a gap before the next");

/// The segment field of a cell for one edge.
inline cpShape*& blockEdgeShape(Block& block, BlockEdge edge) {
    switch (edge) {
    case EDGE_TOP:
        return block.topShape;
    case EDGE_BOTTOM:
        return block.bottomShape;
    case EDGE_RIGHT:
        return block.rightShape;
    default:
        return block.leftShape;
    }
}

/// True for a solid block (one the player stands on and can mine).
inline bool blockIsSolid(const Block& block) {
    return block.passable == 0;
}
