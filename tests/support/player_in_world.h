// A generated world with the player standing at a place: the fixture of the tests that walk,
// dig, build, press and chase on the game's own ground.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "actors/player.h"
#include "test_game.h"
#include "world/editing.h"

/// A headless game whose world is generated from a fixed seed, with the player at a place.
struct PlayerInWorld : ::testing::Test {
    TestGame test;
    Player& player = test.player;

    /// The world of `seed`, the player's box with its top-left corner at (x, y); by default on
    /// the grass of row 121 at x = 100.
    explicit PlayerInWorld(uint32_t seed, float x = 100.0f, float y = 1190.0f) {
        test.generate(seed);
        standAt(x, y);
    }

    /// Moves the player's body so that its box's top-left corner is at (x, y), and the record
    /// with it. The space's index keeps the box where it was until the next step.
    void standAt(float x, float y) {
        cpBodySetPosition(player.body, cpv(x + ACTOR_WIDTH / 2.0, y + ACTOR_HEIGHT / 2.0));
        copyPlayerPosition(player);
    }

    Block& cell(int column, int row) { return cellAt(*test.world, column, row); }

    /// A left click's mining of the cell, without the mouse.
    bool mine(int column, int row) {
        return mineCell(*test.world, test.blockTypes, player, test.space, column, row);
    }

    /// A right click's placing of the selected kind into the cell, without the mouse.
    bool place(int column, int row) {
        return placeBlock(*test.world, test.blockTypes, player, test.space, column, row);
    }

    /// Expects the segments to follow the grid.
    void expectConsistent() {
        std::string problem;
        EXPECT_TRUE(worldSegmentsConsistent(*test.world, test.space, problem)) << problem;
    }
};
