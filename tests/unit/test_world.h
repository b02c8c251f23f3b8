// A world and a physics space for tests, without a window.
#pragma once

#include <chipmunk/chipmunk.h>
#include <memory>
#include <unordered_set>
#include <vector>

#include "actors/physics.h"
#include "core/game_random.h"
#include "world/block_types.h"
#include "world/editing.h"
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
    ~TestWorld() { freeSpace(); }
    TestWorld(const TestWorld&) = delete;
    TestWorld& operator=(const TestWorld&) = delete;

    /// Fills the grid as a new world from a fixed seed.
    void generate(uint32_t seed) {
        gameSrand(seed);
        generateTerrain(*world, blockTypes, space);
    }

    /// Frees the space with every shape and body in it, and the segments cells still hold
    /// outside it: the space owns what is added to it but does not free it.
    void freeSpace() {
        std::unordered_set<cpShape*> shapes;
        for (const Block& cell : world->cells) {
            for (cpShape* segment :
                 {cell.topShape, cell.bottomShape, cell.rightShape, cell.leftShape}) {
                if (segment != nullptr) {
                    shapes.insert(segment);
                }
            }
        }
        std::vector<cpBody*> bodies;
        cpSpaceEachShape(space, collectShape, &shapes);
        cpSpaceEachBody(space, collectBody, &bodies);
        for (cpShape* shape : shapes) {
            if (cpSpaceContainsShape(space, shape)) {
                cpSpaceRemoveShape(space, shape);
            }
            cpShapeFree(shape);
        }
        for (cpBody* body : bodies) {
            cpSpaceRemoveBody(space, body);
            cpBodyFree(body);
        }
        cpSpaceFree(space);
    }

    /// Makes one cell a copy of a template at its place (no segments).
    void setCell(int column, int row, int id) {
        Block& cell = cellAt(*world, column, row);
        cell = blockTemplate(blockTypes, id);
        cell.x = static_cast<float>(column * BLOCK_SIZE);
        cell.y = static_cast<float>(row * BLOCK_SIZE);
    }

    /// Rewrites a rectangle of cells (inclusive bounds) and rebuilds every segment for the
    /// changed grid.
    void fillCells(int firstColumn, int lastColumn, int firstRow, int lastRow, int id) {
        clearWorldSegments(*world, space);
        for (int column = firstColumn; column <= lastColumn; ++column) {
            for (int row = firstRow; row <= lastRow; ++row) {
                setCell(column, row, id);
            }
        }
        buildWorldSegments(*world, space);
    }

  private:
    static void collectShape(cpShape* shape, void* shapes) {
        static_cast<std::unordered_set<cpShape*>*>(shapes)->insert(shape);
    }
    static void collectBody(cpBody* body, void* bodies) {
        static_cast<std::vector<cpBody*>*>(bodies)->push_back(body);
    }
};
