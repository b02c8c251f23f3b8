// A world and a physics space for tests, without a window.
#pragma once

#include <chipmunk/chipmunk.h>
#include <memory>

#include "actors/physics.h"
#include "core/game_random.h"
#include "world/block_types.h"
#include "world/terrain.h"
#include "world/world_grid.h"

/// A space with gravity and walls, the block table, and a grid on the heap.
struct TestWorld {
    cpSpace* space = nullptr;
    BlockTypes blockTypes{};
    std::unique_ptr<World> world = std::make_unique<World>();

    TestWorld() {
        space = createSpace();
        cpSpaceSetIterations(space, SPACE_ITERATIONS);
        createWorldWalls(space);
        initBlockTypes(blockTypes);
    }
    ~TestWorld() { cpSpaceFree(space); }
    TestWorld(const TestWorld&) = delete;
    TestWorld& operator=(const TestWorld&) = delete;

    /// Fills the grid as a new world from a fixed seed.
    void generate(uint32_t seed) {
        gameSrand(seed);
        generateTerrain(*world, blockTypes, space);
    }

    /// Makes one cell a copy of a template at its place (no segments).
    void setCell(int column, int row, int id) {
        Block& cell = cellAt(*world, column, row);
        cell = blockTemplate(blockTypes, id);
        cell.x = static_cast<float>(column * BLOCK_SIZE);
        cell.y = static_cast<float>(row * BLOCK_SIZE);
    }
};
