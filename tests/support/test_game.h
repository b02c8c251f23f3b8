// A headless game for tests, built, ticked and torn down by the game's own lifecycle.
#pragma once

#include <chipmunk/chipmunk.h>
#include <memory>

#include "actors/physics.h"
#include "base/game_assert.h"
#include "core/game.h"
#include "world/editing.h"

/// The game on the heap (its grid is too large for a stack), with short names for what tests
/// touch most. The grid starts empty (every cell zero) until generate().
struct TestGame {
    std::unique_ptr<Game> owned = std::make_unique<Game>();
    Game& game = *owned;
    cpSpace* space = nullptr;
    BlockTypes& blockTypes = game.blockTypes;
    World* world = &game.world;
    /// The game's player, at its start place with its body in the space.
    Player& player = game.player;
    Enemy (&enemies)[ENEMY_COUNT] = game.enemies;

    TestGame() {
        GAME_ASSERT(buildHeadlessGame(game), "no state lock: Allegro's threads are missing");
        space = game.space;
    }
    ~TestGame() { destroyGame(game); }
    TestGame(const TestGame&) = delete;
    TestGame& operator=(const TestGame&) = delete;

    /// Fills the grid as a new world from a fixed seed.
    void generate(uint32_t seed) { generateSeededWorld(game, seed); }

    /// Makes one cell a copy of a template at its place (no segments). The save's snapshot
    /// hears of it; the renderer's chunk cache does not, until markCellChanged.
    void setCell(int column, int row, int id) {
        Block& cell = cellAt(*world, column, row);
        cell = blockTemplate(blockTypes, id);
        cell.x = static_cast<float>(column * BLOCK_SIZE);
        cell.y = static_cast<float>(row * BLOCK_SIZE);
        markCellRecordChanged(*world, column, row);
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
};
